// qvctl on printers reached without a spooler: every command sends a device what it sends a queue, in
// the same order with the same pauses; devices go into a fleet's report beside the queues; a device
// that fails is a failure row; the devices file, --device NAME and a printer whose baud rate changed.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "cli/ConsoleDialogs.h"
#include "printer/ForwardingSpooler.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/device/DevicesFile.h"
#include "support/FakeDevices.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "support/TypicalTicket.h"

namespace qvset {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kSocket = "socket://192.0.2.7:9100";
constexpr const char* kSerial = "serial:/dev/ttyUSB0?baud=9600";

class DeviceCliTest : public ::testing::Test {
  protected:
    DeviceCliTest() {
        cli::RegisterAllCommands(registry);
        spooler.SetCurrentPrinter("QV640");
        spooler.OnDocument([this](const MemorySpooler::Document& document) {
            sequence.push_back(EncodeHex(document.bytes));
        });
        pause.OnWait([this](int ms) { sequence.push_back("wait " + std::to_string(ms)); });
        std::ofstream(ticket, std::ios::binary) << testing::kTypicalTicketFile;
    }

    int Run(const Names& args) {
        out.str("");
        err.str("");
        sequence.clear();
        fake.log.clear();
        cli::ConsoleDialogs dialogs(err);
        RecordBook record(folder.Path() / "records", "localhost:631",
                          [this](const std::string& p) { err << p; });
        cli::CliEnvironment environment{spooler, dialogs, pause, folder.Path(), out, err};
        environment.record = &record;
        environment.serverSpooler = [this](const std::string&) -> std::unique_ptr<Spooler> {
            return std::make_unique<ForwardingSpooler>(spooler);
        };
        environment.serverRecordName = [](const std::string& server) {
            return server.empty() ? "localhost:631" : server;
        };
        environment.devices = {
            devicesFile, fake.Opener(), [] {
                return std::vector<UsbPrinter>{{"usb:/dev/usb/lp0", "/dev/usb/lp0", "MFG:QV;MDL:QV640;"}};
            }};
        return cli::RunCommandLine(registry, args, environment);
    }

    // What a device got, one entry per document in hex, and every wait between them.
    Names DeviceSequence(const std::string& uri) {
        Names entries;
        for (const auto& document : fake.documents[uri]) entries.push_back(EncodeHex(document));
        return entries;
    }

    std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void WriteDevicesFile(const std::string& text) {
        std::filesystem::create_directories(devicesFile.parent_path());
        std::ofstream(devicesFile, std::ios::binary) << text;
    }

