#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "fileutil/Tfileutility.h"
#include "tests/FileOperationTestSupport.h"

namespace {

TEST_F(Trash, CreatesMissingDataFolderAndRenames)
{
    Tree.File("work/folder/inner", "content");
    const ino_t inode = InodeOf(Tree / "work/folder");
    EXPECT_EQ(Request({ Tree / "work/folder/" }, TrashFlags), 0);

    EXPECT_FALSE(Exists(Tree / "work/folder"));
    EXPECT_EQ(InodeOf(HomeTrash("files/folder")), inode);
    EXPECT_EQ(ReadFile(HomeTrash("files/folder/inner")), "content");
    const TTrashInfo info = ReadTrashInfo(HomeTrash("info/folder.trashinfo"));
    EXPECT_TRUE(info.WellFormed);
    EXPECT_EQ(info.Path, Tree / "work/folder");
    EXPECT_TRUE(std::regex_match(info.DeletionDate, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)")))
        << info.DeletionDate;
    struct stat st {};
    ASSERT_EQ(::stat(HomeTrash("").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Trash, RelativePathIsRecordedAbsolute)
{
    Tree.File("work/rel");
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    ASSERT_EQ(::chdir((Tree / "work").c_str()), 0);
    const int result = Request({ "rel" }, TrashFlags);
    ::chdir(cwd);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadTrashInfo(HomeTrash("info/rel.trashinfo")).Path, Tree / "work/rel");
}

TEST_F(Trash, NameCollisionsGetVariants)
{
    for (const char* folder : { "w1", "w2", "w3" }) {
        Tree.File(std::string(folder) + "/a.txt", folder);
    }
    Tree.File("w1/noext", "n1");
    Tree.File("w2/noext", "n2");
    for (const char* path : { "w1/a.txt", "w2/a.txt", "w3/a.txt", "w1/noext", "w2/noext" }) {
        ASSERT_EQ(Request({ Tree / path }, TrashFlags), 0) << path;
    }
    EXPECT_EQ(Entries(HomeTrash("files")),
        (std::vector<std::string> { "a.2.txt", "a.3.txt", "a.txt", "noext", "noext.2" }));
    EXPECT_EQ(ReadFile(HomeTrash("files/a.3.txt")), "w3");
    EXPECT_EQ(ReadTrashInfo(HomeTrash("info/a.3.txt.trashinfo")).Path, Tree / "w3/a.txt");
    EXPECT_EQ(ReadFile(HomeTrash("files/noext.2")), "n2");
    EXPECT_EQ(ReadTrashInfo(HomeTrash("info/noext.2.trashinfo")).Path, Tree / "w2/noext");
}

class TrashedName : public Trash, public testing::WithParamInterface<const char*> {};

TEST_P(TrashedName, RoundTripsThroughPath)
{
    const std::string name = GetParam();
    Tree.File("work/" + name, name);
    ASSERT_EQ(Request({ Tree / ("work/" + name) }, TrashFlags), 0);
    const TTrashInfo info = ReadTrashInfo(HomeTrash("info/" + name + ".trashinfo"));
    EXPECT_EQ(info.Path, Tree / ("work/" + name));
    EXPECT_EQ(info.RawPath.find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~/%"),
        std::string::npos);
    EXPECT_EQ(ReadFile(HomeTrash("files/" + name)), name);
}

INSTANTIATE_TEST_SUITE_P(Names, TrashedName,
    testing::Values("%41", "a b", "日本語のフォルダー", "new\nline", "semi;colon&#?=+", "\x93\xFA\x96\x7B\x8C\xEA",
        "\xC6\xFC\xCB\xDC", "bad\xFF\xFE"),
    [](const auto& info) { return "Name" + std::to_string(info.index); });

TEST_F(Trash, NoStrayInfoAfterFailedMove)
{
    // The home trash lies inside the item: the rename must fail.
    Data.reset();
    Data.emplace("XDG_DATA_HOME", Tree / "victim/share");
    Tree.File("victim/file", "stays");
    TRecordingUi ui;
    EXPECT_NE(Request({ Tree / "victim" }, TrashFlags), 0);
    EXPECT_EQ(ReadFile(Tree / "victim/file"), "stays");
    EXPECT_TRUE(Entries(Tree / "victim/share/Trash/info").empty());
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_EQ(ui.Errors[0].rfind("「" + (Tree / "victim") + "」をゴミ箱に移動できませんでした。\n", 0), 0u)
        << ui.Errors[0];
}

TEST_F(Trash, TrashFolderAndItsPartsStay)
{
    Tree.File("work/first", "trashed");
    ASSERT_EQ(Request({ Tree / "work/first" }, TrashFlags), 0);
    TRecordingUi ui;
    for (const char* part : { "", "info", "files", "files/first" }) {
        EXPECT_NE(Request({ HomeTrash(part) }, TrashFlags), 0) << part;
    }
    EXPECT_EQ(Entries(HomeTrash("info")), std::vector<std::string> { "first.trashinfo" });
    EXPECT_EQ(ReadFile(HomeTrash("files/first")), "trashed");
    ASSERT_EQ(ui.Errors.size(), 4u);
    EXPECT_NE(ui.Errors[0].find("ゴミ箱のフォルダーそのものです。"), std::string::npos) << ui.Errors[0];
    EXPECT_NE(ui.Errors[1].find("ゴミ箱の中にあります。"), std::string::npos) << ui.Errors[1];
}

// On the home's file system it is the home trash or nothing.
TEST_F(Trash, UnusableHomeTrashFailsTheRequest)
{
    Tree.File("blocker", "a file where the data folder should be");
    Data.reset();
    Data.emplace("XDG_DATA_HOME", Tree / "blocker/share");
    Tree.File("work/item", "stays");
    EXPECT_EQ(Request({ Tree / "work/item" }, TrashFlags), ENOTDIR);
    EXPECT_EQ(ReadFile(Tree / "work/item"), "stays");
}

TEST_F(Trash, ByteNameShownReadablyInTheError)
{
    Tree.File("blocker", "a file where the data folder should be");
    Data.reset();
    Data.emplace("XDG_DATA_HOME", Tree / "blocker/share");
    Tree.File("work/\x93\xFA/x", "stays");
    TRecordingUi ui;
    EXPECT_NE(Request({ Tree / "work/\x93\xFA" }, TrashFlags), 0);
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_EQ(ui.Errors[0].rfind("「" + (Tree / "work/\\x93\\xFA") + "」をゴミ箱に移動できませんでした。\n", 0), 0u)
        << ui.Errors[0];
}

TEST_F(Trash, ItemInImmutableFolderStays)
{
    Tree.File("locked/item", "stays");
    if (!Tree.MakeImmutable("locked")) {
        GTEST_SKIP() << "this file system or user cannot make a folder immutable";
    }
    EXPECT_NE(Request({ Tree / "locked/item" }, TrashFlags), 0);
    EXPECT_EQ(ReadFile(Tree / "locked/item"), "stays");
    EXPECT_TRUE(Entries(HomeTrash("info")).empty());
}

// Another file system: the trash of its mount point.
class TopDirTrash : public Trash {
protected:
    void SetUp() override
    {
        Trash::SetUp();
        if (!Tree.MountTmpfs("mnt")) {
            GTEST_SKIP() << "cannot mount a tmpfs here";
        }
        Tree.File("mnt/dir/x", "on tmpfs");
        Uid = std::to_string(::getuid());
    }
    std::string Uid;
};

TEST_F(TopDirTrash, OwnTrashCreatedAndPathRelative)
{
    const ino_t inode = InodeOf(Tree / "mnt/dir/x");
    EXPECT_EQ(Request({ Tree / "mnt/dir/x" }, TrashFlags), 0);
    const std::string trash = Tree / ("mnt/.Trash-" + Uid);
    EXPECT_EQ(InodeOf(trash + "/files/x"), inode);
    EXPECT_EQ(ReadTrashInfo(trash + "/info/x.trashinfo").Path, "dir/x");
    struct stat st {};
    ASSERT_EQ(::lstat(trash.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_FALSE(Exists(HomeTrash("")));
}

struct TSharedCase {
    const char* Name;
    mode_t Mode;
    bool AsLink;
    bool Used;
};

class SharedTrash : public TopDirTrash, public testing::WithParamInterface<TSharedCase> {};

TEST_P(SharedTrash, UsedOnlyWhenRealAndSticky)
{
    if (GetParam().AsLink) {
        Tree.Dir("mnt/elsewhere");
        ::chmod((Tree / "mnt/elsewhere").c_str(), 01777);
        Tree.Link("mnt/.Trash", "elsewhere");
    } else {
        Tree.Dir("mnt/.Trash");
        ::chmod((Tree / "mnt/.Trash").c_str(), GetParam().Mode);
    }
    EXPECT_EQ(Request({ Tree / "mnt/dir/x" }, TrashFlags), 0);
    const std::string shared = Tree / ("mnt/.Trash/" + Uid + "/files/x");
    const std::string own = Tree / ("mnt/.Trash-" + Uid + "/files/x");
    EXPECT_EQ(Exists(shared), GetParam().Used);
    EXPECT_EQ(Exists(own), !GetParam().Used);
    if (GetParam().Used) {
        EXPECT_EQ(ReadTrashInfo(Tree / ("mnt/.Trash/" + Uid + "/info/x.trashinfo")).Path, "dir/x");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SharedTrash,
    testing::Values(TSharedCase { "Sticky", 01777, false, true }, TSharedCase { "NotSticky", 0777, false, false },
        TSharedCase { "LinkToSticky", 0, true, false }),
    [](const auto& info) { return std::string(info.param.Name); });

class UnsafeOwnTrash : public TopDirTrash, public testing::WithParamInterface<const char*> {};

TEST_P(UnsafeOwnTrash, RefusedAndItemStays)
{
    const std::string kind = GetParam();
    const std::string own = "mnt/.Trash-" + Uid;
    if (kind == "Link") {
        Tree.Dir("mnt/target", 0700);
        Tree.Link(own, "target");
    } else if (kind == "ForeignOwner") {
        Tree.Dir(own, 0700);
        if (::chown((Tree / own).c_str(), ::getuid() + 4242, static_cast<gid_t>(-1)) != 0) {
            GTEST_SKIP() << "cannot give a folder to another user";
        }
    } else {
        Tree.File(own);
    }
    EXPECT_NE(Request({ Tree / "mnt/dir/x" }, TrashFlags), 0);
    EXPECT_EQ(ReadFile(Tree / "mnt/dir/x"), "on tmpfs");
    EXPECT_TRUE(Entries(Tree / "mnt/target").empty());
    EXPECT_FALSE(Exists(Tree / (own + "/info")));
    EXPECT_FALSE(Exists(HomeTrash("")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnsafeOwnTrash, testing::Values("Link", "ForeignOwner", "PlainFile"),
    [](const auto& info) { return std::string(info.param); });

// ------------------------------------------------------------ trash-cli

std::string Capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

TEST_F(Trash, TrashCliListsAndRestores)
{
    if (::access("/usr/bin/trash-list", X_OK) != 0 || ::access("/usr/bin/trash-restore", X_OK) != 0) {
        GTEST_SKIP() << "trash-cli is not installed";
    }
    std::string binary;
    for (int i = 0; i < 256; ++i) {
        binary += static_cast<char>(i);
    }
    const std::string folder = Tree / "work/お気に入り %41 x";
    Tree.File("work/お気に入り %41 x/data.bin", binary);
    Tree.File("work/お気に入り %41 x/sub/t.txt", "text\n");
    ASSERT_TRUE(ShellDeletePath(Utf8ToUtf16(folder + "/"), true));
    ASSERT_FALSE(Exists(folder));

    const std::string listed = Capture("/usr/bin/trash-list 2>&1");
    EXPECT_NE(listed.find(" " + folder + "\n"), std::string::npos) << listed;

    const std::string command = "echo 0 | /usr/bin/trash-restore '" + folder + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(folder + "/data.bin"), binary);
    EXPECT_EQ(ReadFile(folder + "/sub/t.txt"), "text\n");
    EXPECT_TRUE(Entries(HomeTrash("info")).empty());
}

} // namespace
