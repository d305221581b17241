#include <gtest/gtest.h>

#include "fileutil/Tfileutility.h"
#include "tests/FileOperationTestSupport.h"

namespace {

class DeletePathEndToEnd : public Trash, public testing::WithParamInterface<bool> {};

TEST_P(DeletePathEndToEnd, FolderWithDelimiterGoesAway)
{
    Tree.File("work/folder/a", "a");
    EXPECT_TRUE(ShellDeletePath(Utf8ToUtf16(Tree / "work/folder/"), GetParam()));
    EXPECT_FALSE(Exists(Tree / "work/folder"));
    EXPECT_EQ(Exists(HomeTrash("files/folder/a")), GetParam());
    EXPECT_FALSE(ShellDeletePath(Utf8ToUtf16(Tree / "work/folder/"), GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Flag, DeletePathEndToEnd, testing::Values(true, false),
    [](const auto& info) { return info.param ? "Recycle" : "Permanent"; });

} // namespace
