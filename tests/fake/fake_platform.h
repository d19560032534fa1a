// Test-only controls of the in-memory platform (fake_platform.cpp), which
// replaces platform_win32.cpp in the host tests.
//
//   fake::Reset();                                  // two empty desktops
//   fake::AddEntry(fake::kUserDesktop, u"a.lnk");   // archive bit only
//   fake::Get().modulePath = u"C:\\Tools\\Vantric.exe";
//   RunToggle();
//   EXPECT_TRUE(fake::Attributes(u"C:\\Users\\ana\\Desktop\\a.lnk") & 0x2) << fake::Dump();
//
// The fake is a small file system of folders holding entries (name,
// attribute word, contents). Paths are compared folding ASCII A-Z only. Every
// platform call is appended to Get().log as one line, in order.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

namespace fake {

extern const char16_t* const kUserDesktop;   // C:\Users\ana\Desktop
extern const char16_t* const kCommonDesktop; // C:\Users\Public\Desktop
extern const char16_t* const kToolsFolder;   // C:\Tools, where the executable runs by default

constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kDirectory = 0x10;

struct Entry {
    std::u16string name;
    uint32_t attributes = kArchive;
    std::string contents;
    bool refuseAttributes = false; // SetFileAttributesW fails on it
};

struct Folder {
    std::u16string path;
    std::vector<Entry> entries;
    bool enumerable = true; // FindFirstFileW fails on it when false
};

struct State {
    std::vector<Folder> folders;
    std::u16string modulePath;
    bool moduleFails = false; // GetModuleFileNameW returns 0
    uint16_t uiLanguage = 0x0409;
    std::u16string userDesktopPath;
    std::u16string commonDesktopPath;
    int32_t userDesktopResult = 0; // HRESULT of SHGetFolderPathW(CSIDL_DESKTOP)
    int32_t commonDesktopResult = 0;
    bool hasDesktopWindow = true;
    bool refuseMove = false;
    bool refuseCopy = false;
    std::vector<std::string> log;
    int openFinds = 0;
};

// The window handle FindWindowW returns while hasDesktopWindow is set.
extern void* const kDesktopWindow;

// Two empty desktops, C:\Tools holding the executable "Vantric.exe" (the
// module path), English UI, a desktop window, an empty log.
void Reset();
State& Get();

Folder& AddFolder(const std::u16string& path);
Folder* FindFolder(const std::u16string& path);
Entry& AddEntry(const std::u16string& folder, const std::u16string& name, uint32_t attributes = kArchive);
Entry* FindEntry(const std::u16string& path);
// The attribute word of the entry at path, or 0xFFFFFFFF when there is none.
uint32_t Attributes(const std::u16string& path);
std::u16string Join(const std::u16string& folder, const std::u16string& name);

// The log lines that start with prefix, in order.
std::vector<std::string> Calls(const std::string& prefix);
// Every folder with its entries, the settings and the whole call log.
std::string Dump();
std::string Utf8(const std::u16string& text);

} // namespace fake
