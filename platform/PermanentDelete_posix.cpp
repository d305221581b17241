// Permanent deletion: a descriptor-relative walk that never follows a link,
// never leaves the item's file system and keeps a bounded number of
// directories open, so neither depth nor breadth costs stack or descriptors.

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

#include "platform/ShellFileOperation.h"
#include "platform/ShellFileOperation_posix.h"

namespace platform::posix {

namespace {

// Directories held open at the deep end of the walk; the others are
// re-opened through ".." (or by name from the nearest open one) when the walk
// climbs, and checked by device and inode.
constexpr std::size_t MaxOpenDirectories = 64;

constexpr int DirectoryOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct TFrame {
    std::string Name; // in the parent frame (or the item's parent)
    dev_t Device;
    ino_t Inode;
    TDir Dir;                             // null while closed
    std::unordered_set<std::string> Kept; // entries that stay; skipped when re-read
};

class TTreeRemover {
public:
    TTreeRemover(int parent, std::string displayPath, const TCancelToken& cancel, TItemFailure& failure)
        : FParent(parent), FDisplayPath(std::move(displayPath)), FCancel(cancel), FFailure(failure)
    {
    }

    int Remove(const std::string& name);

private:
    void Fail(int error, const std::string& path)
    {
        if (FResult == 0) {
            FResult = error != 0 ? error : EIO;
            FFailure = { path, FResult };
        }
    }

    // The entry stays: it is skipped when the folder is read again.
    void Keep(int error, const char* name)
    {
        if (FResult == 0) {
            Fail(error, EntryPath(name));
        }
        FStack.back().Kept.insert(name);
    }

    std::string FramePath(std::size_t index) const
    {
        std::string path = FDisplayPath;
        for (std::size_t i = 1; i <= index; ++i) {
            path += '/';
            path += FStack[i].Name;
        }
        return path;
    }

    std::string EntryPath(const char* name) const { return FramePath(FStack.size() - 1) + '/' + name; }

    // Descriptor of the directory that holds frame index (the item's parent for 0).
    int HolderFd(std::size_t index) { return index == 0 ? FParent : FrameFd(index - 1); }
    int FrameFd(std::size_t index);
    bool Push(int holder, const char* name, const struct stat& st);
    void RemoveEntry(const char* name, unsigned char type);
    void PopAndRemove();

