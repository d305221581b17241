#pragma once

// What the POSIX file-operation engine's tests share: a tree of the test's
// own, requests as the shell makes them, and readers of the trash.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <optional>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/Utf.h"
#include "platform/ShellFileOperation.h"
#include "platform/ShellFileOperation_posix.h"
#include "tests/TempFolder.h"

using platform::TFileOperationRequest;

constexpr std::uint16_t PermanentFlags = platform::FofSimpleProgress | platform::FofNoConfirmation;
constexpr std::uint16_t TrashFlags = PermanentFlags | platform::FofAllowUndo | platform::FofWantNukeWarning;

inline bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

inline bool IsLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

inline ino_t InodeOf(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline int Spawn(const std::vector<std::string>& argv)
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
inline std::string PrivateMountsRefusal()
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
        work(token, Count);
    }
    void ShowError(platform::TWindowHandle, const std::u16string& text) override { Errors.push_back(Utf16ToUtf8(text)); }

    bool CancelAtOnce = false;
    int ProgressRuns = 0;
    platform::TProgressCount Count;
    std::u16string Title;
    std::vector<std::string> Errors;
};

inline int Request(const std::vector<std::string>& paths, std::uint16_t flags, bool* aborted = nullptr)
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

inline std::string PercentDecode(const std::string& text)
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

inline TTrashInfo ReadTrashInfo(const std::string& file)
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

inline std::vector<std::string> Entries(const std::string& folder)
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

// Requests that may reach the trash: the home and its trash are the tree's own.
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
