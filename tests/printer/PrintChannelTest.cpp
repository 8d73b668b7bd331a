#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/SpoolerDeadline.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

class PrintChannelTest : public ::testing::Test {
  protected:
    PrintChannelTest()
        : spooler({{"QV640", "QV6 Driver", "USB001"}, {"Other", "Generic", "LPT1:"}}),
          channel(spooler, dialogs, folder) {}

    std::string SentHex(std::size_t index) const { return EncodeHex(spooler.Documents().at(index).bytes); }

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    testing::TestFolder testFolder{"qvset-channel-"};
    const std::filesystem::path& folder = testFolder.Path();
    PrintChannel channel;
};

TEST_F(PrintChannelTest, SendHexWritesOneDocumentNamedAAAAAAToTheCurrentPrinter) {
    channel.SendHex("1b4a15");
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].printer, "QV640");
    EXPECT_EQ(spooler.Documents()[0].name, "AAAAAA");
    EXPECT_EQ(SentHex(0), "1B4A15");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(PrintChannelTest, CurrentPrinterIsReadAfreshForEveryDocument) {
    channel.SendHex("0C");
    spooler.SetCurrentPrinter("Other");
    channel.SendHex("0A");
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(spooler.Documents()[0].printer, "QV640");
    EXPECT_EQ(spooler.Documents()[1].printer, "Other");
}

TEST_F(PrintChannelTest, PrinterThatCannotBeOpenedIsReportedOncePerDocument) {
    spooler.SetCannotOpen("QV640");
    channel.SendHex("0C");
    channel.SendText("AB", channel.CharacterLen("AB"));
    channel.SendHex("0A");
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>(3, "The Printer Name you typed wasn't recognized."));
    EXPECT_EQ(dialogs.Messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(channel.OpenFailures(), 3);
}

TEST_F(PrintChannelTest, NoDefaultPrinterIsAPrinterThatCannotBeOpened) {
    spooler.SetCurrentPrinter("");
    channel.SendHex("0C");
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>{"The Printer Name you typed wasn't recognized."});
}

TEST_F(PrintChannelTest, UnconvertibleHexSendsNothingAndSaysSo) {
    channel.SendHex("1B4G");
    channel.SendHex("1B  ");
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>(2, "指令格式错误，未发送"));
    EXPECT_EQ(channel.RefusedCommands(), 2);
}

TEST_F(PrintChannelTest, EmptyHexSendsAndShowsNothing) {
    channel.SendHex("");
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(PrintChannelTest, CharacterLenCountsDoubleByteCharactersTwice) {
    EXPECT_EQ(channel.CharacterLen("AB"), 2);
    EXPECT_EQ(channel.CharacterLen("打印"), 4);
    EXPECT_EQ(channel.CharacterLen("A打"), 3);
    EXPECT_EQ(channel.CharacterLen(std::string("\x1B\x3A\x00\x00\x50", 5)), 5);
    EXPECT_EQ(channel.CharacterLen(""), 0);
}

TEST_F(PrintChannelTest, CharacterLenOfLongTextsIsTheTrueLength) {
    EXPECT_EQ(channel.CharacterLen(std::string(40000, 'x')), 40000);
    std::string chinese;
    for (int i = 0; i < 20000; ++i) chinese += "啊";
    EXPECT_EQ(channel.CharacterLen(chinese), 40000);
}

TEST_F(PrintChannelTest, SendTextWritesTheGbkBytesIncludingNul) {
    const std::string save("\x1B\x3A\x00\x00\x50", 5);
    channel.SendText(save, channel.CharacterLen(save));
    const std::string chinese = "A打印";
    channel.SendText(chinese, channel.CharacterLen(chinese));
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(SentHex(0), "1B3A000050");
    EXPECT_EQ(SentHex(1), "41B4F2D3A1");
}

TEST_F(PrintChannelTest, SendTextSendsOnlyTheCountedBytesAndNeverMoreThanTheText) {
    channel.SendText("ABCD", 2);
    channel.SendText("AB", 10);
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(SentHex(0), "4142");
    EXPECT_EQ(SentHex(1), "4142");
}

TEST_F(PrintChannelTest, SendPrintFileSendsTheWholeFileUnchanged) {
    std::string content;
    for (int i = 0; i < 256; ++i) content.push_back(static_cast<char>(i));
    std::ofstream(folder / "file.prn", std::ios::binary) << content;
    channel.SendPrintFile();
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes, std::vector<std::uint8_t>(content.begin(), content.end()));
    EXPECT_EQ(spooler.Documents()[0].name, "AAAAAA");
}

