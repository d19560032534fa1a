#include "toggle/toggle_run.h"

#include <new>
#include <stddef.h>

#include "platform/platform.h"
#include "toggle/desktop_notice.h"
#include "toggle/toggle_file.h"

namespace {

const ToggleNames kToggleNames[] = {
    {0x0A, u"Ocultar iconos.exe", u"Mostrar iconos.exe"},           // LANG_SPANISH
    {0x0C, u"Cacher Ic\u00F4nes.exe", u"Afficher Ic\u00F4nes.exe"}, // LANG_FRENCH
    {0x00, u"Hide icons.exe", u"Show icons.exe"},                   // every other language
};

struct SkipName {
    const char16_t* text;
    int32_t length;
};

// Entries the sweep never touches, besides the executable's own name.
const SkipName kSkipNames[] = {
    {u".", 1}, {u"..", 2}, {u"desktop.ini", 11}, {u"IconState.ini", 13}, {u"Thumbs.db", 9},
};

constexpr uint32_t kSelfPathFirstSize = 2048;
// Long paths stop at 32,767 characters, so a buffer of this size always fits.
constexpr uint32_t kSelfPathLastSize = 32768;

// GetModuleFileNameW cuts a path that does not fit and returns the buffer
// size (and XP leaves the cut text unterminated), so grow the buffer until
// the whole path fits. False when the path cannot be read whole: without it
// the run could neither spare its own file nor leave a toggle file behind,
// and hidden icons would have no way back.
bool ReadSelfPath(RunState& state) {
    for (uint32_t size = kSelfPathFirstSize; size <= kSelfPathLastSize; size *= 2) {
        delete[] state.selfPath;
        state.selfPath = new (std::nothrow) char16_t[size + 1];
        if (!state.selfPath) {
            return false;
        }
        state.selfPath[0] = 0;
        uint32_t written = platform::GetModuleFileNameW(state.selfPath, size);
        if (written < size) {
            state.selfPath[written] = 0;
            return written != 0;
        }
    }
    return false;
}

// Resolves one desktop folder into a fresh MAX_PATH buffer. Only S_OK with a
// non-empty path counts: an empty folder would turn every path built on it
// into one relative to the root of the current drive.
bool ResolveDesktop(WideText& desktop, int32_t csidl) {
    char16_t* buffer = new (std::nothrow) char16_t[platform::kMaxPath + 1];
    if (!buffer) {
        return false;
    }
    buffer[0] = 0;
    buffer[platform::kMaxPath] = 0;
    delete[] desktop.text;
    desktop.text = buffer;
    desktop.length = 0;
    return platform::SHGetFolderPathW(csidl, buffer) == platform::kSOk && buffer[0] != 0;
}

bool IsSkipped(WideText& name, RunState& state) {
    for (const SkipName& skip : kSkipNames) {
        if (TextEqualsNoCase(name.text, skip.text, name.length, skip.length)) {
            return true;
        }
    }
    return TextEqualsNoCase(name.text, state.selfName.Buffer(), name.length, state.selfName.Length());
}

} // namespace

RunState::~RunState() {
    delete[] selfPath;
}

const ToggleNames& SelectToggleNames(uint16_t languageId) {
    uint16_t primaryLanguage = languageId & 0x3FF;
    size_t last = sizeof(kToggleNames) / sizeof(kToggleNames[0]) - 1;
    for (size_t i = 0; i < last; ++i) {
        if (kToggleNames[i].primaryLanguage == primaryLanguage) {
            return kToggleNames[i];
        }
    }
    return kToggleNames[last];
}

void SweepDesktopFolder(WideText& folder, RunState& state) {
    WideText pattern;
    if (!pattern.Append(folder.Buffer(), u"\\*")) {
        // Without a pattern the folder cannot be swept: its entries keep
        // their state, which is a failure the user must hear about.
        ++state.failedCount;
        return;
    }
    platform::FindData entry;
    platform::FindHandle find = platform::FindFirstFileW(pattern.Buffer(), &entry);
    if (find == platform::kInvalidHandleValue) {
        return;
    }
    do {
        entry.cFileName[platform::kMaxPath - 1] = 0;
        WideText name;
        if (!name.Assign(entry.cFileName)) {
            ++state.failedCount;
            continue;
        }
        if (IsSkipped(name, state)) {
            continue;
        }
        uint32_t attributes = entry.dwFileAttributes;
        bool isHidden = (attributes & platform::kFileAttributeHidden) != 0;
        if (isHidden == state.hiding) {
            continue; // already in the target state: neither written nor counted
        }
        // Never act on a bare name: it would resolve against the current folder.
        if (!name.PrependFolder(folder.Buffer())) {
            ++state.failedCount;
            continue;
        }
        uint32_t changed = attributes ^ platform::kFileAttributeHidden;
        if (!platform::SetFileAttributesW(name.Buffer(), changed)) {
            ++state.failedCount;
        }
    } while (platform::FindNextFileW(find, &entry));
    platform::FindClose(find);
    platform::SHChangeNotify(platform::kShcneUpdateDir, platform::kShcnfPathW, folder.Buffer());
}

uint32_t RunToggle() {
    RunState state;
    if (!ReadSelfPath(state) || !state.selfName.Assign(state.selfPath)) {
        return 1;
    }
    int32_t lastSlash = state.selfName.FindLast(u"\\");
    if (lastSlash != 0) {
        state.selfName.RemoveLeft(lastSlash);
    }

    const ToggleNames& names = SelectToggleNames(platform::GetUserDefaultUILanguage());
    state.hideName = names.hideName;
    state.showName = names.showName;

    if (!ResolveDesktop(state.desktops[kUserDesktop], platform::kCsidlDesktop) ||
        !ResolveDesktop(state.desktops[kCommonDesktop], platform::kCsidlCommonDesktopDirectory)) {
        return 1;
    }
    const char16_t* userDesktop = state.desktops[kUserDesktop].Buffer();
    if (!state.hidePath.Append(userDesktop, u"\\", state.hideName) ||
        !state.showPath.Append(userDesktop, u"\\", state.showName)) {
        return 1;
    }

    state.hiding = !platform::PathFileExistsW(state.showPath.Buffer());
    state.failedCount = 0;

    // An older version kept its state in this file; it is no longer used.
    WideText legacyState;
    if (legacyState.Append(userDesktop, u"\\IconState.ini")) {
        platform::DeleteFileW(legacyState.Buffer());
    }

    SweepDesktopFolder(state.desktops[kUserDesktop], state);
    SweepDesktopFolder(state.desktops[kCommonDesktop], state);

    PlaceToggleFile(state);
    platform::WindowHandle desktopWindow = RefreshDesktop();
    ReportFailures(state, desktopWindow);
    return state.failedCount;
}
