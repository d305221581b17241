#include "core/VersionBlock.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::size_t FixedInfoBytes = 52; // sizeof(VS_FIXEDFILEINFO)

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

} // namespace

std::size_t VersionBlockLength(const std::uint8_t* bytes, std::size_t size)
{
    if (size < 8) {
        return 0;
    }
    const auto root = ParseNode(bytes, 0, std::min<std::size_t>(size, 0xFFFF));
    if (!root || !KeyIs(bytes, *root, u"VS_VERSION_INFO")) {
        return 0;
    }
    return root->End;
}

bool VersionBlockQuery(const void* block, std::u16string_view subBlock, const void*& value,
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
