#include <gtest/gtest.h>

#include "core/Utf.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

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

namespace {

struct TBytesCase {
    const char* Name;
    std::string Bytes;
};

class PathBytes : public testing::TestWithParam<TBytesCase> {};

// Every byte string survives the trip through the core unchanged, and the
// text it becomes names it and nothing else.
TEST_P(PathBytes, RoundTripExactly)
{
    const std::string& bytes = GetParam().Bytes;
    const std::u16string text = PathBytesToText(bytes);
    const std::optional<std::string> back = PathTextToBytes(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, bytes);
}

std::vector<TBytesCase> ByteCases()
{
    std::vector<TBytesCase> cases {
        { "ShiftJisNihongo", "\x93\xFA\x96\x7B\x8C\xEA" },
        { "ShiftJisTesutoInPath", "/tmp/\x83\x65\x83\x58\x83\x67/x" },
        { "ShiftJisSoWithBackslashByte", "\x83\x5C" },
        { "EucJpNihongo", "\xC6\xFC\xCB\xDC\xB8\xEC" },
        { "ValidUtf8", "/home/a b/フォルダー 😀" },
        { "CutShort", "\xE3\x81" },
        { "CutShortThenAscii", "\xE3\x81/a" },
        { "Overlong", "\xC0\xAF" },
        { "EncodedSurrogate", "\xED\xA0\x80" },
        { "AboveUnicode", "\xF4\x90\x80\x80" },
        { "LoneContinuation", "\x80\xBF" },
        { "InvalidBeforeValid", "\xFF\xC3\xA9" },
        { "ReplacementSpelling", "\xEF\xBF\xBD" },
        { "LatinOne", "caf\xE9" },
        { "Empty", "" },
    };
    for (int b = 1; b < 256; ++b) {
        cases.push_back({ nullptr, std::string(1, static_cast<char>(b)) });
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, PathBytes, testing::ValuesIn(ByteCases()), [](const auto& info) {
    if (info.param.Name) {
        return std::string(info.param.Name);
    }
    char name[16];
    std::snprintf(name, sizeof name, "Byte%02X", static_cast<unsigned char>(info.param.Bytes[0]));
    return std::string(name);
});

TEST(PathBytesRule, InvalidBytesBecomeLoneSurrogates)
{
    EXPECT_EQ(PathBytesToText("a\xFF" "b"), u"a\xDCFF" u"b");
    EXPECT_EQ(PathBytesToText("\x93\xFA"), u"\xDC93\xDCFA");
    EXPECT_EQ(PathBytesToText("\xE3\x81\x82"), u"あ");
    // Not the U+FFFD spelling: two different folders stay two.
    EXPECT_NE(PathBytesToText("\xFF"), PathBytesToText("\xEF\xBF\xBD"));
}

TEST(PathBytesRule, RandomByteStringsRoundTrip)
{
    std::uint32_t state = 12345;
    for (int n = 0; n < 2000; ++n) {
        std::string bytes;
        const int length = static_cast<int>((state >> 8) % 12);
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            bytes += static_cast<char>(((state >> 16) % 255) + 1);
        }
        state = state * 1103515245u + 12345u;
        EXPECT_EQ(PathTextToBytes(PathBytesToText(bytes)), bytes);
    }
}

TEST(PathBytesRule, TextsThatNameNoBytes)
{
    EXPECT_EQ(PathTextToBytes(std::u16string(u"/a\0b", 4)), std::nullopt);
    EXPECT_EQ(PathTextToBytes(std::u16string(1, u'\xD800')), std::nullopt); // lone high surrogate
    EXPECT_EQ(PathTextToBytes(std::u16string(1, u'\xDC41')), std::nullopt); // below the escapes
    EXPECT_EQ(PathTextToBytes(u"\xDCC3\xDCA9"), std::nullopt);             // spells "é"
    EXPECT_EQ(PathTextToBytes(u"a/é😀"), std::string("a/\xC3\xA9\xF0\x9F\x98\x80"));
}

TEST(PathBytesRule, MessagesShowEscapedBytes)
{
    EXPECT_EQ(PathDisplayText(PathBytesToText("/tmp/\x93\xFA" "a")), u"/tmp/\\x93\\xFAa");
    EXPECT_EQ(PathDisplayText(u"日本 😀"), u"日本 😀");
}

} // namespace
