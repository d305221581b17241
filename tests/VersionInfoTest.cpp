#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "core/Utf.h"
#include "platform/VersionInfo.h"

namespace {

std::vector<std::uint8_t> ReadBlock(const char* program)
{
    const std::u16string path = Utf8ToUtf16(program);
    std::uint32_t handle = 77;
    const std::uint32_t size = platform::VersionInfoSize(path, handle);
    EXPECT_EQ(handle, 0u);
    std::vector<std::uint8_t> block(size);
    if (size == 0 || !platform::VersionInfoRead(path, 0, size, block.data())) {
        ADD_FAILURE() << "no version information in " << program;
        block.clear();
    }
    return block;
}

std::uint32_t Dword(const void* p, std::size_t index)
{
    std::uint32_t v = 0;
    std::memcpy(&v, static_cast<const std::uint8_t*>(p) + 4 * index, 4);
    return v;
}

struct TFixedCase {
    const char* Name;
    const char* Program;
    std::uint32_t VersionMS, VersionLS;
};

void PrintTo(const TFixedCase& c, std::ostream* os) { *os << c.Name; }

class VersionFixedInfo : public testing::TestWithParam<TFixedCase> {};

TEST_P(VersionFixedInfo, RootHoldsTheFixedPart)
{
    const auto block = ReadBlock(GetParam().Program);
    ASSERT_FALSE(block.empty());
    const void* value = nullptr;
    std::uint32_t length = 0;
    ASSERT_TRUE(platform::VersionQueryValue(block.data(), u"\\", value, length));
    ASSERT_GE(length, 52u);
    EXPECT_EQ(Dword(value, 0), 0xFEEF04BDu);        // signature
    EXPECT_EQ(Dword(value, 1), 0x00010000u);        // structure version
    EXPECT_EQ(Dword(value, 2), GetParam().VersionMS); // file version
    EXPECT_EQ(Dword(value, 3), GetParam().VersionLS);
    EXPECT_EQ(Dword(value, 4), GetParam().VersionMS); // product version
    EXPECT_EQ(Dword(value, 5), GetParam().VersionLS);
    EXPECT_EQ(Dword(value, 6), 0x3Fu); // flags mask
    EXPECT_EQ(Dword(value, 7), 0u);    // flags
    EXPECT_EQ(Dword(value, 8), 0x4u);  // VOS__WINDOWS32
    EXPECT_EQ(Dword(value, 9), 0x1u);  // VFT_APP

    ASSERT_TRUE(platform::VersionQueryValue(block.data(), u"\\VarFileInfo\\Translation", value, length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(Dword(value, 0), 0x03A40411u);
}

INSTANTIATE_TEST_SUITE_P(Programs, VersionFixedInfo,
    testing::Values(TFixedCase { "Tervano", FT_PROBE_TERVANO, 0x00000000, 0x00020000 },
        TFixedCase { "Quistel", FT_PROBE_QUISTEL, 0x00000001, 0x00000000 }),
    [](const auto& info) { return std::string(info.param.Name); });

struct TLookupCase {
    const char* Name;
    std::u16string Path;
    bool Found;
    std::u16string Text;
};

void PrintTo(const TLookupCase& c, std::ostream* os) { *os << c.Name; }

class VersionLookup : public testing::TestWithParam<TLookupCase> {};

TEST_P(VersionLookup, FindsTextByPath)
{
    const auto block = ReadBlock(FT_PROBE_TERVANO);
    ASSERT_FALSE(block.empty());
    const void* value = nullptr;
    std::uint32_t length = 0;
    ASSERT_EQ(platform::VersionQueryValue(block.data(), GetParam().Path, value, length), GetParam().Found);
    if (GetParam().Found) {
        std::u16string text;
        for (std::uint32_t i = 0; i < length; ++i) {
            char16_t c;
            std::memcpy(&c, static_cast<const char*>(value) + 2 * i, 2);
            if (c == 0) {
                break;
            }
            text += c;
        }
        EXPECT_EQ(text, GetParam().Text);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, VersionLookup,
    testing::Values(
        TLookupCase { "Exact", u"\\StringFileInfo\\041103A4\\FileVersion", true, u"0.0.2.0" },
        TLookupCase { "KeysIgnoreCase", u"\\stringfileinfo\\041103a4\\FILEVERSION", true, u"0.0.2.0" },
        TLookupCase { "Japanese", u"\\StringFileInfo\\041103A4\\Comments", true, u"フォルダーを開きます。" },
        TLookupCase { "EmptyValue", u"\\StringFileInfo\\041103A4\\InternalName", true, u"" },
        TLookupCase { "MissingKey", u"\\StringFileInfo\\041103A4\\PrivateBuild", false, u"" },
        TLookupCase { "KeyPrefix", u"\\StringFileInfo\\041103A4\\File", false, u"" },
        TLookupCase { "OtherTable", u"\\StringFileInfo\\040904B0\\FileVersion", false, u"" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(VersionInfo, ExecutableWithoutBlockHasNone)
{
    std::uint32_t handle = 77;
    EXPECT_EQ(platform::VersionInfoSize(Utf8ToUtf16(FT_PROBE_NONE), handle), 0u);
    EXPECT_EQ(handle, 0u);
}

} // namespace