    cli::CommandRegistry registry;
    MemorySpooler spooler{{{"QV640", "Local Raw Printer", "usb://QV/QV640", "raw queue"},
                           {"Front", "Generic IPP Everywhere Printer", "ipp://front/ipp/print",
                            "driverless IPP: refuses RAW documents (not a QV6 printer application)"}}};
    testing::RecordingPause pause;
    testing::FakeDevices fake;
    testing::TestFolder folder{"qvset-device-cli-"};
    std::filesystem::path devicesFile = folder.Path() / "config" / "qvset" / "devices";
    std::filesystem::path ticket = folder.Path() / "shop.txt";
    std::ostringstream out;
    std::ostringstream err;
    Names sequence;
};

TEST_F(DeviceCliTest, EveryCommandSendsADeviceWhatItSendsAQueueInTheSameOrderWithTheSamePauses) {
    const std::vector<Names> commands = {
        {"pin-test"},  {"hex", "1B40"},  {"ticket", "apply", ticket.string()}, {"factory-restore"},
        {"self-test"}, {"text", "打印"}, {"console", "--table", "1B4A15"}};
    for (const Names& command : commands) {
        Names onQueue = command;
        onQueue.insert(onQueue.begin(), {"--printer", "QV640"});
        ASSERT_EQ(Run(onQueue), cli::kExitOk) << command[0] << err.str();
        const Names queueSequence = sequence;
        const std::string queueMessages = err.str();
        ASSERT_FALSE(queueSequence.empty()) << command[0];

        fake.documents.clear();
        Names onDevice = command;
        onDevice.insert(onDevice.begin(), {"--device", kSocket});
        ASSERT_EQ(Run(onDevice), cli::kExitOk) << command[0] << err.str();
        // The spooler got nothing; the device every document, with the pauses between them as before.
        Names deviceSequence;
        std::size_t document = 0;
        for (const std::string& entry : fake.log) {
            if (entry.rfind("finish", 0) == 0)
                deviceSequence.push_back(EncodeHex(fake.documents[kSocket].at(document++)));
        }
        Names queueDocuments;
        Names queueWaits;
        for (const auto& entry : queueSequence) {
            (entry.rfind("wait", 0) == 0 ? queueWaits : queueDocuments).push_back(entry);
        }
        EXPECT_EQ(deviceSequence, queueDocuments) << command[0];
        // Only the waits reached the pause; no document reached the spooler.
        EXPECT_EQ(sequence, queueWaits) << command[0];
        EXPECT_EQ(err.str(), queueMessages) << command[0];
    }
}

TEST_F(DeviceCliTest, PausesFallBetweenTheDevicesDocumentsAsBetweenAQueues) {
    ASSERT_EQ(Run({"--printer", "QV640", "factory-restore"}), cli::kExitOk);
    const Names onQueue = sequence;
    fake.documents.clear();
    Names onDevice;
    pause.OnWait([&](int ms) { onDevice.push_back("wait " + std::to_string(ms)); });
    ASSERT_EQ(Run({"--device", kSocket, "factory-restore"}), cli::kExitOk);
    // Rebuild the device's sequence from the fake's log and the waits, in the order they happened.
    Names merged;
    std::size_t document = 0;
    std::size_t wait = 0;
    for (const auto& entry : fake.log) {
        if (entry.rfind("open", 0) == 0 && document > 0 && wait < onDevice.size())
            merged.push_back(onDevice[wait++]);
        if (entry.rfind("finish", 0) == 0) merged.push_back(EncodeHex(fake.documents[kSocket][document++]));
    }
    while (wait < onDevice.size()) merged.push_back(onDevice[wait++]);
    EXPECT_EQ(merged, onQueue);
}

TEST_F(DeviceCliTest, ADryRunOnADeviceShowsWhatItWouldSendAQueue) {
    ASSERT_EQ(Run({"--dry-run", "--printer", "QV640", "ticket", "apply", ticket.string()}), cli::kExitOk);
    const std::string onQueue = out.str();
    ASSERT_EQ(Run({"--dry-run", "--device", kSerial, "ticket", "apply", ticket.string()}), cli::kExitOk);
    EXPECT_EQ(out.str(), onQueue);
    EXPECT_TRUE(fake.log.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "records"));
}

