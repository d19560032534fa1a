// The in-memory platform linked into the host tests instead of
// platform_win32.cpp. Its controls are declared in fake_platform.h.
#include "fake/fake_platform.h"

#include <stdio.h>

#include "platform/platform.h"

namespace fake {

const char16_t* const kUserDesktop = u"C:\\Users\\ana\\Desktop";
const char16_t* const kCommonDesktop = u"C:\\Users\\Public\\Desktop";
const char16_t* const kToolsFolder = u"C:\\Tools";
void* const kDesktopWindow = reinterpret_cast<void*>(0x10010);

namespace {

State state;

// One open enumeration: the names and attribute words seen at
// FindFirstFileW, delivered one by one.
struct Find {
    std::vector<Entry> entries;
    size_t next = 0;
    bool open = false;
};
std::vector<Find> finds;

char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

std::u16string Text(const char16_t* text) {
    return text ? std::u16string(text) : std::u16string();
}

// Quoted, with carriage returns and line feeds spelled out so that one call
// stays one line.
std::string Quote(const char16_t* text) {
    if (!text) {
        return "null";
    }
    std::string quoted = "\"";
    for (char c : Utf8(text)) {
        quoted += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string Hex(uint32_t value) {
    char buffer[16];
    snprintf(buffer, sizeof(buffer), "0x%X", value);
    return buffer;
}

void Log(const std::string& line) {
    state.log.push_back(line);
}

// Splits a full path at its last backslash.
bool Split(const std::u16string& path, std::u16string* folder, std::u16string* name) {
    size_t slash = path.rfind(u'\\');
    if (slash == std::u16string::npos) {
        return false;
    }
    *folder = path.substr(0, slash);
    *name = path.substr(slash + 1);
    return true;
}

std::vector<Entry>::iterator Locate(const std::u16string& path, Folder** owner) {
    std::u16string folderPath, name;
    *owner = nullptr;
    if (!Split(path, &folderPath, &name)) {
        return {};
    }
    Folder* folder = FindFolder(folderPath);
    if (!folder) {
        return {};
    }
    for (auto it = folder->entries.begin(); it != folder->entries.end(); ++it) {
        if (SameName(it->name, name)) {
            *owner = folder;
            return it;
        }
    }
    return {};
}

void CopyName(const std::u16string& name, char16_t* to, size_t capacity) {
    size_t count = name.size() < capacity - 1 ? name.size() : capacity - 1;
    name.copy(to, count);
    to[count] = 0;
}

void Deliver(const Entry& entry, platform::FindData* data) {
    *data = platform::FindData{};
    data->dwFileAttributes = entry.attributes;
    CopyName(entry.name, data->cFileName, platform::kMaxPath);
}

} // namespace

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void Reset() {
    state = State{};
    finds.clear();
    state.userDesktopPath = kUserDesktop;
    state.commonDesktopPath = kCommonDesktop;
    AddFolder(kUserDesktop);
    AddFolder(kCommonDesktop);
    AddFolder(kToolsFolder);
    AddEntry(kToolsFolder, u"Vantric.exe").contents = "Vantric.exe";
    state.modulePath = Join(kToolsFolder, u"Vantric.exe");
}

State& Get() {
    return state;
}

Folder& AddFolder(const std::u16string& path) {
    if (Folder* existing = FindFolder(path)) {
        return *existing;
    }
    state.folders.push_back(Folder{path, {}, true});
    return state.folders.back();
}

Folder* FindFolder(const std::u16string& path) {
    for (Folder& folder : state.folders) {
        if (SameName(folder.path, path)) {
            return &folder;
        }
    }
    return nullptr;
}

Entry& AddEntry(const std::u16string& folderPath, const std::u16string& name, uint32_t attributes) {
    Folder& folder = AddFolder(folderPath);
    Entry entry;
    entry.name = name;
    entry.attributes = attributes;
    folder.entries.push_back(entry);
    return folder.entries.back();
}

Entry* FindEntry(const std::u16string& path) {
    Folder* owner;
    auto it = Locate(path, &owner);
    return owner ? &*it : nullptr;
}

uint32_t Attributes(const std::u16string& path) {
    Entry* entry = FindEntry(path);
    return entry ? entry->attributes : platform::kInvalidFileAttributes;
}

std::u16string Join(const std::u16string& folder, const std::u16string& name) {
    return folder + u"\\" + name;
}

std::vector<std::string> Calls(const std::string& prefix) {
    std::vector<std::string> matching;
    for (const std::string& line : state.log) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            matching.push_back(line);
        }
    }
    return matching;
}

std::string Dump() {
    std::string out = "--- fake platform ---\n";
    out += "module path: \"" + Utf8(state.modulePath) + "\"" + (state.moduleFails ? " (fails)" : "") + "\n";
    out += "ui language: " + Hex(state.uiLanguage) + "\n";
    out +=
        "user desktop: \"" + Utf8(state.userDesktopPath) + "\" result " + Hex(state.userDesktopResult) + "\n";
    out += "common desktop: \"" + Utf8(state.commonDesktopPath) + "\" result " +
           Hex(state.commonDesktopResult) + "\n";
    out += std::string("desktop window: ") + (state.hasDesktopWindow ? "yes" : "no") +
           ", refuse move: " + (state.refuseMove ? "yes" : "no") +
           ", refuse copy: " + (state.refuseCopy ? "yes" : "no") +
           ", open finds: " + std::to_string(state.openFinds) + "\n";
    for (const Folder& folder : state.folders) {
        out += "folder \"" + Utf8(folder.path) + "\"" + (folder.enumerable ? "" : " (not enumerable)") + "\n";
        for (const Entry& entry : folder.entries) {
            out += "  " + Hex(entry.attributes) + " \"" + Utf8(entry.name) + "\"";
            if (!entry.contents.empty()) {
                out += " contents \"" + entry.contents + "\"";
            }
            out += entry.refuseAttributes ? " (refuses attributes)\n" : "\n";
        }
    }
    out += "call log:\n";
    for (const std::string& line : state.log) {
        out += "  " + line + "\n";
    }
    return out;
}

} // namespace fake

