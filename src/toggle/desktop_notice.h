// The end of a run: repaint the desktop and tell the user about refused
// changes.
//
//   platform::WindowHandle desktop = RefreshDesktop(); // F5 on Progman
//   ReportFailures(state, desktop);                    // warning box if any
#pragma once

#include "platform/platform.h"
#include "toggle/toggle_run.h"

// Presses and releases F5 on the shell's desktop window ("Progman",
// "Program Manager") and returns that window, or null when there is none.
platform::WindowHandle RefreshDesktop();

// Shows one warning box with the number of refused changes, owned by
// desktopWindow (may be null), and returns once it is closed. Nothing when
// state.failedCount is 0.
void ReportFailures(RunState& state, platform::WindowHandle desktopWindow);
