#include "platform/SystemError.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>

#include "core/Utf.h"

namespace platform {

std::uint32_t LastSystemError() noexcept { return static_cast<std::uint32_t>(errno); }

std::u16string SystemErrorText(std::uint32_t code)
{
    // The user's locale, not whatever the process happens to have set.
    locale_t user = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) {
        user = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    }
    std::u16string text = Utf8ToUtf16(::strerror_l(static_cast<int>(code), user));
    ::freelocale(user);
    return text;
}

} // namespace platform
