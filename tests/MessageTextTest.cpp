#include <gtest/gtest.h>

#include "core/MessageText.h"

namespace {

struct TTextCase {
    const char* Name;
    std::u16string In;
    std::u16string Out;
};

class ExceptionDisplay : public testing::TestWithParam<TTextCase> {};

TEST_P(ExceptionDisplay, AppendsFullStopAboveDot)
{
    EXPECT_EQ(ExceptionDisplayText(GetParam().In), GetParam().Out);
}

INSTANTIATE_TEST_SUITE_P(Rule, ExceptionDisplay,
    testing::Values(
        TTextCase { "Empty", u"", u"" },
        TTextCase { "Letter", u"failed", u"failed." },
        TTextCase { "Digit", u"code 5", u"code 5." },
        TTextCase { "AlreadyDot", u"done.", u"done." },
        TTextCase { "SpaceSortsBelowDot", u"done ", u"done " },
        TTextCase { "CommaSortsBelowDot", u"a,", u"a," },
        TTextCase { "SlashSortsAbove", u"a/", u"a/." },
        TTextCase { "JapaneseFullStop", u"見つかりませんでした。", u"見つかりませんでした。." }),
    [](const auto& info) { return std::string(info.param.Name); });

class SystemTextTrim : public testing::TestWithParam<TTextCase> {};

TEST_P(SystemTextTrim, CutsControlBlanksAndDots)
{
    EXPECT_EQ(TrimSystemErrorText(GetParam().In), GetParam().Out);
}

INSTANTIATE_TEST_SUITE_P(Rule, SystemTextTrim,
    testing::Values(
        TTextCase { "Empty", u"", u"" },
        TTextCase { "WindowsStyle", u"Access is denied.\r\n", u"Access is denied" },
        TTextCase { "OnlyJunk", u" .\r\n.", u"" },
        TTextCase { "InnerDotsStay", u"a.b. c", u"a.b. c" },
        TTextCase { "Tab", u"No such file\t", u"No such file" }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
