#pragma once

// Internal to the POSIX file-operation engine (and its tests).

#include <optional>
#include <string>
#include <string_view>

#include "platform/Descriptor_posix.h"

namespace platform {

class TCancelToken;

namespace posix {

// The directory entry a path names: its parent as given and its own name.
struct TItemPath {
    std::string Parent;
    std::string Name;
};

// Trailing '/' are ignored, so "link/" names the link. The root, an empty
// path and paths ending in "." or ".." are refused (nullopt).
std::optional<TItemPath> SplitItemPath(std::string path);

// The first thing that went wrong with an item.
struct TItemFailure {
    std::string Path; // the item's path, or the path inside it that failed
    int Error = 0;    // errno value
};

// Moves the item into the freedesktop trash; 0 or an errno value. Leaves the
// item where it was whenever it fails.
int TrashItem(const std::string& displayPath, const TItemPath& item, TItemFailure& failure);

// Removes the item and everything below it on its file system; 0 or an errno
// value (ECANCELED when cancel was seen). What cannot be removed stays.
int RemoveItem(const std::string& displayPath, const TItemPath& item, const TCancelToken& cancel,
    TItemFailure& failure);

} // namespace posix
} // namespace platform
