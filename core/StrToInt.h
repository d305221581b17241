#pragma once

#include <optional>
#include <string_view>

// The integer syntax of the command line's numbers: leading blanks (spaces
// only), an optional sign, then decimal digits, or hexadecimal digits after
// "$", "x", "X", "0x" or "0X". Nothing may follow. Empty means no number.
// A value outside int (32 bits) is no number either.
std::optional<int> ParseInteger(std::u16string_view text);

// ParseInteger, or the default when the text is no number.
int StrToIntDef(std::u16string_view text, int fallback);
