#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/FileContents.h"
#include "support/FileBytes.h"
#include "support/TestFolder.h"

using qvset::testing::ReadFileBytes;
using qvset::testing::WriteFileBytes;

namespace qvset {
namespace {

namespace fs = std::filesystem;

bool Replace(const fs::path& path, const std::string& text) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return ReplaceFileContents(path, {data, text.size()});
}

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class FileContentsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // The folder takes entries again, so that it can be removed.
        std::system(("chattr -i '" + folder.string() + "' 2>/dev/null").c_str());
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    }

    // Makes the folder refuse new entries, for root as well: immutable where the file system has the
    // attribute, otherwise without write permission (which only stops other users).
    bool MakeFolderTakeNoNewFile() {
        if (::geteuid() == 0) {
            return std::system(("chattr +i '" + folder.string() + "' 2>/dev/null").c_str()) == 0;
        }
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        return true;
    }

    testing::TestFolder testFolder{"qvset-files-"};
    const fs::path& folder = testFolder.Path();
};

TEST_F(FileContentsTest, AnythingButARegularFileIsRefusedWithoutWaiting) {
    fs::create_directory(folder / "dir");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);  // no writer: opening it normally blocks
    const struct {
        fs::path path;
        FileReadStatus status;
    } cases[] = {{folder / "dir", FileReadStatus::NotAFile},
                 {folder / "fifo", FileReadStatus::NotAFile},
                 {folder / "missing", FileReadStatus::NotAFile},
                 {folder / "missing" / "below", FileReadStatus::NotAFile},
                 {"/dev/zero", FileReadStatus::NotAFile},
                 {"/dev/null", FileReadStatus::NotAFile},
                 {"/proc/self/mem", FileReadStatus::Unreadable}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReadFileContents(c.path, 1 << 20).status, c.status) << c.path;
        EXPECT_EQ(ReadFileStart(c.path, 1 << 20).status, c.status) << c.path;
    }
}

TEST_F(FileContentsTest, AFileAboveTheLimitIsTooLargeWithItsSizeAndIsNotRead) {
    const fs::path path = folder / "sparse.prn";
    WriteFileBytes(path, "");
    for (const std::uintmax_t size : {(std::uintmax_t{1} << 31) + 16, (std::uintmax_t{1} << 32) + 16}) {
        fs::resize_file(path, size);
        const auto result = ReadFileContents(path, 2147483647);
        EXPECT_EQ(result.status, FileReadStatus::TooLarge) << size;
        EXPECT_EQ(result.size, size);
        EXPECT_TRUE(result.bytes.empty());
    }
    WriteFileBytes(path, "12345");
    EXPECT_EQ(ReadFileContents(path, 4).status, FileReadStatus::TooLarge);
    const auto exact = ReadFileContents(path, 5);
    EXPECT_EQ(exact.status, FileReadStatus::Read);
    EXPECT_EQ(std::string(exact.bytes.begin(), exact.bytes.end()), "12345");
}

TEST_F(FileContentsTest, ReadingTheStartStopsAtTheLimitWhateverFollows) {
    const fs::path path = folder / "long.txt";
    WriteFileBytes(path, "KQ605USET1\r\n");
    fs::resize_file(path, std::uintmax_t{300} << 20);
    const auto result = ReadFileStart(path, 64);
    EXPECT_EQ(result.status, FileReadStatus::Read);
    ASSERT_EQ(result.bytes.size(), 64u);
    EXPECT_EQ(std::string(result.bytes.begin(), result.bytes.begin() + 12), "KQ605USET1\r\n");
}

TEST_F(FileContentsTest, ReplacingKeepsTheModeAndLeavesNoTemporary) {
    const fs::path path = folder / "private.txt";
    WriteFileBytes(path, "old");
    for (const auto mode : {fs::perms::owner_read | fs::perms::owner_write,
                            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}) {
        fs::permissions(path, mode, fs::perm_options::replace);
        ASSERT_TRUE(Replace(path, "new text"));
        EXPECT_EQ(ReadFileBytes(path), "new text");
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, mode);
    }
    EXPECT_EQ(EntriesIn(folder), 1u);
}

