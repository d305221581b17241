// Permanent deletion: descriptor-relative walks that never follow a link,
// never enter another mount (a bind mount of the same file system included:
// the device alone cannot tell it) and keep a bounded number of directories
// open, so neither depth nor breadth costs stack or descriptors.
//
// Several workers empty different folders at once: the kernel removes the
// entries of different folders in parallel, not those of one. A walker that
// meets a folder while a worker is idle hands it over, opened and proven. A
// folder whose sub-folders are still being emptied elsewhere is not waited
// for: whoever finishes its last sub-folder removes it, and so on upwards.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <linux/openat2.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/ShellFileOperation.h"
#include "platform/ShellFileOperation_posix.h"

namespace platform::posix {

namespace {

// Directories one walker holds open at the deep end of its walk; the others
// are re-opened through ".." (or by name from the nearest open one) when the
// walk climbs, and checked by device, inode and mount.
constexpr std::size_t MaxOpenDirectories = 16;
// What one worker may hold at most: its open directories, one passing
// through, a handed-over folder with its holder, and one being handed over
// with its holder.
constexpr std::size_t WorkerDescriptors = MaxOpenDirectories + 5;
// Folders left to whoever finishes last, each holding its parent open.
constexpr std::size_t MaxWaiting = 8;
constexpr unsigned MaxWorkers = 8;
// Entries counted by a walker before the shared count is touched.
constexpr std::uint64_t ProgressBatch = 256;

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

TWalkHook& Hook()
{
    static TWalkHook hook;
    return hook;
}

// path is made only when a hook listens.
template <class TPath>
void Pause(TWalkPoint point, const TPath& path)
{
    if (Hook()) {
        Hook()(point, path());
    }
}

// Removes the emptied folder only while the name still holds it: one renamed
// away stays where it went, and a new one made at the old name is not
// touched. 0 or an errno value.
int RemoveEmptied(int holder, const std::string& name, const TIdentity& identity)
{
    TIdentity now;
    if (!ReadIdentity(holder, name.c_str(), 0, now)) {
        return errno;
    }
    if (!(now == identity)) {
        return ESTALE;
    }
    return ::unlinkat(holder, name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

int Duplicate(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }

struct TWaiting;
using TWaitingPtr = std::shared_ptr<TWaiting>;

// A folder that can go only when work elsewhere is done: folders handed to
// other workers, or sub-folders of its own that wait in turn.
struct TWaiting {
    int Holds = 1;      // its walker's while it lists it; one per handed-over or waiting sub-folder
    TWaitingPtr Parent; // null: the named folder
    TFd Holder;         // the folder it lies in, as the walk opened and proved it
    std::string Name;
    std::string Path;
    TIdentity Identity;
};

// A folder handed to another worker, opened and proven by the one that met it.
struct TTask {
    TFd Dir;
    TFd Holder;
    std::string Name;
    std::string Path;
    TIdentity Identity;
    TWaitingPtr Parent; // null: the named folder
};

// What the workers of one request share.
class TWalk {
public:
    TWalk(const TCancelToken& cancel, TProgressCount& progress, TItemFailure& failure, std::uint64_t mount)
        : FCancel(cancel), FProgress(progress), FFailure(failure), FMount(mount)
    {
    }

    std::uint64_t Mount() const noexcept { return FMount; }
    TProgressCount& Progress() noexcept { return FProgress; }

    // Cancel, a changed tree or an exception: every worker stops soon.
    bool Stopped() noexcept
    {
        if (FStop.load(std::memory_order_relaxed)) {
            return true;
        }
        if (FCancel.Cancelled()) {
            FCancelSeen.store(true, std::memory_order_relaxed);
            return true;
        }
        return false;
    }
    // Some work was left undone for the cancel.
    bool CancelSeen() const noexcept { return FCancelSeen.load(std::memory_order_relaxed); }

    void Stop()
    {
        std::lock_guard lock(FMutex);
        FStop.store(true, std::memory_order_relaxed);
        FChanged.notify_all();
    }

    // The first failure is the one reported.
    void Fail(int error, const std::string& path, TRefusal refusal = TRefusal::None)
    {
        std::lock_guard lock(FMutex);
        if (FResult == 0) {
            FResult = error != 0 ? error : EIO;
            FFailure = { path, FResult, refusal };
        }
    }

    int Result()
    {
        std::lock_guard lock(FMutex);
        return FResult;
    }

    bool WorkerIdle() const noexcept { return FIdle.load(std::memory_order_relaxed) > 0; }

    // Hands task to an idle worker; false when there is none, and task stays
    // with the caller. holder is the waiting state of the folder task lies in.
    bool Hand(TWaitingPtr& holder, TTask& task)
    {
        std::lock_guard lock(FMutex);
        if (FIdle.load(std::memory_order_relaxed) == 0 || FStop.load(std::memory_order_relaxed)) {
            return false;
        }
        if (!AddHoldLocked(holder)) {
            return false;
        }
        task.Parent = holder;
        FIdle.fetch_sub(1, std::memory_order_relaxed); // that worker is taken
        FQueue.push_back(std::move(task));
        FChanged.notify_all();
        return true;
    }

    // True when no work elsewhere holds the folder any more.
    bool Alone(const TWaiting& waiting)
    {
        std::lock_guard lock(FMutex);
        return waiting.Holds == 1;
    }

    // The walker keeps the folder after all: it is alone and goes the usual way.
    void Forget(TWaitingPtr& waiting)
    {
        std::lock_guard lock(FMutex);
        --FWaitingCount;
        waiting.reset();
    }

    // Gives parent (made when missing) one more hold, for a sub-folder that
    // waits; false at the limit of waiting folders.
    bool HoldParent(TWaitingPtr& parent)
    {
        std::lock_guard lock(FMutex);
        return AddHoldLocked(parent);
    }

    // Waits until the folder is alone, or the walk stops. Safe: what holds a
    // folder lies below it, and the workers there never wait for anything above.
    void WaitAlone(const TWaiting& waiting)
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return waiting.Holds == 1 || FStop.load(std::memory_order_relaxed); });
    }

