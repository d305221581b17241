#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowHandle.h"

namespace platform {

// Keeps the activation token the session started us with, before the window
// toolkit takes it out of the environment; the open requests hand it on so
// the file manager's window may come to the front (POSIX:
// XDG_ACTIVATION_TOKEN, DESKTOP_STARTUP_ID; nothing on Windows).
void InitActivationToken();

// Asks the desktop shell to show a folder with the "open" verb and no owner
// window (Windows: ShellExecuteExW). True when the request was accepted;
// otherwise the system error code is stored in lastError.
bool ShellOpenFolder(const char16_t* path, std::uint32_t& lastError);

// The shell's default action on a path, owned by a window; the result is not
// reported (Windows: ShellExecuteW with no verb).
void ShellOpenDefault(TWindowHandle owner, const std::u16string& path);

} // namespace platform
