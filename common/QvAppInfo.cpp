#include "common/QvAppInfo.h"

#include <cstring>

#include "core/Exception.h"
#include "platform/ExecutablePath.h"
#include "platform/VersionInfo.h"

// Both programs hold the keys and the message as UTF-16, so the message reads
// the same whatever the system's code page.

namespace {

const char16_t* const Keys[] = {
    u"Comments",
    u"CompanyName",
    u"FileDescription",
    u"FileVersion",
    u"InternalName",
    u"LegalCopyright",
    u"LegalTradeMarks",
    u"OriginalFilename",
    u"PrivateBuild",
    u"ProductName",
    u"ProductVersion",
};
constexpr unsigned KeyCount = sizeof Keys / sizeof Keys[0];

const char16_t TranslationPath[] = u"\\VarFileInfo\\Translation";
const char16_t FailureMessage[] = u"バージョン情報を取得できません";

void AppendHex4(std::u16string& out, std::uint32_t value)
{
    static const char16_t Digits[] = u"0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += Digits[(value >> shift) & 0xF];
    }
}

// Values in the block are little-endian and need not be aligned for us.
std::uint16_t Unit(const std::uint8_t* p, std::size_t index)
{
    return static_cast<std::uint16_t>(p[2 * index] | (p[2 * index + 1] << 8));
}

} // namespace

QvAppInfo::QvAppInfo() : QvAppInfo(platform::ExecutablePath()) {}

QvAppInfo::QvAppInfo(const std::u16string& executablePath)
{
    std::uint32_t handle = 0;
    const std::uint32_t size = platform::VersionInfoSize(executablePath, handle);
    if (size == 0) {
        throw Exception(FailureMessage);
    }
    FVersionData.reset(new std::uint8_t[size]);
    if (!platform::VersionInfoRead(executablePath, 0, size, FVersionData.get())) {
        FVersionData.reset();
        throw Exception(FailureMessage);
    }
    // Only the first entry counts. Without a table the translation stays 0
    // and every string look-up finds nothing.
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (platform::VersionQueryValue(FVersionData.get(), TranslationPath, value, length) && length >= 4) {
        const auto* p = static_cast<const std::uint8_t*>(value);
        FTranslation = Unit(p, 0) | (std::uint32_t { Unit(p, 1) } << 16);
    }
}

QvAppInfo::~QvAppInfo() = default;

std::u16string QvAppInfo::StringPath(std::uint32_t translation, unsigned index)
{
    std::u16string path = u"\\StringFileInfo\\";
    AppendHex4(path, translation & 0xFFFF);
    AppendHex4(path, translation >> 16);
    path += u'\\';
    if (index < KeyCount) {
        path += Keys[index];
    }
    return path;
}

std::u16string QvAppInfo::GetInfo(unsigned index) const
{
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (!platform::VersionQueryValue(FVersionData.get(), StringPath(FTranslation, index), value, length)) {
        return {};
    }
    // Up to the first NUL, and never past the value's own length.
    const auto* p = static_cast<const std::uint8_t*>(value);
    std::u16string text;
    for (std::uint32_t i = 0; i < length; ++i) {
        const char16_t c = Unit(p, i);
        if (c == 0) {
            break;
        }
        text += c;
    }
    return text;
}
