#pragma once

// The one way the Win32 services include the system headers: wide API only,
// no min/max macros, no rarely used subsystems.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#include <windows.h>

#include <string>

namespace platform {

// The core's UTF-16 text is the system's wide text; only the type differs.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 on Windows");

inline const wchar_t* AsWide(const char16_t* text) noexcept
{
    return reinterpret_cast<const wchar_t*>(text);
}

inline const wchar_t* AsWide(const std::u16string& text) noexcept { return AsWide(text.c_str()); }

inline wchar_t* AsWide(char16_t* text) noexcept { return reinterpret_cast<wchar_t*>(text); }

inline std::u16string FromWide(const wchar_t* text, std::size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

} // namespace platform
