// The Win32 services against a real (or Wine's) file system and loader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/FolderTest.h"
#include "platform/ExecutablePath.h"
#include "platform/FileAttributes.h"
#include "platform/HelpViewer.h"
#include "platform/PathDelimiter.h"
#include "platform/ShellOpen.h"
#include "platform/StartupShowState.h"
#include "platform/SystemError.h"
#include "platform/WinApi_win32.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the temporary folder, removed again with all it holds.
class WinFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp);
        FRoot = FTemp.Path();
        fs::create_directory(FRoot / "dir");
        std::ofstream(FRoot / "file") << "x";
    }

    std::u16string P(const std::u16string& relative) const { return (FRoot / relative).u16string(); }

    TTempFolder FTemp { "ft-win-" };
    fs::path FRoot;
};

TEST_F(WinFolderTest, OpenerAndRemoverOnFoldersFilesAndMissingPaths)
{
    struct TRow {
        std::u16string Path;
        bool Opener;
        bool Remover;
    };
    const TRow rows[] = {
        { u"dir\\", true, true },
        { u"dir", true, true },
        { u"dir/", true, true },
        { u"file\\", false, false },
        { u"file", false, false },
        { u"missing\\", false, false },
        { u"missing\\deeper\\", false, false },
        { u"bad<name>\\", false, false },
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(fs::path(row.Path).string());
        EXPECT_EQ(FolderExistsForOpener(P(row.Path)), row.Opener);
        EXPECT_EQ(FolderExistsForRemover(P(row.Path)), row.Remover);
    }
}

TEST_F(WinFolderTest, RootOfTheCurrentDriveIsAFolder)
{
    EXPECT_TRUE(FolderExistsForOpener(u"\\"));
    EXPECT_TRUE(FolderExistsForRemover(u"\\"));
}

TEST_F(WinFolderTest, EmbeddedZeroNamesNothing)
{
    // Cut at the zero, the path would name the existing folder.
    std::u16string path = P(u"dir\\");
    path += u'\0';
    path += u"gone\\";
    EXPECT_FALSE(FolderExistsForOpener(path));
    EXPECT_FALSE(FolderExistsForRemover(path));
    EXPECT_FALSE(platform::OpensAsFolder(path));
    EXPECT_FALSE(platform::SearchFindsFile(P(u"file") + u'\0'));
}

TEST_F(WinFolderTest, AttributesAndSearches)
{
    const platform::TFileAttributes dir = platform::QueryFileAttributes(P(u"dir"));
    EXPECT_TRUE(dir.Readable);
    EXPECT_TRUE(dir.Directory);
    EXPECT_FALSE(dir.ReparsePoint);
    EXPECT_EQ(dir.Error, platform::TAttributeError::None);

    const platform::TFileAttributes missing = platform::QueryFileAttributes(P(u"missing\\deeper"));
    EXPECT_FALSE(missing.Readable);
    EXPECT_EQ(missing.Error, platform::TAttributeError::NotThere);

    EXPECT_TRUE(platform::OpensAsFolder(P(u"dir")));
    EXPECT_FALSE(platform::OpensAsFolder(P(u"missing")));

    EXPECT_TRUE(platform::SearchFindsFile(P(u"file")));
    EXPECT_FALSE(platform::SearchFindsFile(P(u"dir")));
    EXPECT_FALSE(platform::SearchFindsFile(P(u"missing")));
}