TEST_F(PrintChannelTest, MissingOrEmptyPrintFileSendsNothing) {
    channel.SendPrintFile();
    std::ofstream(folder / "file.prn", std::ios::binary).flush();
    channel.SendPrintFile();
    EXPECT_TRUE(spooler.Documents().empty());
    const std::string path = (folder / "file.prn").string();
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>(2, "找不到打印文件 " + path + "，或文件为空"));
}

TEST_F(PrintChannelTest, PrintFileComesFromTheFirstFolderThatHoldsOne) {
    const auto first = folder / "program";
    const auto second = folder / "user";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    PrintChannel installed(spooler, dialogs, std::vector<std::filesystem::path>{first, second});

    std::ofstream(second / "file.prn", std::ios::binary) << "USER";
    installed.SendPrintFile();
    std::ofstream(first / "file.prn", std::ios::binary) << "PROG";
    installed.SendPrintFile();
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(SentHex(0), EncodeHex(std::vector<std::uint8_t>{'U', 'S', 'E', 'R'}));
    EXPECT_EQ(SentHex(1), EncodeHex(std::vector<std::uint8_t>{'P', 'R', 'O', 'G'}));
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(PrintChannelTest, AnEmptyPrintFileInTheProgramFolderIsNotPassedOver) {
    const auto first = folder / "program";
    const auto second = folder / "user";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    std::ofstream(first / "file.prn", std::ios::binary).flush();
    std::ofstream(second / "file.prn", std::ios::binary) << "USER";
    PrintChannel installed(spooler, dialogs, std::vector<std::filesystem::path>{first, second});
    installed.SendPrintFile();
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>{"找不到打印文件 " + (first / "file.prn").string() + "，或文件为空"});
    EXPECT_EQ(installed.RefusedCommands(), 1);
}

TEST_F(PrintChannelTest, NoPrintFileAnywhereNamesEveryPlaceLookedAt) {
    PrintChannel installed(spooler, dialogs, std::vector<std::filesystem::path>{folder / "a", folder / "b"});
    installed.SendPrintFile();
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>{"找不到打印文件 " + (folder / "a" / "file.prn").string() + " 或 " +
                                       (folder / "b" / "file.prn").string() + "，或文件为空"});
    EXPECT_EQ(installed.RefusedCommands(), 1);
}

TEST_F(PrintChannelTest, SendFileBufferSendsThePrefixOfTheLastLoadedFile) {
    std::ofstream(folder / "file.prn", std::ios::binary) << "HELLO";
    channel.SendPrintFile();
    channel.SendFileBuffer(2);
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(SentHex(1), "4845");
}

TEST_F(PrintChannelTest, AnUnreachableServerIsReportedAsSuchOncePerDocument) {
    spooler.SetUnreachable();
    channel.SendHex("0A");
    channel.SendText("AB", 2);
    spooler.SetUnreachable(false);
    spooler.SetCannotOpen("QV640");
    channel.SendHex("0A");
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.MessageTexts(),
              (std::vector<std::string>{"打印服务器无法连接或没有应答，未发送",
                                        "打印服务器无法连接或没有应答，未发送",
                                        "The Printer Name you typed wasn't recognized."}));
    EXPECT_EQ(channel.OpenFailures(), 3);
}

