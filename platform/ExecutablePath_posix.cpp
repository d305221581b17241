#include "platform/ExecutablePath.h"

#include <climits>
#include <string>
#include <unistd.h>

#include "core/Utf.h"

namespace platform {

std::u16string ExecutablePath()
{
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return PathBytesToText(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
