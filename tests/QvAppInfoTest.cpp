#include <gtest/gtest.h>

#include "common/QvAppInfo.h"
#include "core/Exception.h"
#include "core/Utf.h"

namespace {

struct TInfoCase {
    const char* Name;
    const char* Program;
    unsigned Index;
    std::u16string Text;
};

void PrintTo(const TInfoCase& c, std::ostream* os) { *os << c.Name; }

class QvAppInfoValues : public testing::TestWithParam<TInfoCase> {};

TEST_P(QvAppInfoValues, GivesTheProgramsValue)
{
    const QvAppInfo info(Utf8ToUtf16(GetParam().Program));
    EXPECT_EQ(info.GetInfo(GetParam().Index), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Programs, QvAppInfoValues,
    testing::Values(
        TInfoCase { "Tervano_Comments", FT_PROBE_TERVANO, 0, u"フォルダーを開きます。" },
        TInfoCase { "Tervano_CompanyName", FT_PROBE_TERVANO, 1, u"Folder Tools Project" },
        TInfoCase { "Tervano_FileDescription", FT_PROBE_TERVANO, 2, u"フォルダーを開きます。" },
        TInfoCase { "Tervano_FileVersion", FT_PROBE_TERVANO, 3, u"0.0.2.0" },
        TInfoCase { "Tervano_InternalNameEmpty", FT_PROBE_TERVANO, 4, u"" },
        TInfoCase { "Tervano_LegalCopyright", FT_PROBE_TERVANO, 5, u"Folder Tools Project" },
        TInfoCase { "Tervano_NoPrivateBuild", FT_PROBE_TERVANO, 8, u"" },
        TInfoCase { "Tervano_ProductName", FT_PROBE_TERVANO, 9, u"tervano" },
        TInfoCase { "Tervano_ProductVersion", FT_PROBE_TERVANO, 10, u"1.0.0.0" },
        TInfoCase { "Tervano_EmptyKey", FT_PROBE_TERVANO, 11, u"" },
        TInfoCase { "Tervano_FarIndex", FT_PROBE_TERVANO, 4000000000u, u"" },
        TInfoCase { "Quistel_Comments", FT_PROBE_QUISTEL, 0, u"フォルダーを削除します。" },
        TInfoCase { "Quistel_FileDescription", FT_PROBE_QUISTEL, 2, u"フォルダーを削除します。" },
        TInfoCase { "Quistel_FileVersion", FT_PROBE_QUISTEL, 3, u"0.1.0.0" },
        TInfoCase { "Quistel_InternalNameEmpty", FT_PROBE_QUISTEL, 4, u"" },
        TInfoCase { "Quistel_LegalCopyright", FT_PROBE_QUISTEL, 5, u"Folder Tools Project" },
        TInfoCase { "Quistel_NoPrivateBuild", FT_PROBE_QUISTEL, 8, u"" },
        TInfoCase { "Quistel_ProductName", FT_PROBE_QUISTEL, 9, u"Quistel" },
        TInfoCase { "Quistel_ProductVersion", FT_PROBE_QUISTEL, 10, u"1.0.0.0" },
        TInfoCase { "Quistel_EmptyKey", FT_PROBE_QUISTEL, 11, u"" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(QvAppInfo, PathPutsLanguageBeforeCodePage)
{
    EXPECT_EQ(QvAppInfo::StringPath(0x03A40411, 3), u"\\StringFileInfo\\041103A4\\FileVersion");
    EXPECT_EQ(QvAppInfo::StringPath(0x04B00409, 6), u"\\StringFileInfo\\040904B0\\LegalTradeMarks");
    EXPECT_EQ(QvAppInfo::StringPath(0x0000000A, 11), u"\\StringFileInfo\\000A0000\\");
}

struct TMissingCase {
    const char* Name;
    std::string Path;
};

void PrintTo(const TMissingCase& c, std::ostream* os) { *os << c.Name; }

class QvAppInfoMissing : public testing::TestWithParam<TMissingCase> {};

TEST_P(QvAppInfoMissing, ThrowsTheMessage)
{
    try {
        const QvAppInfo info(Utf8ToUtf16(GetParam().Path));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"バージョン情報を取得できません");
    }
}

INSTANTIATE_TEST_SUITE_P(Files, QvAppInfoMissing,
    testing::Values(
        TMissingCase { "ExecutableWithoutBlock", FT_PROBE_NONE },
        TMissingCase { "NoSuchFile", std::string(FT_PROBE_TERVANO) + ".missing" },
        TMissingCase { "EmptyPath", "" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(QvAppInfo, DefaultReadsTheRunningExecutable)
{
    // The test program itself carries no version information.
    EXPECT_THROW(QvAppInfo(), Exception);
}

} // namespace
