// Puts the running executable on the user's desktop under the name that
// offers the opposite action next time:
//
//   PlaceToggleFile(state); // after hiding: "Show icons.exe", else "Hide icons.exe"
//
// It moves the executable when it already is one of the two toggle files and
// copies it when it runs from anywhere else; the toggle file is made visible,
// the one of the other name is deleted and the shell is told. Nothing here is
// reported or counted: the exit code stays the sweep's.
#pragma once

#include "toggle/toggle_run.h"

void PlaceToggleFile(RunState& state);
