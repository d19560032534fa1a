// The real Windows services behind platform.h.
#include "platform/platform.h"

#include <stddef.h>

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");
static_assert(sizeof(FindData) == sizeof(WIN32_FIND_DATAW), "FindData must mirror WIN32_FIND_DATAW");
static_assert(offsetof(FindData, dwFileAttributes) == offsetof(WIN32_FIND_DATAW, dwFileAttributes), "");
static_assert(offsetof(FindData, cFileName) == offsetof(WIN32_FIND_DATAW, cFileName), "");
static_assert(offsetof(FindData, cAlternateFileName) == offsetof(WIN32_FIND_DATAW, cAlternateFileName), "");
#if !defined(_WIN64)
static_assert(sizeof(INPUT) == 28, "the 32-bit keyboard INPUT record is 28 bytes");
#endif

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

HANDLE ToHandle(FindHandle find) {
    return reinterpret_cast<HANDLE>(find);
}

} // namespace

uint32_t GetModuleFileNameW(char16_t* buffer, uint32_t size) {
    return ::GetModuleFileNameW(nullptr, Wide(buffer), size);
}

uint16_t GetUserDefaultUILanguage() {
    return ::GetUserDefaultUILanguage();
}

bool DeleteFileW(const char16_t* path) {
    return ::DeleteFileW(Wide(path)) != 0;
}

FindHandle FindFirstFileW(const char16_t* pattern, FindData* data) {
    HANDLE find = ::FindFirstFileW(Wide(pattern), reinterpret_cast<WIN32_FIND_DATAW*>(data));
    return find == INVALID_HANDLE_VALUE ? kInvalidHandleValue : reinterpret_cast<FindHandle>(find);
}

bool FindNextFileW(FindHandle find, FindData* data) {
    return ::FindNextFileW(ToHandle(find), reinterpret_cast<WIN32_FIND_DATAW*>(data)) != 0;
}

bool FindClose(FindHandle find) {
    return ::FindClose(ToHandle(find)) != 0;
}

bool SetFileAttributesW(const char16_t* path, uint32_t attributes) {
    return ::SetFileAttributesW(Wide(path), attributes) != 0;
}

uint32_t GetFileAttributesW(const char16_t* path) {
    return ::GetFileAttributesW(Wide(path));
}

bool MoveFileExW(const char16_t* from, const char16_t* to, uint32_t flags) {
    return ::MoveFileExW(Wide(from), Wide(to), flags) != 0;
}

bool CopyFileW(const char16_t* from, const char16_t* to, bool failIfExists) {
    return ::CopyFileW(Wide(from), Wide(to), failIfExists ? TRUE : FALSE) != 0;
}

int32_t SHGetFolderPathW(int32_t csidl, char16_t* path) {
    return ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, Wide(path));
}

bool PathFileExistsW(const char16_t* path) {
    return ::PathFileExistsW(Wide(path)) != 0;
}

void SHChangeNotify(int32_t eventId, uint32_t flags, const char16_t* path) {
    ::SHChangeNotify(eventId, flags, path, nullptr);
}

WindowHandle FindWindowW(const char16_t* className, const char16_t* windowName) {
    return ::FindWindowW(Wide(className), Wide(windowName));
}

WindowHandle SetFocus(WindowHandle window) {
    return ::SetFocus(static_cast<HWND>(window));
}

uint32_t SendInput(uint32_t count, const KeyboardInput* inputs) {
    uint32_t sent = 0;
    for (uint32_t i = 0; i < count; ++i) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = inputs[i].wVk;
        input.ki.wScan = inputs[i].wScan;
        input.ki.dwFlags = inputs[i].dwFlags;
        input.ki.time = inputs[i].time;
        input.ki.dwExtraInfo = inputs[i].dwExtraInfo;
        sent += ::SendInput(1, &input, sizeof(INPUT));
    }
    return sent;
}

int32_t MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption, uint32_t type) {
    return ::MessageBoxW(static_cast<HWND>(owner), Wide(text), Wide(caption), type);
}

} // namespace platform
