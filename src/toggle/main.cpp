// The Windows GUI entry point: no window, no message loop, no arguments.
#include <windows.h>

#include "toggle/toggle_run.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return static_cast<int>(RunToggle());
}
