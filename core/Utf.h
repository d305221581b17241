#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the UTF-16 text of the core and UTF-8 bytes (POSIX
// paths, terminal output). Malformed input becomes U+FFFD, never a throw.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);

// POSIX paths are bytes, and any byte string may name a file. One lossless
// rule carries them through the UTF-16 core and back: valid UTF-8 decodes as
// usual; each byte of an invalid sequence becomes the lone surrogate
// U+DC00 + byte (U+DC80..U+DCFF), as Python's "surrogateescape" does.
// Use these at every POSIX edge where a path enters or leaves the core.
std::u16string PathBytesToText(std::string_view bytes);

// The bytes a path text names, or nullopt when it names none: it holds
// U+0000, a lone surrogate outside U+DC80..U+DCFF, or escapes that spell
// valid UTF-8 (only the canonical text of a byte string names it, so two
// texts never name the same file).
std::optional<std::string> PathTextToBytes(std::u16string_view text);

// A path text for messages: each escaped byte shown as "\xHH".
std::u16string PathDisplayText(std::u16string_view text);
