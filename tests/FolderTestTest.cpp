#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "common/FolderTest.h"
#include "core/Utf.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// A small tree with every kind of path the two tests tell apart.
class FolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp);
        FRoot = FTemp.Path();
        fs::create_directory(FRoot / "dir");
        std::ofstream(FRoot / "file") << "x";
        fs::create_directory_symlink(FRoot / "dir", FRoot / "link-dir");
        fs::create_directory_symlink(FRoot / "gone", FRoot / "dangling");
        fs::create_symlink("loop", FRoot / "loop");
    }

    std::u16string P(const std::string& relative) const
    {
        return Utf8ToUtf16((FRoot / relative).string());
    }

    TTempFolder FTemp { "ft-folder-" };
    fs::path FRoot;
};

TEST_F(FolderTest, OpenerAndRemoverDisagreeWhereTheyShould)
{
    struct TRow {
        std::string Path;
        bool Opener;
        bool Remover;
    };
    const TRow rows[] = {
        { "dir/", true, true },
        { "dir", true, true },
        { "file/", false, false },
        { "file", false, false },
        { "missing/", false, false },
        { "missing/deeper/", false, false },
        { "link-dir/", true, true },
        { "link-dir", true, true },
        // A POSIX link carries no folder attribute of its own: once its
        // target is gone (and a trailing '/' resolves it) it is simply missing.
        { "dangling/", false, false },
        // ELOOP: the attributes cannot be read, and not because it is missing.
        { "loop/x/", true, false },
        // A pasted NUL: the system would see only "dir/".
        { std::string("dir/\0dir/", 9), false, false },
        { std::string("dir\0", 4), false, false },
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Path.c_str());
        EXPECT_EQ(FolderExistsForOpener(P(row.Path)), row.Opener);
        EXPECT_EQ(FolderExistsForRemover(P(row.Path)), row.Remover);
    }
}

TEST_F(FolderTest, UnreadableParentCountsForOpenerOnly)
{
    fs::create_directories(FRoot / "locked" / "inner");
    fs::permissions(FRoot / "locked", fs::perms::none);
    // Root with its override capabilities passes every permission check.
    if (::access((FRoot / "locked" / "inner").c_str(), F_OK) == 0) {
        fs::permissions(FRoot / "locked", fs::perms::owner_all);
        GTEST_SKIP() << "this user reads every folder";
    }
    const bool opener = FolderExistsForOpener(P("locked/inner/"));
    const bool remover = FolderExistsForRemover(P("locked/inner/"));
    fs::permissions(FRoot / "locked", fs::perms::owner_all);
    EXPECT_TRUE(opener);
    EXPECT_FALSE(remover);
}

TEST_F(FolderTest, LinkIsSeenAsLinkThroughTheTrailingDelimiter)
{
    fs::create_directory(FRoot / "locked");
    fs::create_directory_symlink(FRoot / "locked", FRoot / "link-locked");
    fs::permissions(FRoot / "locked", fs::perms::none);
    // Root with its override capabilities opens every folder; the suite runs
    // this again without them.
    if (::access((FRoot / "locked").c_str(), R_OK) == 0) {
        fs::permissions(FRoot / "locked", fs::perms::owner_all);
        GTEST_SKIP() << "this user opens every folder";
    }
    struct TRow {
        std::string Path;
        bool Opener;
        bool Remover;
    };
    // The opener wants a link's target to open; a plain folder needs no more
    // than its attributes.
    const TRow rows[] = {
        { "link-locked/", false, true },
        { "link-locked", false, true },
        { "locked/", true, true },
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Path);
        EXPECT_EQ(FolderExistsForOpener(P(row.Path)), row.Opener);
        EXPECT_EQ(FolderExistsForRemover(P(row.Path)), row.Remover);
    }
    fs::permissions(FRoot / "locked", fs::perms::owner_all);
}

TEST(FolderTestRoot, EmptyFieldIsTheRoot)
{
    EXPECT_TRUE(FolderExistsForOpener(u"/"));
    EXPECT_TRUE(FolderExistsForRemover(u"/"));
}

} // namespace
