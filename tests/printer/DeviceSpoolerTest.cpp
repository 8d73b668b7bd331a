// Printers reached without a spooler: each document opened, written whole and finished on its device,
// the failures the channel says once per document, and the window's list of the spooler's printers
// followed by the devices.
#include <gtest/gtest.h>

#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/PrinterSelection.h"
#include "printer/device/DeviceSpooler.h"
#include "printer/device/SpoolerWithDevices.h"
#include "support/FakeDevices.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

constexpr const char* kSocket = "socket://192.0.2.7:9100";
constexpr const char* kSerial = "serial:/dev/ttyUSB0?baud=19200";

class DeviceSpoolerTest : public ::testing::Test {
  protected:
    testing::FakeDevices fake;
    DeviceSpooler devices{{{"kitchen", kSocket}, {"counter", kSerial}}, fake.Opener()};
    testing::RecordingDialogs dialogs;
    testing::TestFolder folder{"qvset-devices-"};
};

TEST_F(DeviceSpoolerTest, EachDocumentIsOpenedWrittenWholeAndFinishedInTurn) {
    PrinterOverrideSpooler override(devices, kSerial);
    PrintChannel channel(override, dialogs, folder.Path());
    channel.SendHex("1B4202");
    channel.SendText("AB", channel.CharacterLen("AB"));
    const std::vector<std::string> log = {
        "open " + std::string(kSerial),         "write " + std::string(kSerial) + " 3",
        "finish " + std::string(kSerial),       "open " + std::string(kSerial),
        "write " + std::string(kSerial) + " 2", "finish " + std::string(kSerial)};
    EXPECT_EQ(fake.log, log);
    ASSERT_EQ(fake.documents[kSerial].size(), 2u);
    EXPECT_EQ(EncodeHex(fake.documents[kSerial][0]), "1B4202");
    EXPECT_EQ(EncodeHex(fake.documents[kSerial][1]), "4142");
    EXPECT_EQ(channel.SentDocuments(), 2);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(devices.WaitingDocuments(kSerial), 0);
}

TEST_F(DeviceSpoolerTest, EveryFailureIsSaidOncePerDocumentAndNothingCountsAsSent) {
    struct Row {
        testing::FakeDevices::Failure failure;
        std::string message;
    };
    const std::vector<Row> rows = {
        {{"connect: Connection refused", SIZE_MAX, ""},
         "设备 socket://192.0.2.7:9100 无法打开（connect: Connection refused），未发送"},
        {{"", 2, ""},
         "设备 socket://192.0.2.7:9100 写入失败（write: Input/output error），只送出 2 / 5 字节"},
        {{"", SIZE_MAX, "the device reset the connection: it did not take the document"},
         "设备 socket://192.0.2.7:9100 写入失败（the device reset the connection: it did not take the "
         "document），只送出 5 / 5 字节"},
    };
    for (const auto& row : rows) {
        fake.failures[kSocket] = row.failure;
        fake.documents.clear();
        dialogs.Clear();
        PrinterOverrideSpooler override(devices, "kitchen");
        PrintChannel channel(override, dialogs, folder.Path());
        channel.SendHex("1B40414243");
        channel.SendHex("1B40414243");
        EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>(2, row.message)) << row.message;
        EXPECT_EQ(channel.SentDocuments(), 0) << row.message;
        EXPECT_EQ(channel.OpenFailures(), 2) << row.message;
        EXPECT_TRUE(fake.documents.empty()) << row.message;
    }
}

TEST_F(DeviceSpoolerTest, AUriThatIsNoDeviceIsNotOpened) {
    EXPECT_FALSE(devices.WriteRawDocument("socket://host:0", "AAAAAA", std::vector<std::uint8_t>{0x0A}));
    EXPECT_EQ(devices.LastProblem(),
              "设备 socket://host:0 无法打开（the port is a number from 1 to 65535），未发送");
    EXPECT_TRUE(fake.log.empty());
}

TEST_F(DeviceSpoolerTest, TheDeadlineIsEveryWaitOfTheDevice) {
    devices.SetDeadline(std::chrono::milliseconds(2500));
    devices.WriteRawDocument(kSocket, "AAAAAA", std::vector<std::uint8_t>{0x0A});
    EXPECT_EQ(fake.deadlines, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(2500)});
}

TEST_F(DeviceSpoolerTest, ADeviceThatTookTheDeadlineToFailIsNotTriedAgainForThirtySeconds) {
    auto now = std::chrono::steady_clock::time_point{};
    auto opener = fake.Opener();
    std::chrono::milliseconds takes{0};
    DeviceSpooler slow(
        {},
        [&](const DeviceAddress& address, std::chrono::milliseconds deadline, std::string& problem) {
            now += takes;
            return opener(address, deadline, problem);
        },
        [&] { return now; });
    slow.SetDeadline(std::chrono::milliseconds(2000));
    PrinterOverrideSpooler override(slow, kSocket);
    PrintChannel channel(override, dialogs, folder.Path());
    fake.failures[kSocket].openProblem = "connect: no answer within 2 s";

    // A quick failure is tried again at once.
    channel.SendHex("0A");
    channel.SendHex("0A");
    EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), std::string("open ") + kSocket), 2);

    // One that took the deadline holds the device back: the documents fail at once, saying so.
    takes = std::chrono::milliseconds(2000);
    dialogs.Clear();
    channel.SendHex("0A");
    channel.SendHex("0C");
    now += std::chrono::seconds(29);
    channel.SendHex("0D");
    EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), std::string("open ") + kSocket), 3);
    const std::string said = "设备 socket://192.0.2.7:9100 无法打开（connect: no answer within 2 s），未发送";
    const std::string held =
        "设备 socket://192.0.2.7:9100 无法打开（connect: no answer within 2 s；30 秒内不再尝试），未发送";
    EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{said, held, held}));

    // After thirty seconds it is tried again, and takes its document.
    now += std::chrono::seconds(1);
    fake.failures.clear();
    channel.SendHex("0A");
    EXPECT_EQ(fake.documents[kSocket].size(), 1u);
}

