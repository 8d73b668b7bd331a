// qvctl console, save and the fixed test-print commands over the in-memory spooler.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CommandRegistry.h"
#include "console/TestPrints.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "support/DocumentsAsHex.h"
#include "support/QvctlFixture.h"
#include "support/RecordingDialogs.h"

namespace qvset {
namespace {

class ConsoleCliTest : public testing::QvctlFixture {
  protected:
    ConsoleCliTest() : QvctlFixture({{"QV640", "QV6", "USB001"}}) {
        cli::RegisterConsoleCommands(registry);
        ShowDialogsOn(dialogs);
    }

    int Run(std::vector<std::string> args) { return RunQvctl(args); }

    std::vector<std::string> SentHex() const { return testing::DocumentsAsHex(spooler); }

    testing::RecordingDialogs dialogs;
};

TEST_F(ConsoleCliTest, ConsoleSendsPlainlyOrFramedAsATable) {
    EXPECT_EQ(Run({"console", "1B", "4a 15"}), 0);
    EXPECT_EQ(Run({"console", "--table", "0C"}), 0);
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B4A15", "1B3A000052", "0C", "1B3A000052"}));
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 1000}));
}

TEST_F(ConsoleCliTest, ConsoleRefusesAWrongCharacterAndSendsNothing) {
    EXPECT_EQ(Run({"console", "1B", "4G"}), 2);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "请输入的数据是16进制的范围");
    EXPECT_EQ(Run({"console", "--table", "1B\t4A"}), 2);
    EXPECT_EQ(Run({"console"}), 2);
    EXPECT_EQ(Run({"console", "  "}), 2);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(pause.Waits().empty());
}

TEST_F(ConsoleCliTest, FixedCommandsSendTheirButtonsDocuments) {
    struct Row {
        const char* command;
        std::vector<std::string> documents;
    };
    const Row rows[] = {{"save", {"1B3A000052"}}, {"self-test", {"1B3A000050"}}, {"line-feed", {"0A"}},
                        {"form-feed", {"0C"}},    {"feed-forward", {"1B4A03"}},  {"feed-back", {"1B6A03"}}};
    for (const auto& row : rows) {
        spooler.ClearDocuments();
        EXPECT_EQ(Run({row.command}), 0) << row.command;
        EXPECT_EQ(SentHex(), row.documents) << row.command;
        EXPECT_EQ(Run({row.command, "extra"}), 2) << row.command;
    }
    spooler.ClearDocuments();
    EXPECT_EQ(Run({"pin-test"}), 0);
    EXPECT_EQ(spooler.Documents().size(), 18u);
}

TEST_F(ConsoleCliTest, AMissingPrinterExitsWithStatusOne) {
    spooler.SetCannotOpen("QV640");
    EXPECT_EQ(Run({"self-test"}), 1);
}

}  // namespace
}  // namespace qvset
