#pragma once

#include <string>
#include <string_view>

// Conversions between the UTF-16 text of the core and UTF-8 bytes (POSIX
// paths, terminal output). Malformed input becomes U+FFFD, never a throw.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);
