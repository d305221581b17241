#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <tuple>

#include "tests/FileOperationTestSupport.h"

namespace {

// Some of these also send trash requests: the home and trash are the tree's own.
class PermanentDelete : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Tree.Root().empty());
        Home.emplace("HOME", Tree / "home");
        Data.emplace("XDG_DATA_HOME", Tree / "data");
    }
    TTempTree Tree;
    std::optional<TScopedEnv> Home;
    std::optional<TScopedEnv> Data;
};

TEST_F(PermanentDelete, LinksInsideTheTreeGoAsLinks)
{
    Tree.File("outside/keep", "outside file");
    Tree.File("outside/sub/keep2", "deeper");
    Tree.File("tree/a/b/file");
    Tree.Link("tree/a/linkdir", Tree / "outside");
    Tree.Link("tree/linkfile", Tree / "outside/keep");
    Tree.Link("tree/a/b/relative", "../../../outside");
    Tree.Link("tree/dangling", Tree / "nowhere");

    EXPECT_EQ(Request({ Tree / "tree" }, PermanentFlags), 0);
    EXPECT_FALSE(Exists(Tree / "tree"));
    EXPECT_EQ(ReadFile(Tree / "outside/keep"), "outside file");
    EXPECT_EQ(ReadFile(Tree / "outside/sub/keep2"), "deeper");
}

TEST_F(PermanentDelete, ReadOnlyFilesGoLikeRmRf)
{
    Tree.File("tree/ro");
    Tree.File("tree/sub/none");
    ::chmod((Tree / "tree/ro").c_str(), 0444);
    ::chmod((Tree / "tree/sub/none").c_str(), 0);
    EXPECT_EQ(Request({ Tree / "tree" }, PermanentFlags), 0);
    EXPECT_FALSE(Exists(Tree / "tree"));
}

TEST_F(PermanentDelete, UnremovablePartStaysRestGoesAndRequestFails)
{
    Tree.File("tree/a/keep");
    Tree.File("tree/a/other");
    Tree.File("tree/b/x");
    Tree.File("tree/c");
    if (!Tree.MakeImmutable("tree/a/keep")) {
        GTEST_SKIP() << "this file system or user cannot make a file immutable";
    }
    TRecordingUi ui;
    EXPECT_NE(Request({ Tree / "tree" }, PermanentFlags), 0);
    EXPECT_TRUE(Exists(Tree / "tree/a/keep"));
    EXPECT_FALSE(Exists(Tree / "tree/a/other"));
    EXPECT_FALSE(Exists(Tree / "tree/b"));
    EXPECT_FALSE(Exists(Tree / "tree/c"));
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_NE(ui.Errors[0].find("「" + (Tree / "tree/a/keep") + "」を削除できませんでした。"), std::string::npos)
        << ui.Errors[0];
}

TEST_F(PermanentDelete, AnotherFileSystemInsideTheTreeStays)
{
    if (!Tree.MountTmpfs("tree/mnt")) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    WriteFile(Tree / "tree/mnt/file", "on tmpfs");
    Tree.File("tree/x");
    EXPECT_EQ(Request({ Tree / "tree" }, PermanentFlags), EXDEV);
    EXPECT_EQ(ReadFile(Tree / "tree/mnt/file"), "on tmpfs");
    EXPECT_FALSE(Exists(Tree / "tree/x"));
}

TEST_F(PermanentDelete, NamedMountPointIsRefused)
{
    if (!Tree.MountTmpfs("mnt")) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    WriteFile(Tree / "mnt/file", "on tmpfs");
    TRecordingUi ui;
    EXPECT_EQ(Request({ Tree / "mnt/" }, PermanentFlags), EXDEV);
    EXPECT_EQ(Request({ Tree / "mnt" }, TrashFlags), EBUSY);
    EXPECT_EQ(ReadFile(Tree / "mnt/file"), "on tmpfs");
    ASSERT_EQ(ui.Errors.size(), 2u);
    EXPECT_EQ(ui.Errors[0].rfind("「" + (Tree / "mnt") + "」を削除できませんでした。\n", 0), 0u) << ui.Errors[0];
}

// Trees with something mounted in them, for both engines: what lies on the
// mount, and the mount's source outside the tree, stay; the request fails.
struct TMountedCase {
    const char* Name;
    const char* Item;     // what the request names
    const char* MountAt;  // where the mount goes
    bool Tmpfs;           // else a bind of "outside/src" (a folder) or "outside/file"
    bool FileBind;
};

