#include "core/PathRules.h"

std::u16string IncludeTrailingDelimiter(std::u16string path, char16_t delimiter)
{
    if (path.empty() || path.back() != delimiter) {
        path += delimiter;
    }
    return path;
}

std::u16string ExcludeTrailingDelimiter(std::u16string path, char16_t delimiter)
{
    if (!path.empty() && path.back() == delimiter) {
        path.pop_back();
    }
    return path;
}

std::u16string ExtractFolder(const std::u16string& path, char16_t delimiter)
{
    const auto last = path.rfind(delimiter);
    return last == std::u16string::npos ? std::u16string() : path.substr(0, last);
}

bool NamesNothing(const std::u16string& path) { return path.find(u'\0') != std::u16string::npos; }
