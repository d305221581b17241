#pragma once

// Owners of the POSIX engine's open files and directories.

#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace platform::posix {

// Owns one file descriptor.
class TFd {
public:
    explicit TFd(int fd = -1) noexcept : FFd(fd) {}
    TFd(TFd&& other) noexcept : FFd(other.Release()) {}
    TFd& operator=(TFd&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() { Reset(); }

    int Get() const noexcept { return FFd; }
    explicit operator bool() const noexcept { return FFd >= 0; }
    int Release() noexcept
    {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Reset(int fd = -1) noexcept
    {
        if (FFd >= 0) {
            ::close(FFd);
        }
        FFd = fd;
    }

private:
    int FFd;
};

struct TDirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

// Owns one open directory stream.
using TDir = std::unique_ptr<DIR, TDirCloser>;

} // namespace platform::posix
