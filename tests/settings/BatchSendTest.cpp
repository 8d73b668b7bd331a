#include <gtest/gtest.h>

#include "forms/SelectionHandlers.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "settings/BatchSend.h"
#include "support/Descriptions.h"
#include "support/DocumentsAsHex.h"
#include "support/RecordingDialogs.h"

namespace qvset {
namespace {

using namespace qvset::forms;

using Names = std::vector<std::string>;
using States = TicketDescription;
using testing::Recorded;
using testing::WithTexts;

TEST(BuildBatchCommand, JoinsTheRecordedPartsInItemOrder) {
    struct Case {
        States states;
        const char* text3;
        const char* text4;
        const char* text5;
        const char* hex;
    };
    const Case cases[] = {
        // black mark on, 58 mm, ticket length 152, baud x12
        {Recorded({{1, 99}, {2, 88}, {7, 99}, {11, 4}}), "152", "35", "27",
         "1B42021B42051D28460400040065031B4211"},
        {Recorded({{10, 99}}), "152", "35", "27", "1B4201"},
        {Recorded({{1, 88}, {2, 88}}), "152", "35", "27", "1B42031B4205"},
        {Recorded({{11, 8}}), "152", "35", "27", "1B4215"},
        {Recorded({{8, 99}}), "152", "", "27", "1D2846040005000000"},
        {Recorded({{9, 99}}), "152", "35", "44.8", "1D2846040006000001"},
        {Recorded({{9, 99}}), "152", "35", "44.7", "1D2846040006000001"},
        // geometry items recorded as anything but 99 give nothing; unknown codes give nothing
        {Recorded({{7, 88}, {8, 1}, {1, 5}, {11, 9}, {10, 88}}), "152", "35", "27", ""},
        // every item: black mark, paper, head, edge, start and end positioning, length, start offset,
        // black-mark offset, threshold, baud rate
        {Recorded({{1, 99},
                   {2, 99},
                   {3, 88},
                   {4, 88},
                   {5, 99},
                   {6, 88},
                   {7, 99},
                   {8, 99},
                   {9, 99},
                   {10, 99},
                   {11, 8}}),
         "152", "35", "27",
         "1B42021B42041B420B1B420D1B42061B4209"
         "1D2846040004006503"
         "1D284604000500C900"
         "1D2846040006009B00"
         "1B42011B4215"},
    };
    for (const auto& c : cases) {
        const auto batch = BuildBatchCommand(WithTexts(c.states, c.text3, c.text4, c.text5));
        ASSERT_TRUE(batch) << c.hex;
        EXPECT_EQ(*batch, c.hex);
    }
    EXPECT_EQ(std::string(cases[8].hex).size(), 102u);
}

TEST(BuildBatchCommand, ValueOutOfRangeRefusesTheWholeBatch) {
    const States states = Recorded({{1, 99}, {8, 99}, {11, 1}});
    EXPECT_FALSE(BuildBatchCommand(WithTexts(states, "152", "11468.8", "27")));
    EXPECT_FALSE(BuildBatchCommand(WithTexts(states, "152", "1E999", "27")));
    // a value out of range on an item that is not recorded is not read
    EXPECT_TRUE(BuildBatchCommand(WithTexts(states, "1E999", "35", "99999")));
}

// Dialogs that also note how many documents had been written when each message was shown.
class OrderDialogs final : public Dialogs {
  public:
    explicit OrderDialogs(const MemorySpooler& spooler) : m_spooler(spooler) {}
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        messages.push_back(request.text);
        documentsBefore.push_back(m_spooler.Documents().size());
        return MessageAnswer::Ok;
    }
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName.clear(); }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName.clear(); }

    Names messages;
    std::vector<std::size_t> documentsBefore;

  private:
    const MemorySpooler& m_spooler;
};

class BatchSendTest : public ::testing::Test {
  protected:
    BatchSendTest() : spooler({{"QV640", "drv", "usb"}}) { spooler.SetCurrentPrinter("QV640"); }

    Names Sent() const { return testing::DocumentsAsHex(spooler); }

    MemorySpooler spooler;
    OrderDialogs dialogs{spooler};
    PrintChannel channel{spooler, dialogs, "."};
    TicketSelection selection;
};

TEST_F(BatchSendTest, NothingRecordedSendsNothing) {
    Command19_Click(selection, channel);
    EXPECT_EQ(dialogs.messages, Names{"您没有要设置的项目，请确认"});
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(BatchSendTest, WorkedExampleShowsTheBaudMessageBeforeTheOneDocument) {
    for (const char* button : {"Command28", "Command32", "Command44"})
        ClickSettingsButton(selection, channel, button);
    selection.SetItemState(7, 99);
    spooler.ClearDocuments();
    dialogs.messages.clear();
    dialogs.documentsBefore.clear();
    Command19_Click(selection, channel);
    EXPECT_EQ(dialogs.messages, Names{"您设置了波特率，完成后需要重启打印机"});
    EXPECT_EQ(dialogs.documentsBefore, std::vector<std::size_t>{0});
    EXPECT_EQ(Sent(), Names{"1B42021B42051D28460400040065031B4211"});
    // the batch changes no recorded state and no lit button
    EXPECT_EQ(selection.ItemState(11), 4);
    EXPECT_FALSE(selection.IsLit("Command23"));
}

TEST_F(BatchSendTest, NegativeGeometryTextsTakeTheirDefaultsAndEmptyStaysEmpty) {
    selection.SetItemState(7, 99);
    selection.SetItemState(8, 99);
    selection.SetText3("-5");
    selection.SetText4("");
    selection.SetText5("-1");  // not recorded: untouched
    Command19_Click(selection, channel);
    EXPECT_EQ(selection.Text3(), "152");
    EXPECT_EQ(selection.Text4(), "");
    EXPECT_EQ(selection.Text5(), "-1");
    EXPECT_EQ(Sent(), Names{"1D28460400040065031D2846040005000000"});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(BatchSendTest, CodesThatBuildNothingGiveTheEmptySelectionMessage) {
    selection.SetItemState(1, 5);
    Command19_Click(selection, channel);
    EXPECT_EQ(dialogs.messages, Names{"您没有要设置的项目，请确认"});
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(BatchSendTest, OutOfRangeValueSendsNothingOfTheBatch) {
    selection.SetItemState(1, 99);
    selection.SetItemState(9, 99);
    selection.SetItemState(11, 2);
    selection.SetText5("11468.8");
    Command19_Click(selection, channel);
    EXPECT_EQ(dialogs.messages, Names{"数值超出范围，未发送"});
    EXPECT_TRUE(spooler.Documents().empty());
}

}  // namespace
}  // namespace qvset
