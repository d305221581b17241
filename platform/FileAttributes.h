#pragma once

#include <string>

namespace platform {

// Why the attributes of a path could not be read.
enum class TAttributeError {
    None,     // they could be read
    NotThere, // Windows 2, 3, 123; POSIX ENOENT, ENOTDIR, ENAMETOOLONG
    Other,    // anything else: access denied, a loop, an I/O error ...
};

struct TFileAttributes {
    bool Readable = false;
    bool Directory = false;    // a folder, or a link whose target is one
    bool ReparsePoint = false; // a link or junction
    TAttributeError Error = TAttributeError::None;
};

// The path's attributes, exactly as passed in (no normalisation).
TFileAttributes QueryFileAttributes(const std::u16string& path);

// The attributes the folder tests look at: POSIX takes the path without its
// trailing delimiters, so that a link is seen as a link; Windows reads the
// path as it is, a trailing backslash does not resolve a link there.
TFileAttributes QueryFolderAttributes(std::u16string path);

// The path opens as a folder for reading, following links
// (Windows: CreateFileW with backup semantics; POSIX: open O_DIRECTORY).
bool OpensAsFolder(const std::u16string& path);

// A directory search for the path finds an entry that is not a folder
// (Windows: FindFirstFileW; POSIX: the parent's listing).
bool SearchFindsFile(const std::u16string& path);

} // namespace platform
