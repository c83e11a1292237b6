// Fonts and text on Win32: GDI fonts made from the runtime's font objects, and the conversion
// between the program's UTF-8 and the wide text of the W calls.
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "forms/win32/win32_form.h"

namespace forms::win32 {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(std::min<std::size_t>(utf8.size(), 0x7FFFFFFF));
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(std::min<std::size_t>(wide.size(), 0x7FFFFFFF));
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
    return text;
}

int PixelSize(const FontSpec& font) {
    return std::max(1, static_cast<int>(std::lround(font.size * 96.0 / 72.0)));
}

HFONT FontFor(const FontSpec& font) {
    LOGFONTW logFont{};
    logFont.lfHeight = -PixelSize(font);  // negative: the height of the characters themselves
    logFont.lfWeight = std::clamp(font.weight, 0, 1000);
    logFont.lfItalic = font.italic ? TRUE : FALSE;
    logFont.lfUnderline = font.underline ? TRUE : FALSE;
    logFont.lfStrikeOut = font.strikethrough ? TRUE : FALSE;
    logFont.lfCharSet = static_cast<BYTE>(std::clamp(font.charset, 0, 255));
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = Widen(font.face).substr(0, LF_FACESIZE - 1);
    std::copy(face.begin(), face.end(), logFont.lfFaceName);
    // Few fonts are ever asked for (the dialog's two); each is made once, known by what GDI
    // is asked for.
    using Key = std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE, BYTE>;
    static std::map<Key, HFONT> made;
    const Key key{face,
                  logFont.lfHeight,
                  logFont.lfWeight,
                  logFont.lfItalic,
                  logFont.lfUnderline,
                  logFont.lfStrikeOut,
                  logFont.lfCharSet};
    if (auto it = made.find(key); it != made.end()) return it->second;
    HFONT handle = CreateFontIndirectW(&logFont);
    if (!handle) handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    made.emplace(key, handle);
    return handle;
}

}  // namespace forms::win32