    // Drops one hold; the last one removes the folder, and then drops its
    // hold on the parent, and so on. Null: the named folder is settled.
    void Release(TWaitingPtr waiting)
    {
        while (waiting) {
            {
                std::lock_guard lock(FMutex);
                if (--waiting->Holds > 0) {
                    FChanged.notify_all();
                    return;
                }
                --FWaitingCount;
            }
            if (!Stopped()) {
                Pause(TWalkPoint::BeforeRemove, [&] { return waiting->Path; });
                if (const int error = RemoveEmptied(waiting->Holder.Get(), waiting->Name, waiting->Identity)) {
                    Fail(error, waiting->Path);
                } else {
                    FProgress.Add(1);
                }
            }
            waiting = std::move(waiting->Parent);
        }
        std::lock_guard lock(FMutex);
        FDone = true;
        FChanged.notify_all();
    }

    // Lets this thread take handed-over folders until the named folder is
    // settled or the walk stops.
    void Serve();

    // Waits until the helpers can take work, so the first folder met is handed over.
    void WaitForHelpers(unsigned count)
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] {
            return FIdle.load(std::memory_order_relaxed) >= static_cast<int>(count)
                || FStop.load(std::memory_order_relaxed);
        });
    }

    // A walker's exception, rethrown by the request's own thread.
    void Abandon(std::exception_ptr exception)
    {
        {
            std::lock_guard lock(FMutex);
            if (!FException) {
                FException = std::move(exception);
            }
        }
        Stop();
    }
    void RethrowAny()
    {
        if (FException) {
            std::rethrow_exception(FException);
        }
    }

private:
    // One more hold on waiting, made when missing; false at the limit.
    bool AddHoldLocked(TWaitingPtr& waiting)
    {
        if (!waiting) {
            if (FWaitingCount >= MaxWaiting) {
                return false;
            }
            waiting = std::make_shared<TWaiting>();
            ++FWaitingCount;
        }
        ++waiting->Holds;
        return true;
    }

    const TCancelToken& FCancel;
    TProgressCount& FProgress;
    TItemFailure& FFailure;
    const std::uint64_t FMount; // the named folder's mount; the walk never leaves it

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<TTask> FQueue;  // handed over, not yet taken
    std::atomic<int> FIdle { 0 }; // workers waiting for a folder and not yet given one
    std::atomic<bool> FStop { false };
    std::atomic<bool> FCancelSeen { false };
    std::size_t FWaitingCount = 0;
    bool FDone = false;
    int FResult = 0;
    std::exception_ptr FException;
};

struct TFrame {
    std::string Name; // in the parent frame (or the task's holder)
    TIdentity Identity;
    TDir Dir;                             // null while closed
    std::unordered_set<std::string> Skip; // entries that stay or went to others; skipped when re-read
    TWaitingPtr Waiting;                  // set once a sub-folder went to another worker
};

// One worker's walk through one folder.
class TWalker {
public:
    TWalker(TWalk& walk, TTask task) : FWalk(walk), FTask(std::move(task)) {}
    ~TWalker() { FlushProgress(); }
    TWalker(const TWalker&) = delete;
    TWalker& operator=(const TWalker&) = delete;

