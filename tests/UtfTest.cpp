#include <gtest/gtest.h>

#include "core/Utf.h"

TEST(Utf, RoundTripsBmpAndSupplementary)
{
    const std::u16string text = u"a/フォルダー 😀\n";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"é"), "\xC3\xA9");
}

TEST(Utf, MalformedBecomesReplacement)
{
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE3\x81"), u"\uFFFD");        // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");        // overlong '/'
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD"); // lone surrogate
}
