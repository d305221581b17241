#include "platform/SystemError.h"

#include <memory>

#include "platform/WinApi_win32.h"

namespace platform {

namespace {

struct TLocalFreer {
    void operator()(wchar_t* buffer) const noexcept { ::LocalFree(buffer); }
};

} // namespace

std::uint32_t LastSystemError() noexcept { return ::GetLastError(); }

std::u16string SystemErrorText(std::uint32_t code)
{
    wchar_t* buffer = nullptr;
    // With ALLOCATE_BUFFER the buffer argument receives the address of the text.
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, TLocalFreer> owner(buffer);
    if (length == 0 || !buffer) {
        return {};
    }
    return FromWide(buffer, length);
}

} // namespace platform
