#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a Windows command line by the tools' own rules (the batch lines
// rely on them): codes 1 to 32 and any "" pair are skipped before each
// argument; an argument runs to the next code <= 32 outside double quotes;
// quotes toggle and are dropped, with no escape; backslashes are ordinary.
// A NUL ends the line. Element 0 is the program; the arguments follow, and
// the first empty one (a lone '"' at the end) ends the list.
std::vector<std::u16string> SplitCommandLine(std::u16string_view line);
