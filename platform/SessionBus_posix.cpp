#include "platform/SessionBus.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// An address libdbus refuses at once.
constexpr char DisabledAddress[] = "disabled:";

// The socket of the first unix: address in a D-Bus address list; its name
// begins with '\0' for an abstract one. Other transports are not probed.
std::optional<std::string> UnixSocketOf(const std::string& addresses)
{
    std::size_t start = 0;
    while (start <= addresses.size()) {
        const std::size_t end = std::min(addresses.find(';', start), addresses.size());
        const std::string address = addresses.substr(start, end - start);
        start = end + 1;
        if (address.rfind("unix:", 0) != 0) {
            continue;
        }
        std::size_t at = 5;
        while (at < address.size()) {
            const std::size_t stop = std::min(address.find(',', at), address.size());
            const std::string pair = address.substr(at, stop - at);
            at = stop + 1;
            const std::size_t equals = pair.find('=');
            if (equals == std::string::npos) {
                continue;
            }
            const std::string key = pair.substr(0, equals);
            std::string value;
            for (std::size_t i = equals + 1; i < pair.size(); ++i) {
                if (pair[i] == '%' && i + 2 < pair.size()) {
                    value += static_cast<char>(std::strtol(pair.substr(i + 1, 2).c_str(), nullptr, 16));
                    i += 2;
                } else {
                    value += pair[i];
                }
            }
            if (key == "path") {
                return value;
            }
            if (key == "abstract") {
                return std::string(1, '\0') + value;
            }
        }
    }
    return std::nullopt;
}

struct TSocket {
    int Fd = -1;
    ~TSocket()
    {
        if (Fd >= 0) {
            ::close(Fd);
        }
    }
};

// true when the bus answered the authentication greeting (whatever it said),
// or cannot be reached at all (libdbus then fails at once by itself).
bool BusAnswers(const std::string& socketName, int timeoutMs)
{
    sockaddr_un address {};
    if (socketName.size() >= sizeof address.sun_path) {
        return true;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketName.data(), socketName.size());
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socketName.size()
        + (socketName[0] == '\0' ? 0 : 1));
    TSocket socket { ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0) };
    if (socket.Fd < 0) {
        return true;
    }
    if (::connect(socket.Fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 && errno != EINPROGRESS
        && errno != EAGAIN) {
        return true;
    }
    std::string greeting(1, '\0');
    greeting += "AUTH EXTERNAL ";
    static constexpr char Hex[] = "0123456789abcdef";
    for (const char c : std::to_string(::getuid())) {
        greeting += Hex[static_cast<unsigned char>(c) >> 4];
        greeting += Hex[c & 0x0F];
    }
    greeting += "\r\n";

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto waitFor = [&](short events) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0) {
                return false;
            }
            pollfd one { socket.Fd, events, 0 };
            const int n = ::poll(&one, 1, static_cast<int>(left));
            if (n > 0) {
                return true;
            }
            if (n < 0 && errno != EINTR) {
                return true; // let libdbus meet the error itself
            }
        }
    };
    std::size_t sent = 0;
    while (sent < greeting.size()) {
        if (!waitFor(POLLOUT)) {
            return false;
        }
        const ssize_t n = ::send(socket.Fd, greeting.data() + sent, greeting.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return true;
        }
        sent += static_cast<std::size_t>(n);
    }
    if (!waitFor(POLLIN)) {
        return false;
    }
    return true; // a reply, an end or an error: in each case the bus does not hang
}

} // namespace

bool SessionBusFindable() noexcept
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) {
        return std::strcmp(address, DisabledAddress) != 0;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat status {};
        if (::stat((std::string(runtime) + "/bus").c_str(), &status) == 0) {
            return true;
        }
    }
    // libdbus starts a bus for an X display that has none.
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

void DropSilentSessionBus(int timeoutMs) noexcept
{
    try {
        const char* value = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (!value || !*value) {
            return;
        }
        const std::optional<std::string> socketName = UnixSocketOf(value);
        if (socketName && !socketName->empty() && !BusAnswers(*socketName, timeoutMs)) {
            // An address libdbus refuses at once: no call waits, none autolaunches a bus.
            ::setenv("DBUS_SESSION_BUS_ADDRESS", DisabledAddress, 1);
        }
    } catch (...) {
        // Without the check the programs still run; they may only start slowly.
    }
}

} // namespace platform
