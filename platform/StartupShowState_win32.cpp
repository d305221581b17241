#include "platform/StartupShowState.h"

#include "platform/WinApi_win32.h"

namespace platform {

TShowState StartupShowState() noexcept
{
    STARTUPINFOW info {};
    info.cb = sizeof(info);
    ::GetStartupInfoW(&info);
    if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) {
        return TShowState::Normal;
    }
    // SW_MAXIMIZE and SW_SHOWMAXIMIZED share one value.
    const WORD show = info.wShowWindow;
    if (show == SW_SHOWMAXIMIZED || show == SW_MAXIMIZE) {
        return TShowState::Maximized;
    }
    if (show == SW_SHOWMINNOACTIVE || show == SW_MINIMIZE || show == SW_SHOWMINIMIZED) {
        return TShowState::Minimized;
    }
    return TShowState::Normal;
}

} // namespace platform