namespace platform {

using namespace fake;

uint32_t GetModuleFileNameW(char16_t* buffer, uint32_t size) {
    uint32_t result;
    if (state.moduleFails || size == 0) {
        result = 0;
    } else {
        // Like Windows since Vista: a path that does not fit is cut to
        // size - 1 characters, terminated, and size is returned.
        const std::u16string& path = state.modulePath;
        CopyName(path, buffer, size);
        result = path.size() < size ? static_cast<uint32_t>(path.size()) : size;
    }
    Log("GetModuleFileNameW(" + std::to_string(size) + ") -> " + std::to_string(result));
    return result;
}

uint16_t GetUserDefaultUILanguage() {
    Log("GetUserDefaultUILanguage() -> " + Hex(state.uiLanguage));
    return state.uiLanguage;
}

int32_t SHGetFolderPathW(int32_t csidl, char16_t* path) {
    int32_t result = static_cast<int32_t>(0x80070002); // E_FILE_NOT_FOUND-like for unknown folders
    const std::u16string* folder = nullptr;
    if (csidl == kCsidlDesktop) {
        result = state.userDesktopResult;
        folder = &state.userDesktopPath;
    } else if (csidl == kCsidlCommonDesktopDirectory) {
        result = state.commonDesktopResult;
        folder = &state.commonDesktopPath;
    }
    if (result == kSOk && folder) {
        CopyName(*folder, path, kMaxPath);
    }
    Log("SHGetFolderPathW(" + Hex(static_cast<uint32_t>(csidl)) + ") -> " +
        Hex(static_cast<uint32_t>(result)) + (result == kSOk && folder ? " \"" + Utf8(*folder) + "\"" : ""));
    return result;
}

bool PathFileExistsW(const char16_t* path) {
    bool exists = FindEntry(Text(path)) || FindFolder(Text(path));
    Log("PathFileExistsW(" + Quote(path) + ") -> " + (exists ? "1" : "0"));
    return exists;
}

bool DeleteFileW(const char16_t* path) {
    Folder* owner;
    auto it = Locate(Text(path), &owner);
    bool deleted = owner && !(it->attributes & kDirectory);
    if (deleted) {
        owner->entries.erase(it);
    }
    Log("DeleteFileW(" + Quote(path) + ") -> " + (deleted ? "1" : "0"));
    return deleted;
}

FindHandle FindFirstFileW(const char16_t* pattern, FindData* data) {
    std::u16string text = Text(pattern);
    Folder* folder = nullptr;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\\*") == 0) {
        folder = FindFolder(text.substr(0, text.size() - 2));
    }
    if (!folder || !folder->enumerable) {
        Log("FindFirstFileW(" + Quote(pattern) + ") -> invalid");
        return kInvalidHandleValue;
    }
    Find find;
    find.open = true;
    Entry dot;
    dot.attributes = kDirectory;
    dot.name = u".";
    find.entries.push_back(dot);
    dot.name = u"..";
    find.entries.push_back(dot);
    find.entries.insert(find.entries.end(), folder->entries.begin(), folder->entries.end());
    Deliver(find.entries[0], data);
    find.next = 1;
    finds.push_back(find);
    ++state.openFinds;
    Log("FindFirstFileW(" + Quote(pattern) + ") -> \".\"");
    return finds.size();
}

bool FindNextFileW(FindHandle handle, FindData* data) {
    if (handle == 0 || handle > finds.size() || !finds[handle - 1].open) {
        Log("FindNextFileW(bad handle) -> 0");
        return false;
    }
    Find& find = finds[handle - 1];
    if (find.next >= find.entries.size()) {
        Log("FindNextFileW() -> 0");
        return false;
    }
    Deliver(find.entries[find.next], data);
    Log("FindNextFileW() -> \"" + Utf8(find.entries[find.next].name) + "\"");
    ++find.next;
    return true;
}

