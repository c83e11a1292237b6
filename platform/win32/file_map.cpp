// A regular file mapped into memory for reading (see base.h).
#include <windows.h>

#include "platform/base.h"
#include "platform/win32/win32_text.h"

namespace platform {

MappedFile::MappedFile(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    if (wide.empty() || wide.rfind(L"\\\\.\\", 0) == 0) return;  // no devices or pipes
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX) {
        if (HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
            if (void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
                data_ = static_cast<const std::uint8_t*>(view);
                size_ = static_cast<std::size_t>(size.QuadPart);
            }
            // The view keeps the mapping and the file open by itself.
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
}

MappedFile::~MappedFile() {
    if (data_) UnmapViewOfFile(data_);
}

}  // namespace platform