    void Run();

private:
    // The entry stays: it is skipped when the folder is read again.
    void Keep(int error, const char* name, TRefusal refusal = TRefusal::None)
    {
        FWalk.Fail(error, EntryPath(name), refusal);
        FStack.back().Skip.insert(name);
    }

    void Abort(int error, const std::string& path)
    {
        FWalk.Fail(error, path);
        FAborted = true;
    }

    void Removed()
    {
        if (++FRemoved == ProgressBatch) {
            FlushProgress();
        }
    }
    void FlushProgress()
    {
        FWalk.Progress().Add(FRemoved);
        FRemoved = 0;
    }

    std::string FramePath(std::size_t index) const
    {
        std::string path = FTask.Path;
        for (std::size_t i = 1; i <= index; ++i) {
            path += '/';
            path += FStack[i].Name;
        }
        return path;
    }

    std::string EntryPath(const char* name) const { return FramePath(FStack.size() - 1) + '/' + name; }

    int FrameFd(std::size_t index);
    bool Push(TFd fd, const char* name, const TIdentity& identity);
    void RemoveEntry(const char* name, unsigned char type);
    void FinishFrame();
    bool LeaveWaiting();
    void PopAndRemove();

    TWalk& FWalk;
    TTask FTask;
    std::vector<TFrame> FStack;
    std::uint64_t FRemoved = 0;
    bool FAborted = false; // the tree changed under the walk, or the walk stops
};