TEST_F(DeviceCliTest, DevicesAreRowsOfTheFleetBesideTheQueuesAndFailuresAreFailedRows) {
    fake.failures["socket://192.0.2.8:9100"].openProblem = "connect: Connection refused";
    fake.failures["/tmp/gone.prn"].writeAfter = 1;
    fake.failures["socket://192.0.2.9:9100"].finishProblem =
        "the device reset the connection: it did not take the document";
    const int status = Run({"--json", "--printer", "QV640", "--device", kSocket, "--device",
                            "socket://192.0.2.8", "--device", "/tmp/gone.prn", "--device",
                            "socket://192.0.2.9", "--device", kSocket, "hex", "1B40"});
    EXPECT_EQ(status, cli::kExitPrinterFailed);
    const auto report = nlohmann::json::parse(out.str());
    Names rows;
    for (const auto& row : report["printers"]) {
        rows.push_back(row["server"].get<std::string>() + "|" + row["printer"].get<std::string>() + "|" +
                       row["result"].get<std::string>() + "|" + std::to_string(row["documents"].get<int>()));
    }
    EXPECT_EQ(rows, (Names{"localhost:631|QV640|ok|1", "|socket://192.0.2.7:9100|ok|1",
                           "|socket://192.0.2.8|failed|0", "|/tmp/gone.prn|failed|0",
                           "|socket://192.0.2.9|failed|0"}));
    EXPECT_EQ(report["printers"][2]["messages"][0],
              "设备 socket://192.0.2.8 无法打开（connect: Connection refused），未发送");
    EXPECT_EQ(report["printers"][3]["messages"][0],
              "设备 /tmp/gone.prn 写入失败（write: Input/output error），只送出 1 / 2 字节");
    EXPECT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(fake.documents[kSocket].size(), 1u);

    // The record keeps each device under its URI, with whether it took the document.
    const std::string refused =
        ReadFile(folder.Path() / "records" / "socket%3A%2F%2F192.0.2.8%3A9100@.jsonl");
    EXPECT_NE(refused.find("\"printer\":\"socket://192.0.2.8:9100\""), std::string::npos) << refused;
    EXPECT_NE(refused.find("\"taken\":false"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("\"taken\":true"), std::string::npos) << refused;
    EXPECT_NE(
        ReadFile(folder.Path() / "records" / "socket%3A%2F%2F192.0.2.7%3A9100@.jsonl").find("\"taken\":true"),
        std::string::npos);

    // The text report names the devices as such.
    ASSERT_EQ(Run({"--device", kSocket, "--device", "/tmp/a.prn", "line-feed"}), cli::kExitOk);
    EXPECT_NE(out.str().find("device  socket://192.0.2.7:9100  1          ok"), std::string::npos)
        << out.str();
    EXPECT_EQ(spooler.Documents().size(), 1u);
}

TEST_F(DeviceCliTest, OneDeviceThatFailsExitsOneAndSaysWhy) {
    fake.failures[kSocket].openProblem = "connect: no answer within 10 s";
    EXPECT_EQ(Run({"--device", kSocket, "pin-test"}), cli::kExitPrinterFailed);
    EXPECT_NE(
        err.str().find("设备 socket://192.0.2.7:9100 无法打开（connect: no answer within 10 s），未发送"),
        std::string::npos)
        << err.str();
    EXPECT_TRUE(fake.documents.empty());
}

TEST_F(DeviceCliTest, TheDevicesFileIsEditedByNameAndNamesDevicesForDevice) {
    EXPECT_EQ(Run({"device", "list"}), cli::kExitOk);
    EXPECT_NE(err.str().find("no devices file yet"), std::string::npos) << err.str();
    WriteDevicesFile("# the shop\n");
    ASSERT_EQ(Run({"device", "add", "kitchen", kSocket}), cli::kExitOk) << err.str();
    ASSERT_EQ(Run({"device", "add", "counter", "serial:/dev/ttyUSB0"}), cli::kExitOk) << err.str();
    ASSERT_EQ(Run({"device", "add", "counter", kSerial}), cli::kExitOk) << err.str();
    EXPECT_NE(out.str().find("(was serial:/dev/ttyUSB0)"), std::string::npos) << out.str();
    ASSERT_EQ(Run({"device", "list"}), cli::kExitOk);
    EXPECT_EQ(out.str(), "kitchen socket://192.0.2.7:9100\ncounter serial:/dev/ttyUSB0?baud=9600\n");
    EXPECT_EQ(ReadFile(devicesFile),
              "# the shop\nkitchen socket://192.0.2.7:9100\ncounter serial:/dev/ttyUSB0?baud=9600\n");

    ASSERT_EQ(Run({"--device", "kitchen", "hex", "0A"}), cli::kExitOk);
    EXPECT_EQ(DeviceSequence(kSocket), Names{"0A"});

    ASSERT_EQ(Run({"device", "remove", "kitchen"}), cli::kExitOk);
    EXPECT_EQ(Run({"device", "remove", "kitchen"}), cli::kExitRefused);
    EXPECT_EQ(Run({"--device", "kitchen", "hex", "0A"}), cli::kExitRefused);
    EXPECT_NE(err.str().find("no device named kitchen in"), std::string::npos) << err.str();

    const std::vector<std::pair<Names, std::string>> refused = {
        {{"device", "add", "two words", kSocket}, "one word"},
        {{"device", "add", "x", "ipp://host/"}, "not a device URI"},
        {{"device", "add", "serial:COM1", kSocket}, "no device URI"},
        {{"device", "add", "x"}, "a name and a device URI"},
        {{"--device", "socket://host:99999", "hex", "0A"}, "the port is a number"},
        {{"--device", kSocket, "use", "QV640"}, "a device is never the default printer"},
        {{"--device", kSocket, "pick"}, "a device is never the default printer"},
        {{"--device", kSocket, "printers"}, "lists the devices itself"},
        {{"--device", "", "hex", "0A"}, "--device needs a device URI or name"},
    };
    for (const auto& [args, expected] : refused) {
        EXPECT_EQ(Run(args), cli::kExitRefused) << args[0] << " " << args[1];
        EXPECT_NE(err.str().find(expected), std::string::npos) << args[1] << ": " << err.str();
    }
    EXPECT_TRUE(fake.documents[kSocket].size() == 1);
}

TEST_F(DeviceCliTest, APrinterWhoseBaudRateChangedIsFollowedOnlyWhenAskedAndNeverSilently) {
    WriteDevicesFile(std::string("counter ") + kSerial + "\n");
    // Not asked: the file stays, and the message says what to send to from now on.
    ASSERT_EQ(Run({"--device", "counter", "set", "baud", "2"}), cli::kExitOk);
    EXPECT_NE(err.str().find("answers at 19200 baud from now on"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--follow-baud keeps counter in the devices file in step"), std::string::npos)
        << err.str();
    EXPECT_EQ(ReadFile(devicesFile), std::string("counter ") + kSerial + "\n");

    // Asked: the file follows, and the next document goes out at the new rate.
    ASSERT_EQ(Run({"--follow-baud", "--device", "counter", "set", "baud", "2"}), cli::kExitOk);
    EXPECT_NE(
        err.str().find("device counter follows its printer to 19200 baud: serial:/dev/ttyUSB0?baud=19200 "
                       "(was serial:/dev/ttyUSB0?baud=9600)"),
        std::string::npos)
        << err.str();
    EXPECT_EQ(ReadFile(devicesFile), "counter serial:/dev/ttyUSB0?baud=19200\n");
    ASSERT_EQ(Run({"--device", "counter", "self-test"}), cli::kExitOk);
    EXPECT_EQ(fake.log.front(), "open serial:/dev/ttyUSB0?baud=19200");
    EXPECT_EQ(err.str(), "");

    // A URI of no device in the file is told what to use, and the file is left alone.
    ASSERT_EQ(Run({"--follow-baud", "--device", "serial:COM3", "ticket", "apply", ticket.string()}),
              cli::kExitOk);
    EXPECT_NE(
        err.str().find("answers at 38400 baud from now on (once restarted): send to serial:COM3?baud=38400"),
        std::string::npos)
        << err.str();
    EXPECT_EQ(ReadFile(devicesFile), "counter serial:/dev/ttyUSB0?baud=19200\n");

    // In a fleet the message is the device's row's.
    ASSERT_EQ(Run({"--json", "--device", "counter", "--device", kSocket, "set", "baud", "4"}), cli::kExitOk);
    const auto report = nlohmann::json::parse(out.str());
    const auto& messages = report["printers"][0]["messages"];
    ASSERT_EQ(messages.size(), 2u) << out.str();
    EXPECT_NE(messages[1].get<std::string>().find("answers at 38400 baud"), std::string::npos);
    EXPECT_EQ(report["printers"][1]["messages"].size(), 1u);
}

TEST_F(DeviceCliTest, PrintersNamesEachQueuesKindAndListsTheDevicesAfterThem) {
    WriteDevicesFile(std::string("counter ") + kSerial + "\n");
    ASSERT_EQ(Run({"printers"}), cli::kExitOk);
    EXPECT_EQ(out.str(),
              "* QV640,Local Raw Printer,usb://QV/QV640  [raw queue]\n"
              "  Front,Generic IPP Everywhere Printer,ipp://front/ipp/print  [driverless IPP: refuses RAW "
              "documents "
              "(not a QV6 printer application)]\n"
              "devices:\n"
              "  counter,直连设备（不经打印队列）,serial:/dev/ttyUSB0?baud=9600  [device, no spooler]\n"
              "  usb:/dev/usb/lp0,USB printer class device,/dev/usb/lp0  [MFG:QV;MDL:QV640;]\n");
    ASSERT_EQ(Run({"--json", "printers"}), cli::kExitOk);
    const auto listing = nlohmann::json::parse(out.str());
    EXPECT_EQ(listing["servers"][0]["printers"][1]["kind"],
              "driverless IPP: refuses RAW documents (not a QV6 printer application)");
    EXPECT_EQ(listing["devices"]["devices"][0]["uri"], kSerial);
    EXPECT_EQ(listing["devices"]["usb"][0]["deviceId"], "MFG:QV;MDL:QV640;");
}

}  // namespace
}  // namespace qvset
