#include "platform/PathDelimiter.h"

namespace platform {

char16_t PathDelimiter() noexcept { return u'\\'; }

} // namespace platform
