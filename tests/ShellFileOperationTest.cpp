#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <optional>
#include <pthread.h>
#include <regex>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/Utf.h"
#include "fileutil/Tfileutility.h"
#include "platform/ShellFileOperation.h"
#include "platform/ShellFileOperation_posix.h"
#include "tests/TempFolder.h"

namespace {

using platform::TFileOperationRequest;

constexpr std::uint16_t PermanentFlags = platform::FofSimpleProgress | platform::FofNoConfirmation;
constexpr std::uint16_t TrashFlags = PermanentFlags | platform::FofAllowUndo | platform::FofWantNukeWarning;

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

ino_t InodeOf(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

int Spawn(const std::vector<std::string>& argv)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Mounts are made only in a mount namespace of this test process's own, so
// none is ever seen (or left behind) outside it. Empty when that works.
std::string PrivateMountsRefusal()
{
    static const std::string refusal = [] {
        if (::unshare(CLONE_NEWNS) != 0) {
            return "no private mount namespace here (needs root or CAP_SYS_ADMIN): "
                + std::string(std::strerror(errno));
        }
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return "cannot make the mounts of the private namespace private: " + std::string(std::strerror(errno));
        }
        return std::string();
    }();
    return refusal;
}

// A folder of the test's own; mounts and immutable flags made through it are
// undone, and it is removed without leaving its file system.
class TTempTree {
public:
    TTempTree() : FRoot(FFolder.Path().string()) {}
    ~TTempTree()
    {
        for (auto it = FMounts.rbegin(); it != FMounts.rend(); ++it) {
            ::umount2(it->c_str(), MNT_DETACH);
        }
        for (const auto& path : FImmutable) {
            SetImmutable(path, false);
        }
        if (!FRoot.empty()) {
            Spawn({ "/bin/rm", "-rf", "--one-file-system", FRoot });
        }
    }
    TTempTree(const TTempTree&) = delete;
    TTempTree& operator=(const TTempTree&) = delete;

    const std::string& Root() const { return FRoot; }
    std::string operator/(const std::string& relative) const { return FRoot + "/" + relative; }

    void Dir(const std::string& relative, mode_t mode = 0755) const
    {
        std::string path = FRoot;
        std::stringstream parts(relative);
        for (std::string part; std::getline(parts, part, '/');) {
            path += "/" + part;
            ::mkdir(path.c_str(), mode);
        }
    }
    void File(const std::string& relative, const std::string& content = "data") const
    {
        const auto slash = relative.rfind('/');
        if (slash != std::string::npos) {
            Dir(relative.substr(0, slash));
        }
        WriteFile(*this / relative, content);
    }
    void Link(const std::string& relative, const std::string& target) const
    {
        ::symlink(target.c_str(), (*this / relative).c_str());
    }

    bool MountTmpfs(const std::string& relative)
    {
        Dir(relative);
        const std::string path = *this / relative;
        if (!PrivateMountsRefusal().empty()
            || ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=16m,mode=0755") != 0) {
            return false;
        }
        FMounts.push_back(path);
        return true;
    }