TEST_F(WinFolderTest, LinkToAGoneFolderCountsForTheRemoverOnly)
{
    fs::create_directory(FRoot / "target");
    const std::u16string link = P(u"link");
    if (!::CreateSymbolicLinkW(platform::AsWide(link),
            platform::AsWide(P(u"target")), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        GTEST_SKIP() << "no symbolic links here (error " << ::GetLastError() << ")";
    }
    // Wine accepts the call without making a link.
    if (!platform::QueryFileAttributes(link).ReparsePoint) {
        GTEST_SKIP() << "the link was not made";
    }
    EXPECT_TRUE(FolderExistsForOpener(link + u"\\"));
    EXPECT_TRUE(FolderExistsForRemover(link + u"\\"));
    fs::remove(FRoot / "target");
    EXPECT_FALSE(FolderExistsForOpener(link + u"\\"));
    EXPECT_TRUE(FolderExistsForRemover(link + u"\\"));
    ::RemoveDirectoryW(platform::AsWide(link));
}

TEST(WinPlatform, ExecutablePathIsTheFullPathOfThisProgram)
{
    const std::u16string path = platform::ExecutablePath();
    const std::u16string name = u"ft_core_tests.exe";
    ASSERT_GT(path.size(), name.size());
    EXPECT_EQ(path.substr(path.size() - name.size()), name);
    EXPECT_EQ(path[path.size() - name.size() - 1], u'\\');
    EXPECT_TRUE(fs::path(path).is_absolute());
}

TEST(WinPlatform, PathDelimiterIsTheBackslash) { EXPECT_EQ(platform::PathDelimiter(), u'\\'); }

TEST(WinPlatform, SystemErrorTexts)
{
    EXPECT_FALSE(platform::SystemErrorText(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_NE(platform::SystemErrorText(ERROR_ACCESS_DENIED), platform::SystemErrorText(ERROR_FILE_NOT_FOUND));
    // No text in the system table: nothing to show, and nothing leaked.
    EXPECT_TRUE(platform::SystemErrorText(0x2000FFFFu).empty());

    ::SetLastError(ERROR_INVALID_NAME);
    EXPECT_EQ(platform::LastSystemError(), static_cast<std::uint32_t>(ERROR_INVALID_NAME));
}

// Windows itself answers some failures below with boxes of its own that no
// test can close; Wine reports them only to the caller.
bool RunningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

TEST(WinPlatform, RefusedShellOpenReportsTheSystemError)
{
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "the shell would show its own error box";
    }
    std::uint32_t lastError = 0;
    EXPECT_FALSE(platform::ShellOpenFolder(u"Q:\\ft-never-there\\really-not\\", lastError));
    EXPECT_NE(lastError, 0u);
    EXPECT_FALSE(platform::SystemErrorText(lastError).empty());
}

TEST(WinPlatform, HelpForAMissingFileComesBackAndClosesAll)
{
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "the viewer would show its own error box";
    }
    platform::HelpCloseAll();
    platform::HelpDisplayContents(u"Q:\\ft-never-there\\help.chm");
    platform::HelpDisplayContents(u"Q:\\ft-never-there\\help.chm");
    platform::HelpCloseAll();
}

// The show command reaches the program through its start-up information, so
// each row starts this program again with one, running only the probe below.
constexpr char ProbeVariable[] = "FT_EXPECTED_SHOW_STATE";
constexpr wchar_t ProbeVariableWide[] = L"FT_EXPECTED_SHOW_STATE";

struct TShowRow {
    const char* Name;
    bool UseShowWindow;
    WORD Show;
    platform::TShowState Expected;
};

class StartupShowStateTest : public testing::TestWithParam<TShowRow> {};

TEST_P(StartupShowStateTest, FollowsTheShowCommand)
{
    const TShowRow& row = GetParam();
    const std::wstring expected = std::to_wstring(static_cast<int>(row.Expected));
    ASSERT_TRUE(::SetEnvironmentVariableW(ProbeVariableWide, expected.c_str()));

    std::wstring command = L"\"" + fs::path(platform::ExecutablePath()).wstring()
        + L"\" --gtest_filter=StartupShowStateProbe.* --gtest_brief=1";
    // The probe's own report would only clutter this program's output.
    SECURITY_ATTRIBUTES inherited { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    const HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        &inherited, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | (row.UseShowWindow ? STARTF_USESHOWWINDOW : 0);
    startup.wShowWindow = row.Show;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process {};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
        nullptr, &startup, &process);
    ::CloseHandle(nul);
    ::SetEnvironmentVariableW(ProbeVariableWide, nullptr);
    ASSERT_TRUE(started) << ::GetLastError();
    ::CloseHandle(process.hThread);
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartupShowStateTest,
    testing::Values(TShowRow { "NoShowCommand", false, SW_SHOWMAXIMIZED, platform::TShowState::Normal },
        TShowRow { "Normal", true, SW_SHOWNORMAL, platform::TShowState::Normal },
        TShowRow { "Maximized", true, SW_SHOWMAXIMIZED, platform::TShowState::Maximized },
        TShowRow { "MinimizedNotActivated", true, SW_SHOWMINNOACTIVE, platform::TShowState::Minimized },
        TShowRow { "Minimize", true, SW_MINIMIZE, platform::TShowState::Minimized },
        TShowRow { "Minimized", true, SW_SHOWMINIMIZED, platform::TShowState::Minimized },
        TShowRow { "NotActivated", true, SW_SHOWNOACTIVATE, platform::TShowState::Normal }),
    [](const testing::TestParamInfo<TShowRow>& info) { return std::string(info.param.Name); });

// Runs only inside the program started above.
TEST(StartupShowStateProbe, MatchesTheExpectation)
{
    const char* expected = std::getenv(ProbeVariable);
    if (!expected) {
        GTEST_SKIP() << "started by the show-state test only";
    }
    EXPECT_EQ(static_cast<int>(platform::StartupShowState()), std::atoi(expected));
}

} // namespace
