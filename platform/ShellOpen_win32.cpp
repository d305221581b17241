#include "platform/ShellOpen.h"

#include "platform/WinApi_win32.h"

#include <shellapi.h>

namespace platform {

void InitActivationToken() {}

bool ShellOpenFolder(const char16_t* path, std::uint32_t& lastError)
{
    // Every other field stays zero: no flags, no owner window, no
    // parameters, no working directory, nothing read back.
    SHELLEXECUTEINFOW request {};
    request.cbSize = sizeof(request);
    request.lpVerb = L"open";
    request.lpFile = AsWide(path);
    request.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&request)) {
        lastError = 0;
        return true;
    }
    lastError = ::GetLastError();
    return false;
}

void ShellOpenDefault(TWindowHandle owner, const std::u16string& path)
{
    ::ShellExecuteW(reinterpret_cast<HWND>(owner), nullptr, AsWide(path), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace platform
