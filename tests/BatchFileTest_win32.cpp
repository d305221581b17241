#include <gtest/gtest.h>

#include "platform/WinApi_win32.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/BatchLine.h"
#include "core/Exception.h"
#include "core/MessageText.h"
#include "platform/BatchFile.h"
#include "platform/SystemError.h"
#include "tests/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// A folder of the test's own, removed with all it holds.
class BatchFileWriter : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp);
        FDir = FTemp.Path();
    }

    std::u16string Path(const std::wstring& name) const
    {
        const std::wstring path = (FDir / name).wstring();
        return std::u16string(path.begin(), path.end());
    }

    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    static void Put(const fs::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::vector<std::wstring> Entries() const
    {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(FDir)) {
            names.push_back(entry.path().filename().wstring());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::u16string Expected(const std::u16string& path, DWORD error)
    {
        return BatchFileCreateErrorText(path, TrimSystemErrorText(platform::SystemErrorText(error)));
    }

    TTempFolder FTemp { "ft-batch-" };
    fs::path FDir;
};

TEST_F(BatchFileWriter, PlatformIsWindowsBatch)
{
    EXPECT_EQ(platform::BatchScriptFormat(), TScriptFormat::WindowsBatch);
    EXPECT_EQ(platform::BatchFileDefaultSuffix(), u".BAT");
    EXPECT_EQ(platform::BatchFileFilter(), u"バッチファイル(*.BAT)|*.BAT|すべてのファイル(*.*)|*.*");
}

// U+0100 and U+221E have best-fit look-alikes ("A", "8") in the Western code
// page; neither may appear.
TEST_F(BatchFileWriter, MissingCharactersBecomeTheDefaultCharacter)
{
    if (::GetACP() == CP_UTF8) {
        EXPECT_EQ(platform::EncodeBatchText(u"a\u0100"), "a\xC4\x80");
        return;
    }
    CPINFO info {};
    ASSERT_TRUE(::GetCPInfo(CP_ACP, &info));
    const std::string fallback(reinterpret_cast<const char*>(info.DefaultChar));
    const std::string encoded = platform::EncodeBatchText(u"C:\\a\u0100\u0101b");
    EXPECT_EQ(encoded, "C:\\a" + fallback + fallback + "b");
    EXPECT_EQ(platform::EncodeBatchText(u""), "");
}

TEST_F(BatchFileWriter, WritesLineWithCrLfAndReplacesOldFile)
{
    Put(FDir / L"run.BAT", "an older and much longer file than the new one\r\n");
    platform::WriteBatchFile(Path(L"run.BAT"),
        BatchFileText(TScriptFormat::WindowsBatch,
            BatchLine(TScriptFormat::WindowsBatch, u"C:\\T\\quistel.exe", u"C:\\5%\\", 1)));
    EXPECT_EQ(Read(FDir / L"run.BAT"), "\"C:\\T\\quistel.exe\" \"-a\" \"C:\\5%%\" \"-t=1\"\r\n");
    EXPECT_EQ(Entries(), std::vector<std::wstring> { L"run.BAT" });
}

TEST_F(BatchFileWriter, MissingFolderNamesFullPathAndSystemText)
{
    const std::u16string path = Path(L"missing\\run.BAT");
    try {
        platform::WriteBatchFile(path, u"x\r\n");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Expected(path, ERROR_PATH_NOT_FOUND));
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(BatchFileWriter, FailedReplacementKeepsOldFile)
{
    const std::string old = "\"C:\\old.exe\" \"-a\" \"C:\\old\"\r\n";
    Put(FDir / L"run.BAT", old);
    // Held open without delete sharing: the old file cannot be replaced.
    const HANDLE held = ::CreateFileW((FDir / L"run.BAT").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    bool thrown = false;
    try {
        platform::WriteBatchFile(Path(L"run.BAT"), u"new\r\n");
    } catch (const Exception& e) {
        thrown = true;
        EXPECT_EQ(e.Message().rfind(u"ファイル \"" + Path(L"run.BAT") + u"\" を作成できません。", 0), 0u);
    }
    ::CloseHandle(held);
    EXPECT_TRUE(thrown);
    EXPECT_EQ(Read(FDir / L"run.BAT"), old);
    EXPECT_EQ(Entries(), std::vector<std::wstring> { L"run.BAT" });
}

} // namespace
