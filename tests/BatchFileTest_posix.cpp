#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/BatchLine.h"
#include "core/Exception.h"
#include "core/MessageText.h"
#include "core/Utf.h"
#include "platform/BatchFile.h"
#include "platform/SystemError.h"
#include "tests/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// A folder of the test's own, removed with all it holds.
class TScratch : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp);
        FDir = FTemp.Path();
    }

    std::u16string Path(const std::string& name) const { return Utf8ToUtf16((FDir / name).string()); }

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

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FDir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::u16string Expected(const std::u16string& path, int error)
    {
        return BatchFileCreateErrorText(path, TrimSystemErrorText(platform::SystemErrorText(static_cast<std::uint32_t>(error))));
    }

    TTempFolder FTemp { "ft-batch-" };
    fs::path FDir;
};

class TUmask {
public:
    explicit TUmask(mode_t mask) : FOld(::umask(mask)) {}
    ~TUmask() { ::umask(FOld); }
    TUmask(const TUmask&) = delete;
    TUmask& operator=(const TUmask&) = delete;

private:
    mode_t FOld;
};

using BatchFileWriter = TScratch;

TEST_F(BatchFileWriter, PlatformIsPosixShell)
{
    EXPECT_EQ(platform::BatchScriptFormat(), TScriptFormat::PosixShell);
    EXPECT_EQ(platform::BatchFileDefaultSuffix(), u".sh");
    EXPECT_EQ(platform::BatchFileFilter(), u"バッチファイル(*.sh)|*.sh|すべてのファイル(*)|*");
}

TEST_F(BatchFileWriter, WritesExactBytesOfBothFormats)
{
    const std::u16string sh = Path("open.sh");
    platform::WriteBatchFile(sh,
        BatchFileText(TScriptFormat::PosixShell,
            BatchLine(TScriptFormat::PosixShell, u"/opt/t/tervano", u"/home/u/日本/", std::nullopt)));
    EXPECT_EQ(Read(FDir / "open.sh"),
        "#!/bin/sh\n'/opt/t/tervano' '-a' '/home/u/\xE6\x97\xA5\xE6\x9C\xAC'\n");

    const std::u16string bat = Path("remove.BAT");
    platform::WriteBatchFile(bat,
        BatchFileText(TScriptFormat::WindowsBatch,
            BatchLine(TScriptFormat::WindowsBatch, u"C:\\T\\quistel.exe", u"C:\\5%\\", 1)));
    EXPECT_EQ(Read(FDir / "remove.BAT"), "\"C:\\T\\quistel.exe\" \"-a\" \"C:\\5%%\" \"-t=1\"\r\n");
}

struct TModeCase {
    const char* Name;
    friend void PrintTo(const TModeCase& c, std::ostream* os) { *os << c.Name; }
    mode_t Umask;
    mode_t Mode;
};

class BatchFileMode : public TScratch, public testing::WithParamInterface<TModeCase> {};

