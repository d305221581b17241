#include <gtest/gtest.h>

#include "core/BatchLine.h"
#include "core/CommandLineSplit.h"

namespace {

constexpr auto Bat = TScriptFormat::WindowsBatch;
constexpr auto Sh = TScriptFormat::PosixShell;

struct TLineCase {
    const char* Name;
    friend void PrintTo(const TLineCase& c, std::ostream* os) { *os << c.Name; }
    TScriptFormat Format;
    std::u16string Executable;
    std::u16string Folder;
    std::optional<int> Method;
    std::u16string Line;
};

class BatchLineFormat : public testing::TestWithParam<TLineCase> {};

TEST_P(BatchLineFormat, QuotesEachPiece)
{
    const TLineCase& c = GetParam();
    EXPECT_EQ(BatchLine(c.Format, c.Executable, c.Folder, c.Method), c.Line);
}

const std::u16string Opener = u"C:\\Tools\\tervano.exe";
const std::u16string Remover = u"C:\\Tools\\quistel.exe";
const std::u16string PosixOpener = u"/usr/lib/tervano/tervano";
const std::u16string PosixRemover = u"/usr/lib/quistel/quistel";

INSTANTIATE_TEST_SUITE_P(WindowsBatch, BatchLineFormat,
    testing::Values(
        TLineCase { "OpenerDropsTrailingBackslash", Bat, Opener, u"C:\\Data\\Old\\", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"C:\\Data\\Old\"" },
        TLineCase { "RemoverPermanent", Bat, Remover, u"C:\\My Data\\Old", 1,
            u"\"C:\\Tools\\quistel.exe\" \"-a\" \"C:\\My Data\\Old\" \"-t=1\"" },
        TLineCase { "RemoverRecycle", Bat, Remover, u"C:\\My Data\\Old", 0,
            u"\"C:\\Tools\\quistel.exe\" \"-a\" \"C:\\My Data\\Old\" \"-t=0\"" },
        TLineCase { "RemoverNothingSelected", Bat, Remover, u"C:\\X", -1,
            u"\"C:\\Tools\\quistel.exe\" \"-a\" \"C:\\X\" \"-t=-1\"" },
        TLineCase { "DriveRootLosesBackslash", Bat, Opener, u"C:\\", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"C:\"" },
        TLineCase { "TwoTrailingKeepOne", Bat, Opener, u"C:\\Data\\\\", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"C:\\Data\\\"" },
        TLineCase { "SlashIsNoDelimiter", Bat, Opener, u"C:/Data/", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"C:/Data/\"" },
        TLineCase { "BlanksOnlyQuoted", Bat, Opener, u"   ", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"   \"" },
        TLineCase { "RelativeAsTyped", Bat, Opener, u"Data", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"Data\"" },
        TLineCase { "PercentDoubledInBothPieces", Bat, u"C:\\100%\\t.exe", u"C:\\%PATH%\\50%", 1,
            u"\"C:\\100%%\\t.exe\" \"-a\" \"C:\\%%PATH%%\\50%%\" \"-t=1\"" },
        TLineCase { "InnerQuoteDoubled", Bat, Opener, u"C:\\a\"b", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"C:\\a\"\"b\"" },
        TLineCase { "LineBreakCannotStartACommand", Bat, Opener, u"C:\\a\r\ndel b", std::nullopt,
            u"\"C:\\Tools\\tervano.exe\" \"-a\" \"C:\\a??del b\"" }),
    [](const auto& info) { return std::string(info.param.Name); });

INSTANTIATE_TEST_SUITE_P(PosixShell, BatchLineFormat,
    testing::Values(
        TLineCase { "OpenerDropsTrailingSlash", Sh, PosixOpener, u"/home/user/My Data/Old/", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' '/home/user/My Data/Old'" },
        TLineCase { "RemoverPermanent", Sh, PosixRemover, u"/home/user/My Data/Old", 1,
            u"'/usr/lib/quistel/quistel' '-a' '/home/user/My Data/Old' '-t=1'" },
        TLineCase { "RemoverRecycle", Sh, PosixRemover, u"/x", 0,
            u"'/usr/lib/quistel/quistel' '-a' '/x' '-t=0'" },
        TLineCase { "RemoverNothingSelected", Sh, PosixRemover, u"/x", -1,
            u"'/usr/lib/quistel/quistel' '-a' '/x' '-t=-1'" },
        TLineCase { "RootBecomesEmpty", Sh, PosixOpener, u"/", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' ''" },
        TLineCase { "TwoTrailingKeepOne", Sh, PosixOpener, u"/tmp//", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' '/tmp/'" },
        TLineCase { "BackslashIsNoDelimiter", Sh, PosixOpener, u"/tmp/x\\", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' '/tmp/x\\'" },
        TLineCase { "BlanksOnlyQuoted", Sh, PosixOpener, u"   ", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' '   '" },
        TLineCase { "RelativeAsTyped", Sh, PosixOpener, u"Data", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' 'Data'" },
        TLineCase { "PercentAndDoubleQuoteUnchanged", Sh, PosixOpener, u"/a/100% \"b\"", std::nullopt,
            u"'/usr/lib/tervano/tervano' '-a' '/a/100% \"b\"'" },
        TLineCase { "SingleQuoteInBothPieces", Sh, u"/opt/it's/t", u"/tmp/it's", std::nullopt,
            u"'/opt/it'\\''s/t' '-a' '/tmp/it'\\''s'" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(BatchFileText, LineEndsAndShebang)
{
    EXPECT_EQ(BatchFileText(Bat, u"\"a\" \"-a\" \"b\""), u"\"a\" \"-a\" \"b\"\r\n");
    EXPECT_EQ(BatchFileText(Sh, u"'a' '-a' 'b'"), u"#!/bin/sh\n'a' '-a' 'b'\n");
}

TEST(BatchFileCreateErrorText, PathThenSystemText)
{
    EXPECT_EQ(BatchFileCreateErrorText(u"C:\\x\\a.BAT", u"アクセスが拒否されました。"),
        u"ファイル \"C:\\x\\a.BAT\" を作成できません。アクセスが拒否されました。");
}

// What the .bat line hands over, read back with the tools' own splitter:
// the folder less one backslash, and the switches as separate arguments.
struct TRoundTripCase {
    const char* Name;
    friend void PrintTo(const TRoundTripCase& c, std::ostream* os) { *os << c.Name; }
    std::u16string Folder;
    std::optional<int> Method;
    std::u16string Arrives;
};

class BatchLineReadBack : public testing::TestWithParam<TRoundTripCase> {};

TEST_P(BatchLineReadBack, SplitterSeesThePieces)
{
    const TRoundTripCase& c = GetParam();
    const std::vector<std::u16string> arguments
        = SplitCommandLine(BatchLine(Bat, u"C:\\Program Files\\Tools\\quistel.exe", c.Folder, c.Method));
    std::vector<std::u16string> expected { u"C:\\Program Files\\Tools\\quistel.exe", u"-a", c.Arrives };
    if (c.Method) {
        expected.push_back(u"-t=" + std::u16string(1, static_cast<char16_t>(u'0' + *c.Method)));
    }
    EXPECT_EQ(arguments, expected);
}

INSTANTIATE_TEST_SUITE_P(WindowsBatch, BatchLineReadBack,
    testing::Values(
        TRoundTripCase { "Blanks", u"C:\\My Data\\Old\\", 1, u"C:\\My Data\\Old" },
        TRoundTripCase { "DriveRoot", u"C:\\", 0, u"C:" },
        TRoundTripCase { "KeptBackslashBeforeQuote", u"C:\\Data\\\\", 1, u"C:\\Data\\" },
        TRoundTripCase { "BlanksOnly", u"  ", std::nullopt, u"  " },
        TRoundTripCase { "Tab", u"C:\\a\tb", std::nullopt, u"C:\\a\tb" },
        TRoundTripCase { "Japanese", u"D:\\資料\\古い", 1, u"D:\\資料\\古い" }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
