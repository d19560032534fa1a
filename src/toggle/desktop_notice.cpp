#include "toggle/desktop_notice.h"

#include "text/wide_text.h"

platform::WindowHandle RefreshDesktop() {
    platform::WindowHandle desktopWindow = platform::FindWindowW(u"Progman", u"Program Manager");
    if (!desktopWindow) {
        return nullptr;
    }
    platform::KeyboardInput key = {};
    key.wVk = platform::kVkF5;
    platform::SetFocus(desktopWindow);
    platform::SendInput(1, &key);
    key.dwFlags = platform::kKeyEventFKeyUp;
    platform::SendInput(1, &key);
    return desktopWindow;
}

void ReportFailures(RunState& state, platform::WindowHandle desktopWindow) {
    if (state.failedCount == 0) {
        return;
    }
    WideText message;
    bool built = message.SetNumber(static_cast<double>(state.failedCount)) &&
                 message.Append(u" desktop ", state.failedCount == 1 ? u"icon" : u"icons", u" could not be ",
                                state.hiding ? u"hidden" : u"unhidden",
                                u".\r\n\r\nTry running Vantric as administrator next time.");
    if (!built) {
        return; // out of memory: the exit code still carries the count
    }
    platform::MessageBoxW(desktopWindow, message.Buffer(), u"Vantric notification", platform::kMbIconWarning);
}