TEST_F(FileContentsTest, ANewFileGetsTheModeOfAPlainCreate) {
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(Replace(folder / "new.txt", "x"));
    ::umask(mask);
    EXPECT_EQ(
        fs::status(folder / "new.txt").permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(FileContentsTest, ReplacingKeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    const fs::path path = folder / "theirs.txt";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(Replace(path, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST_F(FileContentsTest, ASymbolicLinkIsWrittenThroughToItsTarget) {
    fs::create_directory(folder / "real");
    WriteFileBytes(folder / "real" / "t.txt", "old");
    fs::create_symlink("real/t.txt", folder / "link.txt");
    fs::create_symlink(folder / "link.txt", folder / "link2.txt");  // a link to the link
    ASSERT_TRUE(Replace(folder / "link2.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(folder / "link2.txt"));
    EXPECT_EQ(ReadFileBytes(folder / "real" / "t.txt"), "new");
    EXPECT_EQ(EntriesIn(folder), 3u);
    EXPECT_EQ(EntriesIn(folder / "real"), 1u);
    // A link whose target does not exist yet creates the target.
    fs::create_symlink("real/later.txt", folder / "dangling.txt");
    ASSERT_TRUE(Replace(folder / "dangling.txt", "first"));
    EXPECT_EQ(ReadFileBytes(folder / "real" / "later.txt"), "first");
}

TEST_F(FileContentsTest, AHardLinkedFileChangesForAllItsNames) {
    WriteFileBytes(folder / "a.txt", "old text");
    fs::create_hard_link(folder / "a.txt", folder / "b.txt");
    ASSERT_TRUE(Replace(folder / "a.txt", "new"));
    EXPECT_EQ(ReadFileBytes(folder / "a.txt"), "new");
    EXPECT_EQ(ReadFileBytes(folder / "b.txt"), "new");
    EXPECT_EQ(fs::hard_link_count(folder / "a.txt"), 2u);
    ASSERT_TRUE(Replace(folder / "b.txt", "a longer new text"));
    EXPECT_EQ(ReadFileBytes(folder / "a.txt"), "a longer new text");
}

TEST_F(FileContentsTest, ANameOfTwoHundredFiftyCharactersCanBeReplaced) {
    const fs::path path = folder / (std::string(246, 'n') + ".txt");
    WriteFileBytes(path, "old");
    ASSERT_TRUE(Replace(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(EntriesIn(folder), 1u);
}

TEST_F(FileContentsTest, AFolderThatTakesNoNewFileIsWrittenInPlace) {
    const fs::path path = folder / "mine.txt";
    WriteFileBytes(path, "old");
    if (!MakeFolderTakeNoNewFile()) GTEST_SKIP() << "the file system has no immutable attribute";
    EXPECT_TRUE(Replace(path, "a new and longer text"));
    EXPECT_EQ(ReadFileBytes(path), "a new and longer text");
    EXPECT_TRUE(Replace(path, "short"));
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_FALSE(Replace(folder / "other.txt", "x"));  // nothing to write in place
    EXPECT_FALSE(fs::exists(folder / "other.txt"));
}

// A full disk, as a file size limit: the bytes cannot all be written.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    bool IsSet() const { return m_set; }

  private:
    rlimit m_old{};
    bool m_set = false;
};

TEST_F(FileContentsTest, AFullDiskLeavesTheEarlierContentsOnBothWays) {
    const fs::path path = folder / "earlier.txt";
    WriteFileBytes(path, "earlier");
    const std::string tooLong(4096, 'x');
    {
        FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.IsSet());
        EXPECT_FALSE(Replace(path, tooLong));  // through the temporary file
    }
    EXPECT_EQ(ReadFileBytes(path), "earlier");
    EXPECT_EQ(EntriesIn(folder), 1u);
    fs::create_hard_link(path, folder / "other.txt");  // in place
    {
        FileSizeLimit limit(1024);
        EXPECT_FALSE(Replace(path, tooLong));
    }
    EXPECT_EQ(ReadFileBytes(path), "earlier");
    EXPECT_EQ(fs::file_size(path), 7u);
}

TEST_F(FileContentsTest, AFolderOrAMissingFolderIsNotReplaced) {
    fs::create_directory(folder / "taken");
    EXPECT_FALSE(Replace(folder / "taken", "x"));
    EXPECT_TRUE(fs::is_directory(folder / "taken"));
    EXPECT_FALSE(Replace(folder / "missing" / "a.txt", "x"));
    EXPECT_EQ(EntriesIn(folder), 1u);
}

}  // namespace
}  // namespace qvset
