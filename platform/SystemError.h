#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The calling thread's last system error code (GetLastError / errno).
std::uint32_t LastSystemError() noexcept;

// The system's own text for an error code, untrimmed
// (Windows: FormatMessageW, language 0; POSIX: strerror_l in the user's locale).
std::u16string SystemErrorText(std::uint32_t code);

} // namespace platform
