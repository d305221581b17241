#include "platform/FileAttributes.h"

#include <memory>

#include "platform/WinApi_win32.h"

namespace platform {

namespace {

struct THandleCloser {
    void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};

struct TFindCloser {
    void operator()(HANDLE search) const noexcept { ::FindClose(search); }
};

// An INVALID_HANDLE_VALUE is never owned.
template <typename TCloser>
std::unique_ptr<void, TCloser> Own(HANDLE handle) noexcept
{
    return std::unique_ptr<void, TCloser>(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// The system would read the path only up to an embedded zero and answer for
// another path; such a path names nothing.
bool HasEmbeddedZero(const std::u16string& path)
{
    return path.find(u'\0') != std::u16string::npos;
}

bool MeansNotThere(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

} // namespace

TFileAttributes QueryFileAttributes(const std::u16string& path)
{
    TFileAttributes result;
    if (HasEmbeddedZero(path)) {
        result.Error = TAttributeError::NotThere;
        return result;
    }
    const DWORD attributes = ::GetFileAttributesW(AsWide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        result.Error = MeansNotThere(::GetLastError()) ? TAttributeError::NotThere : TAttributeError::Other;
        return result;
    }
    result.Readable = true;
    result.Directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    result.ReparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return result;
}

TFileAttributes QueryFolderAttributes(std::u16string path)
{
    return QueryFileAttributes(path);
}

bool OpensAsFolder(const std::u16string& path)
{
    if (HasEmbeddedZero(path)) {
        return false;
    }
    // Backup semantics are what lets a folder be opened at all; the handle
    // is only proof that the target is reachable.
    const auto handle = Own<THandleCloser>(::CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle != nullptr;
}

bool SearchFindsFile(const std::u16string& path)
{
    if (HasEmbeddedZero(path)) {
        return false;
    }
    WIN32_FIND_DATAW found {};
    const auto search = Own<TFindCloser>(::FindFirstFileW(AsWide(path), &found));
    return search != nullptr && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace platform
