#include "platform/StartupShowState.h"

namespace platform {

// X11 and Wayland pass no show command to a new process.
TShowState StartupShowState() noexcept { return TShowState::Normal; }

} // namespace platform
