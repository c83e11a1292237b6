// The message box, the file chooser and image decoding on Win32 (see forms.h, picture.h): the
// system's own message box and save-type file dialog in wide characters, and pictures decoded by
// the system's imaging codecs.
#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>

#include "forms/win32/win32_form.h"
#include "platform/base.h"
#include "platform/message_box.h"

namespace forms {
namespace {

// The window that a modal box belongs to: the program's active window, if any.
HWND OwnerWindow() {
    return GetActiveWindow();
}

// Releases a COM interface when it goes out of scope.
template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

// The imaging factory, made once for the program (COM started on this thread for it).
IWICImagingFactory* ImagingFactory() {
    static IWICImagingFactory* factory = [] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IWICImagingFactory* made = nullptr;
        // CLSID_WICImagingFactory, written out: the library that would define it is not linked.
        static const CLSID kFactory = {
            0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
        if (FAILED(CoCreateInstance(kFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(&made))))
            return static_cast<IWICImagingFactory*>(nullptr);
        return made;
    }();
    return factory;
}

// The decoded pixels as RGBA, or RGB when every pixel is opaque.
ImageData FromRgba(std::vector<std::uint8_t> rgba, int width, int height) {
    ImageData out;
    out.width = width;
    out.height = height;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    bool opaque = true;
    for (std::size_t i = 0; i < count && opaque; ++i) opaque = rgba[i * 4 + 3] == 255;
    if (!opaque) {
        out.channels = 4;
        out.pixels = std::move(rgba);
        return out;
    }
    out.channels = 3;
    out.pixels.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) std::copy_n(&rgba[i * 4], 3, &out.pixels[i * 3]);
    return out;
}

}  // namespace

void MsgBox(const std::string& title, const std::string& text) {
    platform::ShowMessageBoxFor(reinterpret_cast<platform::NativeWindow>(OwnerWindow()), title,
                                text);
}

std::optional<std::string> ChooseFile(const FileRequest& request) {
    // One filter entry: its name, a NUL, its patterns, and the list's closing NUL.
    std::wstring filter = win32::Widen(request.filterName);
    filter.push_back(L'\0');
    filter += win32::Widen(request.pattern);
    filter.push_back(L'\0');
    const std::wstring title = win32::Widen(request.title);
    const std::wstring folder = win32::Widen(request.folder);
    std::wstring file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The save type takes a name that does not exist yet; without OFN_OVERWRITEPROMPT it asks
    // nothing about an existing one. The working folder stays where it was.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
    file.resize(std::wcslen(file.c_str()));
    if (file.empty()) return std::nullopt;
    return win32::Narrow(file);
}

std::optional<ImageData> DecodeImage(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    if (!data || size < 4 || size > 0x7FFFFFFF) return std::nullopt;
    // Only our own kinds of picture: the system would decode others too.
    if (std::memcmp(data, kPng, 4) != 0 && !(data[0] == 0xFF && data[1] == 0xD8))
        return std::nullopt;
    IWICImagingFactory* factory = ImagingFactory();
    if (!factory) return std::nullopt;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > 0x4000 || height > 0x4000)
        return std::nullopt;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    if (FAILED(
            converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(rgba.size()), rgba.data())))
        return std::nullopt;
    return FromRgba(std::move(rgba), static_cast<int>(width), static_cast<int>(height));
}

}  // namespace forms
