#include <gtest/gtest.h>

#include "core/CommandLineSplit.h"

namespace {

using namespace std::string_literals;

struct TSplitCase {
    const char* Name;
    friend void PrintTo(const TSplitCase& c, std::ostream* os) { *os << c.Name; }
    std::u16string Line;
    std::vector<std::u16string> Arguments; // element 0 is the program
};

class CommandLineSplit : public testing::TestWithParam<TSplitCase> {};

TEST_P(CommandLineSplit, FollowsTheToolsRules)
{
    EXPECT_EQ(SplitCommandLine(GetParam().Line), GetParam().Arguments);
}

INSTANTIATE_TEST_SUITE_P(Rules, CommandLineSplit,
    testing::Values(
        TSplitCase { "EmptyLine", u"", { u"" } },
        TSplitCase { "ProgramOnly", u"  prog  ", { u"prog" } },
        TSplitCase { "RemoverWorkedExample",
            u"\"C:\\Tools\\quistel.exe\" \"-a\" \"C:\\My Data\\Old\" \"-t=1\"",
            { u"C:\\Tools\\quistel.exe", u"-a", u"C:\\My Data\\Old", u"-t=1" } },
        TSplitCase { "BlanksAndTabsSeparate", u"p \t a\t\tb ", { u"p", u"a", u"b" } },
        TSplitCase { "ControlCharactersSeparate", u"p\x01" u"a\x1f" u"b\r\nc", { u"p", u"a", u"b", u"c" } },
        TSplitCase { "DeleteIsOrdinary", u"p a\x7f", { u"p", u"a\x7f" } },
        TSplitCase { "EmptyPairsSkippedAtStart", u"p \"\" a \"\"\"\"b", { u"p", u"a", u"b" } },
        TSplitCase { "EmptyPairAloneIsNoArgument", u"p \"\" ", { u"p" } },
        TSplitCase { "EmptyPairBeforeProgram", u"\"\" a", { u"a" } },
        TSplitCase { "QuotedBlankIsAnArgument", u"p \" \"", { u"p", u" " } },
        TSplitCase { "QuoteAfterSkippedPair", u"p \"\"\" x\"", { u"p", u" x" } },
        TSplitCase { "EmptyPairInsideIsLost", u"p a\"\"b", { u"p", u"ab" } },
        TSplitCase { "DoubledQuoteInsideIsLost", u"p \"a\"\"b c\"", { u"p", u"ab c" } },
        TSplitCase { "QuotesMidArgument", u"p C:\\\"My Data\"\\x", { u"p", u"C:\\My Data\\x" } },
        TSplitCase { "UnclosedQuoteRunsToEnd", u"p \"a b  c", { u"p", u"a b  c" } },
        TSplitCase { "LoneQuoteAtEndIsNothing", u"p a \"", { u"p", u"a" } },
        TSplitCase { "BackslashBeforeQuoteIsOrdinary", u"p a\\\" b\" c", { u"p", u"a\\ b", u"c" } },
        TSplitCase { "TrailingBackslashInQuotes", u"p \"C:\\Data\\\" \"-t=1\"", { u"p", u"C:\\Data\\", u"-t=1" } },
        TSplitCase { "NulEndsTheLine", u"p a\0b"s, { u"p", u"a" } }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