class MountedTree : public PermanentDelete, public testing::WithParamInterface<std::tuple<TMountedCase, bool>> {};

TEST_P(MountedTree, MountStaysAndRequestFails)
{
    const auto& [mounted, trash] = GetParam();
    if (const std::string refusal = PrivateMountsRefusal(); !refusal.empty()) {
        GTEST_SKIP() << refusal;
    }
    Tree.File("outside/src/keep", "source");
    Tree.File("outside/src/sub/deep", "deeper");
    Tree.File("outside/file", "bound file");
    Tree.File("tree/x", "plain");
    Tree.File("tree/a/y", "plain");
    std::string onMount;
    if (mounted.FileBind) {
        Tree.File(mounted.MountAt, "placeholder");
        ASSERT_TRUE(Tree.Bind("outside/file", mounted.MountAt));
        onMount = Tree / mounted.MountAt;
    } else if (mounted.Tmpfs) {
        ASSERT_TRUE(Tree.MountTmpfs(mounted.MountAt));
        Tree.File(std::string(mounted.MountAt) + "/on-tmpfs", "tmpfs");
        onMount = Tree / (std::string(mounted.MountAt) + "/on-tmpfs");
    } else {
        Tree.Dir(mounted.MountAt);
        ASSERT_TRUE(Tree.Bind("outside/src", mounted.MountAt));
        onMount = Tree / (std::string(mounted.MountAt) + "/keep");
    }
    const std::string onMountContent = ReadFile(onMount);

    TRecordingUi ui;
    EXPECT_NE(Request({ Tree / mounted.Item }, trash ? TrashFlags : PermanentFlags), 0);

    EXPECT_EQ(ReadFile(Tree / "outside/src/keep"), "source");
    EXPECT_EQ(ReadFile(Tree / "outside/src/sub/deep"), "deeper");
    EXPECT_EQ(ReadFile(Tree / "outside/file"), "bound file");
    EXPECT_EQ(ReadFile(onMount), onMountContent);
    if (trash) {
        // Nothing moved at all: the item is refused whole.
        EXPECT_EQ(ReadFile(Tree / "tree/x"), "plain");
        EXPECT_TRUE(Entries(Tree / "data/Trash/info").empty());
    }
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_NE(ui.Errors[0].find("マウント"), std::string::npos) << ui.Errors[0];
}

INSTANTIATE_TEST_SUITE_P(Trees, MountedTree,
    testing::Combine(
        testing::Values(
            TMountedCase { "TmpfsInside", "tree", "tree/a/mnt", true, false },
            TMountedCase { "SameFileSystemBindInside", "tree", "tree/a/bind", false, false },
            TMountedCase { "NamedFolderIsABind", "tree/a/bind", "tree/a/bind", false, false },
            TMountedCase { "NamedFolderIsATmpfs", "tree/a/mnt", "tree/a/mnt", true, false },
            TMountedCase { "BoundFileInside", "tree", "tree/a/f", false, true }),
        testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).Name) + (std::get<1>(info.param) ? "Trash" : "Permanent");
    });

// Depth costs neither stack nor descriptors: a 64 KiB stack and 80 free descriptors.
TEST_F(PermanentDelete, DeepTreeOnSmallStackAndFewDescriptors)
{
    constexpr int Depth = 5000;
    // Folders are slow to remove on some disks; a tmpfs keeps the test quick.
    const std::string deep = Tree.MountTmpfs("fast") ? "fast/deep" : "deep";
    Tree.Dir(deep);
    int fd = ::open((Tree / deep).c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < Depth; ++i) {
        ::mkdirat(fd, "d", 0755);
        if (i % 100 == 0) {
            ::close(::openat(fd, "f", O_WRONLY | O_CREAT, 0644));
        }
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(fd);

    rlimit old {};
    ::getrlimit(RLIMIT_NOFILE, &old);
    const int probe = ::open("/dev/null", O_RDONLY);
    ::close(probe);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(probe + 80);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);

    struct TJob {
        std::string Path;
        int Result = -1;
    } job { Tree / deep, -1 };
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 64 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes,
                  [](void* arg) -> void* {
                      auto* j = static_cast<TJob*>(arg);
                      j->Result = Request({ j->Path }, PermanentFlags);
                      return nullptr;
                  },
                  &job),
        0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    ::setrlimit(RLIMIT_NOFILE, &old);

    EXPECT_EQ(job.Result, 0);
    EXPECT_FALSE(Exists(Tree / deep));
}

