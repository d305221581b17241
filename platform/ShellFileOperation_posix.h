#pragma once

// Internal to the POSIX file-operation engine (and its tests).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Descriptor_posix.h"

namespace platform {

class TCancelToken;
class TProgressCount;

namespace posix {

// The directory entry a path names: its parent as given and its own name.
struct TItemPath {
    std::string Parent;
    std::string Name;
};

// Trailing '/' are ignored, so "link/" names the link. The root, an empty
// path and paths ending in "." or ".." are refused (nullopt).
std::optional<TItemPath> SplitItemPath(std::string path);

// Why the engine itself refused, where the system's error text would mislead.
enum class TRefusal {
    None,
    Mounted,     // a file system (or a bind) is mounted there
    MountBelow,  // ... or somewhere below it
    TrashFolder, // the trash folder itself
    InsideTrash, // something inside a trash
};

// The first thing that went wrong with an item.
struct TItemFailure {
    std::string Path; // the item's path, or the path inside it that failed
    int Error = 0;    // errno value
    TRefusal Refusal = TRefusal::None;
};

// Moves the item into the freedesktop trash; 0 or an errno value. Leaves the
// item where it was whenever it fails.
int TrashItem(const std::string& displayPath, const TItemPath& item, TItemFailure& failure);

// Removes the item and everything below it on its file system; 0 or an errno
// value (ECANCELED when cancel was seen). What cannot be removed stays.
// Folders are emptied by several threads at once; each removed entry is
// added to progress.
int RemoveItem(const std::string& displayPath, const TItemPath& item, const TCancelToken& cancel,
    TProgressCount& progress, TItemFailure& failure);

// Where the permanent walk is open to changes of the tree under it: before it
// opens a folder it has looked at, before a worker takes a folder handed to
// it, and before it removes an emptied folder.
enum class TWalkPoint { BeforeOpen, BeforeTake, BeforeRemove };

// Lets tests change the tree at those points; null (the default) in the
// programs. Called on the walk's threads.
using TWalkHook = std::function<void(TWalkPoint point, const std::string& path)>;
void SetWalkHook(TWalkHook hook);

// The mount points of /proc/self/mountinfo, its octal escapes decoded.
std::vector<std::string> MountPoints();
std::string DecodeMountField(std::string_view field);

// Why the trash must refuse the item at this absolute, resolved path: a mount
// point, a mount below it, the home trash (as resolved) or a topdir trash
// itself, or something inside one of them. None when it may go.
TRefusal TrashRefusal(std::string_view absolute, const std::vector<std::string>& mountPoints,
    std::string_view homeTrash);

} // namespace posix
} // namespace platform