    // Binds a folder or file of the tree over another one of the same kind.
    bool Bind(const std::string& source, const std::string& target)
    {
        const std::string path = *this / target;
        if (!PrivateMountsRefusal().empty()
            || ::mount((*this / source).c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return false;
        }
        FMounts.push_back(path);
        return true;
    }

    bool MakeImmutable(const std::string& relative)
    {
        const std::string path = *this / relative;
        if (!SetImmutable(path, true)) {
            return false;
        }
        FImmutable.push_back(path);
        return true;
    }

private:
    static bool SetImmutable(const std::string& path, bool on)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    TTempFolder FFolder { "ft-delete-" };
    std::string FRoot;
    std::vector<std::string> FMounts;
    std::vector<std::string> FImmutable;
};

// Sets an environment variable for the life of the object.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const std::string& value) : FName(name)
    {
        if (const char* old = std::getenv(name)) {
            FOld = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~TScopedEnv()
    {
        if (FOld) {
            ::setenv(FName, FOld->c_str(), 1);
        } else {
            ::unsetenv(FName);
        }
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* FName;
    std::optional<std::string> FOld;
};

// Records what the engine would show; runs the work inline.
class TRecordingUi final : public platform::TFileOperationUi {
public:
    TRecordingUi() { platform::SetFileOperationUi(this); }
    ~TRecordingUi() override { platform::SetFileOperationUi(nullptr); }

    void RunWithProgress(platform::TWindowHandle, const std::u16string& title, const TWork& work) override
    {
        ++ProgressRuns;
        Title = title;
        platform::TCancelToken token;
        if (CancelAtOnce) {
            token.Cancel();
        }
        work(token);
    }
    void ShowError(platform::TWindowHandle, const std::u16string& text) override { Errors.push_back(Utf16ToUtf8(text)); }

    bool CancelAtOnce = false;
    int ProgressRuns = 0;
    std::u16string Title;
    std::vector<std::string> Errors;
};

int Request(const std::vector<std::string>& paths, std::uint16_t flags, bool* aborted = nullptr)
{
    std::u16string list;
    for (const auto& path : paths) {
        list += PathBytesToText(path);
        list += u'\0';
    }
    list += u'\0';
    TFileOperationRequest request;
    request.From = list.c_str();
    request.Flags = flags;
    const int result = platform::RunFileOperation(request);
    if (aborted) {
        *aborted = request.AnyOperationsAborted;
    }
    return result;
}

std::string PercentDecode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct TTrashInfo {
    std::string Path; // decoded
    std::string RawPath;
    std::string DeletionDate;
    bool WellFormed = false;
};

TTrashInfo ReadTrashInfo(const std::string& file)
{
    TTrashInfo info;
    std::istringstream lines(ReadFile(file));
    std::string line;
    std::getline(lines, line);
    info.WellFormed = line == "[Trash Info]";
    while (std::getline(lines, line)) {
        if (line.rfind("Path=", 0) == 0) {
            info.RawPath = line.substr(5);
            info.Path = PercentDecode(info.RawPath);
        } else if (line.rfind("DeletionDate=", 0) == 0) {
            info.DeletionDate = line.substr(13);
        }
    }
    return info;
}

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") {
                names.push_back(e->d_name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// ---------------------------------------------------------------- path rules

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

// -------------------------------------------------------- permanent deletion

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
    platform::posix::TItemFailure failure;
    EXPECT_EQ(platform::posix::RemoveItem(Tree / "one", { Tree.Root(), "one" }, cancelled, failure), ECANCELED);
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

// ---------------------------------------------------------------------- trash

class Trash : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Tree.Root().empty());
        Home.emplace("HOME", Tree / "home");
        Data.emplace("XDG_DATA_HOME", Tree / "data/a/b");
    }
    std::string HomeTrash(const std::string& part) const { return Tree / ("data/a/b/Trash/" + part); }

    TTempTree Tree;
    std::optional<TScopedEnv> Home;
    std::optional<TScopedEnv> Data;
};

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

struct TGuardCase {
    const char* Name;
    const char* Path;
    platform::posix::TRefusal Refusal;
};

class TrashGuard : public testing::TestWithParam<TGuardCase> {};

TEST_P(TrashGuard, RefusesMountsAndTrashes)
{
    using platform::posix::TRefusal;
    const std::vector<std::string> mounts { "/", "/mnt/usb", "/home/u/bind", "/media/a b" };
    EXPECT_EQ(platform::posix::TrashRefusal(GetParam().Path, mounts, "/home/u/.local/share/Trash"),
        GetParam().Refusal);
}

using TRefusal = platform::posix::TRefusal;
INSTANTIATE_TEST_SUITE_P(Table, TrashGuard,
    testing::Values(
        TGuardCase { "PlainFolder", "/home/u/doc", TRefusal::None },
        TGuardCase { "HomeTrash", "/home/u/.local/share/Trash", TRefusal::TrashFolder },
        TGuardCase { "HomeTrashInfo", "/home/u/.local/share/Trash/info", TRefusal::InsideTrash },
        TGuardCase { "InsideHomeTrash", "/home/u/.local/share/Trash/files/x", TRefusal::InsideTrash },
        TGuardCase { "NameStartingLikeTheTrash", "/home/u/.local/share/TrashX", TRefusal::None },
        TGuardCase { "MountPoint", "/mnt/usb", TRefusal::Mounted },
        TGuardCase { "MountBelow", "/mnt", TRefusal::MountBelow },
        TGuardCase { "BindPoint", "/home/u/bind", TRefusal::Mounted },
        TGuardCase { "BindBelow", "/home/u", TRefusal::MountBelow },
        TGuardCase { "EscapedMountBelow", "/media", TRefusal::MountBelow },
        TGuardCase { "SiblingOfMount", "/mnt/usb2", TRefusal::None },
        TGuardCase { "OwnTopDirTrash", "/mnt/usb/.Trash-1000", TRefusal::TrashFolder },
        TGuardCase { "SharedTopDirTrash", "/mnt/usb/.Trash", TRefusal::TrashFolder },
        TGuardCase { "InsideSharedTopDirTrash", "/mnt/usb/.Trash/1000/files/a", TRefusal::InsideTrash },
        TGuardCase { "InsideRootTopDirTrash", "/.Trash-0/info", TRefusal::InsideTrash },
        TGuardCase { "TrashNameBelowTopDir", "/mnt/usb/d/.Trash-1000", TRefusal::None },
        TGuardCase { "NotATrashName", "/mnt/usb/.Trash-x", TRefusal::None }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MountTable, FieldEscapesDecoded)
{
    EXPECT_EQ(platform::posix::DecodeMountField("/media/a\\040b\\011c\\134d\\012"), "/media/a b\tc\\d\n");
    EXPECT_EQ(platform::posix::DecodeMountField("/x\\9"), "/x\\9");
    const auto mounts = platform::posix::MountPoints();
    EXPECT_NE(std::find(mounts.begin(), mounts.end(), "/"), mounts.end());
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

// ------------------------------------------------- the unit over the engine

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