    int FParent;
    std::string FDisplayPath;
    const TCancelToken& FCancel;
    TItemFailure& FFailure;
    dev_t FDevice = 0;
    std::vector<TFrame> FStack;
    int FResult = 0;
    bool FAborted = false; // the tree changed under the walk, or cancel
};

int TTreeRemover::FrameFd(std::size_t index)
{
    if (FStack[index].Dir) {
        return ::dirfd(FStack[index].Dir.get());
    }
    // Climb to the nearest open ancestor, then descend again by name.
    std::size_t first = index;
    while (first > 0 && !FStack[first - 1].Dir) {
        --first;
    }
    int holder = first == 0 ? FParent : ::dirfd(FStack[first - 1].Dir.get());
    TFd passing;
    for (std::size_t k = first; k <= index; ++k) {
        TFrame& frame = FStack[k];
        TFd fd(::openat(holder, frame.Name.c_str(), DirectoryOpenFlags));
        struct stat st {};
        if (!fd || ::fstat(fd.Get(), &st) != 0 || st.st_dev != frame.Device || st.st_ino != frame.Inode) {
            const int error = fd ? ESTALE : errno;
            Fail(error, FramePath(k));
            FAborted = true;
            return -1;
        }
        if (index - k < MaxOpenDirectories) {
            frame.Dir.reset(::fdopendir(fd.Get()));
            if (!frame.Dir) {
                const int error = errno;
                Fail(error, FramePath(k));
                FAborted = true;
                return -1;
            }
            fd.Release();
            holder = ::dirfd(frame.Dir.get());
        } else {
            passing = std::move(fd);
            holder = passing.Get();
        }
    }
    return ::dirfd(FStack[index].Dir.get());
}

bool TTreeRemover::Push(int holder, const char* name, const struct stat& st)
{
    TFd fd(::openat(holder, name, DirectoryOpenFlags));
    struct stat opened {};
    if (!fd || ::fstat(fd.Get(), &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino) {
        return false;
    }
    TDir dir(::fdopendir(fd.Get()));
    if (!dir) {
        return false;
    }
    fd.Release();
    FStack.push_back({ name, st.st_dev, st.st_ino, std::move(dir), {} });
    if (FStack.size() > MaxOpenDirectories) {
        FStack[FStack.size() - 1 - MaxOpenDirectories].Dir.reset();
    }
    return true;
}

void TTreeRemover::RemoveEntry(const char* name, unsigned char type)
{
    const int fd = FrameFd(FStack.size() - 1);
    if (fd < 0) {
        return;
    }
    if (type != DT_DIR && type != DT_UNKNOWN) {
        if (::unlinkat(fd, name, 0) == 0 || errno == ENOENT) {
            return;
        }
        if (errno != EISDIR && errno != EPERM) {
            Keep(errno, name);
            return;
        }
    }
    struct stat st {};
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
        if (errno != ENOENT) {
            Keep(errno, name);
        }
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlinkat(fd, name, 0) != 0 && errno != ENOENT) {
            Keep(errno, name);
        }
        return;
    }
    if (st.st_dev != FDevice) {
        Keep(EXDEV, name);
        return;
    }
    if (!Push(fd, name, st)) {
        const int error = errno;
        // An empty folder that cannot be listed can still go.
        if (::unlinkat(fd, name, AT_REMOVEDIR) != 0 && errno != ENOENT) {
            Keep(error, name);
        }
    }
}

void TTreeRemover::PopAndRemove()
{
    TFrame done = std::move(FStack.back());
    FStack.pop_back();
    if (!FStack.empty() && !FStack.back().Dir && done.Dir) {
        // Climbing by ".." is one step; the device and inode prove it is the parent.
        TFd up(::openat(::dirfd(done.Dir.get()), "..", DirectoryOpenFlags));
        struct stat st {};
        if (up && ::fstat(up.Get(), &st) == 0 && st.st_dev == FStack.back().Device
            && st.st_ino == FStack.back().Inode) {
            FStack.back().Dir.reset(::fdopendir(up.Get()));
            if (FStack.back().Dir) {
                up.Release();
            }
        }
    }
    done.Dir.reset();
    const std::string& name = done.Name;
    const int holder = FStack.empty() ? FParent : FrameFd(FStack.size() - 1);
    if (holder < 0) {
        return;
    }
    if (::unlinkat(holder, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
        if (FStack.empty()) {
            Fail(errno, FDisplayPath);
        } else {
            Keep(errno, name.c_str());
        }
    }
}

int TTreeRemover::Remove(const std::string& name)
{
    struct stat st {};
    if (::fstatat(FParent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
        Fail(errno, FDisplayPath);
        return FResult;
    }
    struct stat parent {};
    if (::fstat(FParent, &parent) != 0) {
        Fail(errno, FDisplayPath);
        return FResult;
    }
    if (st.st_dev != parent.st_dev) {
        // A mount point: its contents belong to another file system.
        Fail(EXDEV, FDisplayPath);
        return FResult;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlinkat(FParent, name.c_str(), 0) != 0) {
            Fail(errno, FDisplayPath);
        }
        return FResult;
    }
    FDevice = st.st_dev;
    if (!Push(FParent, name.c_str(), st)) {
        const int error = errno;
        if (::unlinkat(FParent, name.c_str(), AT_REMOVEDIR) != 0) {
            Fail(error, FDisplayPath);
        }
        return FResult;
    }
    while (!FStack.empty() && !FAborted) {
        if (FCancel.Cancelled()) {
            return ECANCELED;
        }
        const int fd = FrameFd(FStack.size() - 1);
        if (fd < 0) {
            break;
        }
        errno = 0;
        const dirent* entry = ::readdir(FStack.back().Dir.get());
        if (!entry) {
            if (const int error = errno; error != 0) {
                Fail(error, FramePath(FStack.size() - 1));
            }
            PopAndRemove();
            continue;
        }
        const char* entryName = entry->d_name;
        if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0
            || (!FStack.back().Kept.empty() && FStack.back().Kept.count(entryName) != 0)) {
            continue;
        }
        RemoveEntry(entryName, entry->d_type);
    }
    return FResult;
}

} // namespace

int RemoveItem(const std::string& displayPath, const TItemPath& item, const TCancelToken& cancel,
    TItemFailure& failure)
{
    const TFd parent(::open(item.Parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent) {
        failure = { displayPath, errno != 0 ? errno : EIO };
        return failure.Error;
    }
    TTreeRemover remover(parent.Get(), displayPath, cancel, failure);
    return remover.Remove(item.Name);
}

} // namespace platform::posix
