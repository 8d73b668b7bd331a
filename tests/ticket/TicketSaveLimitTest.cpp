// A save whose bytes cannot all be written (a full disk, here a file size limit) on POSIX systems.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "forms/SelectionHandlers.h"
#include "printer/AnsiText.h"
#include "support/FileBytes.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "ticket/TicketFiles.h"

using qvset::testing::ReadFileBytes;

namespace qvset {
namespace {

using namespace qvset::forms;

namespace fs = std::filesystem;

TEST(TicketSave, WriteThatFailsPartWayLeavesTheEarlierFileIntact) {
    const testing::TestFolder testFolder("qvset-limit-");
    const fs::path& folder = testFolder.Path();
    const fs::path path = folder / "earlier.txt";
    const std::string earlier = "KQ605USET1\r\nB0\r\n";
    std::ofstream(path, std::ios::binary) << earlier;

    TicketSelection selection;
    selection.SetItemState(7, 99);
    selection.SetText3(std::string(4000, '1'));
    testing::RecordingDialogs dialogs;
    FileDialogState fileDialog;
    dialogs.QueueFileName(path.string());

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Command20_Click(selection, dialogs, fileDialog);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{"保存失败"});
    EXPECT_EQ(ReadFileBytes(path), earlier);
    EXPECT_TRUE(selection.HasUnsavedChanges());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);  // no temporary
}

}  // namespace
}  // namespace qvset
