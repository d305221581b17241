#include "platform/BatchFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Exception.h"
#include "core/MessageText.h"
#include "core/Utf.h"
#include "platform/Descriptor_posix.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

[[noreturn]] void ThrowCreateError(const std::u16string& path, int error)
{
    throw Exception(BatchFileCreateErrorText(PathDisplayText(path), TrimSystemErrorText(SystemErrorText(static_cast<std::uint32_t>(error)))));
}

// The new file lives in the target's folder, so the rename never crosses a
// file system; the name is hidden and short whatever the target is called.
std::string TempPathBeside(const std::string& target, std::mt19937& random)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t slash = target.rfind('/');
    std::string temp = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    temp += ".batchfile-";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(Letters) - 2);
    for (int i = 0; i < 8; ++i) {
        temp += Letters[pick(random)];
    }
    return temp;
}

class TTempFile {
public:
    TTempFile() = default;
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile()
    {
        FDescriptor.Reset();
        if (!FPath.empty()) {
            ::unlink(FPath.c_str());
        }
    }

    // 0 on success, else the errno of the last attempt.
    int Create(const std::string& target)
    {
        std::mt19937 random(std::random_device {}());
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string path = TempPathBeside(target, random);
            // 0777 and the kernel applies the umask: a runnable script.
            FDescriptor.Reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777));
            if (FDescriptor) {
                FPath = std::move(path);
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }

    int Write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(FDescriptor.Get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            done += static_cast<std::size_t>(n);
        }
        if (::fsync(FDescriptor.Get()) != 0) {
            return errno;
        }
        return ::close(FDescriptor.Release()) == 0 ? 0 : errno;
    }

    int MoveTo(const std::string& target)
    {
        if (::rename(FPath.c_str(), target.c_str()) != 0) {
            return errno;
        }
        FPath.clear();
        return 0;
    }

private:
    posix::TFd FDescriptor;
    std::string FPath;
};

void SyncFolderOf(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const posix::TFd descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor) {
        ::fsync(descriptor.Get()); // the file is complete already; this only hurries the rename
    }
}

} // namespace

TScriptFormat BatchScriptFormat() noexcept { return TScriptFormat::PosixShell; }

std::u16string BatchFileDefaultSuffix() { return u".sh"; }

std::u16string BatchFileFilter() { return u"バッチファイル(*.sh)|*.sh|すべてのファイル(*)|*"; }

// The line holds paths: their exact bytes, whatever the encoding of their
// names; empty when the text names no bytes (it holds a NUL).
std::string EncodeBatchText(const std::u16string& text) { return PathTextToBytes(text).value_or(std::string()); }

void WriteBatchFile(const std::u16string& path, const std::u16string& text)
{
    const std::optional<std::string> target = PathTextToBytes(path);
    if (!target) {
        ThrowCreateError(path, ENOENT);
    }
    const std::optional<std::string> bytes = PathTextToBytes(text);
    if (!bytes) {
        ThrowCreateError(path, EILSEQ); // a script that runs something else is worse than none
    }
    TTempFile temp;
    int error = temp.Create(*target);
    if (error == 0) {
        error = temp.Write(*bytes);
    }
    if (error == 0) {
        error = temp.MoveTo(*target);
    }
    if (error != 0) {
        ThrowCreateError(path, error);
    }
    SyncFolderOf(*target);
}

} // namespace platform
