// WinSpooler through Wine's winspool, which hands every document to the private CUPS server.
#include <gtest/gtest.h>

#include <algorithm>

#include "WinSandbox.h"
#include "printer/Platform.h"
#include "printer/PrintChannel.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/PrinterSelection.h"
#include "printer/win/WinSpooler.h"
#include "support/RecordingDialogs.h"

namespace qvset::win {
namespace {

using testing::RecordingDialogs;
using testing::WinSandbox;

const std::string kQueue = "QV640_Virtual";

std::string EntryOf(WinSpooler& spooler, const std::string& device) {
    for (const auto& printer : spooler.ListPrinters()) {
        if (printer.deviceName == device) return FormatPrinterEntry(printer);
    }
    return {};
}

// The "Device" value as this process's registry holds it (Wine rebuilds it from CUPS at every start).
// Wine's registry supplies a missing terminating zero of a REG_SZ value itself, so the byte count
// written is checked against the fake table (WinSpoolerTest), not here.
std::vector<std::uint8_t> ReadDeviceValue(DWORD& type) {
    HKEY key = nullptr;
    std::vector<std::uint8_t> data(1024);
    DWORD size = static_cast<DWORD>(data.size());
    type = REG_NONE;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    const LONG result = RegQueryValueExA(key, kDeviceValue, nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return {};
    data.resize(size);
    return data;
}

TEST(WinSpoolerUnderWine, ThePrinterListHoldsTheSandboxQueues) {
    WinSpooler spooler;
    const auto printers = spooler.ListPrinters();
    for (const std::string queue : {"QV640_Virtual", "Office_Laser", "QV650_Offline"}) {
        const auto it = std::find_if(printers.begin(), printers.end(),
                                     [&](const PrinterInfo& p) { return p.deviceName == queue; });
        ASSERT_NE(it, printers.end()) << queue;
        // Wine's own view of a CUPS queue: the queue name as driver, "CUPS:" and the name as port.
        EXPECT_EQ(FormatPrinterEntry(*it), queue + "," + queue + ",CUPS:" + queue);
    }
}

TEST(WinSpoolerUnderWine, AppliedChoiceIsTheDeviceValueWithItsZeroAndTheCurrentPrinter) {
    WinSpooler spooler;
    for (const std::string device : {"Office_Laser", "QV640_Virtual"}) {
        const std::string entry = EntryOf(spooler, device);
        ASSERT_FALSE(entry.empty()) << device;
        spooler.ApplyPrinterChoice(entry);
        DWORD type = REG_NONE;
        std::vector<std::uint8_t> expected(entry.begin(), entry.end());
        expected.push_back(0);
        EXPECT_EQ(ReadDeviceValue(type), expected);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(spooler.CurrentPrinter(), device);
    }
}

TEST(WinSpoolerUnderWine, DocumentsArriveExactlyAndTitledAAAAAA) {
    WinSpooler spooler;
    spooler.ApplyPrinterChoice(EntryOf(spooler, kQueue));
    ASSERT_EQ(spooler.CurrentPrinter(), kQueue);
    RecordingDialogs dialogs;
    PrintChannel channel(spooler, dialogs, ".");
    const std::size_t before = WinSandbox::CapturedJobs(kQueue).size();

    std::vector<std::uint8_t> everyByte(256);
    for (std::size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = static_cast<std::uint8_t>(255 - i);
    channel.SendHex("1b4a15");
    const std::string text = "打印A" + std::string("\x1B\x3A\0\0P", 5);
    channel.SendText(text, channel.CharacterLen(text));
    channel.SendBytes(everyByte);

    EXPECT_TRUE(dialogs.Messages().empty());
    const auto jobs = WinSandbox::WaitForJobs(kQueue, before + 3);
    ASSERT_EQ(jobs.size(), before + 3);
    const std::vector<std::vector<std::uint8_t>> expected = {
        {0x1B, 0x4A, 0x15}, {0xB4, 0xF2, 0xD3, 0xA1, 0x41, 0x1B, 0x3A, 0x00, 0x00, 0x50}, everyByte};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(jobs[before + i].title, "AAAAAA");
        EXPECT_EQ(jobs[before + i].bytes, expected[i]) << "document " << i;
    }
}

TEST(WinSpoolerUnderWine, AMissingPrinterShowsTheMessageOncePerDocumentAndSendsNothing) {
    WinSpooler spooler;
    PrinterOverrideSpooler missing(spooler, "No_Such_Printer");
    RecordingDialogs dialogs;
    PrintChannel channel(missing, dialogs, ".");
    const std::size_t before = WinSandbox::CapturedJobs(kQueue).size();

    EXPECT_FALSE(spooler.WriteRawDocument("No_Such_Printer", kDocumentName, std::vector<std::uint8_t>{0x0C}));
    channel.SendHex("0C");
    channel.SendHex("1B40");
    channel.SendText("A", 1);

    const std::vector<std::string> expected(3, std::string(kMsgPrinterNotRecognized));
    EXPECT_EQ(dialogs.MessageTexts(), expected);
    EXPECT_EQ(channel.OpenFailures(), 3);
    EXPECT_EQ(spooler.WaitingDocuments("No_Such_Printer"), 0);
    EXPECT_EQ(WinSandbox::CapturedJobs(kQueue).size(), before);
}

// Wine's winspool answers for this machine only: a server named by this machine's own name is its
// spooler (its printers listed, "\\THIS\NAME" opened), any other server name is listed as this machine
// too and its printers cannot be opened. So a server that cannot be reached is checked against the fake
// table (WinSpoolerTest); here the names, the opens and the documents that arrive.
std::string ThisMachine() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return {};
    return std::string(name, size);
}

TEST(WinSpoolerUnderWine, AServerByThisMachinesNameListsItsPrintersAndPrintsToThem) {
    const std::string host = ThisMachine();
    ASSERT_FALSE(host.empty());
    for (const std::string& server : {"\\\\" + host, "//" + host}) {
        SCOPED_TRACE(server);
        const auto spooler = CreateServerSpooler(server);
        ASSERT_NE(spooler, nullptr);
        std::vector<std::string> names;
        for (const auto& printer : spooler->ListPrinters()) names.push_back(printer.deviceName);
        EXPECT_EQ(spooler->LastFault(), SpoolerFault::None);
        EXPECT_NE(std::find(names.begin(), names.end(), kQueue), names.end());
        for (const auto& name : names) EXPECT_EQ(name.find('\\'), std::string::npos) << name;

        const std::size_t before = WinSandbox::CapturedJobs(kQueue).size();
        RecordingDialogs dialogs;
        PrinterOverrideSpooler named(*spooler, kQueue);
        PrintChannel channel(named, dialogs, ".");
        channel.SendHex("1B40");
        channel.SendHex("1B4A15");
        const auto jobs = WinSandbox::WaitForJobs(kQueue, before + 2);
        ASSERT_EQ(jobs.size(), before + 2);
        EXPECT_EQ(jobs[before].bytes, (std::vector<std::uint8_t>{0x1B, 0x40}));
        EXPECT_EQ(jobs[before + 1].bytes, (std::vector<std::uint8_t>{0x1B, 0x4A, 0x15}));
        EXPECT_EQ(jobs[before + 1].title, "AAAAAA");
        EXPECT_TRUE(dialogs.Messages().empty());

        // A printer the server does not have: the server answered, the printer is not recognized.
        EXPECT_FALSE(
            spooler->WriteRawDocument("No_Such_Printer", kDocumentName, std::vector<std::uint8_t>{0x0C}));
        EXPECT_EQ(spooler->LastFault(), SpoolerFault::None);
    }
    EXPECT_EQ(ServerRecordName("//" + host), "\\\\" + host);
}

}  // namespace
}  // namespace qvset::win
