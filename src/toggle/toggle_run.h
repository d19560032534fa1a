// One toggle run: hides every desktop entry when the icons are shown, shows
// them again when they are hidden.
//
//   uint32_t exitCode = RunToggle(); // refused changes, or 1 without desktops
//
// The state lives only in the desktop itself: the executable stands on the
// user's desktop as showName after hiding and as hideName after showing.
#pragma once

#include <stdint.h>

#include "text/wide_text.h"

// The localized toggle file names, chosen by primary UI language.
struct ToggleNames {
    uint16_t primaryLanguage; // 0 for the row every other language gets
    const char16_t* hideName;
    const char16_t* showName;
};

// The record of one run; everything in it is released when the run ends.
struct RunState {
    RunState() = default;
    ~RunState();
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    char16_t* selfPath = nullptr; // full path of the running executable
    WideText selfName;            // its bare file name
    const char16_t* hideName = nullptr;
    const char16_t* showName = nullptr;
    WideText desktops[2]; // the user's desktop, then the all-users desktop
    WideText hidePath;    // userDesktop\hideName
    WideText showPath;    // userDesktop\showName
    bool hiding = false;
    uint32_t failedCount = 0;
};

enum DesktopIndex { kUserDesktop = 0, kCommonDesktop = 1 };

// Every sub-language of Spanish and French selects its row; any other
// language gets the English names.
const ToggleNames& SelectToggleNames(uint16_t languageId);

// Sets (hiding) or clears the hidden bit of every entry of folder outside the
// skip list, counts refused changes in state.failedCount and announces the
// folder to the shell. A folder that cannot be enumerated is left alone.
void SweepDesktopFolder(WideText& folder, RunState& state);

uint32_t RunToggle();
