#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The version functions of the system, for the VS_VERSIONINFO block of a file
// (Windows: GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW;
// POSIX: the same over the block that the build placed in the ELF section
// ".ft_version").

// Size in bytes of the file's version information; 0 when it has none or it
// cannot be read. Sets handle to 0.
std::uint32_t VersionInfoSize(const std::u16string& path, std::uint32_t& handle);

// Copies the file's version information into data, at most size bytes;
// true on success. handle is ignored.
bool VersionInfoRead(const std::u16string& path, std::uint32_t handle, std::uint32_t size, void* data);

// Looks subBlock up in a block that VersionInfoRead filled: "\" gives the
// VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the translation table,
// "\StringFileInfo\<table>\<key>" a text value (keys compare case-insensitively).
// On success value addresses the value inside the block and length is its
// size (bytes for binary values, UTF-16 units for text values).
bool VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
    std::uint32_t& length);

} // namespace platform
