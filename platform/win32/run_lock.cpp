// Locks held for the life of the process: a named mutex of the session, one per drive root.
#include <windows.h>

#include <map>
#include <string>

#include "platform/base.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

// A mutex name may hold no backslash after its namespace: the root's separators become '/'.
std::wstring MutexName(std::string_view name) {
    std::wstring root = win32::Widen(DriveRoot());
    for (wchar_t& c : root)
        if (c == L'\\') c = L'/';
    std::wstring full = L"Local\\Velmora." + win32::Widen(std::string(name)) + L"." + root;
    if (full.size() > MAX_PATH) full.resize(MAX_PATH);
    return full;
}

}  // namespace

LockTaken HoldLockForLife(std::string_view name, std::string* why) {
    // The handles stay open, and the mutexes owned, until the process ends; a process that ends
    // any other way gives them up too (the system abandons them).
    static std::map<std::string, HANDLE, std::less<>> held;
    if (held.count(name)) return LockTaken::Yes;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(name).c_str());
    if (!mutex) {
        if (why) *why = "the lock " + std::string(name) + ": " + LastErrorText();
        return LockTaken::Unavailable;
    }
    // Abandoned: its holder ended without giving it back, and it is ours now.
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return LockTaken::HeldElsewhere;
    }
    held.emplace(std::string(name), mutex);
    return LockTaken::Yes;
}

}  // namespace platform
