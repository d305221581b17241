#include "platform/VersionInfo.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Utf.h"
#include "core/VersionBlock.h"
#include "platform/Descriptor_posix.h"

// The build places each program's VS_VERSIONINFO block, laid out exactly as
// on Windows, in an ELF section of its executable. Any file may be asked
// about, so every offset and length read from it is checked against the
// file and against its parent before it is used.

namespace platform {

namespace {

constexpr char SectionName[] = ".ft_version";
constexpr std::uint64_t MaxTableBytes = 16u << 20; // no ELF of ours comes near

class TFile {
public:
    explicit TFile(const std::u16string& path)
    {
        // O_NONBLOCK: a FIFO or device named by the caller must not hang us.
        const std::optional<std::string> native = PathTextToBytes(path);
        FHandle.Reset(native ? ::open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK) : -1);
        struct stat st {};
        if (FHandle && ::fstat(FHandle.Get(), &st) == 0 && S_ISREG(st.st_mode)) {
            FSize = static_cast<std::uint64_t>(st.st_size);
        } else {
            FSize = 0;
        }
    }
    std::uint64_t Size() const { return FSize; }

    // Exactly length bytes at offset, all inside the file, or nothing.
    std::optional<std::vector<std::uint8_t>> ReadAt(std::uint64_t offset, std::uint64_t length) const
    {
        if (offset > FSize || length > FSize - offset || length > MaxTableBytes) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pread(FHandle.Get(), bytes.data() + done, bytes.size() - done,
                static_cast<off_t>(offset + done));
            if (n <= 0) {
                return std::nullopt;
            }
            done += static_cast<std::size_t>(n);
        }
        return bytes;
    }

private:
    posix::TFd FHandle;
    std::uint64_t FSize = 0;
};

// Fields of an ELF header or section header, in the file's byte order.
struct TElfReader {
    bool BigEndian = false;

    std::uint64_t Field(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t width) const
    {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::uint8_t b = bytes[at + (BigEndian ? i : width - 1 - i)];
            v = (v << 8) | b;
        }
        return v;
    }
};

struct TLayout {
    std::size_t HeaderBytes, ShOff, ShOffWidth, ShEntSize, ShNum, ShStrNdx;
    std::size_t EntryBytes, Name, Type, Offset, Size, Link, AddrWidth;
};

constexpr TLayout Elf32 { 52, 0x20, 4, 0x2E, 0x30, 0x32, 40, 0, 4, 16, 20, 24, 4 };
constexpr TLayout Elf64 { 64, 0x28, 8, 0x3A, 0x3C, 0x3E, 64, 0, 4, 24, 32, 40, 8 };

constexpr std::uint32_t ShtProgbits = 1;
constexpr std::uint64_t ShnXindex = 0xFFFF;

// The bytes of the named section, or nothing when the file is no ELF file,
// lacks the section or is damaged anywhere on the way to it.
std::optional<std::vector<std::uint8_t>> ReadSection(const TFile& file)
{
    const auto ident = file.ReadAt(0, 16);
    if (!ident || std::memcmp(ident->data(), "\x7F" "ELF", 4) != 0) {
        return std::nullopt;
    }
    const std::uint8_t elfClass = (*ident)[4];
    const std::uint8_t data = (*ident)[5];
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2)) {
        return std::nullopt;
    }
    const TLayout& l = elfClass == 2 ? Elf64 : Elf32;
    const TElfReader r { data == 2 };
    const auto header = file.ReadAt(0, l.HeaderBytes);
    if (!header) {
        return std::nullopt;
    }
    const std::uint64_t shoff = r.Field(*header, l.ShOff, l.ShOffWidth);
    const std::uint64_t entSize = r.Field(*header, l.ShEntSize, 2);
    std::uint64_t count = r.Field(*header, l.ShNum, 2);
    std::uint64_t strIndex = r.Field(*header, l.ShStrNdx, 2);
    if (shoff == 0 || entSize < l.EntryBytes) {
        return std::nullopt;
    }
    const auto first = file.ReadAt(shoff, l.EntryBytes);
    if (!first) {
        return std::nullopt;
    }
    // Many sections: the real count and string table index sit in section 0.
    if (count == 0) {
        count = r.Field(*first, l.Size, l.AddrWidth);
    }
    if (strIndex == ShnXindex) {
        strIndex = r.Field(*first, l.Link, 4);
    }
    if (strIndex >= count || count > (file.Size() - shoff) / entSize) {
        return std::nullopt;
    }
    const auto table = file.ReadAt(shoff, count * entSize);
    if (!table) {
        return std::nullopt;
    }
    const auto field = [&](std::uint64_t index, std::size_t at, std::size_t width) {
        return r.Field(*table, static_cast<std::size_t>(index * entSize) + at, width);
    };
    const auto strings
        = file.ReadAt(field(strIndex, l.Offset, l.AddrWidth), field(strIndex, l.Size, l.AddrWidth));
    if (!strings) {
        return std::nullopt;
    }
    for (std::uint64_t i = 1; i < count; ++i) {
        const std::uint64_t name = field(i, l.Name, 4);
        if (name >= strings->size() || strings->size() - name < sizeof SectionName
            || std::memcmp(strings->data() + name, SectionName, sizeof SectionName) != 0) {
            continue;
        }
        if (field(i, l.Type, 4) != ShtProgbits) {
            return std::nullopt;
        }
        return file.ReadAt(field(i, l.Offset, l.AddrWidth), field(i, l.Size, l.AddrWidth));
    }
    return std::nullopt;
}

// The block of the file, checked at its root: key "VS_VERSION_INFO" and a
// length that fits in the section.
std::optional<std::vector<std::uint8_t>> ReadBlock(const std::u16string& path)
{
    const TFile file(path);
    auto section = ReadSection(file);
    if (!section) {
        return std::nullopt;
    }
    const std::size_t length = VersionBlockLength(section->data(), section->size());
    if (length == 0) {
        return std::nullopt;
    }
    section->resize(length);
    return section;
}

} // namespace

std::uint32_t VersionInfoSize(const std::u16string& path, std::uint32_t& handle)
{
    handle = 0;
    const auto block = ReadBlock(path);
    return block ? static_cast<std::uint32_t>(block->size()) : 0;
}

bool VersionInfoRead(const std::u16string& path, std::uint32_t /*handle*/, std::uint32_t size, void* data)
{
    const auto block = ReadBlock(path);
    // A short buffer is refused rather than cut: the look-ups trust the
    // block's own length.
    if (!block || data == nullptr || size < block->size()) {
        return false;
    }
    std::memcpy(data, block->data(), block->size());
    return true;
}

bool VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
    std::uint32_t& length)
{
    return VersionBlockQuery(block, subBlock, value, length);
}

} // namespace platform
