// Permanent deletion: a descriptor-relative walk that never follows a link,
// never enters another mount (a bind mount of the same file system included:
// the device alone cannot tell it) and keeps a bounded number of directories
// open, so neither depth nor breadth costs stack or descriptors.

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
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

// What names one directory: a bind mount shows the same device and inode
// as its source, so the mount id is part of it.
struct TIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    std::uint64_t Mount = 0;
    bool MountRoot = false;

    bool operator==(const TIdentity& other) const
    {
        return Device == other.Device && Inode == other.Inode && Mount == other.Mount;
    }
};

bool ReadIdentity(int dirFd, const char* name, int flags, TIdentity& identity, mode_t* mode = nullptr)
{
    struct statx sx {};
    if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
            STATX_TYPE | STATX_INO | STATX_MNT_ID, &sx) != 0) {
        return false;
    }
    if ((sx.stx_mask & STATX_MNT_ID) == 0) {
        errno = ENOTSUP; // without mount ids a bind mount cannot be told apart
        return false;
    }
    identity.Device = ::makedev(sx.stx_dev_major, sx.stx_dev_minor);
    identity.Inode = sx.stx_ino;
    identity.Mount = sx.stx_mnt_id;
    identity.MountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0
        && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    if (mode) {
        *mode = sx.stx_mode;
    }
    return true;
}

bool IdentityOfFd(int fd, TIdentity& identity) { return ReadIdentity(fd, "", AT_EMPTY_PATH, identity); }

// Opens a folder below holder without crossing into a mount or through a
// link, and proves it is the one expected.
int OpenBelow(int holder, const char* name, const TIdentity& expected)
{
    open_how how {};
    how.flags = DirectoryOpenFlags;
    how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
    TFd fd(static_cast<int>(::syscall(SYS_openat2, holder, name, &how, sizeof how)));
    if (!fd && (errno == ENOSYS || errno == E2BIG)) {
        fd.Reset(::openat(holder, name, DirectoryOpenFlags));
    }
    if (!fd) {
        return -1;
    }
    TIdentity opened;
    if (!IdentityOfFd(fd.Get(), opened)) {
        return -1;
    }
    if (!(opened == expected)) {
        errno = opened.Mount != expected.Mount ? EXDEV : ESTALE;
        return -1;
    }
    return fd.Release();
}

struct TFrame {
    std::string Name; // in the parent frame (or the item's parent)
    TIdentity Identity;
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
    void Fail(int error, const std::string& path, TRefusal refusal = TRefusal::None)
    {
        if (FResult == 0) {
            FResult = error != 0 ? error : EIO;
            FFailure = { path, FResult, refusal };
        }
    }

    // The entry stays: it is skipped when the folder is read again.
    void Keep(int error, const char* name, TRefusal refusal = TRefusal::None)
    {
        if (FResult == 0) {
            Fail(error, EntryPath(name), refusal);
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

    int FrameFd(std::size_t index);
    bool Push(int holder, const char* name, const TIdentity& identity);
    void RemoveEntry(const char* name, unsigned char type);
    void PopAndRemove();

    int FParent;
    std::string FDisplayPath;
    const TCancelToken& FCancel;
    TItemFailure& FFailure;
    std::uint64_t FMount = 0; // the named folder's mount; the walk never leaves it
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
        TFd fd(OpenBelow(holder, frame.Name.c_str(), frame.Identity));
        if (!fd) {
            Fail(errno, FramePath(k));
            FAborted = true;
            return -1;
        }
        if (index - k < MaxOpenDirectories) {
            frame.Dir.reset(::fdopendir(fd.Get()));
            if (!frame.Dir) {
                Fail(errno, FramePath(k));
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

bool TTreeRemover::Push(int holder, const char* name, const TIdentity& identity)
{
    TFd fd(OpenBelow(holder, name, identity));
    if (!fd) {
        return false;
    }
    TDir dir(::fdopendir(fd.Get()));
    if (!dir) {
        return false;
    }
    fd.Release();
    FStack.push_back({ name, identity, std::move(dir), {} });
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
        // A file bound over a file is a mount point too: unlink refuses it (EBUSY).
        if (::unlinkat(fd, name, 0) == 0 || errno == ENOENT) {
            return;
        }
        if (errno != EISDIR && errno != EPERM) {
            Keep(errno, name, errno == EBUSY ? TRefusal::Mounted : TRefusal::None);
            return;
        }
    }
    TIdentity identity;
    mode_t mode = 0;
    if (!ReadIdentity(fd, name, 0, identity, &mode)) {
        if (errno != ENOENT) {
            Keep(errno, name);
        }
        return;
    }
    if (identity.Mount != FMount || identity.MountRoot) {
        Keep(EXDEV, name, TRefusal::Mounted);
        return;
    }
    if (!S_ISDIR(mode)) {
        if (::unlinkat(fd, name, 0) != 0 && errno != ENOENT) {
            Keep(errno, name, errno == EBUSY ? TRefusal::Mounted : TRefusal::None);
        }
        return;
    }
    if (!Push(fd, name, identity)) {
        const int error = errno;
        if (error == EXDEV) {
            Keep(EXDEV, name, TRefusal::Mounted);
            return;
        }
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
        // Climbing by ".." is one step; the identity proves it is the parent.
        TFd up(::openat(::dirfd(done.Dir.get()), "..", DirectoryOpenFlags));
        TIdentity identity;
        if (up && IdentityOfFd(up.Get(), identity) && identity == FStack.back().Identity) {
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
    // The name must still hold the folder the walk emptied: one renamed away
    // stays where it went, and a new one made at the old name is not touched.
    TIdentity now;
    int error = 0;
    if (!ReadIdentity(holder, name.c_str(), 0, now)) {
        error = errno;
    } else if (!(now == done.Identity)) {
        error = ESTALE;
    } else if (::unlinkat(holder, name.c_str(), AT_REMOVEDIR) != 0) {
        error = errno;
    }
    if (error != 0) {
        if (FStack.empty()) {
            Fail(error, FDisplayPath);
        } else {
            Keep(error, name.c_str());
        }
    }
}

int TTreeRemover::Remove(const std::string& name)
{
    TIdentity item;
    TIdentity parent;
    mode_t mode = 0;
    if (!ReadIdentity(FParent, name.c_str(), 0, item, &mode) || !IdentityOfFd(FParent, parent)) {
        Fail(errno, FDisplayPath);
        return FResult;
    }
    if (item.Mount != parent.Mount || item.MountRoot) {
        // A mount point, of another file system or a bind of this one: what
        // lies there belongs elsewhere.
        Fail(EXDEV, FDisplayPath, TRefusal::Mounted);
        return FResult;
    }
    if (!S_ISDIR(mode)) {
        if (::unlinkat(FParent, name.c_str(), 0) != 0) {
            Fail(errno, FDisplayPath, errno == EBUSY ? TRefusal::Mounted : TRefusal::None);
        }
        return FResult;
    }
    FMount = item.Mount;
    if (!Push(FParent, name.c_str(), item)) {
        const int error = errno;
        if (error == EXDEV || ::unlinkat(FParent, name.c_str(), AT_REMOVEDIR) != 0) {
            Fail(error, FDisplayPath, error == EXDEV ? TRefusal::Mounted : TRefusal::None);
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
