#include <gtest/gtest.h>

#include "core/CommandLineScan.h"

namespace {

constexpr auto Opener = TCommandLineTool::Opener;
constexpr auto Remover = TCommandLineTool::Remover;

struct TScanCase {
    const char* Name;
    friend void PrintTo(const TScanCase& c, std::ostream* os) { *os << c.Name; }
    TCommandLineTool Tool;
    std::vector<std::u16string> Arguments;
    bool Run;
    std::optional<std::u16string> Folder;
    std::optional<int> Method;
};

class CommandLineScanRules : public testing::TestWithParam<TScanCase> {};

TEST_P(CommandLineScanRules, SwitchesAndFolder)
{
    const TScanCase& c = GetParam();
    const TCommandLineScan scan = ScanCommandLine(c.Arguments, c.Tool);
    EXPECT_EQ(scan.Run, c.Run);
    EXPECT_EQ(scan.Folder, c.Folder);
    EXPECT_EQ(scan.Method, c.Method);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineScanRules,
    testing::Values(
        TScanCase { "Nothing", Remover, {}, false, std::nullopt, std::nullopt },
        TScanCase { "RemoverWorkedExample", Remover, { u"-a", u"C:\\My Data\\Old", u"-t=1" }, true,
            u"C:\\My Data\\Old", 1 },
        TScanCase { "OrderDoesNotMatter", Remover, { u"-t=0", u"C:\\X", u"-a" }, true, u"C:\\X", 0 },
        TScanCase { "LastFolderWinsAndNothingRuns", Opener, { u"C:\\A", u"C:\\B" }, false, u"C:\\B",
            std::nullopt },
        TScanCase { "RunTwiceActsOnce", Opener, { u"-a", u"-a" }, true, std::nullopt, std::nullopt },
        TScanCase { "UpperRunIsFolder", Opener, { u"-A" }, false, u"-A", std::nullopt },
        TScanCase { "SlashRunIsFolder", Opener, { u"/a" }, false, u"/a", std::nullopt },
        TScanCase { "RunWithBlankIsFolder", Opener, { u"-a " }, false, u"-a ", std::nullopt },
        TScanCase { "UpperMethodIsFolder", Remover, { u"-T=1" }, false, u"-T=1", std::nullopt },
        TScanCase { "OpenerMethodIsFolder", Opener, { u"-a", u"-t=1" }, true, u"-t=1", std::nullopt },
        TScanCase { "MethodDoesNotReplaceFolder", Remover, { u"C:\\X", u"-t=1" }, false, u"C:\\X", 1 },
        TScanCase { "LastMethodWins", Remover, { u"-t=1", u"-t=0" }, false, std::nullopt, 0 }),
    [](const auto& info) { return std::string(info.param.Name); });

struct TMethodCase {
    const char* Name;
    friend void PrintTo(const TMethodCase& c, std::ostream* os) { *os << c.Name; }
    std::u16string Argument;
    int Method;
};

class MethodSwitch : public testing::TestWithParam<TMethodCase> {};

TEST_P(MethodSwitch, ConvertsAtMostFiveCharacters)
{
    const TCommandLineScan scan = ScanCommandLine({ GetParam().Argument }, Remover);
    EXPECT_EQ(scan.Method, GetParam().Method);
    EXPECT_EQ(scan.Folder, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Values, MethodSwitch,
    testing::Values(
        TMethodCase { "NothingAfter", u"-t=", 0 },
        TMethodCase { "Letter", u"-t=x", 0 },
        TMethodCase { "TrailingLetter", u"-t=1x", 0 },
        TMethodCase { "Permanent", u"-t=1", 1 },
        TMethodCase { "Recycle", u"-t=0", 0 },
        TMethodCase { "SixDigitsReadFive", u"-t=123456", 12345 },
        TMethodCase { "LeadingBlank", u"-t= 1", 1 },
        TMethodCase { "TrailingBlank", u"-t=1 ", 0 },
        TMethodCase { "Dollar", u"-t=$1", 1 },
        TMethodCase { "ZeroX", u"-t=0x1F", 31 },
        TMethodCase { "HexCutAfterFive", u"-t=0x1F00", 496 },
        TMethodCase { "Negative", u"-t=-1", -1 }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
