#include "platform/VersionInfo.h"

#include "platform/WinApi_win32.h"

namespace platform {

namespace {

LPCWSTR Wide(const std::u16string& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

} // namespace

std::uint32_t VersionInfoSize(const std::u16string& path, std::uint32_t& handle)
{
    DWORD h = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(Wide(path), &h);
    handle = h;
    return size;
}

bool VersionInfoRead(const std::u16string& path, std::uint32_t handle, std::uint32_t size, void* data)
{
    return ::GetFileVersionInfoW(Wide(path), handle, size, data) != FALSE;
}

bool VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
    std::uint32_t& length)
{
    LPVOID pointer = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(block, Wide(subBlock), &pointer, &size)) {
        return false;
    }
    value = pointer;
    length = size;
    return true;
}

} // namespace platform
