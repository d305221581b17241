#include <gtest/gtest.h>

#include "tests/FileOperationTestSupport.h"

namespace {

struct TSplitCase {
    const char* Name;
    std::string Path;
    std::optional<std::pair<std::string, std::string>> Item;
};

class ItemPath : public testing::TestWithParam<TSplitCase> {};

TEST_P(ItemPath, NamesTheEntryItselfAndRefusesRootAndDots)
{
    const auto item = platform::posix::SplitItemPath(GetParam().Path);
    ASSERT_EQ(item.has_value(), GetParam().Item.has_value());
    if (item) {
        EXPECT_EQ(item->Parent, GetParam().Item->first);
        EXPECT_EQ(item->Name, GetParam().Item->second);
    }
}

INSTANTIATE_TEST_SUITE_P(Rule, ItemPath,
    testing::Values(
        TSplitCase { "Root", "/", std::nullopt },
        TSplitCase { "RootTwice", "//", std::nullopt },
        TSplitCase { "Empty", "", std::nullopt },
        TSplitCase { "Dot", ".", std::nullopt },
        TSplitCase { "DotDot", "..", std::nullopt },
        TSplitCase { "EndsInDot", "a/b/.", std::nullopt },
        TSplitCase { "EndsInDotSlash", "a/./", std::nullopt },
        TSplitCase { "EndsInDotDot", "/a/..", std::nullopt },
        TSplitCase { "TrailingSlashIgnored", "dir/link/", std::pair { "dir", "link" } },
        TSplitCase { "ManyTrailingSlashes", "/x///", std::pair { "/", "x" } },
        TSplitCase { "Relative", "x", std::pair { ".", "x" } },
        TSplitCase { "DotsInsideAreNames", "a/..b", std::pair { "a", "..b" } }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FileOperationRequest, EmptyListAndMissingListFail)
{
    EXPECT_NE(Request({}, PermanentFlags), 0);
    EXPECT_NE(Request({}, TrashFlags), 0);
    TFileOperationRequest request;
    request.From = nullptr;
    EXPECT_NE(platform::RunFileOperation(request), 0);
}

// -------------------------------------------------------- both engines, links

struct TLinkCase {
    const char* Name;
    bool Trash;
    const char* Suffix;
};

class NamedLink : public Trash, public testing::WithParamInterface<TLinkCase> {};

TEST_P(NamedLink, ActsOnTheLinkNotItsTarget)
{
    Tree.File("target/file", "kept");
    Tree.Link("link", Tree / "target");
    EXPECT_EQ(Request({ Tree / "link" + GetParam().Suffix }, GetParam().Trash ? TrashFlags : PermanentFlags), 0);
    EXPECT_FALSE(Exists(Tree / "link"));
    EXPECT_EQ(ReadFile(Tree / "target/file"), "kept");
    if (GetParam().Trash) {
        EXPECT_TRUE(IsLink(HomeTrash("files/link")));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, NamedLink,
    testing::Values(TLinkCase { "Permanent", false, "" }, TLinkCase { "PermanentSlash", false, "/" },
        TLinkCase { "Trash", true, "" }, TLinkCase { "TrashSlash", true, "//" }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
