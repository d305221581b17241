#include <gtest/gtest.h>

#include <string>

#include "core/TrashInfo.h"

namespace {

std::string Repeat(const std::string& piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

// 'x' repeated, then a tail: names around the 200-byte limit.
std::string Name(std::size_t xs, const std::string& tail = {})
{
    return Repeat("x", xs) + tail;
}

struct TShortenCase {
    const char* Name;
    std::string Given;
    std::string Expected;
};

class ShortenedTrashName : public testing::TestWithParam<TShortenCase> {};

TEST_P(ShortenedTrashName, FitsTheLimitAtACharacterBoundary)
{
    const TShortenCase& c = GetParam();
    const std::string shortened = ShortenTrashName(c.Given);
    EXPECT_EQ(shortened, c.Expected);
    EXPECT_LE(shortened.size(), MaxTrashNameBytes);
}

// "日" is E6 97 A5, "é" C3 A9, "😀" F0 9F 98 80.
INSTANTIATE_TEST_SUITE_P(Limit, ShortenedTrashName,
    testing::Values(
        TShortenCase { "Empty", "", "" },
        TShortenCase { "ShortStays", "a.txt", "a.txt" },
        TShortenCase { "ExactlyTheLimitStays", Name(200), Name(200) },
        TShortenCase { "OneByteOverIsCut", Name(201), Name(200) },
        TShortenCase { "ExtensionIsCutOff", Name(198, ".txt"), Name(198, ".t") },
        TShortenCase { "CharacterEndingAtTheLimitStays", Name(197, "日x"), Name(197, "日") },
        TShortenCase { "ThreeByteCharacterAcrossTheLimitGoes", Name(198, "日"), Name(198) },
        TShortenCase { "TwoByteCharacterAcrossTheLimitGoes", Name(199, "é"), Name(199) },
        TShortenCase { "FourByteCharacterAcrossTheLimitGoes", Name(197, "😀"), Name(197) },
        TShortenCase { "AllThreeByteCharacters", Repeat("日", 70), Repeat("日", 66) },
        TShortenCase { "NoUtf8IsCutAtTheLimit", Repeat("\x80", 210), Repeat("\x80", 200) }),
    [](const auto& info) { return std::string(info.param.Name); });

struct TVariantCase {
    const char* Name;
    std::string Given;
    int Attempt;
    std::string Expected;
};

class TrashNameVariants : public testing::TestWithParam<TVariantCase> {};

TEST_P(TrashNameVariants, NumberBeforeTheExtension)
{
    const TVariantCase& c = GetParam();
    EXPECT_EQ(TrashNameVariant(c.Given, c.Attempt), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Attempts, TrashNameVariants,
    testing::Values(
        TVariantCase { "FirstIsTheName", "a.txt", 1, "a.txt" },
        TVariantCase { "SecondGetsTwo", "a.txt", 2, "a.2.txt" },
        TVariantCase { "LastDotCounts", "a.tar.gz", 3, "a.tar.3.gz" },
        TVariantCase { "NoExtension", "noext", 2, "noext.2" },
        TVariantCase { "HiddenNameHasNoExtension", ".profile", 2, ".profile.2" },
        TVariantCase { "LargeNumber", "a", 10000, "a.10000" }),
    [](const auto& info) { return std::string(info.param.Name); });

struct TRecordedCase {
    const char* Name;
    std::string Absolute;
    std::string TopDir;
    std::string Expected;
};

class RecordedPath : public testing::TestWithParam<TRecordedCase> {};

TEST_P(RecordedPath, AbsoluteAtHomeRelativeToTheTopDir)
{
    const TRecordedCase& c = GetParam();
    EXPECT_EQ(TrashRecordedPath(c.Absolute, c.TopDir), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Trashes, RecordedPath,
    testing::Values(
        TRecordedCase { "HomeTrashKeepsTheWholePath", "/home/u/a b", "", "/home/u/a b" },
        TRecordedCase { "TopDirTrash", "/media/stick/dir/x", "/media/stick", "dir/x" },
        TRecordedCase { "RootAsTopDir", "/dir/x", "/", "dir/x" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PercentEncoding, KeepsUnreservedAndSlash)
{
    EXPECT_EQ(PercentEncodePath("/a b/%41/~x-_.y"), "/a%20b/%2541/~x-_.y");
    EXPECT_EQ(PercentEncodePath("\xE6\x97\xA5\n"), "%E6%97%A5%0A");
}

TEST(TrashInfoFile, HeaderEncodedPathAndDate)
{
    EXPECT_EQ(TrashInfoText("/home/u/a b", "2026-12-10T16:05:09"),
        "[Trash Info]\nPath=/home/u/a%20b\nDeletionDate=2026-12-10T16:05:09\n");
}

} // namespace
