#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "core/TStringList.h"
#include "fileutil/Tfileutility.h"
#include "platform/PathDelimiter.h"
#include "platform/ShellFileOperation.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// What reached the shell: the members of the request, and the list up to and
// including its first pair of NULs.
class TFakeShell final : public TShell {
public:
    explicit TFakeShell(int result = 0) : FResult(result) {}

    int FileOperation(platform::TFileOperationRequest& request) override
    {
        ++Calls;
        Owner = request.Owner;
        Function = request.Function;
        Flags = request.Flags;
        ToIsNull = request.To == nullptr;
        TitleIsNull = request.ProgressTitle == nullptr;
        List.clear();
        for (std::size_t i = 0;; ++i) {
            List += request.From[i];
            if (request.From[i] == u'\0' && request.From[i + 1] == u'\0') {
                List += u'\0';
                break;
            }
        }
        return FResult;
    }

    int Calls = 0;
    platform::TWindowHandle Owner = 0;
    std::uint32_t Function = 0;
    std::uint16_t Flags = 0;
    bool ToIsNull = false;
    bool TitleIsNull = false;
    std::u16string List;

private:
    int FResult;
};

// A folder "d", a file "f" and no "m" in a fresh folder of the system's temp folder.
class PathListFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Temp);
        Root = Temp.Path();
        fs::create_directory(Root / "d");
        std::ofstream(Root / "f") << "x";
    }

    // name relative to Root, delimiters written '/'; a leading '=' keeps it as it is.
    std::u16string P(std::u16string name) const
    {
        if (!name.empty() && name[0] == u'=') {
            name.erase(0, 1);
            for (auto& c : name) {
                c = c == u'/' ? platform::PathDelimiter() : c;
            }
            return name;
        }
        for (auto& c : name) {
            c = c == u'/' ? platform::PathDelimiter() : c;
        }
        return Root.u16string() + platform::PathDelimiter() + name;
    }

    std::u16string Joined(const std::vector<std::u16string>& entries) const
    {
        std::u16string joined;
        for (const auto& entry : entries) {
            joined += P(entry);
            joined += u'\0';
        }
        return joined;
    }

    TTempFolder Temp { "ft-pathlist-" };
    fs::path Root;
};

struct TBuildCase {
    const char* Name;
    std::vector<std::u16string> Paths;
    std::vector<std::u16string> Kept;
};

class PathListBuilder : public PathListFixture, public testing::WithParamInterface<TBuildCase> {};

TEST_P(PathListBuilder, KeepsTestedPathsNulSeparated)
{
    std::vector<std::u16string> paths;
    for (const auto& path : GetParam().Paths) {
        paths.push_back(P(path));
    }
    const std::u16string expected = Joined(GetParam().Kept);
    int n = -1;
    const std::unique_ptr<char16_t[]> buffer = BuildPathListBuffer(paths, n);
    ASSERT_EQ(n, static_cast<int>(expected.size()));
    EXPECT_EQ(std::u16string(buffer.get(), static_cast<std::size_t>(n)), expected);
}

INSTANTIATE_TEST_SUITE_P(Rule, PathListBuilder,
    testing::Values(
        TBuildCase { "FolderLosesTrailingDelimiter", { u"d/" }, { u"d" } },
        TBuildCase { "FolderWithoutDelimiterUnchanged", { u"d" }, { u"d" } },
        TBuildCase { "TwoDelimitersLoseOne", { u"d//" }, { u"d/" } },
        TBuildCase { "FileUnchanged", { u"f" }, { u"f" } },
        TBuildCase { "FileWithDelimiterDropped", { u"f/" }, {} },
        TBuildCase { "MissingDropped", { u"m" }, {} },
        TBuildCase { "EmptyDropped", { u"=" }, {} },
        TBuildCase { "LoneDelimiterGivesEmptyEntry", { u"=/" }, { u"=" } },
        TBuildCase { "DuplicatesStay", { u"d/", u"f", u"d/" }, { u"d", u"f", u"d" } },
        TBuildCase { "FolderMissingFile", { u"d/", u"m", u"f" }, { u"d", u"f" } },
        TBuildCase { "NothingKept", { u"m", u"=" }, {} },
        TBuildCase { "NulInsideDropped", { std::u16string(u"d\0f", 3) }, {} },
        TBuildCase { "NulAfterDelimiterDropped", { u"f", std::u16string(u"d/\0", 3) }, { u"f" } }),
    [](const auto& info) { return std::string(info.param.Name); });

