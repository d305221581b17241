// The freedesktop trash (Trash specification 1.0): a rename into the home
// trash or the trash of the item's mount point. Nothing is ever copied across
// file systems or deleted; a request that cannot be met leaves the item.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <stdio.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/TrashInfo.h"
#include "platform/ShellFileOperation_posix.h"

namespace platform::posix {

namespace {

constexpr int DirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int MaxNameAttempts = 10000;

struct TTrash {
    TFd Files;
    TFd Info;
    std::string TopDir; // empty for the home trash, whose Path is absolute
};

std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// Where the process sees the open directory.
std::string PathOfFd(int fd)
{
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size() || buffer[0] != '/') {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}

std::string DataHome()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        return xdg;
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] == '/') {
        home = env;
    } else if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
        home = user->pw_dir;
    }
    return home.empty() ? std::string() : home + "/.local/share";
}

// mkdir -p; the folders it makes are private (0700).
bool MakeFolders(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) || (errno = ENOTDIR, false);
    }
    if (errno != ENOENT || path == "/") {
        return false;
    }
    if (!MakeFolders(ParentOf(path))) {
        return false;
    }
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// files/ and info/ inside an opened trash folder: real folders on its device.
bool OpenTrashParts(int trashFd, dev_t device, TTrash& trash)
{
    for (auto [name, part] : { std::pair { "files", &trash.Files }, std::pair { "info", &trash.Info } }) {
        if (::mkdirat(trashFd, name, 0700) != 0 && errno != EEXIST) {
            return false;
        }
        part->Reset(::openat(trashFd, name, DirectoryFlags | O_NOFOLLOW));
        struct stat st {};
        if (!*part || ::fstat(part->Get(), &st) != 0) {
            return false;
        }
        if (st.st_dev != device) {
            errno = EXDEV;
            return false;
        }
    }
    return true;
}

// The home trash, when it is (or would be) on the item's file system: 0, an
// errno value, or NotHere for another file system. On the home's file system
// it is the home trash or nothing, so an unusable one fails the request.
constexpr int NotHere = -1;

int OpenHomeTrash(dev_t device, TTrash& trash)
{
    const std::string dataHome = DataHome();
    if (dataHome.empty()) {
        return NotHere;
    }
    const std::string path = dataHome + "/Trash";
    // Whatever is in the way (a file, a folder we may not search), the
    // nearest ancestor that answers tells the file system.
    std::string existing = path;
    struct stat st {};
    while (::stat(existing.c_str(), &st) != 0) {
        if (existing == "/") {
            return NotHere;
        }
        existing = ParentOf(existing);
    }
    if (st.st_dev != device) {
        return NotHere;
    }
    auto error = [] { return errno != 0 ? errno : EIO; };
    if (!MakeFolders(path)) {
        return error();
    }
    const TFd fd(::open(path.c_str(), DirectoryFlags));
    if (!fd || ::fstat(fd.Get(), &st) != 0) {
        return error();
    }
    if (st.st_dev != device) {
        return EXDEV; // a mount at the trash's own place: never fall back
    }
    trash.TopDir.clear();
    return OpenTrashParts(fd.Get(), device, trash) ? 0 : error();
}

// The home trash as the kernel names it, for comparing with resolved paths.
std::string ResolvedHomeTrash()
{
    const std::string dataHome = DataHome();
    if (dataHome.empty()) {
        return {};
    }
    const std::string path = dataHome + "/Trash";
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

// A trash folder that only this user may use: a real folder, owned by us, on the device.
bool IsOwnTrashFolder(int fd, dev_t device)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && st.st_dev == device;
}