bool FindClose(FindHandle handle) {
    bool closed = handle != 0 && handle <= finds.size() && finds[handle - 1].open;
    if (closed) {
        finds[handle - 1].open = false;
        --state.openFinds;
    }
    Log(std::string("FindClose() -> ") + (closed ? "1" : "0"));
    return closed;
}

bool SetFileAttributesW(const char16_t* path, uint32_t attributes) {
    Entry* entry = FindEntry(Text(path));
    bool set = entry && !entry->refuseAttributes;
    if (set) {
        entry->attributes = attributes;
    }
    Log("SetFileAttributesW(" + Quote(path) + ", " + Hex(attributes) + ") -> " + (set ? "1" : "0"));
    return set;
}

uint32_t GetFileAttributesW(const char16_t* path) {
    uint32_t attributes = Attributes(Text(path));
    Log("GetFileAttributesW(" + Quote(path) + ") -> " + Hex(attributes));
    return attributes;
}

bool MoveFileExW(const char16_t* from, const char16_t* to, uint32_t flags) {
    std::u16string source = Text(from), target = Text(to);
    std::u16string targetFolder, targetName;
    Folder* sourceOwner;
    auto it = Locate(source, &sourceOwner);
    bool moved = false;
    if (sourceOwner && !state.refuseMove && Split(target, &targetFolder, &targetName) &&
        FindFolder(targetFolder)) {
        if (SameName(source, target)) {
            moved = true; // renaming a file onto itself changes nothing
        } else if (!FindEntry(target) || (flags & kMoveFileReplaceExisting)) {
            Entry entry = *it;
            sourceOwner->entries.erase(it);
            Folder* owner;
            auto existing = Locate(target, &owner);
            if (owner) {
                owner->entries.erase(existing);
            }
            entry.name = targetName;
            FindFolder(targetFolder)->entries.push_back(entry);
            moved = true;
        }
    }
    Log("MoveFileExW(" + Quote(from) + ", " + Quote(to) + ", " + Hex(flags) + ") -> " + (moved ? "1" : "0"));
    return moved;
}

bool CopyFileW(const char16_t* from, const char16_t* to, bool failIfExists) {
    std::u16string source = Text(from), target = Text(to);
    std::u16string targetFolder, targetName;
    Entry* original = FindEntry(source);
    bool copied = false;
    // Copying a file onto itself fails on Windows: the source is open.
    if (original && !state.refuseCopy && !SameName(source, target) &&
        Split(target, &targetFolder, &targetName) && FindFolder(targetFolder) &&
        !(failIfExists && FindEntry(target))) {
        Entry copy = *original;
        copy.name = targetName;
        copy.refuseAttributes = false;
        if (Entry* existing = FindEntry(target)) {
            *existing = copy;
        } else {
            FindFolder(targetFolder)->entries.push_back(copy);
        }
        copied = true;
    }
    Log("CopyFileW(" + Quote(from) + ", " + Quote(to) + ", " + (failIfExists ? "1" : "0") + ") -> " +
        (copied ? "1" : "0"));
    return copied;
}

void SHChangeNotify(int32_t eventId, uint32_t flags, const char16_t* path) {
    Log("SHChangeNotify(" + Hex(static_cast<uint32_t>(eventId)) + ", " + Hex(flags) + ", " + Quote(path) +
        ")");
}

WindowHandle FindWindowW(const char16_t* className, const char16_t* windowName) {
    bool found =
        state.hasDesktopWindow && Text(className) == u"Progman" && Text(windowName) == u"Program Manager";
    Log("FindWindowW(" + Quote(className) + ", " + Quote(windowName) + ") -> " +
        (found ? "desktop" : "null"));
    return found ? kDesktopWindow : nullptr;
}

WindowHandle SetFocus(WindowHandle window) {
    Log(std::string("SetFocus(") + (window == kDesktopWindow ? "desktop" : window ? "other" : "null") + ")");
    return nullptr;
}

uint32_t SendInput(uint32_t count, const KeyboardInput* inputs) {
    std::string line = "SendInput(" + std::to_string(count);
    for (uint32_t i = 0; i < count; ++i) {
        line += ", {vk " + Hex(inputs[i].wVk) + " scan " + Hex(inputs[i].wScan) + " flags " +
                Hex(inputs[i].dwFlags) + " time " + Hex(inputs[i].time) + " extra " +
                Hex(static_cast<uint32_t>(inputs[i].dwExtraInfo)) + "}";
    }
    Log(line + ") -> " + std::to_string(count));
    return count;
}

int32_t MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption, uint32_t type) {
    Log(std::string("MessageBoxW(") +
        (owner == kDesktopWindow ? "desktop"
         : owner                 ? "other"
                                 : "null") +
        ", " + Quote(text) + ", " + Quote(caption) + ", " + Hex(type) + ") -> 1");
    return 1; // IDOK
}

} // namespace platform
