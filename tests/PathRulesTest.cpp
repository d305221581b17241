#include <gtest/gtest.h>

#include "core/PathRules.h"

namespace {

struct TDelimiterCase {
    const char* Name;
    char16_t Delimiter;
    std::u16string Path;
    std::u16string Included;
    std::u16string Excluded;
};

class DelimiterRules : public testing::TestWithParam<TDelimiterCase> {};

TEST_P(DelimiterRules, IncludeAndExcludeOneDelimiter)
{
    const TDelimiterCase& c = GetParam();
    EXPECT_EQ(IncludeTrailingDelimiter(c.Path, c.Delimiter), c.Included);
    EXPECT_EQ(ExcludeTrailingDelimiter(c.Path, c.Delimiter), c.Excluded);
}

INSTANTIATE_TEST_SUITE_P(BothPlatforms, DelimiterRules,
    testing::Values(
        TDelimiterCase { "WinEmptyIsRoot", u'\\', u"", u"\\", u"" },
        TDelimiterCase { "WinPlain", u'\\', u"C:\\Data", u"C:\\Data\\", u"C:\\Data" },
        TDelimiterCase { "WinTrailing", u'\\', u"C:\\Data\\", u"C:\\Data\\", u"C:\\Data" },
        TDelimiterCase { "WinTwoTrailingLoseOne", u'\\', u"C:\\Data\\\\", u"C:\\Data\\\\", u"C:\\Data\\" },
        TDelimiterCase { "WinForwardSlashIsNoDelimiter", u'\\', u"C:/Data/", u"C:/Data/\\", u"C:/Data/" },
        TDelimiterCase { "WinDriveRoot", u'\\', u"C:\\", u"C:\\", u"C:" },
        TDelimiterCase { "PosixEmptyIsRoot", u'/', u"", u"/", u"" },
        TDelimiterCase { "PosixPlain", u'/', u"/home/a b", u"/home/a b/", u"/home/a b" },
        TDelimiterCase { "PosixTwoTrailingLoseOne", u'/', u"/tmp//", u"/tmp//", u"/tmp/" },
        TDelimiterCase { "PosixBackslashIsNoDelimiter", u'/', u"/tmp/x\\", u"/tmp/x\\/", u"/tmp/x\\" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(NulRule, TextWithNulNamesNothing)
{
    EXPECT_FALSE(NamesNothing(u"C:\\Data\\"));
    EXPECT_FALSE(NamesNothing(u""));
    EXPECT_TRUE(NamesNothing(std::u16string(u"/tmp/a\0b/", 8)));
    EXPECT_TRUE(NamesNothing(std::u16string(1, u'\0')));
}

} // namespace