struct TEntryCase {
    const char* Name;
    char16_t Delimiter;
    std::u16string Path;
    std::optional<std::u16string> Entry;
};

class FolderEntryRule : public testing::TestWithParam<TEntryCase> {};

TEST_P(FolderEntryRule, RemovesOneDelimiterButNeverHandsOnARoot)
{
    EXPECT_EQ(FolderListEntry(GetParam().Path, GetParam().Delimiter), GetParam().Entry);
}

INSTANTIATE_TEST_SUITE_P(BothPlatforms, FolderEntryRule,
    testing::Values(
        TEntryCase { "WinFolder", u'\\', u"C:\\Data\\", u"C:\\Data" },
        TEntryCase { "WinTwoDelimiters", u'\\', u"C:\\Data\\\\", u"C:\\Data\\" },
        TEntryCase { "WinDriveRootDropped", u'\\', u"C:\\", std::nullopt },
        TEntryCase { "WinLowerDriveRootDropped", u'\\', u"z:\\", std::nullopt },
        TEntryCase { "WinDriveRootSlashDropped", u'\\', u"C:/", std::nullopt },
        TEntryCase { "WinDriveRootTwiceDropped", u'\\', u"C:\\\\", std::nullopt },
        TEntryCase { "WinDriveAloneUnchanged", u'\\', u"C:", u"C:" },
        TEntryCase { "WinLoneDelimiterEmpty", u'\\', u"\\", u"" },
        TEntryCase { "WinShareFolder", u'\\', u"\\\\srv\\share\\", u"\\\\srv\\share" },
        TEntryCase { "PosixFolder", u'/', u"/tmp/a/", u"/tmp/a" },
        TEntryCase { "PosixLoneDelimiterEmpty", u'/', u"/", u"" },
        TEntryCase { "PosixRootTwiceDropped", u'/', u"//", std::nullopt },
        TEntryCase { "PosixDriveLettersMeanNothing", u'/', u"C:\\", u"C:\\" },
        TEntryCase { "PosixColonFolder", u'/', u"C:/", u"C:" }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DeleteRequestFlags, RecycleAsksBeforeDestroying)
{
    EXPECT_EQ(DeleteRequestFlags(true), 0x4150);
    EXPECT_EQ(DeleteRequestFlags(false), 0x0110);
}

class ShellRequest : public PathListFixture, public testing::WithParamInterface<bool> {};

TEST_P(ShellRequest, CarriesListFlagsAndApplicationWindow)
{
    const bool recycle = GetParam();
    SetApplicationWindow(0x5A17);
    TFakeShell shell;
    TStringList list;
    for (const auto* path : { u"d/", u"m", u"f" }) {
        list.Add(P(path));
    }
    EXPECT_TRUE(ShellDeletePaths(list, recycle, shell));
    SetApplicationWindow(0);

    EXPECT_EQ(shell.Calls, 1);
    EXPECT_EQ(shell.List, Joined({ u"d", u"f" }) + u'\0');
    EXPECT_EQ(shell.Flags, recycle ? 0x4150 : 0x0110);
    EXPECT_EQ(shell.Owner, 0x5A17u);
    EXPECT_EQ(shell.Function, platform::FoDelete);
    EXPECT_TRUE(shell.ToIsNull);
    EXPECT_TRUE(shell.TitleIsNull);
    EXPECT_EQ(list.Count(), 3); // borrowed, not changed
}

INSTANTIATE_TEST_SUITE_P(Flag, ShellRequest, testing::Values(true, false),
    [](const auto& info) { return info.param ? "Recycle" : "Permanent"; });

TEST_F(PathListFixture, EmptyListStillGoesToShell)
{
    TFakeShell shell(0x7C);
    EXPECT_FALSE(ShellDeletePath(P(u"m"), false, shell));
    EXPECT_EQ(shell.Calls, 1);
    EXPECT_EQ(shell.List, std::u16string(2, u'\0'));
}

TEST_F(PathListFixture, TrueOnlyWhenShellReturnsZero)
{
    for (const int code : { 0, 1, -1, 0x75, 0x402 }) {
        TFakeShell shell(code);
        EXPECT_EQ(ShellDeletePath(P(u"f"), true, shell), code == 0) << code;
        EXPECT_EQ(shell.List, Joined({ u"f" }) + u'\0');
    }
}

} // namespace
