// The lock file's own rules on POSIX: its permissions, what stands in its place, a folder's descriptor.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "files/FileLock.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr FileLockOptions kNoWait{.wait = milliseconds(0), .mode = 0644, .regularOnly = false};
constexpr FileLockOptions kRegularOnly{.wait = milliseconds(0), .mode = 0644, .regularOnly = true};

TEST(FileLockPosix, ALockFileMadeHereHasTheAskedPermissions) {
    const testing::TestFolder folder("qvset-file-lock-");
    {
        const FileLock lock(folder.Path() / "private.lock",
                            {.wait = std::nullopt, .mode = 0600, .regularOnly = false});
        ASSERT_TRUE(lock.Held());
    }
    EXPECT_EQ(fs::status(folder.Path() / "private.lock").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileLockPosix, RegularOnlyRefusesALinkOrAFifoAtOnceAndAPlainLockFollowsTheLink) {
    const testing::TestFolder folder("qvset-file-lock-");
    const fs::path target = folder.Path() / "target";
    std::ofstream(target).put('x');
    fs::create_symlink(target, folder.Path() / "link");
    ASSERT_EQ(::mkfifo((folder.Path() / "fifo").c_str(), 0600), 0);

    EXPECT_FALSE(FileLock(folder.Path() / "link", kRegularOnly).Held());
    EXPECT_FALSE(FileLock(folder.Path() / "fifo", kRegularOnly).Held());  // would block if it waited
    EXPECT_TRUE(FileLock(target, kRegularOnly).Held());

    const FileLock throughLink(folder.Path() / "link", kNoWait);
    ASSERT_TRUE(throughLink.Held());
    EXPECT_FALSE(FileLock(target, kNoWait).Held());
}

TEST(FileLockPosix, AFileOfAFolderOpenAsADescriptorIsTheFileOfThatName) {
    const testing::TestFolder folder("qvset-file-lock-");
    const int descriptor = ::open(folder.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(descriptor, 0);
    {
        const FileLock inFolder(descriptor, ".pending", kRegularOnly);
        ASSERT_TRUE(inFolder.Held());
        EXPECT_GE(inFolder.Descriptor(), 0);
        EXPECT_FALSE(FileLock(folder.Path() / ".pending", kNoWait).Held());
    }
    EXPECT_TRUE(FileLock(folder.Path() / ".pending", kNoWait).Held());
    ::close(descriptor);
}

}  // namespace
}  // namespace qvset
