#include "toggle/toggle_file.h"

#include "platform/platform.h"

void PlaceToggleFile(RunState& state) {
    WideText& togglePath = state.hiding ? state.showPath : state.hidePath;
    WideText& staleTogglePath = state.hiding ? state.hidePath : state.showPath;
    const char16_t* selfPath = state.selfPath;

    // A textual comparison: a short 8.3 name or another route to the desktop
    // counts as running from elsewhere and leads to a copy.
    bool isToggleFile = TextEqualsNoCase(selfPath, state.showPath.Buffer(), 0, state.showPath.Length()) ||
                        TextEqualsNoCase(selfPath, state.hidePath.Buffer(), 0, state.hidePath.Length());
    if (isToggleFile) {
        platform::MoveFileExW(selfPath, togglePath.Buffer(),
                              platform::kMoveFileReplaceExisting | platform::kMoveFileCopyAllowed);
    } else {
        platform::CopyFileW(selfPath, togglePath.Buffer(), false);
    }

    // The sweep may have hidden a toggle file of the same name; the one the
    // user clicks next must stay visible.
    uint32_t attributes = platform::GetFileAttributesW(togglePath.Buffer());
    if (attributes != platform::kInvalidFileAttributes) {
        platform::SetFileAttributesW(togglePath.Buffer(), attributes & ~platform::kFileAttributeHidden);
    }
    platform::DeleteFileW(staleTogglePath.Buffer());
    platform::SHChangeNotify(platform::kShcneCreate, platform::kShcnfPathW, togglePath.Buffer());
}