// Shapes that share the work out differently between the workers; every
// entry goes, and each is counted once.
struct TShape {
    const char* Name;
    std::function<std::uint64_t(TTempTree&)> Build; // makes "tree"; returns its entries, itself included
};

class TreeShape : public PermanentDelete, public testing::WithParamInterface<TShape> {};

TEST_P(TreeShape, EverythingGoesAndIsCountedOnce)
{
    const std::uint64_t entries = GetParam().Build(Tree);
    Tree.File("beside/keep", "stays");
    platform::TCancelToken never;
    platform::TProgressCount count;
    platform::posix::TItemFailure failure;
    EXPECT_EQ(platform::posix::RemoveItem(Tree / "tree", { Tree.Root(), "tree" }, never, count, failure), 0)
        << failure.Path;
    EXPECT_FALSE(Exists(Tree / "tree"));
    EXPECT_EQ(count.Items(), entries);
    EXPECT_EQ(ReadFile(Tree / "beside/keep"), "stays");
}

// folders x files below prefix; returns the entries made.
std::uint64_t Fill(TTempTree& tree, const std::string& prefix, int folders, int files)
{
    for (int i = 0; i < folders; ++i) {
        const std::string folder = prefix + "/d" + std::to_string(i);
        tree.Dir(folder);
        for (int j = 0; j < files; ++j) {
            tree.File(folder + "/f" + std::to_string(j));
        }
    }
    return static_cast<std::uint64_t>(folders) * (files + 1);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TreeShape,
    testing::Values(
        TShape { "Empty", [](TTempTree& t) { t.Dir("tree"); return std::uint64_t { 1 }; } },
        TShape { "Wide", [](TTempTree& t) { t.Dir("tree"); return 1 + Fill(t, "tree", 40, 25); } },
        TShape { "AllInOneFolder",
            [](TTempTree& t) {
                t.Dir("tree/one");
                return 2 + Fill(t, "tree/one", 30, 10);
            } },
        TShape { "DeepChain",
            [](TTempTree& t) {
                std::string path = "tree";
                for (int i = 0; i < 120; ++i) {
                    path += "/d";
                }
                t.File(path + "/f");
                return std::uint64_t { 1 + 120 + 1 };
            } },
        TShape { "NestedAndWide",
            [](TTempTree& t) {
                std::uint64_t n = 1;
                for (int i = 0; i < 6; ++i) {
                    const std::string branch = "tree/b" + std::to_string(i);
                    t.Dir(branch + "/x/y");
                    n += 3 + Fill(t, branch + "/x/y", 8, 5) + Fill(t, branch, 3, 2);
                }
                t.Link("tree/link", t / "beside");
                return n + 1;
            } }),
    [](const auto& info) { return std::string(info.param.Name); });

// The tree changes under the walk at each point where it can: a folder is
// swapped for a link to a folder outside, or for a new empty folder. The
// walk never goes through the link, touches neither it nor the newcomer,
// nothing outside goes, and the request fails. "only" is the first folder
// met, so it is handed to another worker.
struct TSwapCase {
    const char* Name;
    platform::posix::TWalkPoint Point;
    const char* Folder;
    const char* Newcomer; // "link" or "empty"
};

class SwappedMidWalk : public PermanentDelete, public testing::WithParamInterface<TSwapCase> {};

TEST_P(SwappedMidWalk, NothingOutsideGoes)
{
    Fill(Tree, "tree/only", 3, 20);
    Fill(Tree, "outside", 2, 10);
    Tree.Link("link", Tree / "outside");
    Tree.Dir("empty");
    const ino_t newcomer = InodeOf(Tree / GetParam().Newcomer);
    const std::string folder = Tree / GetParam().Folder;
    std::atomic<int> swaps { 0 };
    platform::posix::SetWalkHook([&](platform::posix::TWalkPoint point, const std::string& path) {
        if (point == GetParam().Point && path == folder && swaps++ == 0) {
            ::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, (Tree / GetParam().Newcomer).c_str(), RENAME_EXCHANGE);
        }
    });
    platform::TCancelToken never;
    platform::TProgressCount count;
    platform::posix::TItemFailure failure;
    const int result = platform::posix::RemoveItem(Tree / "tree", { Tree.Root(), "tree" }, never, count, failure);
    platform::posix::SetWalkHook(nullptr);

    EXPECT_EQ(swaps.load(), 1);
    EXPECT_NE(result, 0);
    EXPECT_EQ(InodeOf(folder), newcomer);
    for (const char* sub : { "outside/d0", "outside/d1" }) {
        EXPECT_EQ(Entries(Tree / sub).size(), 10u) << sub;
    }
}

