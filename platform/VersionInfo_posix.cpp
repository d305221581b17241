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

// The build places each program's VS_VERSIONINFO block, laid out exactly as
// on Windows, in an ELF section of its executable. Any file may be asked
// about, so every offset and length read from it is checked against the
// file and against its parent before it is used.

namespace platform {

namespace {

constexpr char SectionName[] = ".ft_version";
constexpr std::uint64_t MaxTableBytes = 16u << 20; // no ELF of ours comes near
constexpr std::size_t FixedInfoBytes = 52;         // sizeof(VS_FIXEDFILEINFO)

class TFile {
public:
    explicit TFile(const std::u16string& path)
    {
        // O_NONBLOCK: a FIFO or device named by the caller must not hang us.
        const std::optional<std::string> native = PathTextToBytes(path);
        FHandle = native ? ::open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK) : -1;
        struct stat st {};
        if (FHandle >= 0 && ::fstat(FHandle, &st) == 0 && S_ISREG(st.st_mode)) {
            FSize = static_cast<std::uint64_t>(st.st_size);
        } else {
            FSize = 0;
        }
    }
    ~TFile()
    {
        if (FHandle >= 0) {
            ::close(FHandle);
        }
    }
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;

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
            const ssize_t n = ::pread(FHandle, bytes.data() + done, bytes.size() - done,
                static_cast<off_t>(offset + done));
            if (n <= 0) {
                return std::nullopt;
            }
            done += static_cast<std::size_t>(n);
        }
        return bytes;
    }

private:
    int FHandle = -1;
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

std::uint16_t Read16(const std::uint8_t* p, std::size_t at) { return static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8)); }

constexpr std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t { 3 }; }

// One node of the block: wLength, wValueLength, wType, key, value, children.
struct TNode {
    std::size_t Start = 0;
    std::size_t End = 0;
    std::size_t KeyStart = 0;
    std::size_t KeyUnits = 0;
    std::size_t ValueStart = 0;
    std::size_t ValueBytes = 0;
    std::size_t ChildStart = 0;
    bool Text = false;
};

// The node at start, which must lie wholly before limit.
std::optional<TNode> ParseNode(const std::uint8_t* block, std::size_t start, std::size_t limit)
{
    if (start > limit || limit - start < 8) {
        return std::nullopt;
    }
    const std::size_t length = Read16(block, start);
    if (length < 8 || length > limit - start) {
        return std::nullopt;
    }
    TNode node;
    node.Start = start;
    node.End = start + length;
    node.KeyStart = start + 6;
    std::size_t at = node.KeyStart;
    while (at + 2 <= node.End && Read16(block, at) != 0) {
        at += 2;
    }
    if (at + 2 > node.End) {
        return std::nullopt; // key runs past the node
    }
    node.KeyUnits = (at - node.KeyStart) / 2;
    node.ValueStart = std::min(Align4(at + 2), node.End);
    node.Text = Read16(block, start + 4) == 1;
    const std::size_t room = node.End - node.ValueStart;
    const std::size_t valueLength = Read16(block, start + 2);
    if (node.Text) {
        node.ValueBytes = std::min(valueLength * 2, room & ~std::size_t { 1 });
    } else if (valueLength <= room) {
        node.ValueBytes = valueLength;
    } else {
        return std::nullopt; // binary value runs past the node
    }
    node.ChildStart = std::min(Align4(node.ValueStart + node.ValueBytes), node.End);
    return node;
}

char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool KeyIs(const std::uint8_t* block, const TNode& node, std::u16string_view name)
{
    if (node.KeyUnits != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (Fold(Read16(block, node.KeyStart + 2 * i)) != Fold(name[i])) {
            return false;
        }
    }
    return true;
}

std::optional<TNode> FindChild(const std::uint8_t* block, const TNode& parent, std::u16string_view name)
{
    std::size_t at = parent.ChildStart;
    while (Align4(at) < parent.End) {
        const auto child = ParseNode(block, Align4(at), parent.End);
        if (!child) {
            return std::nullopt;
        }
        if (KeyIs(block, *child, name)) {
            return child;
        }
        at = child->End;
    }
    return std::nullopt;
}

// The block of the file, checked at its root: key "VS_VERSION_INFO" and a
// length that fits in the section.
std::optional<std::vector<std::uint8_t>> ReadBlock(const std::u16string& path)
{
    const TFile file(path);
    auto section = ReadSection(file);
    if (!section || section->size() < 8) {
        return std::nullopt;
    }
    const auto root = ParseNode(section->data(), 0, std::min<std::size_t>(section->size(), 0xFFFF));
    if (!root || !KeyIs(section->data(), *root, u"VS_VERSION_INFO")) {
        return std::nullopt;
    }
    section->resize(root->End);
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
    static const char16_t Empty[1] = {};
    if (block == nullptr) {
        return false;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    auto node = ParseNode(bytes, 0, Read16(bytes, 0));
    if (!node) {
        return false;
    }
    bool root = true;
    std::u16string_view rest(subBlock);
    while (!rest.empty()) {
        const std::size_t cut = rest.find(u'\\');
        const std::u16string_view name = rest.substr(0, cut);
        rest = cut == std::u16string_view::npos ? std::u16string_view() : rest.substr(cut + 1);
        if (name.empty()) {
            continue;
        }
        node = FindChild(bytes, *node, name);
        if (!node) {
            return false;
        }
        root = false;
    }
    if (root) {
        if (node->ValueBytes < FixedInfoBytes) {
            return false;
        }
        value = bytes + node->ValueStart;
        length = static_cast<std::uint32_t>(node->ValueBytes);
        return true;
    }
    if (node->Text) {
        // A text value always ends in a NUL inside the block, so a reader that
        // stops at the NUL cannot run off its end.
        const std::size_t units = node->ValueBytes / 2;
        std::size_t at = node->ValueStart;
        while (at + 2 <= node->End && Read16(bytes, at) != 0) {
            at += 2;
        }
        if (units == 0) {
            value = Empty;
        } else if (at + 2 > node->End) {
            return false;
        } else {
            value = bytes + node->ValueStart;
        }
        length = static_cast<std::uint32_t>(units);
        return true;
    }
    value = bytes + node->ValueStart;
    length = static_cast<std::uint32_t>(node->ValueBytes);
    return true;
}

} // namespace platform
