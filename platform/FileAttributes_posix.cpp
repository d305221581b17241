#include "platform/FileAttributes.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Utf.h"
#include "platform/Descriptor_posix.h"

namespace platform {

namespace {

bool MeansNotThere(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG;
}

} // namespace

TFileAttributes QueryFileAttributes(const std::u16string& path)
{
    TFileAttributes result;
    const std::optional<std::string> bytes = PathTextToBytes(path);
    if (!bytes) {
        result.Error = TAttributeError::NotThere; // a text that names no path
        return result;
    }
    const std::string& native = *bytes;
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) {
        result.Error = MeansNotThere(errno) ? TAttributeError::NotThere : TAttributeError::Other;
        return result;
    }
    result.Readable = true;
    if (S_ISLNK(st.st_mode)) {
        result.ReparsePoint = true;
        struct stat target {};
        result.Directory = ::stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    } else {
        result.Directory = S_ISDIR(st.st_mode);
    }
    return result;
}

TFileAttributes QueryFolderAttributes(std::u16string path)
{
    // Callers add a delimiter; through it lstat would follow a link and
    // never see it as one.
    while (path.size() > 1 && path.back() == u'/') {
        path.pop_back();
    }
    return QueryFileAttributes(path);
}

bool OpensAsFolder(const std::u16string& path)
{
    const std::optional<std::string> native = PathTextToBytes(path);
    const posix::TFd fd(native ? ::open(native->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1);
    return static_cast<bool>(fd);
}

bool SearchFindsFile(const std::u16string& path)
{
    const std::optional<std::string> bytes = PathTextToBytes(path);
    if (!bytes) {
        return false;
    }
    std::string native = *bytes;
    while (native.size() > 1 && native.back() == '/') {
        native.pop_back();
    }
    const auto slash = native.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : native.substr(0, slash));
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const posix::TDir dir(::opendir(parent.c_str()));
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (name == entry->d_name) {
            return entry->d_type != DT_DIR;
        }
    }
    return false;
}

} // namespace platform
