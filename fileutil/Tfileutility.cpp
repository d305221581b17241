#include "fileutil/Tfileutility.h"

#include <algorithm>
#include <atomic>

#include "core/PathRules.h"
#include "core/TStringList.h"
#include "platform/FileAttributes.h"
#include "platform/PathDelimiter.h"
#include "platform/ShellFileOperation.h"

namespace {

std::atomic<platform::TWindowHandle> OwnerWindow { 0 };

class TSystemShell final : public TShell {
public:
    int FileOperation(platform::TFileOperationRequest& request) override
    {
        return platform::RunFileOperation(request);
    }
};

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// "X:\" or "X:/" on Windows; "/", "//" ... on POSIX.
bool NamesRoot(const std::u16string& path, char16_t delimiter)
{
    if (delimiter == u'\\') {
        return path.size() == 3 && IsDriveLetter(path[0]) && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
    }
    return !path.empty() && std::all_of(path.begin(), path.end(), [=](char16_t c) { return c == delimiter; });
}

bool DirectoryTestPasses(const platform::TFileAttributes& attributes)
{
    return attributes.Readable && attributes.Directory;
}

bool FileTestPasses(const std::u16string& path, const platform::TFileAttributes& attributes)
{
    if (attributes.Readable) {
        return !attributes.Directory;
    }
    // Locked or shared files whose attributes cannot be read still count.
    return attributes.Error != platform::TAttributeError::NotThere && platform::SearchFindsFile(path);
}

} // namespace

TShell& SystemShell()
{
    static TSystemShell shell;
    return shell;
}

void SetApplicationWindow(platform::TWindowHandle window) noexcept { OwnerWindow.store(window); }

platform::TWindowHandle ApplicationWindow() noexcept { return OwnerWindow.load(); }

std::uint16_t DeleteRequestFlags(bool recycle) noexcept
{
    using namespace platform;
    return recycle ? FofSimpleProgress | FofAllowUndo | FofNoConfirmation | FofWantNukeWarning
                   : FofSimpleProgress | FofNoConfirmation;
}

std::optional<std::u16string> FolderListEntry(std::u16string path, char16_t delimiter)
{
    if (NamesRoot(path, delimiter) && delimiter == u'\\') {
        return std::nullopt;
    }
    path = ExcludeTrailingDelimiter(std::move(path), delimiter);
    if (NamesRoot(path, delimiter)) {
        return std::nullopt;
    }
    return path;
}

bool ShellDeletePath(const std::u16string& path, bool recycle, TShell& shell)
{
    const auto list = std::make_unique<TStringList>();
    list->Add(path);
    return ShellDeletePaths(*list, recycle, shell);
}

bool ShellDeletePaths(const TStringList& paths, bool recycle, TShell& shell)
{
    return ShellDeletePathVector(StringListToVector(paths), recycle, shell);
}

std::vector<std::u16string> StringListToVector(const TStringList& list)
{
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<std::size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i) {
        paths.push_back(list[i]);
    }
    return paths;
}

std::unique_ptr<char16_t[]> BuildPathListBuffer(const std::vector<std::u16string>& paths, int& n)
{
    const char16_t delimiter = platform::PathDelimiter();
    std::vector<std::u16string> kept;
    std::size_t units = 0;
    for (const std::u16string& path : paths) {
        if (NamesNothing(path)) {
            continue; // one path must never become two
        }
        const platform::TFileAttributes attributes = platform::QueryFileAttributes(path);
        std::optional<std::u16string> entry;
        if (DirectoryTestPasses(attributes)) {
            entry = FolderListEntry(path, delimiter);
        } else if (FileTestPasses(path, attributes)) {
            entry = path;
        }
        if (entry) {
            units += entry->size() + 1;
            kept.push_back(std::move(*entry));
        }
    }
    auto buffer = std::make_unique<char16_t[]>(units);
    char16_t* out = buffer.get();
    for (const std::u16string& entry : kept) {
        out = std::copy(entry.begin(), entry.end(), out);
        *out++ = u'\0';
    }
    n = static_cast<int>(units);
    return buffer;
}

bool ShellDeletePathVector(std::vector<std::u16string> paths, bool recycle, TShell& shell)
{
    int n = 0;
    std::unique_ptr<char16_t[]> list;
    {
        const std::unique_ptr<char16_t[]> built = BuildPathListBuffer(paths, n);
        // Value-initialised: the NUL at index n ends the list, and the unit
        // after it is NUL as well, so even an empty list is doubly terminated.
        list = std::make_unique<char16_t[]>(static_cast<std::size_t>(n) + 2);
        std::copy_n(built.get(), n, list.get());
    }
    platform::TFileOperationRequest request;
    request.Owner = ApplicationWindow();
    request.Function = platform::FoDelete;
    request.From = list.get();
    request.To = nullptr;
    request.Flags = DeleteRequestFlags(recycle);
    request.ProgressTitle = nullptr;
    const int result = shell.FileOperation(request);
    list.reset();
    paths = {};
    return result == 0;
}
