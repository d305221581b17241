#pragma once

#include <cstdint>

namespace platform {

// A native window handle as an integer (HWND on Windows, the X11/Wayland
// window id on POSIX); 0 means none.
using TWindowHandle = std::uintptr_t;

} // namespace platform
