#include "platform/ExecutablePath.h"

#include "platform/WinApi_win32.h"

namespace platform {

namespace {

// Extended-length paths stop at 32767 characters; a buffer beyond that
// cannot be too small, so growing past it means the call keeps failing.
constexpr std::size_t LongestPath = 32768;

} // namespace

std::u16string ExecutablePath()
{
    std::u16string buffer(MAX_PATH, u'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, AsWide(buffer.data()), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return {};
        }
        // A truncated name fills the buffer exactly (with or without its zero).
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        if (buffer.size() >= LongestPath) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
