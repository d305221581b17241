#include "common/FolderTest.h"

#include "core/PathRules.h"
#include "platform/FileAttributes.h"

using platform::TAttributeError;

bool FolderExistsForOpener(const std::u16string& path)
{
    if (NamesNothing(path)) {
        return false;
    }
    const platform::TFileAttributes attributes = platform::QueryFolderAttributes(path);
    if (!attributes.Readable) {
        return attributes.Error != TAttributeError::NotThere;
    }
    if (!attributes.Directory) {
        return false;
    }
    return !attributes.ReparsePoint || platform::OpensAsFolder(path);
}

bool FolderExistsForRemover(const std::u16string& path)
{
    if (NamesNothing(path)) {
        return false;
    }
    const platform::TFileAttributes attributes = platform::QueryFolderAttributes(path);
    return attributes.Readable && attributes.Directory;
}
