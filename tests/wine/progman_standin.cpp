// A stand-in for the shell's desktop window, for the Wine tests.
//
//   progman_standin.exe LOG STOP [--no-window] [--hold]
//
// Registers the class "Progman", opens a window titled "Program Manager" and
// makes it the foreground and focus window, then writes what reaches it to
// LOG (UTF-8, one event a line):
//
//   start existing-progman=none|found
//   ready foreground=yes|no focus=yes|no     (or: ready window=none)
//   key down vk=0x74          (WM_KEYDOWN / WM_SYSKEYDOWN, any key)
//   key up vk=0x74
//   box caption=... owner=self|none|other
//   box text=...              (\r and \n written as the two characters)
//   box buttons=1             (the control ids of the box's visible buttons)
//   box icon=warning|error|information|question|unknown
//   box rect=LEFT,TOP,WIDTH,HEIGHT
//   box closed
//   stop
//
// Any dialog captioned "Vantric notification" is read and then closed with
// OK, so a run with refused changes never waits for a person.
//   --no-window  no desktop window: the program only watches for the box;
//   --hold       the box stays open until STOP exists (for a screenshot).
// The program ends once the file STOP exists and no box is open, or after a
// minute as a safety net.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <string>

namespace {

const wchar_t kBoxCaption[] = L"Vantric notification";
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 50;
constexpr DWORD kLifetimeMilliseconds = 60000;

std::wstring g_logPath;
std::wstring g_stopPath;
HWND g_window = nullptr;
HWND g_handledBox = nullptr;
bool g_okPressed = false;
bool g_hold = false;
DWORD g_started = 0;

void Log(const std::wstring& line) {
    std::wstring withEnd = line + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), &utf8[0], bytes,
                        nullptr, nullptr);
    // Opened and closed for every line so the log is complete at any moment.
    HANDLE file = CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring Hex(unsigned value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%02x", value);
    return text;
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\n') {
            out += L"\\n";
        } else if (c == L'\\') {
            out += L"\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

// A width x height top-down 32-bit bitmap for memory, its pixels at *bits.
HBITMAP CreateCanvas(HDC memory, int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(memory, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Runs draw(memoryDC, screenDC) on a width x height 32-bit canvas and reads
// the canvas back into pixels, as BGRA rows. False when nothing was drawn.
template <typename Draw> bool DrawPixels(int width, int height, std::basic_string<DWORD>& pixels, Draw draw) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateCanvas(memory, width, height, &bits);
    bool drawn = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        drawn = draw(memory, screen);
        GdiFlush();
        pixels.assign(static_cast<const DWORD*>(bits), static_cast<size_t>(width) * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return drawn;
}

// The screen pixels of a window's client area, as 32-bit BGRA rows.
bool CaptureClient(HWND window, int width, int height, std::basic_string<DWORD>& pixels) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return DrawPixels(width, height, pixels, [&](HDC memory, HDC screen) {
        return BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != 0;
    });
}

// Draws icon into a width x height bitmap over a plain background.
std::basic_string<DWORD> RenderIcon(HICON icon, int width, int height, COLORREF background) {
    std::basic_string<DWORD> pixels;
    DrawPixels(width, height, pixels, [&](HDC memory, HDC) {
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        return DrawIconEx(memory, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL) != 0;
    });
    return pixels;
}

// Tells which standard icon the box shows by comparing the pixels on screen
// with each standard icon drawn here. Only the icon's opaque pixels (the same
// over a black and a white background) are compared.
std::wstring ClassifyIcon(HWND iconControl) {
    RECT client;
    GetClientRect(iconControl, &client);
    int width = client.right;
    int height = client.bottom;
    if (width <= 0 || height <= 0) {
        return L"none";
    }
    std::basic_string<DWORD> shown;
    if (!CaptureClient(iconControl, width, height, shown)) {
        return L"unknown";
    }
    struct Candidate {
        const wchar_t* name;
        LPCWSTR id;
    };
    const Candidate candidates[] = {{L"warning", IDI_WARNING},
                                    {L"error", IDI_ERROR},
                                    {L"information", IDI_INFORMATION},
                                    {L"question", IDI_QUESTION}};
    std::wstring best = L"unknown";
    for (const Candidate& candidate : candidates) {
        HICON icon = LoadIconW(nullptr, candidate.id);
        std::basic_string<DWORD> onBlack = RenderIcon(icon, width, height, RGB(0, 0, 0));
        std::basic_string<DWORD> onWhite = RenderIcon(icon, width, height, RGB(255, 255, 255));
        if (onBlack.size() != shown.size() || onWhite.size() != shown.size()) {
            continue;
        }
        size_t opaque = 0;
        size_t matching = 0;
        for (size_t i = 0; i < shown.size(); ++i) {
            if ((onBlack[i] & 0xFFFFFF) != (onWhite[i] & 0xFFFFFF)) {
                continue;
            }
            ++opaque;
            if ((onBlack[i] & 0xFFFFFF) == (shown[i] & 0xFFFFFF)) {
                ++matching;
            }
        }
        // Every opaque pixel must match: the four icons share much of their
        // outline, so a near match is not enough.
        if (opaque > 0 && matching == opaque) {
            best = candidate.name;
        }
    }
    return best;
}

struct BoxParts {
    std::wstring text;
    std::wstring buttons;
    HWND iconControl = nullptr;
};

BOOL CALLBACK CollectPart(HWND child, LPARAM context) {
    BoxParts& parts = *reinterpret_cast<BoxParts*>(context);
    if (!IsWindowVisible(child)) {
        return TRUE; // the box template holds controls the box type leaves hidden
    }
    std::wstring className = ClassName(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(className.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            parts.iconControl = child;
        } else {
            parts.text += WindowText(child);
        }
    } else if (lstrcmpiW(className.c_str(), L"Button") == 0) {
        if (!parts.buttons.empty()) {
            parts.buttons += L",";
        }
        parts.buttons += std::to_wstring(GetDlgCtrlID(child));
    }
    return TRUE;
}

void HandleBox(HWND box) {
    HWND owner = GetWindow(box, GW_OWNER);
    const wchar_t* ownerName = owner == nullptr                ? L"none"
                               : owner == g_window && g_window ? L"self"
                                                               : L"other";
    Log(L"box caption=" + Escaped(WindowText(box)) + L" owner=" + ownerName);
    BoxParts parts;
    EnumChildWindows(box, CollectPart, reinterpret_cast<LPARAM>(&parts));
    Log(L"box text=" + Escaped(parts.text));
    Log(L"box buttons=" + parts.buttons);
    // Give the box a moment to paint before its icon is read off the screen.
    std::wstring icon = L"none";
    if (parts.iconControl) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            UpdateWindow(box);
            icon = ClassifyIcon(parts.iconControl);
            if (icon != L"unknown") {
                break;
            }
            Sleep(50);
        }
    }
    Log(L"box icon=" + icon);
    RECT frame;
    GetWindowRect(box, &frame);
    Log(L"box rect=" + std::to_wstring(frame.left) + L"," + std::to_wstring(frame.top) + L"," +
        std::to_wstring(frame.right - frame.left) + L"," + std::to_wstring(frame.bottom - frame.top));
}