INSTANTIATE_TEST_SUITE_P(Points, SwappedMidWalk,
    testing::Values(TSwapCase { "LinkBeforeOpen", platform::posix::TWalkPoint::BeforeOpen, "tree/only", "link" },
        TSwapCase { "LinkWhenHandedOver", platform::posix::TWalkPoint::BeforeTake, "tree/only", "link" },
        TSwapCase { "LinkWhenEmptied", platform::posix::TWalkPoint::BeforeRemove, "tree/only", "link" },
        TSwapCase { "NewFolderWhenEmptied", platform::posix::TWalkPoint::BeforeRemove, "tree/only", "empty" },
        TSwapCase { "NamedFolderNewWhenEmptied", platform::posix::TWalkPoint::BeforeRemove, "tree", "empty" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(PermanentDelete, CancelStopsAndFails)
{
    Tree.File("one/a");
    Tree.File("two/b");
    TRecordingUi ui;
    ui.CancelAtOnce = true;
    bool aborted = false;
    EXPECT_EQ(Request({ Tree / "one", Tree / "two" }, PermanentFlags, &aborted), ECANCELED);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(ui.ProgressRuns, 1);
    EXPECT_TRUE(ui.Errors.empty());
    EXPECT_TRUE(Exists(Tree / "one/a"));
    EXPECT_TRUE(Exists(Tree / "two/b"));

    // Inside a tree the walk polls the token too.
    platform::TCancelToken cancelled;
    cancelled.Cancel();
    platform::TProgressCount count;
    platform::posix::TItemFailure failure;
    EXPECT_EQ(platform::posix::RemoveItem(Tree / "one", { Tree.Root(), "one" }, cancelled, count, failure), ECANCELED);
    EXPECT_TRUE(Exists(Tree / "one/a"));
}

TEST_F(PermanentDelete, NoProgressWindowWithoutTheFlag)
{
    Tree.File("x");
    TRecordingUi ui;
    EXPECT_EQ(Request({ Tree / "x" }, platform::FofNoConfirmation), 0);
    EXPECT_EQ(ui.ProgressRuns, 0);
    Tree.File("y");
    EXPECT_EQ(Request({ Tree / "y" }, PermanentFlags), 0);
    EXPECT_EQ(ui.ProgressRuns, 1);
    EXPECT_EQ(ui.Title, u"削除しています");
}

class RefusedPath : public PermanentDelete, public testing::WithParamInterface<const char*> {};

TEST_P(RefusedPath, LeavesEverything)
{
    Tree.File("sub/file");
    TRecordingUi ui;
    for (const auto flags : { PermanentFlags, TrashFlags }) {
        EXPECT_EQ(Request({ Tree / GetParam() }, flags), EINVAL);
        EXPECT_TRUE(Exists(Tree / "sub/file"));
    }
    ASSERT_EQ(ui.Errors.size(), 2u);
    EXPECT_EQ(ui.Errors[0], "「" + (Tree / GetParam()) + "」は削除できません。");
}

INSTANTIATE_TEST_SUITE_P(EndsInDots, RefusedPath, testing::Values("sub/.", "sub/./", "sub/..", "sub/../"),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// The old lossy conversion turned both names into the same text.
TEST_F(PermanentDelete, ByteNamesNameTheirOwnFolder)
{
    const std::string sjis = "\x93\xFA\x96\x7B";
    const std::string lookalike = "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD";
    Tree.File("work/" + sjis + "/inner", "goes");
    Tree.File("work/" + lookalike + "/keep", "stays");
    EXPECT_EQ(Request({ Tree / ("work/" + sjis + "/") }, PermanentFlags), 0);
    EXPECT_FALSE(Exists(Tree / ("work/" + sjis)));
    EXPECT_EQ(ReadFile(Tree / ("work/" + lookalike + "/keep")), "stays");
}

} // namespace
