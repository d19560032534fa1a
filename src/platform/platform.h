// The Windows services a toggle run uses, as plain functions with portable
// types. The toggle logic includes this header and never <windows.h>.
//
// Two implementations exist and exactly one is linked:
//   platform_win32.cpp   the real services, for the executable;
//   tests/fake/...       an in-memory desktop, for the host tests.
//
//   platform::FindData entry;
//   platform::FindHandle find = platform::FindFirstFileW(u"C:\\x\\*", &entry);
//   if (find != platform::kInvalidHandleValue) { ... platform::FindClose(find); }
//
// Text is UTF-16 (char16_t), zero-terminated. The functions keep the names
// Windows gives them; arguments the toggle always passes as null or zero
// (owner windows, tokens, module handles, second items) are left out and
// filled in by the Win32 implementation.
#pragma once

#include <stdint.h>

namespace platform {

using FindHandle = uintptr_t;
using WindowHandle = void*;

constexpr FindHandle kInvalidHandleValue = ~static_cast<uintptr_t>(0); // INVALID_HANDLE_VALUE
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;               // INVALID_FILE_ATTRIBUTES
constexpr uint32_t kFileAttributeHidden = 0x2;                         // FILE_ATTRIBUTE_HIDDEN
constexpr int32_t kCsidlDesktop = 0x0;                                 // CSIDL_DESKTOP
constexpr int32_t kCsidlCommonDesktopDirectory = 0x19;                 // CSIDL_COMMON_DESKTOPDIRECTORY
constexpr int32_t kSOk = 0;                                            // S_OK
constexpr uint32_t kMaxPath = 260;                                     // MAX_PATH
constexpr uint32_t kMoveFileReplaceExisting = 0x1;                     // MOVEFILE_REPLACE_EXISTING
constexpr uint32_t kMoveFileCopyAllowed = 0x2;                         // MOVEFILE_COPY_ALLOWED
constexpr int32_t kShcneCreate = 0x2;                                  // SHCNE_CREATE
constexpr int32_t kShcneUpdateDir = 0x1000;                            // SHCNE_UPDATEDIR
constexpr uint32_t kShcnfPathW = 0x5;                                  // SHCNF_PATHW
constexpr uint16_t kVkF5 = 0x74;                                       // VK_F5
constexpr uint32_t kKeyEventFKeyUp = 0x2;                              // KEYEVENTF_KEYUP
constexpr uint32_t kMbIconWarning = 0x30;                              // MB_ICONWARNING

struct FileTime {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
};

// Laid out exactly like WIN32_FIND_DATAW, so the Win32 implementation hands
// the record straight through.
struct FindData {
    uint32_t dwFileAttributes;
    FileTime ftCreationTime;
    FileTime ftLastAccessTime;
    FileTime ftLastWriteTime;
    uint32_t nFileSizeHigh;
    uint32_t nFileSizeLow;
    uint32_t dwReserved0;
    uint32_t dwReserved1;
    char16_t cFileName[kMaxPath];
    char16_t cAlternateFileName[14];
};

// The KEYBDINPUT part of an INPUT record of type INPUT_KEYBOARD.
struct KeyboardInput {
    uint16_t wVk;
    uint16_t wScan;
    uint32_t dwFlags;
    uint32_t time;
    uintptr_t dwExtraInfo;
};

// kernel32
// Full path of the running executable. Like Windows: returns the characters
// written; when the buffer is too small it returns size and the text is cut.
uint32_t GetModuleFileNameW(char16_t* buffer, uint32_t size);
uint16_t GetUserDefaultUILanguage();
bool DeleteFileW(const char16_t* path);
FindHandle FindFirstFileW(const char16_t* pattern, FindData* data);
bool FindNextFileW(FindHandle find, FindData* data);
bool FindClose(FindHandle find);
bool SetFileAttributesW(const char16_t* path, uint32_t attributes);
uint32_t GetFileAttributesW(const char16_t* path);
bool MoveFileExW(const char16_t* from, const char16_t* to, uint32_t flags);
bool CopyFileW(const char16_t* from, const char16_t* to, bool failIfExists);

// shell32, shlwapi
// path receives at most kMaxPath characters plus the terminator.
int32_t SHGetFolderPathW(int32_t csidl, char16_t* path);
bool PathFileExistsW(const char16_t* path);
void SHChangeNotify(int32_t eventId, uint32_t flags, const char16_t* path);

// user32
WindowHandle FindWindowW(const char16_t* className, const char16_t* windowName);
WindowHandle SetFocus(WindowHandle window);
// Sends count keyboard records; the implementation passes the platform's own
// record size.
uint32_t SendInput(uint32_t count, const KeyboardInput* inputs);
int32_t MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption, uint32_t type);

} // namespace platform
