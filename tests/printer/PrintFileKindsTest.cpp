// Print files that are not plain files, or too large for one document (POSIX: FIFOs, devices, sparse
// files).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

class PrintFileKindsTest : public ::testing::Test {
  protected:
    PrintFileKindsTest() : spooler({{"QV640", "QV6 Driver", "USB001"}}), channel(spooler, dialogs, folder) {}

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    testing::TestFolder testFolder{"qvset-kinds-"};
    const fs::path& folder = testFolder.Path();
    PrintChannel channel;
};

TEST_F(PrintFileKindsTest, FolderFifoAndDevicesAreRefusedAsMissingWithoutWaiting) {
    fs::create_directory(folder / "file.prn");  // the window's button reads this very path
    channel.SendPrintFile();
    ASSERT_EQ(::mkfifo((folder / "fifo.prn").c_str(), 0600), 0);
    channel.SendPrintFileAt(folder / "fifo.prn");
    channel.SendPrintFileAt("/dev/zero");
    channel.SendPrintFileAt("/proc/self/mem");
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              (std::vector<std::string>{MsgPrintFileMissing((folder / "file.prn").string()),
                                        MsgPrintFileMissing((folder / "fifo.prn").string()),
                                        "找不到打印文件 /dev/zero，或文件为空",
                                        "找不到打印文件 /proc/self/mem，或文件为空"}));
    EXPECT_EQ(channel.RefusedCommands(), 4);
}

TEST_F(PrintFileKindsTest, AFileOfTwoGibibytesOrMoreIsRefusedWithItsSize) {
    const fs::path path = folder / "big.prn";
    std::ofstream(path, std::ios::binary) << "x";
    fs::resize_file(path, (std::uintmax_t{1} << 31) + 16);
    channel.SendPrintFileAt(path);
    fs::resize_file(path, (std::uintmax_t{1} << 32) + 16);  // once sent as a 16-byte document
    channel.SendPrintFileAt(path);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              (std::vector<std::string>{
                  "打印文件 " + path.string() + " 有 2147483664 字节，超过上限 2147483647 字节，未发送",
                  "打印文件 " + path.string() + " 有 4294967312 字节，超过上限 2147483647 字节，未发送"}));
    EXPECT_EQ(channel.RefusedCommands(), 2);
}

}  // namespace
}  // namespace qvset
