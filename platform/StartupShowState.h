#pragma once

namespace platform {

enum class TShowState { Normal, Maximized, Minimized };

// How the process was asked to show its first window.
TShowState StartupShowState() noexcept;

} // namespace platform