TEST_P(BatchFileMode, ExecutableLessUmask)
{
    const TUmask mask(GetParam().Umask);
    platform::WriteBatchFile(Path("run.sh"), u"#!/bin/sh\n");
    struct stat info {};
    ASSERT_EQ(::stat((FDir / "run.sh").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, GetParam().Mode);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Umask, BatchFileMode,
    testing::Values(TModeCase { "Usual", 022, 0755 }, TModeCase { "Private", 077, 0700 },
        TModeCase { "None", 0, 0777 }, TModeCase { "NoExecute", 0111, 0666 }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(BatchFileWriter, ReplacesExistingFileAndLeavesNothingElse)
{
    Put(FDir / "run.sh", "an older and much longer file than the new one\n");
    platform::WriteBatchFile(Path("run.sh"), u"new\n");
    EXPECT_EQ(Read(FDir / "run.sh"), "new\n");
    EXPECT_EQ(Entries(), std::vector<std::string> { "run.sh" });
}

TEST_F(BatchFileWriter, MissingFolderNamesFullPathAndSystemText)
{
    const std::u16string path = Path("missing/run.sh");
    try {
        platform::WriteBatchFile(path, u"x\n");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Expected(path, ENOENT));
        EXPECT_EQ(e.Message().rfind(u"ファイル \"" + path + u"\" を作成できません。", 0), 0u);
        EXPECT_GT(e.Message().size(), (u"ファイル \"" + path + u"\" を作成できません。").size());
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(BatchFileWriter, FolderInTheWayStaysAndIsReported)
{
    fs::create_directory(FDir / "run.sh");
    Put(FDir / "run.sh" / "keep", "kept");
    try {
        platform::WriteBatchFile(Path("run.sh"), u"x\n");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Expected(Path("run.sh"), EISDIR));
    }
    EXPECT_EQ(Read(FDir / "run.sh" / "keep"), "kept");
    EXPECT_EQ(Entries(), std::vector<std::string> { "run.sh" });
}

// A file size limit makes the write itself fail, even for root.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) : FOldSignal(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldSignal);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld {};
    void (*FOldSignal)(int);
};

TEST_F(BatchFileWriter, FailedReplacementKeepsOldFile)
{
    const std::string old = "#!/bin/sh\n'/old/tool' '-a' '/old/folder'\n";
    Put(FDir / "run.sh", old);
    try {
        const TFileSizeLimit limit(16);
        platform::WriteBatchFile(Path("run.sh"), std::u16string(200, u'x'));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Expected(Path("run.sh"), EFBIG));
    }
    EXPECT_EQ(Read(FDir / "run.sh"), old);
    EXPECT_EQ(Entries(), std::vector<std::string> { "run.sh" });
}

// The written script, run by /bin/sh, must hand a stand-in tool exactly the
// field's text (less one trailing '/') and the switches as their own arguments.
struct TShellCase {
    const char* Name;
    friend void PrintTo(const TShellCase& c, std::ostream* os) { *os << c.Name; }
    std::u16string Folder;
    std::optional<int> Method;
    std::u16string Arrives;
};

class ShellRoundTrip : public TScratch, public testing::WithParamInterface<TShellCase> {
protected:
    // The tool's own path needs quoting too.
    std::vector<std::u16string> RunScript(const std::u16string& folder, std::optional<int> method)
    {
        const fs::path toolDir = FDir / "tool's dir $HOME `x`";
        fs::create_directory(toolDir);
        const fs::path tool = toolDir / "fake tool";
        Put(tool, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\000' \"$a\"; done > \"$0.out\"\n");
        fs::permissions(tool, fs::perms::owner_all);

        const fs::path script = FDir / "run.sh";
        platform::WriteBatchFile(Utf8ToUtf16(script.string()),
            BatchFileText(TScriptFormat::PosixShell,
                BatchLine(TScriptFormat::PosixShell, Utf8ToUtf16(tool.string()), folder, method)));

        const pid_t child = ::fork();
        if (child == 0) {
            ::chdir(FDir.c_str());
            ::execl("/bin/sh", "sh", script.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

        std::vector<std::u16string> arguments;
        const std::string bytes = Read(tool.string() + ".out");
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
            arguments.push_back(Utf8ToUtf16(bytes.substr(start, end - start)));
        }
        EXPECT_EQ(start, bytes.size()) << "unterminated output";
        return arguments;
    }
};

TEST_P(ShellRoundTrip, ToolGetsTheFieldText)
{
    const TShellCase& c = GetParam();
    std::vector<std::u16string> expected { u"-a", c.Arrives };
    if (c.Method) {
        const std::string number = std::to_string(*c.Method);
        expected.push_back(u"-t=" + std::u16string(number.begin(), number.end()));
    }
    EXPECT_EQ(RunScript(c.Folder, c.Method), expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, ShellRoundTrip,
    testing::Values(
        TShellCase { "Blanks", u"/home/u/My  Data/Old", std::nullopt, u"/home/u/My  Data/Old" },
        TShellCase { "SingleQuote", u"/tmp/it's", 1, u"/tmp/it's" },
        TShellCase { "QuoteBreakout", u"x'; touch pwned; 'y", std::nullopt, u"x'; touch pwned; 'y" },
        TShellCase { "DoubleQuote", u"/tmp/say \"hi\"", std::nullopt, u"/tmp/say \"hi\"" },
        TShellCase { "Dollar", u"/tmp/$HOME/${PATH}", 0, u"/tmp/$HOME/${PATH}" },
        TShellCase { "Backtick", u"/tmp/`id`$(id)", std::nullopt, u"/tmp/`id`$(id)" },
        TShellCase { "Backslash", u"/tmp/a\\b\\", std::nullopt, u"/tmp/a\\b\\" },
        TShellCase { "Percent", u"/tmp/100%", std::nullopt, u"/tmp/100%" },
        TShellCase { "Bang", u"/tmp/wow!", std::nullopt, u"/tmp/wow!" },
        TShellCase { "Star", u"*", std::nullopt, u"*" },
        TShellCase { "LeadingDash", u"-n", 1, u"-n" },
        TShellCase { "Japanese", u"/home/ユーザー/資料", -1, u"/home/ユーザー/資料" },
        TShellCase { "Newline", u"/tmp/a\nb\n", std::nullopt, u"/tmp/a\nb\n" },
        TShellCase { "TrailingSlash", u"/tmp/old/", 1, u"/tmp/old" },
        TShellCase { "TwoTrailingSlashesKeepOne", u"/tmp/old//", std::nullopt, u"/tmp/old/" },
        TShellCase { "RootBecomesEmpty", u"/", std::nullopt, u"" },
        TShellCase { "BlanksOnly", u"   ", std::nullopt, u"   " },
        TShellCase { "Everything", u" it's $x `y` \"z\" \\ % ! * ; & | < > ( ) # ~ \t",
            0, u" it's $x `y` \"z\" \\ % ! * ; & | < > ( ) # ~ \t" }),
    [](const auto& info) { return std::string(info.param.Name); });


} // namespace
