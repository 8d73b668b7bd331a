// Description files that are not plain files or run on far past their twelve lines (POSIX).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "forms/SelectionHandlers.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "ticket/TicketFiles.h"

namespace qvset {
namespace {

using namespace qvset::forms;

namespace fs = std::filesystem;

class TicketFileKindsTest : public ::testing::Test {
  protected:
    testing::TestFolder testFolder{"qvset-ticket-kinds-"};
    const fs::path& folder = testFolder.Path();
    TicketSelection selection;
};

TEST_F(TicketFileKindsTest, FolderFifoAndDevicesAreUnreadableAtOnce) {
    ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0600), 0);
    for (const fs::path& path :
         {folder, folder / "fifo.txt", fs::path("/dev/zero"), fs::path("/proc/self/mem")}) {
        EXPECT_EQ(ReadTicketFile(path, selection.Description()), TicketFileRead::Unreadable) << path;
    }
    testing::RecordingDialogs dialogs;
    FileDialogState fileDialog;
    std::string text1;
    dialogs.QueueFileName((folder / "fifo.txt").string());
    Command21_Click(selection, dialogs, fileDialog, text1);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{"文件无法打开"});
    EXPECT_EQ(selection.Label12(), "无");
}

TEST_F(TicketFileKindsTest, ADescriptionFollowedByHundredsOfMegabytesIsReadFromItsStartOnly) {
    const fs::path path = folder / "long.txt";
    std::ofstream(path, std::ios::binary)
        << "KQ605USET1\r\nA99\r\nA88\r\nB0\r\nB0\r\nB0\r\nB0\r\nA99152\r\nB0\r\nB0\r\nB0\r\nA3\r\n";
    fs::resize_file(path, std::uintmax_t{300} << 20);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadTicketFile(path, selection.Description()), TicketFileRead::Complete);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(selection.ItemState(1), 99);
    EXPECT_EQ(selection.ItemState(11), 3);
    EXPECT_EQ(selection.Text3(), "152");
}

TEST_F(TicketFileKindsTest, ALineLongerThanAnyDescriptionHoldsRefusesTheFileThere) {
    const fs::path path = folder / "wide.txt";
    std::ofstream(path, std::ios::binary)
        << "KQ605USET1\r\nA88\r\nA99" << std::string(kMostTicketLineBytes, '7') << "\r\nB0\r\n";
    EXPECT_EQ(ReadTicketFile(path, selection.Description()), TicketFileRead::Refused);
    EXPECT_EQ(selection.ItemState(1), 88);  // the lines before it stay applied
    EXPECT_EQ(selection.ItemState(2), 0);
    std::ofstream(path, std::ios::binary)
        << "KQ605USET1\r\nA88\r\nA99" << std::string(kMostTicketLineBytes - 3, '7') << "\r\n";
    EXPECT_EQ(ReadTicketFile(path, selection.Description()),
              TicketFileRead::Ended);  // exactly the longest line
}

}  // namespace
}  // namespace qvset