// $topdir/.Trash/$uid when .Trash is a real sticky folder, else $topdir/.Trash-$uid.
bool OpenTopDirTrash(const std::string& topDir, dev_t device, TTrash& trash)
{
    const TFd top(::open(topDir.c_str(), DirectoryFlags));
    if (!top) {
        return false;
    }
    const std::string uid = std::to_string(::getuid());
    struct stat st {};
    if (::fstatat(top.Get(), ".Trash", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)
        && (st.st_mode & S_ISVTX) != 0) {
        const TFd shared(::openat(top.Get(), ".Trash", DirectoryFlags | O_NOFOLLOW));
        if (shared && (::mkdirat(shared.Get(), uid.c_str(), 0700) == 0 || errno == EEXIST)) {
            const TFd own(::openat(shared.Get(), uid.c_str(), DirectoryFlags | O_NOFOLLOW));
            if (own && IsOwnTrashFolder(own.Get(), device) && OpenTrashParts(own.Get(), device, trash)) {
                trash.TopDir = topDir;
                return true;
            }
        }
    }
    const std::string name = ".Trash-" + uid;
    if (::mkdirat(top.Get(), name.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    const TFd own(::openat(top.Get(), name.c_str(), DirectoryFlags | O_NOFOLLOW));
    if (!own) {
        return false;
    }
    if (!IsOwnTrashFolder(own.Get(), device)) {
        errno = EPERM;
        return false;
    }
    trash.TopDir = topDir;
    return OpenTrashParts(own.Get(), device, trash);
}

// The mount point of the file system that holds the folder (an absolute, resolved path).
std::string MountPointOf(std::string folder, dev_t device)
{
    while (folder != "/") {
        const std::string parent = ParentOf(folder);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device) {
            break;
        }
        folder = parent;
    }
    return folder;
}

std::string LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Moves without replacing; where the file system cannot promise that, checks first.
int RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to)
{
    if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    struct stat st {};
    if (::fstatat(toDir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return EEXIST;
    }
    return ::renameat(fromDir, from.c_str(), toDir, to.c_str()) == 0 ? 0 : errno;
}

int Failed(TItemFailure& failure, const std::string& path, int error, TRefusal refusal = TRefusal::None)
{
    failure = { path, error != 0 ? error : EIO, refusal };
    return failure.Error;
}

} // namespace

int TrashItem(const std::string& displayPath, const TItemPath& item, TItemFailure& failure)
{
    const TFd parent(::open(item.Parent.c_str(), DirectoryFlags));
    if (!parent) {
        return Failed(failure, displayPath, errno);
    }
    struct stat st {};
    struct stat parentSt {};
    if (::fstatat(parent.Get(), item.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0
        || ::fstat(parent.Get(), &parentSt) != 0) {
        return Failed(failure, displayPath, errno);
    }
    if (st.st_dev != parentSt.st_dev) {
        return Failed(failure, displayPath, EBUSY, TRefusal::Mounted);
    }
    const std::string folder = PathOfFd(parent.Get());
    if (folder.empty()) {
        return Failed(failure, displayPath, ENOENT);
    }
    const std::string absolute = (folder == "/" ? "" : folder) + "/" + item.Name;
    if (const TRefusal refusal = TrashRefusal(absolute, MountPoints(), ResolvedHomeTrash());
        refusal != TRefusal::None) {
        const bool mounted = refusal == TRefusal::Mounted || refusal == TRefusal::MountBelow;
        return Failed(failure, displayPath, mounted ? EBUSY : EINVAL, refusal);
    }

    TTrash trash;
    if (const int home = OpenHomeTrash(st.st_dev, trash); home != 0) {
        if (home != NotHere) {
            return Failed(failure, displayPath, home);
        }
        if (!OpenTopDirTrash(MountPointOf(folder, st.st_dev), st.st_dev, trash)) {
            return Failed(failure, displayPath, errno);
        }
    }
    const std::string info = TrashInfoText(TrashRecordedPath(absolute, trash.TopDir), LocalTimeNow());

    const std::string base = ShortenTrashName(item.Name);
    for (int attempt = 1; attempt <= MaxNameAttempts; ++attempt) {
        const std::string name = TrashNameVariant(base, attempt);
        struct stat taken {};
        if (::fstatat(trash.Files.Get(), name.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
            continue;
        }
        const std::string infoName = name + ".trashinfo";
        TFd infoFd(::openat(trash.Info.Get(), infoName.c_str(),
            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!infoFd) {
            if (errno == EEXIST) {
                continue;
            }
            return Failed(failure, displayPath, errno);
        }
        const bool written = WriteAll(infoFd.Get(), info);
        int error = errno;
        const bool closed = ::close(infoFd.Release()) == 0;
        if (!closed && written) {
            error = errno;
        }
        if (!written || !closed) {
            ::unlinkat(trash.Info.Get(), infoName.c_str(), 0);
            return Failed(failure, displayPath, error);
        }
        error = RenameNoReplace(parent.Get(), item.Name, trash.Files.Get(), name);
        if (error == 0) {
            return 0;
        }
        ::unlinkat(trash.Info.Get(), infoName.c_str(), 0);
        if (error != EEXIST && error != ENOTEMPTY) {
            return Failed(failure, displayPath, error);
        }
    }
    return Failed(failure, displayPath, EEXIST);
}

} // namespace platform::posix
