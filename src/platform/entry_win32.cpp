// The process entry point of the executable, in place of the C runtime's.
//
// The mingw-w64 startup code (argument parsing, TLS support, pseudo
// relocations, exception filters, atexit tables) is several kilobytes that
// this program never uses, so the executable is linked with -nostartfiles
// and the loader starts here. What wWinMain is promised still holds: the
// static constructors have run, it gets the module handle, the command line
// after the program name and the show command, and its result becomes the
// exit code of the process:
//
//   ExitProcess(wWinMain(module, nullptr, arguments, showCommand));
//
// msvcrt.dll initializes itself when it loads, so the C functions the
// program imports from it (memcpy, snprintf, abort) need nothing from here.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int showCommand);

// Provided by the linker script of every PE image: -1, the constructors of
// .ctors in link order, then a null terminator.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// Runs the static constructors the way libgcc's __do_global_ctors does: last
// entry first. Nothing registers destructors: ExitProcess ends the run.
void RunStaticConstructors() {
    size_t count = 0;
    while (__CTOR_LIST__[count + 1]) {
        ++count;
    }
    for (size_t i = count; i > 0; --i) {
        __CTOR_LIST__[i]();
    }
}

// The command line after the program name and the blanks that follow it,
// split the way the C runtime splits it for WinMain: a quoted name ends at
// the closing quote, any other at the first blank.
PWSTR SkipProgramName(PWSTR line) {
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') {
            ++line;
        }
        if (*line == L'"') {
            ++line;
        }
    } else {
        while (*line > L' ') {
            ++line;
        }
    }
    while (*line && *line <= L' ') {
        ++line;
    }
    return line;
}

int ShowCommand() {
    STARTUPINFOW startup;
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

} // namespace

// Named by -Wl,-e in cmake/windows.cmake. The x86 loader guarantees only
// 4-byte stack alignment, so the frame is realigned for the code below.
extern "C" __attribute__((noreturn, force_align_arg_pointer)) void VantricStartup() {
    RunStaticConstructors();
    int result =
        wWinMain(::GetModuleHandleW(nullptr), nullptr, SkipProgramName(::GetCommandLineW()), ShowCommand());
    ::ExitProcess(static_cast<UINT>(result));
}
