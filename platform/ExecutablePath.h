#pragma once

#include <string>

namespace platform {

// Full path of the running executable, as the system reports it.
std::u16string ExecutablePath();

} // namespace platform
