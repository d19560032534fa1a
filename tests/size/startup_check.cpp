// Checks, under Wine, the two parts of the size work that change what the
// executable runs on: its own entry point (src/platform/entry_win32.cpp) in
// place of the C runtime startup, and numbers printed by msvcrt.dll instead
// of mingw-w64's printf. Built with the executable's compile and link flags.
//
//   startup_check.exe alpha "beta gamma"    exit code 100: every check passed
//                                           100 + n: n checks failed
//
// The distinct exit code shows that wWinMain's result reaches ExitProcess.
#include <windows.h>

#include <string.h>

#include "text/wide_text.h"

namespace {

int failures = 0;

void Check(bool passed, const char* what) {
    if (!passed) {
        ++failures;
        printf("FAIL: %s\n", what);
    }
}

// A static constructor: the entry point must run it before wWinMain.
struct ConstructedAtStartup {
    ConstructedAtStartup() : value(42) {}
    int value;
};
ConstructedAtStartup constructed;

bool SameText(const char16_t* text, const char* expected) {
    size_t i = 0;
    for (; expected[i]; ++i) {
        if (text[i] != static_cast<unsigned char>(expected[i])) {
            return false;
        }
    }
    return text[i] == 0;
}

void CheckNumbers() {
    // The toggle prints refused-change counts (uint32_t) through a double;
    // fractions are printed with six decimals. printf of msvcrt.dll and of
    // glibc agree on all of these.
    const struct {
        double value;
        const char* text;
    } kPrinted[] = {
        {0, "0"},
        {1, "1"},
        {3, "3"},
        {10, "10"},
        {65536, "65536"},
        {4294967295.0, "4294967295"},
        {9007199254740992.0, "9007199254740992"}, // 2^53
        {-7, "-7"},
        {0.5, "0.500000"},
        {2.25, "2.250000"},
        {1234.5678, "1234.567800"},
        {-0.125, "-0.125000"},
    };
    for (const auto& row : kPrinted) {
        WideText text;
        bool set = text.SetNumber(row.value);
        if (!set || !SameText(text.Buffer(), row.text)) {
            ++failures;
            printf("FAIL: SetNumber(%f) gave %s, not \"%s\"\n", row.value, set ? "another text" : "false",
                   row.text);
        }
    }
    // 40 digits and more do not fit: refused, and the text is left empty.
    const double kTooLong[] = {1e40, -1e39, 1e300};
    for (double value : kTooLong) {
        WideText text;
        bool set = text.SetNumber(value);
        if (set || text.Buffer()[0] != 0) {
            ++failures;
            printf("FAIL: SetNumber(%g) was accepted\n", value);
        }
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int showCommand) {
    Check(constructed.value == 42, "the static constructor ran before wWinMain");
    Check(instance == GetModuleHandleW(nullptr), "the instance is the executable's module");
    Check(previous == nullptr, "no previous instance");
    if (wcscmp(arguments, L"alpha \"beta gamma\"") != 0) {
        ++failures;
        printf("FAIL: the arguments are [%ls], not the command line after the name\n", arguments);
    }
    Check(showCommand == SW_SHOWDEFAULT || (showCommand >= SW_HIDE && showCommand <= SW_MAX),
          "the show command is a SW_ value");
    CheckNumbers();
    printf("%d failed\n", failures);
    fflush(stdout);
    return 100 + failures;
}
