#include "core/StrToInt.h"

#include <cstdint>
#include <limits>

namespace {

int DigitValue(char16_t c, int base)
{
    int value = base;
    if (c >= u'0' && c <= u'9') {
        value = c - u'0';
    } else if (base == 16 && c >= u'a' && c <= u'f') {
        value = c - u'a' + 10;
    } else if (base == 16 && c >= u'A' && c <= u'F') {
        value = c - u'A' + 10;
    }
    return value < base ? value : -1;
}

} // namespace

std::optional<int> ParseInteger(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    const std::u16string_view rest = text.substr(i);
    if (rest.starts_with(u'$') || rest.starts_with(u'x') || rest.starts_with(u'X')) {
        base = 16, i += 1;
    } else if (rest.starts_with(u"0x") || rest.starts_with(u"0X")) {
        base = 16, i += 2;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    // The magnitude may reach one more than INT_MAX for a negative number.
    const std::int64_t limit = std::int64_t { std::numeric_limits<int>::max() } + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int StrToIntDef(std::u16string_view text, int fallback)
{
    return ParseInteger(text).value_or(fallback);
}
