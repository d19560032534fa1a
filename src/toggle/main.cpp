// The Windows GUI entry point: no window, no message loop, no arguments.
#include <windows.h>

#include "toggle/toggle_run.h"

namespace {

// From here on, DLLs that are loaded by name (shell extensions pulled in by
// the shell calls, for one) come only from the system folder, never from the
// folder the program was started from: the program lives on the desktop,
// where anything can be dropped beside it. SetDefaultDllDirectories is
// missing from kernel32 on Windows 7 without KB2533623 and on older systems,
// so it is looked up rather than imported, and the program runs without it.
void LoadDllsFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (found != nullptr) {
        // Through void* because GCC warns about casts between function types.
        reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(found))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadDllsFromSystemFolderOnly(); // first, before anything loads a DLL
    return static_cast<int>(RunToggle());
}
