#pragma once

#include <string>

// A hint is "short|long": the tooltip shows the short part, the status line
// the long one. Without a "|" both are the whole hint.
std::u16string ShortHint(const std::u16string& hint);
std::u16string LongHint(const std::u16string& hint);