int TWalker::FrameFd(std::size_t index)
{
    if (FStack[index].Dir) {
        return ::dirfd(FStack[index].Dir.get());
    }
    // Climb to the nearest open ancestor, then descend again by name.
    std::size_t first = index;
    while (first > 0 && !FStack[first - 1].Dir) {
        --first;
    }
    int holder = first == 0 ? FTask.Holder.Get() : ::dirfd(FStack[first - 1].Dir.get());
    TFd passing;
    for (std::size_t k = first; k <= index; ++k) {
        TFrame& frame = FStack[k];
        TFd fd(OpenBelow(holder, frame.Name.c_str(), frame.Identity));
        if (!fd) {
            Abort(errno, FramePath(k));
            return -1;
        }
        if (index - k < MaxOpenDirectories) {
            frame.Dir.reset(::fdopendir(fd.Get()));
            if (!frame.Dir) {
                Abort(errno, FramePath(k));
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

bool TWalker::Push(TFd fd, const char* name, const TIdentity& identity)
{
    TDir dir(::fdopendir(fd.Get()));
    if (!dir) {
        return false;
    }
    fd.Release();
    FStack.push_back({ name, identity, std::move(dir), {}, {} });
    if (FStack.size() > MaxOpenDirectories) {
        FStack[FStack.size() - 1 - MaxOpenDirectories].Dir.reset();
    }
    return true;
}

void TWalker::RemoveEntry(const char* name, unsigned char type)
{
    const int fd = FrameFd(FStack.size() - 1);
    if (fd < 0) {
        return;
    }
    if (type != DT_DIR && type != DT_UNKNOWN) {
        // A file bound over a file is a mount point too: unlink refuses it (EBUSY).
        if (::unlinkat(fd, name, 0) == 0) {
            Removed();
            return;
        }
        if (errno == ENOENT) {
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
    if (identity.Mount != FWalk.Mount() || identity.MountRoot) {
        Keep(EXDEV, name, TRefusal::Mounted);
        return;
    }
    if (!S_ISDIR(mode)) {
        if (::unlinkat(fd, name, 0) == 0) {
            Removed();
        } else if (errno != ENOENT) {
            Keep(errno, name, errno == EBUSY ? TRefusal::Mounted : TRefusal::None);
        }
        return;
    }
    Pause(TWalkPoint::BeforeOpen, [&] { return EntryPath(name); });
    TFd dir(OpenBelow(fd, name, identity));
    if (!dir) {
        const int error = errno;
        if (error == EXDEV) {
            Keep(EXDEV, name, TRefusal::Mounted);
            return;
        }
        // An empty folder that cannot be listed can still go.
        if (::unlinkat(fd, name, AT_REMOVEDIR) == 0) {
            Removed();
        } else if (errno != ENOENT) {
            Keep(error, name);
        }
        return;
    }
    // Every check above is made before the folder is handed over: the worker
    // that takes it gets it opened and proven.
    if (FWalk.WorkerIdle()) {
        TTask task { std::move(dir), TFd(Duplicate(fd)), name, EntryPath(name), identity, nullptr };
        if (task.Holder && FWalk.Hand(FStack.back().Waiting, task)) {
            FStack.back().Skip.insert(name);
            return;
        }
        dir = std::move(task.Dir);
    }
    if (!Push(std::move(dir), name, identity)) {
        Keep(errno, name);
    }
}

// The frame is listed to its end.
void TWalker::FinishFrame()
{
    TFrame& frame = FStack.back();
    if (frame.Waiting) {
        if (!FWalk.Alone(*frame.Waiting)) {
            if (LeaveWaiting()) {
                return;
            }
            if (FAborted) {
                return;
            }
            // At the limit of waiting folders: wait here instead.
            FWalk.WaitAlone(*frame.Waiting);
            if (FWalk.Stopped()) {
                FAborted = true;
                return;
            }
        }
        FWalk.Forget(frame.Waiting);
    }
    PopAndRemove();
}

// Leaves the frame's folder to whoever finishes its last sub-folder; false
// when it cannot (the frame stays).
bool TWalker::LeaveWaiting()
{
    const std::size_t index = FStack.size() - 1;
    TWaitingPtr parent;
    TFd holder;
    if (index == 0) {
        // The task's own hold on its parent passes to the folder.
        parent = std::move(FTask.Parent);
        holder = std::move(FTask.Holder);
    } else {
        const int parentFd = FrameFd(index - 1);
        if (parentFd < 0) {
            return false;
        }
        holder.Reset(Duplicate(parentFd));
        if (!holder || !FWalk.HoldParent(FStack[index - 1].Waiting)) {
            return false;
        }
        parent = FStack[index - 1].Waiting;
        FStack[index - 1].Skip.insert(FStack[index].Name);
    }
    TFrame done = std::move(FStack.back());
    FStack.pop_back();
    done.Dir.reset();
    done.Waiting->Parent = std::move(parent);
    done.Waiting->Holder = std::move(holder);
    done.Waiting->Name = std::move(done.Name);
    done.Waiting->Path = index == 0 ? FTask.Path : FramePath(index - 1) + '/' + done.Waiting->Name;
    done.Waiting->Identity = done.Identity;
    FWalk.Release(std::move(done.Waiting));
    return true;
}

void TWalker::PopAndRemove()
{
    TFrame done = std::move(FStack.back());
    FStack.pop_back();
    if (FStack.empty()) {
        done.Dir.reset();
        Pause(TWalkPoint::BeforeRemove, [&] { return FTask.Path; });
        if (const int error = RemoveEmptied(FTask.Holder.Get(), done.Name, done.Identity)) {
            FWalk.Fail(error, FTask.Path);
        } else {
            Removed();
        }
        FlushProgress();
        FWalk.Release(std::move(FTask.Parent));
        return;
    }
    if (!FStack.back().Dir && done.Dir) {
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
    const int holder = FrameFd(FStack.size() - 1);
    if (holder < 0) {
        return;
    }
    Pause(TWalkPoint::BeforeRemove, [&] { return EntryPath(done.Name.c_str()); });
    if (const int error = RemoveEmptied(holder, done.Name, done.Identity)) {
        Keep(error, done.Name.c_str());
    } else {
        Removed();
    }
}

void TWalker::Run()
{
    const std::string name = FTask.Name;
    if (!Push(std::move(FTask.Dir), name.c_str(), FTask.Identity)) {
        FWalk.Fail(errno, FTask.Path);
        FWalk.Release(std::move(FTask.Parent));
        return;
    }
    while (!FStack.empty() && !FAborted) {
        if (FWalk.Stopped()) {
            FAborted = true;
            break;
        }
        const int fd = FrameFd(FStack.size() - 1);
        if (fd < 0) {
            break;
        }
        errno = 0;
        const dirent* entry = ::readdir(FStack.back().Dir.get());
        if (!entry) {
            if (const int error = errno; error != 0) {
                FWalk.Fail(error, FramePath(FStack.size() - 1));
            }
            FinishFrame();
            continue;
        }
        const char* entryName = entry->d_name;
        if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0
            || (!FStack.back().Skip.empty() && FStack.back().Skip.count(entryName) != 0)) {
            continue;
        }
        RemoveEntry(entryName, entry->d_type);
    }
    if (FAborted) {
        FWalk.Stop();
    }
}

void TWalk::Serve()
{
    for (;;) {
        TTask task;
        {
            std::unique_lock lock(FMutex);
            FIdle.fetch_add(1, std::memory_order_relaxed);
            FChanged.notify_all();
            FChanged.wait(lock, [&] { return !FQueue.empty() || FDone || FStop.load(std::memory_order_relaxed); });
            if (FQueue.empty()) {
                FIdle.fetch_sub(1, std::memory_order_relaxed);
                return;
            }
            task = std::move(FQueue.back());
            FQueue.pop_back();
        }
        if (!Stopped()) {
            try {
                Pause(TWalkPoint::BeforeTake, [&] { return task.Path; });
                TWalker(*this, std::move(task)).Run();
            } catch (...) {
                Abandon(std::current_exception());
            }
        }
    }
}

// One worker per core, at least two, as far as the free descriptors allow
// with a good share left to the rest of the program.
unsigned WorkerCount(int anyFd)
{
    const unsigned cores = std::thread::hardware_concurrency();
    unsigned workers = std::clamp(cores, 2u, MaxWorkers);
    rlimit limit {};
    const int lowestFree = Duplicate(anyFd);
    if (lowestFree < 0) {
        return 1;
    }
    ::close(lowestFree);
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const auto free = limit.rlim_cur > static_cast<rlim_t>(lowestFree) ? limit.rlim_cur - lowestFree : 0;
        const auto usable = free * 3 / 4;
        const auto fits = usable > MaxWaiting ? (usable - MaxWaiting) / WorkerDescriptors : 0;
        workers = static_cast<unsigned>(std::min<rlim_t>(workers, std::max<rlim_t>(fits, 1)));
    }
    return workers;
}

// Runs the named folder's walk on this thread with helpers beside it.
void RemoveTree(TWalk& walk, TTask top, unsigned workers)
{
    std::vector<std::thread> helpers;
    // Whatever leaves this scope, the helpers are stopped and waited for.
    struct TJoin {
        TWalk& Walk;
        std::vector<std::thread>& Threads;
        ~TJoin()
        {
            Walk.Stop(); // nothing is left to do once this thread is out
            for (std::thread& thread : Threads) {
                thread.join();
            }
        }
    } joinOnExit { walk, helpers };
    for (unsigned i = 1; i < workers; ++i) {
        try {
            helpers.emplace_back([&walk] { walk.Serve(); });
        } catch (const std::system_error&) {
            break; // fewer helpers, same walk
        }
    }
    walk.WaitForHelpers(static_cast<unsigned>(helpers.size()));
    TWalker(walk, std::move(top)).Run();
    walk.Serve();
}

} // namespace

void SetWalkHook(TWalkHook hook) { Hook() = std::move(hook); }

int RemoveItem(const std::string& displayPath, const TItemPath& item, const TCancelToken& cancel,
    TProgressCount& progress, TItemFailure& failure)
{
    const TFd parent(::open(item.Parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent) {
        failure = { displayPath, errno != 0 ? errno : EIO };
        return failure.Error;
    }
    auto fail = [&](int error, TRefusal refusal = TRefusal::None) {
        failure = { displayPath, error != 0 ? error : EIO, refusal };
        return failure.Error;
    };
    if (cancel.Cancelled()) {
        return ECANCELED;
    }
    const char* name = item.Name.c_str();
    TIdentity identity;
    TIdentity parentIdentity;
    mode_t mode = 0;
    if (!ReadIdentity(parent.Get(), name, 0, identity, &mode) || !IdentityOfFd(parent.Get(), parentIdentity)) {
        return fail(errno);
    }
    if (identity.Mount != parentIdentity.Mount || identity.MountRoot) {
        // A mount point, of another file system or a bind of this one: what
        // lies there belongs elsewhere.
        return fail(EXDEV, TRefusal::Mounted);
    }
    if (!S_ISDIR(mode)) {
        if (::unlinkat(parent.Get(), name, 0) != 0) {
            return fail(errno, errno == EBUSY ? TRefusal::Mounted : TRefusal::None);
        }
        progress.Add(1);
        return 0;
    }
    TFd dir(OpenBelow(parent.Get(), name, identity));
    if (!dir) {
        const int error = errno;
        if (error == EXDEV || ::unlinkat(parent.Get(), name, AT_REMOVEDIR) != 0) {
            return fail(error, error == EXDEV ? TRefusal::Mounted : TRefusal::None);
        }
        progress.Add(1);
        return 0;
    }
    TFd holder(Duplicate(parent.Get()));
    if (!holder) {
        return fail(errno);
    }
    TWalk walk(cancel, progress, failure, identity.Mount);
    RemoveTree(walk, { std::move(dir), std::move(holder), item.Name, displayPath, identity, nullptr },
        WorkerCount(parent.Get()));
    walk.RethrowAny();
    return walk.CancelSeen() ? ECANCELED : walk.Result();
}

} // namespace platform::posix
