#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/QvAppInfo.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "platform/VersionInfo.h"
#include "tests/TempFolder.h"

#ifndef FT_WINDRES_TERVANO
#define FT_WINDRES_TERVANO ""
#define FT_WINDRES_QUISTEL ""
#endif

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const TBytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TBytes BlockOf(const std::string& path)
{
    const std::u16string file = Utf8ToUtf16(path);
    std::uint32_t handle = 0;
    TBytes block(platform::VersionInfoSize(file, handle));
    if (block.empty() || !platform::VersionInfoRead(file, 0, static_cast<std::uint32_t>(block.size()), block.data())) {
        block.clear();
    }
    return block;
}

// A minimal ELF file: null section, ".shstrtab", ".ft_version" holding the
// block, then the section table. Offsets are kept for the mutilations.
struct TElf {
    TBytes Bytes;
    bool Is64 = true;
    bool BigEndian = false;
    std::size_t NamesOffset = 0;
    std::size_t BlockOffset = 0;
    std::size_t SectionTable = 0;
    std::size_t EntrySize = 0;

    void Put(std::size_t at, std::uint64_t value, std::size_t width)
    {
        for (std::size_t i = 0; i < width; ++i) {
            Bytes[at + (BigEndian ? width - 1 - i : i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    // Header fields
    std::size_t ShOff() const { return Is64 ? 0x28 : 0x20; }
    std::size_t ShEntSize() const { return Is64 ? 0x3A : 0x2E; }
    std::size_t ShNum() const { return Is64 ? 0x3C : 0x30; }
    std::size_t ShStrNdx() const { return Is64 ? 0x3E : 0x32; }
    std::size_t Word() const { return Is64 ? 8 : 4; }
    // Section header fields of entry index
    std::size_t Entry(std::size_t index) const { return SectionTable + index * EntrySize; }
    std::size_t Name(std::size_t index) const { return Entry(index); }
    std::size_t Type(std::size_t index) const { return Entry(index) + 4; }
    std::size_t Offset(std::size_t index) const { return Entry(index) + (Is64 ? 24 : 16); }
    std::size_t Size(std::size_t index) const { return Entry(index) + (Is64 ? 32 : 20); }
    std::size_t Link(std::size_t index) const { return Entry(index) + (Is64 ? 40 : 24); }
};

TElf MakeElf(const TBytes& block, bool is64, bool bigEndian)
{
    TElf elf;
    elf.Is64 = is64;
    elf.BigEndian = bigEndian;
    elf.EntrySize = is64 ? 64 : 40;
    const std::size_t header = is64 ? 64 : 52;
    const char names[] = "\0.shstrtab\0.ft_version";
    const std::size_t namesOffset = header;
    elf.NamesOffset = namesOffset;
    elf.BlockOffset = (namesOffset + sizeof names + 3) & ~std::size_t { 3 };
    elf.SectionTable = (elf.BlockOffset + block.size() + 7) & ~std::size_t { 7 };
    elf.Bytes.assign(elf.SectionTable + 3 * elf.EntrySize, 0);
    std::memcpy(elf.Bytes.data(), "\x7F" "ELF", 4);
    elf.Bytes[4] = is64 ? 2 : 1;
    elf.Bytes[5] = bigEndian ? 2 : 1;
    elf.Bytes[6] = 1;
    std::memcpy(elf.Bytes.data() + namesOffset, names, sizeof names);
    std::memcpy(elf.Bytes.data() + elf.BlockOffset, block.data(), block.size());
    elf.Put(elf.ShOff(), elf.SectionTable, elf.Word());
    elf.Put(elf.ShEntSize(), elf.EntrySize, 2);
    elf.Put(elf.ShNum(), 3, 2);
    elf.Put(elf.ShStrNdx(), 1, 2);
    elf.Put(elf.Name(1), 1, 4);
    elf.Put(elf.Type(1), 3, 4); // SHT_STRTAB
    elf.Put(elf.Offset(1), namesOffset, elf.Word());
    elf.Put(elf.Size(1), sizeof names, elf.Word());
    elf.Put(elf.Name(2), 11, 4);
    elf.Put(elf.Type(2), 1, 4); // SHT_PROGBITS
    elf.Put(elf.Offset(2), elf.BlockOffset, elf.Word());
    elf.Put(elf.Size(2), block.size(), elf.Word());
    return elf;
}

class VersionElf : public testing::Test {
protected:
    void SetUp() override
    {
        Block = BlockOf(FT_PROBE_TERVANO);
        ASSERT_FALSE(Block.empty());
    }
    TBytes ReadBack(const TBytes& file)
    {
        const std::string path = Dir.File("program");
        WriteFile(path, file);
        return BlockOf(path);
    }
    TBytes Block;
    TTempFolder Dir { "ft-version-" };
};

TEST_F(VersionElf, ReadsEveryClassAndByteOrder)
{
    for (const bool is64 : { false, true }) {
        for (const bool big : { false, true }) {
            EXPECT_EQ(ReadBack(MakeElf(Block, is64, big).Bytes), Block) << "64-bit " << is64 << " big " << big;
        }
    }
}

TEST_F(VersionElf, FollowsExtendedSectionNumbering)
{
    for (const bool is64 : { false, true }) {
        TElf elf = MakeElf(Block, is64, false);
        elf.Put(elf.ShNum(), 0, 2);
        elf.Put(elf.Size(0), 3, elf.Word());
        elf.Put(elf.ShStrNdx(), 0xFFFF, 2);
        elf.Put(elf.Link(0), 1, 4);
        EXPECT_EQ(ReadBack(elf.Bytes), Block) << "64-bit " << is64;
    }
}

struct TElfDamage {
    const char* Name;
    std::function<void(TElf&)> Apply;
};

void PrintTo(const TElfDamage& c, std::ostream* os) { *os << c.Name; }

class VersionElfDamage : public VersionElf, public testing::WithParamInterface<TElfDamage> {};

TEST_P(VersionElfDamage, GivesNoVersionInformation)
{
    for (const bool is64 : { false, true }) {
        TElf elf = MakeElf(Block, is64, false);
        GetParam().Apply(elf);
        const std::string path = Dir.File("program");
        WriteFile(path, elf.Bytes);
        std::uint32_t handle = 0;
        EXPECT_EQ(platform::VersionInfoSize(Utf8ToUtf16(path), handle), 0u) << "64-bit " << is64;
        TBytes buffer(Block.size());
        EXPECT_FALSE(platform::VersionInfoRead(Utf8ToUtf16(path), 0, static_cast<std::uint32_t>(buffer.size()), buffer.data()));
        EXPECT_THROW(QvAppInfo(Utf8ToUtf16(path)), Exception);
    }
}

INSTANTIATE_TEST_SUITE_P(Mutilations, VersionElfDamage,
    testing::Values(
        TElfDamage { "Empty", [](TElf& e) { e.Bytes.clear(); } },
        TElfDamage { "IdentOnly", [](TElf& e) { e.Bytes.resize(16); } },
        TElfDamage { "NotElf", [](TElf& e) { e.Bytes[1] = 'X'; } },
        TElfDamage { "UnknownClass", [](TElf& e) { e.Bytes[4] = 3; } },
        TElfDamage { "UnknownByteOrder", [](TElf& e) { e.Bytes[5] = 0; } },
        TElfDamage { "SectionTableCut", [](TElf& e) { e.Bytes.resize(e.Entry(2) + 10); } },
        TElfDamage { "SectionTablePastEnd", [](TElf& e) { e.Put(e.ShOff(), e.Bytes.size() - 8, e.Word()); } },
        TElfDamage { "SectionTableFarAway", [](TElf& e) { e.Put(e.ShOff(), ~std::uint64_t { 0 } - 16, e.Word()); } },
        TElfDamage { "EntrySizeTiny", [](TElf& e) { e.Put(e.ShEntSize(), 1, 2); } },
        TElfDamage { "NoSectionTable", [](TElf& e) { e.Put(e.ShOff(), 0, e.Word()); } },
        TElfDamage { "NameTableIndexTooLarge", [](TElf& e) { e.Put(e.ShStrNdx(), 7, 2); } },
        TElfDamage { "NameTablePastEnd", [](TElf& e) { e.Put(e.Offset(1), e.Bytes.size() - 2, e.Word()); } },
        TElfDamage { "NameOffsetPastTable", [](TElf& e) { e.Put(e.Name(2), 0x7FFFFFFF, 4); } },
        TElfDamage { "NameUnterminated", [](TElf& e) { e.Put(e.Size(1), 22, e.Word()); } },
        TElfDamage { "SectionRenamed", [](TElf& e) { e.Bytes[e.NamesOffset + 12] = 'X'; } },
        TElfDamage { "SectionWithoutBytes", [](TElf& e) { e.Put(e.Type(2), 8, 4); } }, // SHT_NOBITS
        TElfDamage { "SectionPastEnd", [](TElf& e) { e.Put(e.Offset(2), e.Bytes.size() - 100, e.Word()); } },
        TElfDamage { "SectionHuge", [](TElf& e) { e.Put(e.Size(2), 0xFFFFFFFF, e.Word()); } },
        TElfDamage { "SectionTooSmall", [](TElf& e) { e.Put(e.Size(2), 6, e.Word()); } },
        TElfDamage { "BlockCut", [](TElf& e) { e.Put(e.Size(2), 200, e.Word()); } },
        TElfDamage { "BlockLengthPastSection", [](TElf& e) { e.Put(e.BlockOffset, 0xFFFF, 2); } },
        TElfDamage { "BlockLengthZero", [](TElf& e) { e.Put(e.BlockOffset, 0, 2); } },
        TElfDamage { "BlockKeyWrong", [](TElf& e) { e.Bytes[e.BlockOffset + 6] = 'W'; } }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(VersionElf, FilesThatAreNoProgramsGiveNone)
{
    const std::string fifo = Dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = Dir.File("folder");
    std::filesystem::create_directory(folder);
    for (const std::string& path : { fifo, folder, std::string("/dev/zero") }) {
        std::uint32_t handle = 0;
        EXPECT_EQ(platform::VersionInfoSize(Utf8ToUtf16(path), handle), 0u) << path;
    }
}

TEST_F(VersionElf, ReadRefusesShortOrMissingBuffer)
{
    const std::u16string path = Utf8ToUtf16(FT_PROBE_TERVANO);
    TBytes buffer(Block.size() - 1);
    EXPECT_FALSE(platform::VersionInfoRead(path, 0, static_cast<std::uint32_t>(buffer.size()), buffer.data()));
    EXPECT_FALSE(platform::VersionInfoRead(path, 0, static_cast<std::uint32_t>(Block.size()), nullptr));
}

// Damage inside the block: the look-ups stay within it and fail cleanly.
// Each row names the node by its key and the field it breaks.
std::size_t NodeOf(const TBytes& block, std::u16string_view key)
{
    for (std::size_t at = 6; at + 2 * key.size() <= block.size(); at += 2) {
        if (std::memcmp(block.data() + at, key.data(), 2 * key.size()) == 0) {
            return at - 6;
        }
    }
    ADD_FAILURE() << "key not in block";
    return 0;
}

void Put16(TBytes& block, std::size_t at, std::uint16_t v)
{
    block[at] = static_cast<std::uint8_t>(v);
    block[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

struct TBlockDamage {
    const char* Name;
    std::function<void(TBytes&)> Apply;
    std::u16string FailingPath;
};

void PrintTo(const TBlockDamage& c, std::ostream* os) { *os << c.Name; }

class VersionBlockDamage : public VersionElf, public testing::WithParamInterface<TBlockDamage> {};

TEST_P(VersionBlockDamage, LookupFailsInsideTheBlock)
{
    // Exactly the block's size on the heap, so a sanitizer sees any overrun.
    auto block = std::make_unique<TBytes>(Block);
    GetParam().Apply(*block);
    const void* value = nullptr;
    std::uint32_t length = 0;
    EXPECT_FALSE(platform::VersionQueryValue(block->data(), GetParam().FailingPath, value, length));
    for (const char16_t* path : { u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo\\041103A4\\Comments",
             u"\\StringFileInfo\\041103A4\\FileVersion", u"\\StringFileInfo\\041103A4\\" }) {
        if (platform::VersionQueryValue(block->data(), path, value, length)) {
            const auto* p = static_cast<const std::uint8_t*>(value);
            EXPECT_TRUE(length == 0 || (p >= block->data() && p + length <= block->data() + block->size()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Mutilations, VersionBlockDamage,
    testing::Values(
        TBlockDamage { "RootCutShort", [](TBytes& b) { Put16(b, 0, 100); }, u"\\StringFileInfo\\041103A4\\FileVersion" },
        TBlockDamage { "FixedPartTooShort", [](TBytes& b) { Put16(b, 2, 8); }, u"\\" },
        TBlockDamage { "ChildLengthZero", [](TBytes& b) { Put16(b, NodeOf(b, u"StringFileInfo"), 0); },
            u"\\VarFileInfo\\Translation" },
        TBlockDamage { "ChildPastParent", [](TBytes& b) { Put16(b, NodeOf(b, u"041103A4"), 0xFFF0); },
            u"\\StringFileInfo\\041103A4\\FileVersion" },
        TBlockDamage { "KeyPastNode", [](TBytes& b) { Put16(b, NodeOf(b, u"Comments"), 10); },
            u"\\StringFileInfo\\041103A4\\Comments" },
        TBlockDamage { "TextWithoutNul",
            [](TBytes& b) {
                const std::size_t node = NodeOf(b, u"FileVersion");
                Put16(b, node + (b[node] | b[node + 1] << 8) - 2, u'x'); // its final NUL
            },
            u"\\StringFileInfo\\041103A4\\FileVersion" },
        TBlockDamage { "KeyRunsToBlockEnd",
            [](TBytes& b) {
                // The last node: its key's NUL, padding and value all become text.
                for (std::size_t at = NodeOf(b, u"Translation") + 6 + 22; at < b.size(); ++at) {
                    b[at] = 'x';
                }
            },
            u"\\VarFileInfo\\Translation" },
        TBlockDamage { "BinaryValuePastNode", [](TBytes& b) { Put16(b, NodeOf(b, u"Translation") + 2, 0x100); },
            u"\\VarFileInfo\\Translation" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(VersionElf, TrailingBackslashNamesTheTableWithEmptyValue)
{
    const void* value = nullptr;
    std::uint32_t length = 7;
    ASSERT_TRUE(platform::VersionQueryValue(Block.data(), u"\\StringFileInfo\\041103A4\\", value, length));
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(*static_cast<const char16_t*>(value), u'\0');
}

// The resource compiler's block for the same script, from its .res output.
TBytes VersionResource(const std::string& path)
{
    const TBytes res = ReadFile(path);
    const auto dword = [&](std::size_t at) {
        return static_cast<std::uint32_t>(res[at] | res[at + 1] << 8 | res[at + 2] << 16 | res[at + 3] << 24);
    };
    std::size_t at = 0;
    while (at + 16 <= res.size()) {
        const std::uint32_t dataSize = dword(at);
        const std::uint32_t headerSize = dword(at + 4);
        if (headerSize < 16 || at + headerSize + dataSize > res.size()) {
            break;
        }
        // Type as an ordinal: 0xFFFF, then RT_VERSION (16).
        if (dword(at + 8) == 0x0010FFFFu) {
            return TBytes(res.begin() + static_cast<long>(at + headerSize),
                res.begin() + static_cast<long>(at + headerSize + dataSize));
        }
        at = (at + headerSize + dataSize + 3) & ~std::size_t { 3 };
    }
    return {};
}

struct TWindresCase {
    const char* Name;
    const char* Program;
    const char* Resource;
};

void PrintTo(const TWindresCase& c, std::ostream* os) { *os << c.Name; }

class VersionWindres : public testing::TestWithParam<TWindresCase> {};

TEST_P(VersionWindres, EmbeddedBlockEqualsCompiledResource)
{
    if (std::string(GetParam().Resource).empty()) {
        GTEST_SKIP() << "windres is not installed";
    }
    const TBytes compiled = VersionResource(GetParam().Resource);
    ASSERT_FALSE(compiled.empty());
    EXPECT_EQ(BlockOf(GetParam().Program), compiled);
}

INSTANTIATE_TEST_SUITE_P(Programs, VersionWindres,
    testing::Values(TWindresCase { "Tervano", FT_PROBE_TERVANO, FT_WINDRES_TERVANO },
        TWindresCase { "Quistel", FT_PROBE_QUISTEL, FT_WINDRES_QUISTEL }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