void PressOk(HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    g_okPressed = true;
}

void Poll(HWND timerWindow) {
    if (g_handledBox && !IsWindow(g_handledBox)) {
        g_handledBox = nullptr;
        Log(L"box closed");
    }
    // The box turns visible once its initialisation has settled its controls.
    HWND box = FindWindowW(L"#32770", kBoxCaption);
    if (box && box != g_handledBox && IsWindowVisible(box)) {
        g_handledBox = box;
        g_okPressed = false;
        HandleBox(box);
        if (!g_hold) {
            PressOk(box);
        }
    }
    bool stopRequested = GetFileAttributesW(g_stopPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    bool expired = GetTickCount() - g_started > kLifetimeMilliseconds;
    if (g_handledBox) {
        if ((stopRequested || expired) && !g_okPressed) {
            PressOk(g_handledBox);
        }
        return; // stop only once the box is gone
    }
    if (stopRequested || expired) {
        KillTimer(timerWindow, kPollTimer);
        Log(stopRequested ? L"stop" : L"stop timeout");
        PostQuitMessage(0);
    }
}

void LogKey(const wchar_t* direction, WPARAM key) {
    Log(std::wstring(L"key ") + direction + L" vk=" + Hex(static_cast<unsigned>(key)));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        LogKey(L"down", wParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        LogKey(L"up", wParam);
        return 0;
    case WM_TIMER:
        if (wParam == kPollTimer) {
            Poll(window);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        return 2;
    }
    g_logPath = argv[1];
    g_stopPath = argv[2];
    bool withWindow = true;
    for (int i = 3; i < argc; ++i) {
        if (lstrcmpW(argv[i], L"--no-window") == 0) {
            withWindow = false;
        } else if (lstrcmpW(argv[i], L"--hold") == 0) {
            g_hold = true;
        } else {
            return 2;
        }
    }
    LocalFree(argv);
    g_started = GetTickCount();

    HWND existing = FindWindowW(L"Progman", L"Program Manager");
    Log(std::wstring(L"start existing-progman=") + (existing ? L"found" : L"none"));

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    windowClass.lpszClassName = withWindow ? L"Progman" : L"VantricBoxCloser";
    if (!RegisterClassW(&windowClass)) {
        Log(L"error RegisterClassW");
        return 3;
    }
    HWND window;
    if (withWindow) {
        // Like the shell's desktop window: the whole screen, behind everything.
        window = CreateWindowExW(0, windowClass.lpszClassName, L"Program Manager", WS_POPUP | WS_VISIBLE, 0,
                                 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                 nullptr, instance, nullptr);
        g_window = window;
    } else {
        window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    }
    if (!window) {
        Log(L"error CreateWindowExW");
        return 3;
    }
    if (withWindow) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
        SetFocus(window);
        bool foreground = GetForegroundWindow() == window;
        bool focused = GetFocus() == window;
        Log(std::wstring(L"ready foreground=") + (foreground ? L"yes" : L"no") + L" focus=" +
            (focused ? L"yes" : L"no"));
    } else {
        Log(L"ready window=none");
    }
    SetTimer(window, kPollTimer, kPollMilliseconds, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
