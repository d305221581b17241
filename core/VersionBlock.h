#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The walk through a VS_VERSIONINFO block, laid out as on Windows: nodes of
// wLength, wValueLength, wType, a NUL-terminated UTF-16LE key, the value and
// the children, each on a 4-byte boundary. Every length read from the block
// is checked against its node and its parent before it is used.

// The block's length: the wLength of the root node at the start of bytes, when
// its key is "VS_VERSION_INFO" and it lies within size bytes (and 0xFFFF);
// 0 otherwise.
std::size_t VersionBlockLength(const std::uint8_t* bytes, std::size_t size);

// VerQueryValueW over a block whose length VersionBlockLength accepted: "\"
// gives the VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the translation
// table, "\StringFileInfo\<table>\<key>" a text value (keys compare
// case-insensitively). On success value addresses the value inside the block
// and length is its size (bytes for binary values, UTF-16 units for text).
bool VersionBlockQuery(const void* block, std::u16string_view subBlock, const void*& value,
    std::uint32_t& length);
