#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The freedesktop trash's rules for names and for the text of a .trashinfo
// file. Names and paths are bytes, as the file system holds them.

// Longer names are shortened in the trash so that "<name>.trashinfo" and a
// number still fit in a name; the original name is kept in Path.
inline constexpr std::size_t MaxTrashNameBytes = 200;

// The name cut to MaxTrashNameBytes, at a UTF-8 character boundary.
std::string ShortenTrashName(std::string name);

// The name to try at the given attempt (1, 2, ...): "name", then "name.2",
// "name.3" ...; an extension stays last ("a.2.txt").
std::string TrashNameVariant(const std::string& name, int attempt);

// What Path= records for an item at the absolute path: the path itself in the
// home trash (topDir empty), else the path relative to topDir.
std::string TrashRecordedPath(const std::string& absolute, const std::string& topDir);

// Trash "Path=" encoding: bytes outside A-Z a-z 0-9 - _ . ~ / become %XX.
std::string PercentEncodePath(std::string_view path);

// The whole .trashinfo file for a recorded path and a local time
// "YYYY-MM-DDThh:mm:ss".
std::string TrashInfoText(const std::string& recordedPath, const std::string& deletionDate);
