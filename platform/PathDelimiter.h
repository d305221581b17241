#pragma once

namespace platform {

// The one path delimiter the tools handle: '\\' on Windows, '/' on POSIX.
char16_t PathDelimiter() noexcept;

} // namespace platform
