#pragma once

#include <string>

// Trailing-delimiter rules shared by every operation. The delimiter is a
// parameter so that both platforms' rules are tested everywhere.

// Appends the delimiter unless the path already ends in it; "" becomes the
// delimiter alone (the root).
std::u16string IncludeTrailingDelimiter(std::u16string path, char16_t delimiter);

// Removes one trailing delimiter, if there is one; a second one stays.
std::u16string ExcludeTrailingDelimiter(std::u16string path, char16_t delimiter);

// A text holding U+0000 names nothing: the system would see only the part
// before it, and a NUL-separated list would read it as two paths.
bool NamesNothing(const std::u16string& path);

// The folder part of a path: everything before the last delimiter ("" when
// there is none).
std::u16string ExtractFolder(const std::u16string& path, char16_t delimiter);
