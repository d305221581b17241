#include <gtest/gtest.h>

#include "tests/FileOperationTestSupport.h"

namespace {

struct TGuardCase {
    const char* Name;
    const char* Path;
    platform::posix::TRefusal Refusal;
};

class TrashGuard : public testing::TestWithParam<TGuardCase> {};

TEST_P(TrashGuard, RefusesMountsAndTrashes)
{
    using platform::posix::TRefusal;
    const std::vector<std::string> mounts { "/", "/mnt/usb", "/home/u/bind", "/media/a b" };
    EXPECT_EQ(platform::posix::TrashRefusal(GetParam().Path, mounts, "/home/u/.local/share/Trash"),
        GetParam().Refusal);
}

using TRefusal = platform::posix::TRefusal;
INSTANTIATE_TEST_SUITE_P(Table, TrashGuard,
    testing::Values(
        TGuardCase { "PlainFolder", "/home/u/doc", TRefusal::None },
        TGuardCase { "HomeTrash", "/home/u/.local/share/Trash", TRefusal::TrashFolder },
        TGuardCase { "HomeTrashInfo", "/home/u/.local/share/Trash/info", TRefusal::InsideTrash },
        TGuardCase { "InsideHomeTrash", "/home/u/.local/share/Trash/files/x", TRefusal::InsideTrash },
        TGuardCase { "NameStartingLikeTheTrash", "/home/u/.local/share/TrashX", TRefusal::None },
        TGuardCase { "MountPoint", "/mnt/usb", TRefusal::Mounted },
        TGuardCase { "MountBelow", "/mnt", TRefusal::MountBelow },
        TGuardCase { "BindPoint", "/home/u/bind", TRefusal::Mounted },
        TGuardCase { "BindBelow", "/home/u", TRefusal::MountBelow },
        TGuardCase { "EscapedMountBelow", "/media", TRefusal::MountBelow },
        TGuardCase { "SiblingOfMount", "/mnt/usb2", TRefusal::None },
        TGuardCase { "OwnTopDirTrash", "/mnt/usb/.Trash-1000", TRefusal::TrashFolder },
        TGuardCase { "SharedTopDirTrash", "/mnt/usb/.Trash", TRefusal::TrashFolder },
        TGuardCase { "InsideSharedTopDirTrash", "/mnt/usb/.Trash/1000/files/a", TRefusal::InsideTrash },
        TGuardCase { "InsideRootTopDirTrash", "/.Trash-0/info", TRefusal::InsideTrash },
        TGuardCase { "TrashNameBelowTopDir", "/mnt/usb/d/.Trash-1000", TRefusal::None },
        TGuardCase { "NotATrashName", "/mnt/usb/.Trash-x", TRefusal::None }),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MountTable, FieldEscapesDecoded)
{
    EXPECT_EQ(platform::posix::DecodeMountField("/media/a\\040b\\011c\\134d\\012"), "/media/a b\tc\\d\n");
    EXPECT_EQ(platform::posix::DecodeMountField("/x\\9"), "/x\\9");
    const auto mounts = platform::posix::MountPoints();
    // Not "/": in a chroot the root is no mount point of its own.
    EXPECT_NE(std::find(mounts.begin(), mounts.end(), "/proc"), mounts.end());
}

} // namespace