TEST(SpoolerDeadline, SecondsAboveZeroUpToAnHour) {
    using std::chrono::milliseconds;
    const struct {
        const char* text;
        std::optional<milliseconds> deadline;
    } cases[] = {{"2", milliseconds(2000)},
                 {"0.5", milliseconds(500)},
                 {"3600", milliseconds(3600000)},
                 {"10.0004", milliseconds(10000)},
                 {"0", std::nullopt},
                 {"0.0001", std::nullopt},
                 {"3601", std::nullopt},
                 {"-1", std::nullopt},
                 {"", std::nullopt},
                 {" 2", std::nullopt},
                 {"2s", std::nullopt},
                 {"1e3", std::nullopt},
                 {"inf", std::nullopt},
                 {"1.2.3", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(ParseSpoolerDeadline(c.text), c.deadline) << '"' << c.text << '"';
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// A server whose documents fare as told, one outcome per document, in order; the last one repeats.
class ScriptedServer final : public ForwardingSpooler {
  public:
    struct Outcome {
        bool taken;
        SpoolerFault fault;
        bool mayHavePrinted;
    };
    ScriptedServer(MemorySpooler& inner, std::vector<Outcome> outcomes)
        : ForwardingSpooler(inner), m_outcomes(std::move(outcomes)) {}

    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        const Outcome outcome = m_outcomes[std::min(m_written++, m_outcomes.size() - 1)];
        m_fault = outcome.fault;
        m_receipt = {0, outcome.mayHavePrinted};
        return outcome.taken && Inner().WriteRawDocument(deviceName, documentName, payload);
    }
    SpoolerFault LastFault() override { return m_fault; }
    DocumentReceipt LastReceipt() override { return m_receipt; }
    std::size_t Written() const { return m_written; }

  private:
    std::vector<Outcome> m_outcomes;
    std::size_t m_written = 0;
    SpoolerFault m_fault = SpoolerFault::None;
    DocumentReceipt m_receipt;
};

TEST(PrintChannelServerTest, ALateAnswerMayHavePrintedAndTheNextDocumentIsTriedAgainUnderAName) {
    MemorySpooler memory({{"QV640", "drv", "usb"}});
    ScriptedServer server(memory, {{false, SpoolerFault::Unreachable, true},
                                   {false, SpoolerFault::Unreachable, false},
                                   {true, SpoolerFault::None, false}});
    PrinterOverrideSpooler named(server, "QV640");
    testing::RecordingDialogs dialogs;
    PrintChannel channel(named, dialogs, std::filesystem::path("."));
    for (const char* hex : {"1B40", "1B41", "1B42"}) channel.SendHex(hex);
    // Each document is tried, though the one before it found no server.
    EXPECT_EQ(server.Written(), 3u);
    ASSERT_EQ(memory.Documents().size(), 1u);
    EXPECT_EQ(EncodeHex(memory.Documents()[0].bytes), "1B42");
    EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{std::string(kMsgMayHavePrinted),
                                                                std::string(kMsgServerUnreachable)}));
    EXPECT_EQ(channel.SentDocuments(), 1);
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// Channels share a print file they send unchanged; a file changed in between is read anew.
TEST(PrintChannelServerTest, APrintFileSharedByChannelsIsReadAnewWhenItChanged) {
    const testing::TestFolder folder("qvset-shared-file-");
    const auto path = folder.Path() / "file.prn";
    MemorySpooler memory({{"QV640", "drv", "usb"}});
    memory.SetCurrentPrinter("QV640");
    testing::RecordingDialogs dialogs;
    std::ofstream(path, std::ios::binary) << "first";
    PrintChannel one(memory, dialogs, folder.Path());
    PrintChannel two(memory, dialogs, folder.Path());
    one.SendPrintFile();
    two.SendPrintFile();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "second!";
    PrintChannel three(memory, dialogs, folder.Path());
    three.SendPrintFile();
    std::vector<std::string> sent;
    for (const auto& document : memory.Documents())
        sent.emplace_back(document.bytes.begin(), document.bytes.end());
    EXPECT_EQ(sent, (std::vector<std::string>{"first", "first", "second!"}));
}

}  // namespace
}  // namespace qvset