TEST_F(DeviceSpoolerTest, ANewUriForADeviceKeepsItCurrent) {
    ASSERT_FALSE(
        devices.ApplyPrinterChoice(std::string("counter,") + std::string(kDeviceDriverText) + "," + kSerial));
    EXPECT_EQ(devices.CurrentPrinter(), kSerial);
    devices.SetUri("counter", "serial:/dev/ttyUSB0?baud=38400");
    EXPECT_EQ(devices.CurrentPrinter(), "serial:/dev/ttyUSB0?baud=38400");
    EXPECT_EQ(devices.UriOf("counter"), "serial:/dev/ttyUSB0?baud=38400");
}

TEST_F(DeviceSpoolerTest, TheOneShotWriteOpensWritesAndFinishes) {
    std::string problem;
    std::uint64_t written = 0;
    DeviceAddress address;
    address.kind = DeviceKind::Socket;
    address.host = "192.0.2.7";
    const std::vector<std::uint8_t> bytes{0x1B, 0x40};
    EXPECT_TRUE(WriteDeviceDocument(fake.Opener(), address, bytes, std::chrono::milliseconds(100), problem,
                                    &written));
    EXPECT_EQ(written, 2u);
    fake.failures[kSocket].writeAfter = 1;
    EXPECT_FALSE(WriteDeviceDocument(fake.Opener(), address, bytes, std::chrono::milliseconds(100), problem,
                                     &written));
    EXPECT_EQ(problem, "write: Input/output error");
    EXPECT_EQ(written, 1u);
    EXPECT_FALSE(WriteDeviceDocument({}, address, bytes, std::chrono::milliseconds(100), problem));
    EXPECT_FALSE(problem.empty());
}

class SpoolerWithDevicesTest : public DeviceSpoolerTest {
  protected:
    MemorySpooler spooler{{{"QV640", "QV6 Driver", "USB001"}, {"Office", "Generic", "LPT1:"}}};
    SpoolerWithDevices both{spooler, devices};

    std::string DeviceEntry(const char* name, const char* uri) const {
        return std::string(name) + "," + std::string(kDeviceDriverText) + "," + uri;
    }
};

TEST_F(SpoolerWithDevicesTest, TheDevicesComeAfterTheSpoolersPrinters) {
    const std::vector<std::string> entries = {"QV640,QV6 Driver,USB001",
                                              "Office,Generic,LPT1:", DeviceEntry("kitchen", kSocket),
                                              DeviceEntry("counter", kSerial)};
    EXPECT_EQ(FillPrinterList(both), entries);
}

TEST_F(SpoolerWithDevicesTest, APickedDeviceIsCurrentForThisRunButNeverTheDefault) {
    spooler.SetCurrentPrinter("QV640");
    EXPECT_FALSE(both.ApplyPrinterChoice(DeviceEntry("kitchen", kSocket)));
    EXPECT_EQ(both.LastProblem(), "设备 kitchen 只作本次运行的当前打印机，不能设为系统默认打印机");
    EXPECT_TRUE(spooler.AppliedChoices().empty());
    EXPECT_EQ(both.CurrentPrinter(), kSocket);
    PrintChannel channel(both, dialogs, folder.Path());
    channel.SendHex("0A");
    EXPECT_EQ(fake.documents[kSocket].size(), 1u);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(both.WaitingDocuments(both.CurrentPrinter()), 0);

    // A queue picked afterwards ends the device's turn.
    spooler.SetWaitingCount(3);
    EXPECT_TRUE(both.ApplyPrinterChoice("Office,Generic,LPT1:"));
    EXPECT_EQ(both.CurrentPrinter(), "Office");
    channel.SendHex("0C");
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].printer, "Office");
    EXPECT_EQ(fake.documents[kSocket].size(), 1u);
    EXPECT_EQ(both.WaitingDocuments("Office"), 3);
}

TEST_F(SpoolerWithDevicesTest, FaultsAndProblemsAreThoseOfTheSideThatTookTheCall) {
    spooler.SetUnreachable();
    both.ApplyPrinterChoice(DeviceEntry("kitchen", kSocket));
    fake.failures[kSocket].openProblem = "connect: Connection refused";
    EXPECT_FALSE(both.WriteRawDocument(kSocket, "AAAAAA", std::vector<std::uint8_t>{0x0A}));
    EXPECT_EQ(both.LastFault(), SpoolerFault::None);
    EXPECT_NE(both.LastProblem().find("Connection refused"), std::string::npos);
    EXPECT_FALSE(both.WriteRawDocument("QV640", "AAAAAA", std::vector<std::uint8_t>{0x0A}));
    EXPECT_EQ(both.LastFault(), SpoolerFault::Unreachable);
    EXPECT_EQ(both.LastProblem(), "");
}

}  // namespace
}  // namespace qvset
