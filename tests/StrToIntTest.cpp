#include <gtest/gtest.h>

#include "core/StrToInt.h"

namespace {

struct TIntCase {
    const char* Name;
    friend void PrintTo(const TIntCase& c, std::ostream* os) { *os << c.Name; }
    std::u16string Text;
    std::optional<int> Value;
};

class IntegerSyntax : public testing::TestWithParam<TIntCase> {};

TEST_P(IntegerSyntax, ParsesOrRefuses)
{
    EXPECT_EQ(ParseInteger(GetParam().Text), GetParam().Value);
    EXPECT_EQ(StrToIntDef(GetParam().Text, 77), GetParam().Value.value_or(77));
}

INSTANTIATE_TEST_SUITE_P(Rules, IntegerSyntax,
    testing::Values(
        TIntCase { "Empty", u"", std::nullopt },
        TIntCase { "BlanksOnly", u"   ", std::nullopt },
        TIntCase { "SignOnly", u"-", std::nullopt },
        TIntCase { "Zero", u"0", 0 },
        TIntCase { "Decimal", u"12345", 12345 },
        TIntCase { "LeadingBlanks", u"  42", 42 },
        TIntCase { "TabIsNoBlank", u"\t42", std::nullopt },
        TIntCase { "TrailingBlank", u"42 ", std::nullopt },
        TIntCase { "TrailingLetter", u"1x", std::nullopt },
        TIntCase { "BlankAfterSign", u"- 1", std::nullopt },
        TIntCase { "Plus", u"+7", 7 },
        TIntCase { "Minus", u"-1", -1 },
        TIntCase { "Dollar", u"$ff", 255 },
        TIntCase { "LowerX", u"x1F", 31 },
        TIntCase { "UpperX", u"X1f", 31 },
        TIntCase { "ZeroX", u"0x1F", 31 },
        TIntCase { "ZeroUpperX", u"0XaB", 171 },
        TIntCase { "NegativeHex", u"-$10", -16 },
        TIntCase { "PrefixWithoutDigits", u"0x", std::nullopt },
        TIntCase { "DollarWithoutDigits", u"$", std::nullopt },
        TIntCase { "HexDigitInDecimal", u"1F", std::nullopt },
        TIntCase { "SignAfterPrefix", u"0x-1", std::nullopt },
        TIntCase { "FullwidthDigit", u"１", std::nullopt },
        TIntCase { "Largest", u"2147483647", 2147483647 },
        TIntCase { "JustTooLarge", u"2147483648", std::nullopt },
        TIntCase { "Smallest", u"-2147483648", -2147483647 - 1 },
        TIntCase { "JustTooSmall", u"-2147483649", std::nullopt },
        TIntCase { "HexLargest", u"$7FFFFFFF", 2147483647 },
        TIntCase { "HexTooLargeDoesNotWrap", u"$FFFFFFFF", std::nullopt },
        TIntCase { "FarTooLarge", u"99999999999999999999999", std::nullopt }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
