#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/VersionBlock.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes Utf16Bytes(std::u16string_view text)
{
    TBytes bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

// One node as written, with the fields a test may falsify.
struct TNodeSpec {
    std::u16string Key;
    bool Text = false;
    TBytes Value;
    std::vector<TNodeSpec> Children;
    std::optional<std::uint16_t> Length;      // default: what the node takes
    std::optional<std::uint16_t> ValueLength; // default: bytes, or UTF-16 units for text
};

void Pad4(TBytes& bytes)
{
    while (bytes.size() % 4 != 0) {
        bytes.push_back(0);
    }
}

TBytes Build(const TNodeSpec& node)
{
    TBytes bytes(6, 0);
    const TBytes key = Utf16Bytes(node.Key + u'\0');
    bytes.insert(bytes.end(), key.begin(), key.end());
    Pad4(bytes);
    bytes.insert(bytes.end(), node.Value.begin(), node.Value.end());
    for (const TNodeSpec& child : node.Children) {
        Pad4(bytes);
        const TBytes built = Build(child);
        bytes.insert(bytes.end(), built.begin(), built.end());
    }
    const auto put = [&](std::size_t at, std::size_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put(0, node.Length.value_or(static_cast<std::uint16_t>(bytes.size())));
    put(2, node.ValueLength.value_or(
               static_cast<std::uint16_t>(node.Text ? node.Value.size() / 2 : node.Value.size())));
    put(4, node.Text ? 1 : 0);
    return bytes;
}

TNodeSpec Node(std::u16string key, bool text, TBytes value, std::vector<TNodeSpec> children = {})
{
    TNodeSpec node;
    node.Key = std::move(key);
    node.Text = text;
    node.Value = std::move(value);
    node.Children = std::move(children);
    return node;
}

TNodeSpec TextNode(std::u16string key, std::u16string_view value)
{
    return Node(std::move(key), true, value.empty() ? TBytes {} : Utf16Bytes(std::u16string(value) + u'\0'));
}

TBytes FixedInfo()
{
    TBytes bytes(52, 0);
    const std::uint8_t signature[] = { 0xBD, 0x04, 0xEF, 0xFE };
    std::memcpy(bytes.data(), signature, 4);
    return bytes;
}

const TBytes Translation { 0x11, 0x04, 0xB0, 0x04 };

// A block as the resource compiler lays it out: fixed part, one string table,
// the translation.
TNodeSpec Standard()
{
    return Node(u"VS_VERSION_INFO", false, FixedInfo(),
        {
            Node(u"StringFileInfo", true, {},
                { Node(u"041104B0", true, {},
                    { TextNode(u"FileVersion", u"1.2.3.4"), TextNode(u"Comments", u""),
                        TextNode(u"ProductName", u"ツール") }) }),
            Node(u"VarFileInfo", true, {}, { Node(u"Translation", false, Translation) }),
        });
}

// ------------------------------------------------------------- look-ups

struct TQueryCase {
    const char* Name;
    std::u16string SubBlock;
    std::optional<TBytes> Value; // nullopt: not found
    std::uint32_t Length = 0;
};

void PrintTo(const TQueryCase& c, std::ostream* os) { *os << c.Name; }

class VersionBlockLookup : public testing::TestWithParam<TQueryCase> {};

TEST_P(VersionBlockLookup, FindsTheValueInsideTheBlock)
{
    const TQueryCase& c = GetParam();
    const TBytes block = Build(Standard());
    ASSERT_EQ(VersionBlockLength(block.data(), block.size()), block.size());
    const void* value = nullptr;
    std::uint32_t length = 77;
    const bool found = VersionBlockQuery(block.data(), c.SubBlock, value, length);
    ASSERT_EQ(found, c.Value.has_value());
    if (!found) {
        return;
    }
    EXPECT_EQ(length, c.Length);
    const auto* p = static_cast<const std::uint8_t*>(value);
    EXPECT_EQ(TBytes(p, p + c.Value->size()), *c.Value);
    if (!c.Value->empty()) {
        EXPECT_TRUE(p >= block.data() && p + c.Value->size() <= block.data() + block.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, VersionBlockLookup,
    testing::Values(
        TQueryCase { "RootIsTheFixedPart", u"\\", FixedInfo(), 52 },
        TQueryCase { "EmptyPathIsTheRoot", u"", FixedInfo(), 52 },
        TQueryCase { "Translation", u"\\VarFileInfo\\Translation", Translation, 4 },
        TQueryCase { "TextCountsUnitsWithItsNul", u"\\StringFileInfo\\041104B0\\FileVersion",
            Utf16Bytes(u"1.2.3.4\0"), 8 },
        TQueryCase { "TextBeyondAscii", u"\\StringFileInfo\\041104B0\\ProductName", Utf16Bytes(u"ツール\0"), 4 },
        TQueryCase { "KeysIgnoreCase", u"\\stringFILEinfo\\041104b0\\fileversion", Utf16Bytes(u"1.2.3.4\0"), 8 },
        TQueryCase { "DoubledDelimitersAreSkipped", u"\\\\StringFileInfo\\\\041104B0\\FileVersion\\",
            Utf16Bytes(u"1.2.3.4\0"), 8 },
        TQueryCase { "EmptyTextIsAnEmptyString", u"\\StringFileInfo\\041104B0\\Comments", Utf16Bytes(u"\0"), 0 },
        TQueryCase { "NoLeadingDelimiter", u"VarFileInfo\\Translation", Translation, 4 },
        TQueryCase { "MissingKey", u"\\StringFileInfo\\041104B0\\CompanyName", std::nullopt },
        TQueryCase { "KeyPrefixIsNoMatch", u"\\StringFileInfo\\041104B0\\FileVer", std::nullopt },
        TQueryCase { "LongerKeyIsNoMatch", u"\\VarFileInfo\\Translations", std::nullopt },
        TQueryCase { "NothingBelowAValue", u"\\VarFileInfo\\Translation\\x", std::nullopt },
        TQueryCase { "WrongTable", u"\\StringFileInfo\\040904B0\\FileVersion", std::nullopt }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(VersionBlockNoBlock, LookupIsRefused)
{
    const void* value = nullptr;
    std::uint32_t length = 0;
    EXPECT_FALSE(VersionBlockQuery(nullptr, u"\\", value, length));
}

// ------------------------------------------------------------- the root

struct TRootCase {
    const char* Name;
    TBytes Bytes;
    std::size_t Length; // 0: no block
};

void PrintTo(const TRootCase& c, std::ostream* os) { *os << c.Name; }

class VersionBlockRoot : public testing::TestWithParam<TRootCase> {};

TEST_P(VersionBlockRoot, AcceptsOnlyAWholeVersionRoot)
{
    const TRootCase& c = GetParam();
    // Exactly the bytes on the heap, so a sanitizer sees any overrun.
    const auto bytes = std::make_unique<TBytes>(c.Bytes);
    EXPECT_EQ(VersionBlockLength(bytes->data(), bytes->size()), c.Length);
}

TBytes StandardWith(void (*change)(TNodeSpec&))
{
    TNodeSpec spec = Standard();
    change(spec);
    return Build(spec);
}

TBytes WithTrailing(TBytes bytes)
{
    bytes.insert(bytes.end(), { 1, 2, 3, 4, 5 });
    return bytes;
}

TBytes CutShort(TBytes bytes)
{
    bytes.resize(bytes.size() - 1);
    return bytes;
}

const std::size_t StandardBytes = Build(Standard()).size();

INSTANTIATE_TEST_SUITE_P(Roots, VersionBlockRoot,
    testing::Values(
        TRootCase { "Whole", Build(Standard()), StandardBytes },
        TRootCase { "TrailingBytesAreNotPart", WithTrailing(Build(Standard())), StandardBytes },
        TRootCase { "KeyComparesCaseInsensitively",
            StandardWith([](TNodeSpec& s) { s.Key = u"vs_version_info"; }), StandardBytes },
        TRootCase { "Empty", {}, 0 },
        TRootCase { "ShorterThanAHeader", TBytes(7, 8), 0 },
        TRootCase { "OtherKey", StandardWith([](TNodeSpec& s) { s.Key = u"VS_VERSION_INFX"; }), 0 },
        TRootCase { "LongerThanTheBytes", CutShort(Build(Standard())), 0 },
        TRootCase { "LengthBelowAHeader", StandardWith([](TNodeSpec& s) { s.Length = 7; }), 0 },
        TRootCase { "KeyRunsPastTheNode", StandardWith([](TNodeSpec& s) { s.Length = 20; }), 0 },
        TRootCase { "BinaryValuePastTheNode", StandardWith([](TNodeSpec& s) { s.ValueLength = 0x1000; }), 0 }),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
