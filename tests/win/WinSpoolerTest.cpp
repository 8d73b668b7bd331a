// WinSpooler against a fake table of platform calls: the exact calls, their arguments and order, and
// the paths a real system rarely shows (failed opens, failing spooler calls, the pre-NT branch).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "printer/Platform.h"
#include "printer/win/WinSpooler.h"

namespace qvset::win {
namespace {

const HANDLE kPrinter = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x5150));
const HKEY kKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x4B45));

std::string HandleText(HANDLE handle) {
    return handle == kPrinter ? "P" : "?";
}

// The system's table with the spooler, registry, profile and message calls replaced by recorders.
class FakeWindows {
  public:
    std::vector<std::string> calls;
    bool openSucceeds = true;
    BOOL laterCallsResult = TRUE;
    DWORD platformId = kPlatformNt;
    LONG regOpenResult = ERROR_SUCCESS;
    LONG regSetResult = ERROR_SUCCESS;
    std::string openedName;
    DOC_INFO_1A docInfo{};
    std::string docName;
    std::vector<std::uint8_t> written;
    DWORD versionSize = 0;
    std::string regSubKey;
    HKEY regRoot = nullptr;
    std::vector<std::uint8_t> regData;
    DWORD regSize = 0;
    DWORD regType = 0;
    std::string regValueName;
    std::vector<std::string> profile;
    std::string broadcastText;
    WPARAM broadcastWParam = 0;
    HWND broadcastWindow = nullptr;
    UINT broadcastMessage = 0;
    std::vector<PrinterInfo> printers;
    std::string defaultPrinter;
    DWORD enumFlags = 0;
    DWORD enumLevel = 0;
    bool enumerable = true;           // false: a print server that gives no list (down, or not there)
    ULONGLONG now = 1000;             // GetTickCount64
    ULONGLONG failureTakes = 0;       // how long a print server takes to give no list
    std::vector<std::uint32_t> jobs;  // answers of EnumJobsA: needed size then count, one call each

    WinApi api = SystemWinApi();

    FakeWindows() {
        api.OpenPrinterA = [this](LPSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSA defaults) -> BOOL {
            calls.push_back(std::string("OpenPrinterA ") + name +
                            (defaults == nullptr ? " no-defaults" : " defaults"));
            openedName = name;
            if (!openSucceeds) return FALSE;
            *handle = kPrinter;
            return TRUE;
        };
        api.StartDocPrinterA = [this](HANDLE handle, DWORD level, LPBYTE info) -> DWORD {
            calls.push_back("StartDocPrinterA " + HandleText(handle) + " " + std::to_string(level));
            docInfo = *reinterpret_cast<DOC_INFO_1A*>(info);
            docName = docInfo.pDocName;
            return laterCallsResult ? 7 : 0;
        };
        api.StartPagePrinter = [this](HANDLE handle) {
            calls.push_back("StartPagePrinter " + HandleText(handle));
            return laterCallsResult;
        };
        api.WritePrinter = [this](HANDLE handle, LPVOID bytes, DWORD count, LPDWORD done) {
            calls.push_back("WritePrinter " + HandleText(handle) + " " + std::to_string(count));
            const auto* data = static_cast<const std::uint8_t*>(bytes);
            written.assign(data, data + count);
            *done = laterCallsResult ? count : 0;
            return laterCallsResult;
        };
        api.EndPagePrinter = [this](HANDLE handle) {
            calls.push_back("EndPagePrinter " + HandleText(handle));
            return laterCallsResult;
        };
        api.EndDocPrinter = [this](HANDLE handle) {
            calls.push_back("EndDocPrinter " + HandleText(handle));
            return laterCallsResult;
        };
        api.ClosePrinter = [this](HANDLE handle) {
            calls.push_back("ClosePrinter " + HandleText(handle));
            return laterCallsResult;
        };
        api.GetTickCount64 = [this]() { return now; };
        api.GetVersionExA = [this](LPOSVERSIONINFOA info) -> BOOL {
            calls.push_back("GetVersionExA");
            versionSize = info->dwOSVersionInfoSize;
            info->dwPlatformId = platformId;
            return TRUE;
        };
        api.RegOpenKeyA = [this](HKEY root, LPCSTR subKey, PHKEY key) -> LONG {
            calls.push_back("RegOpenKeyA");
            regRoot = root;
            regSubKey = subKey;
            if (regOpenResult == ERROR_SUCCESS) *key = kKey;
            return regOpenResult;
        };
        api.RegSetValueExA = [this](HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                    DWORD size) -> LONG {
            calls.push_back(std::string("RegSetValueExA ") + (key == kKey ? "K" : "?") + " " +
                            std::to_string(reserved));
            regValueName = name;
            regType = type;
            regSize = size;
            regData.assign(data, data + size);
            return regSetResult;
        };
        api.RegCloseKey = [this](HKEY key) -> LONG {
            calls.push_back(std::string("RegCloseKey ") + (key == kKey ? "K" : "?"));
            return ERROR_SUCCESS;
        };
        api.WriteProfileStringA = [this](LPCSTR section, LPCSTR key, LPCSTR value) -> BOOL {
            calls.push_back("WriteProfileStringA");
            profile = {section, key, value};
            return TRUE;
        };
        api.SendMessageA = [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            calls.push_back("SendMessageA");
            broadcastWindow = window;
            broadcastMessage = message;
            broadcastWParam = wParam;
            broadcastText = reinterpret_cast<const char*>(lParam);
            return 0;
        };
        api.EnumPrintersA = [this](DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed, LPDWORD returned) -> BOOL {
            calls.push_back(std::string("EnumPrintersA ") + (name == nullptr ? "(this machine)" : name));
            if (!enumerable) {
                now += failureTakes;
                *needed = 0;
                *returned = 0;
                return FALSE;
            }
            return EnumPrinters(flags, level, buffer, size, needed, returned);
        };
        api.GetDefaultPrinterA = [this](LPSTR buffer, LPDWORD size) -> BOOL {
            const DWORD needed = static_cast<DWORD>(defaultPrinter.size() + 1);
            if (defaultPrinter.empty()) return FALSE;
            if (buffer == nullptr || *size < needed) {
                *size = needed;
                return FALSE;
            }
            std::memcpy(buffer, defaultPrinter.c_str(), needed);
            *size = needed;
            return TRUE;
        };
        api.EnumJobsA = [this](HANDLE handle, DWORD first, DWORD count, DWORD level, LPBYTE buffer,
                               DWORD size, LPDWORD needed, LPDWORD returned) -> BOOL {
            calls.push_back("EnumJobsA " + HandleText(handle) + " " + std::to_string(first) + " " +
                            std::to_string(count) + " " + std::to_string(level) + " " +
                            (buffer == nullptr ? "no-buffer" : "buffer") + " " + std::to_string(size));
            *needed = jobs.at(0);
            *returned = buffer == nullptr ? 0 : jobs.at(1);
            return buffer != nullptr || jobs[0] == 0;
        };
    }

  private:
    // PRINTER_INFO_2A records at the front of the buffer, their strings behind them.
    BOOL EnumPrinters(DWORD flags, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
        enumFlags = flags;
        enumLevel = level;
        std::size_t total = printers.size() * sizeof(PRINTER_INFO_2A);
        for (const auto& p : printers) total += p.deviceName.size() + p.driverName.size() + p.port.size() + 3;
        *needed = static_cast<DWORD>(total);
        *returned = 0;
        if (buffer == nullptr || size < total) return printers.empty();
        auto* records = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
        char* text = reinterpret_cast<char*>(buffer + printers.size() * sizeof(PRINTER_INFO_2A));
        const auto put = [&text](const std::string& s) {
            std::memcpy(text, s.c_str(), s.size() + 1);
            char* at = text;
            text += s.size() + 1;
            return at;
        };
        for (std::size_t i = 0; i < printers.size(); ++i) {
            records[i] = PRINTER_INFO_2A{};
            records[i].pPrinterName = put(printers[i].deviceName);
            records[i].pDriverName = put(printers[i].driverName);
            records[i].pPortName = put(printers[i].port);
        }
        *returned = static_cast<DWORD>(printers.size());
        return TRUE;
    }
};

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(WinSpooler, WritesOneRawDocumentInTheFixedOrderAndClosesThePrinter) {
    FakeWindows windows;
    WinSpooler spooler(windows.api);
    const std::vector<std::uint8_t> payload = {0x1B, 0x3A, 0x00, 0x00, 0x50};
    EXPECT_TRUE(spooler.WriteRawDocument("QV640", "AAAAAA", payload));
    const std::vector<std::string> expected = {"OpenPrinterA QV640 no-defaults",
                                               "StartDocPrinterA P 1",
                                               "StartPagePrinter P",
                                               "WritePrinter P 5",
                                               "EndPagePrinter P",
                                               "EndDocPrinter P",
                                               "ClosePrinter P"};
    EXPECT_EQ(windows.calls, expected);
    EXPECT_EQ(windows.docName, "AAAAAA");
    EXPECT_EQ(windows.docInfo.pOutputFile, nullptr);
    EXPECT_EQ(windows.docInfo.pDatatype, nullptr);
    EXPECT_EQ(windows.written, payload);
}

TEST(WinSpooler, APrinterThatCannotBeOpenedIsNeitherWrittenNorClosed) {
    FakeWindows windows;
    windows.openSucceeds = false;
    WinSpooler spooler(windows.api);
    EXPECT_FALSE(spooler.WriteRawDocument("Missing", "AAAAAA", Bytes("\x0C")));
    EXPECT_EQ(windows.calls, std::vector<std::string>{"OpenPrinterA Missing no-defaults"});
    EXPECT_EQ(spooler.WaitingDocuments("Missing"), 0);
    EXPECT_EQ(windows.calls.size(), 2u);  // only the second open: no EnumJobsA, no ClosePrinter
}

TEST(WinSpooler, FailingSpoolerCallsAfterTheOpenStillCloseThePrinterOnce) {
    FakeWindows windows;
    windows.laterCallsResult = FALSE;
    WinSpooler spooler(windows.api);
    EXPECT_TRUE(spooler.WriteRawDocument("QV640", "AAAAAA", Bytes("AB")));
    EXPECT_EQ(windows.calls.size(), 7u);
    EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "ClosePrinter P"), 1);
    EXPECT_EQ(windows.calls.back(), "ClosePrinter P");
}

TEST(WinSpooler, NtDefaultPrinterIsTheDeviceValueWithItsTerminatingZero) {
    FakeWindows windows;
    WinSpooler spooler(windows.api);
    const std::string entry = "QV640_Virtual,QV640 Driver,USB001";
    EXPECT_TRUE(spooler.ApplyPrinterChoice(entry));
    const std::vector<std::string> expected = {"GetVersionExA", "RegOpenKeyA", "RegSetValueExA K 0",
                                               "RegCloseKey K"};
    EXPECT_EQ(windows.calls, expected);
    EXPECT_EQ(windows.versionSize, 148u);
    EXPECT_EQ(windows.regRoot, HKEY_CURRENT_USER);
    EXPECT_EQ(windows.regSubKey, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
    EXPECT_EQ(windows.regValueName, "Device");
    EXPECT_EQ(windows.regType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(windows.regSize, entry.size() + 1);
    auto withZero = Bytes(entry);
    withZero.push_back(0);
    EXPECT_EQ(windows.regData, withZero);
}

TEST(WinSpooler, NtDefaultPrinterIsNotWrittenWhenTheKeyCannotBeOpened) {
    FakeWindows windows;
    windows.regOpenResult = ERROR_ACCESS_DENIED;
    WinSpooler spooler(windows.api);
    EXPECT_FALSE(spooler.ApplyPrinterChoice("A,B,C"));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"GetVersionExA", "RegOpenKeyA"}));
}

TEST(WinSpooler, NtDefaultPrinterThatCannotBeSetIsReported) {
    FakeWindows windows;
    windows.regSetResult = ERROR_ACCESS_DENIED;
    WinSpooler spooler(windows.api);
    EXPECT_FALSE(spooler.ApplyPrinterChoice("A,B,C"));
    EXPECT_EQ(windows.calls.back(), "RegCloseKey K");
}

TEST(WinSpooler, OlderPlatformsWriteTheProfileAndBroadcastTheChange) {
    for (const DWORD platform : {DWORD{0}, DWORD{1}}) {
        FakeWindows windows;
        windows.platformId = platform;
        WinSpooler spooler(windows.api);
        EXPECT_TRUE(spooler.ApplyPrinterChoice("QV650,QV Driver,LPT1:"));
        EXPECT_EQ(windows.calls,
                  (std::vector<std::string>{"GetVersionExA", "WriteProfileStringA", "SendMessageA"}));
        EXPECT_EQ(windows.profile, (std::vector<std::string>{"windows", "device", "QV650,QV Driver,LPT1:"}));
        EXPECT_EQ(windows.broadcastWindow, HWND_BROADCAST);
        EXPECT_EQ(windows.broadcastMessage, 0x001Au);
        EXPECT_EQ(windows.broadcastWParam, 0x7FFFu);
        EXPECT_EQ(windows.broadcastText, "windows");
    }
}

TEST(WinSpooler, ListsLocalPrintersAndConnectionsInTheOrderEnumerated) {
    FakeWindows windows;
    windows.printers = {
        {"Zeta", "Generic", "LPT1:"}, {"QV640", "QV6 Driver", "USB001"}, {"Alpha", "PDF", "FILE:"}};
    WinSpooler spooler(windows.api);
    EXPECT_EQ(spooler.ListPrinters(), windows.printers);
    EXPECT_EQ(windows.enumFlags, static_cast<DWORD>(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS));
    EXPECT_EQ(windows.enumLevel, 2u);

    windows.printers.clear();
    EXPECT_TRUE(spooler.ListPrinters().empty());
}

TEST(WinSpooler, CurrentPrinterIsTheSystemDefaultReadOnEveryCall) {
    FakeWindows windows;
    WinSpooler spooler(windows.api);
    EXPECT_EQ(spooler.CurrentPrinter(), "");
    windows.defaultPrinter = "Office_Laser";
    EXPECT_EQ(spooler.CurrentPrinter(), "Office_Laser");
    windows.defaultPrinter = "QV640_Virtual";
    EXPECT_EQ(spooler.CurrentPrinter(), "QV640_Virtual");
}

TEST(WinSpooler, WaitingDocumentsCountsTheQueueOfTheOpenedPrinter) {
    FakeWindows windows;
    windows.jobs = {240, 2};
    WinSpooler spooler(windows.api);
    EXPECT_EQ(spooler.WaitingDocuments("QV640"), 2);
    const std::vector<std::string> expected = {"OpenPrinterA QV640 no-defaults",
                                               "EnumJobsA P 0 99 1 no-buffer 0",
                                               "EnumJobsA P 0 99 1 buffer 240", "ClosePrinter P"};
    EXPECT_EQ(windows.calls, expected);

    windows.calls.clear();
    windows.jobs = {0, 0};
    EXPECT_EQ(spooler.WaitingDocuments("QV640"), 0);
    EXPECT_EQ(windows.calls.size(), 3u);  // open, size query, close

    // Bytes reported for the job list, but no job in it by the time it was fetched.
    windows.calls.clear();
    windows.jobs = {240, 0};
    EXPECT_EQ(spooler.WaitingDocuments("QV640"), kReportedButNoneListed);
}

TEST(WinSpoolerServer, ServerNamesInEitherSlashFormAndNothingElse) {
    const std::pair<std::string, std::string> accepted[] = {
        {"\\\\PRINTSRV", "\\\\PRINTSRV"},
        {"//PRINTSRV", "\\\\PRINTSRV"},
        {"\\\\print-srv.shop.example", "\\\\print-srv.shop.example"},
        {"//10.0.0.5", "\\\\10.0.0.5"},
    };
    for (const auto& [given, name] : accepted) {
        EXPECT_EQ(ParseWindowsServer(given), name) << given;
        EXPECT_EQ(ServerRecordName(given), name) << given;
        EXPECT_NE(CreateServerSpooler(given), nullptr) << given;
    }
    const std::string refused[] = {"PRINTSRV",    "localhost:631",       "\\PRINTSRV",     "\\\\",
                                   "//",          "\\\\PRINTSRV\\QV640", "\\\\PRINTSRV\\", "//PRINTSRV/",
                                   "/\\PRINTSRV", "\\\\PRINT SRV",       "\\\\PRINTSRV\n", "\\\\\\PRINTSRV"};
    for (const auto& given : refused) {
        EXPECT_EQ(ParseWindowsServer(given), std::nullopt) << given;
        EXPECT_EQ(CreateServerSpooler(given), nullptr) << given;
    }
    // No server: this machine's spooler, recorded without a server name.
    EXPECT_NE(CreateServerSpooler(""), nullptr);
    EXPECT_EQ(ServerRecordName(""), "");
}

TEST(WinSpoolerServer, PrintersAreListedByTheServersNameAndShownWithoutIt) {
    FakeWindows windows;
    // A server may give its printers under its own full name, in its own case.
    windows.printers = {{"\\\\PRINTSRV\\QV640 Shop", "QV6 Driver", "USB001"},
                        {"\\\\printsrv.shop.example\\Office", "PCL", "IP_10.0.0.9"},
                        {"QV650", "QV6 Driver", "LPT1:"}};
    WinSpooler spooler("\\\\PRINTSRV", windows.api);
    const std::vector<PrinterInfo> expected = {{"QV640 Shop", "QV6 Driver", "USB001"},
                                               {"Office", "PCL", "IP_10.0.0.9"},
                                               {"QV650", "QV6 Driver", "LPT1:"}};
    EXPECT_EQ(spooler.ListPrinters(), expected);
    EXPECT_EQ(spooler.LastFault(), SpoolerFault::None);
    EXPECT_EQ(windows.enumFlags, static_cast<DWORD>(PRINTER_ENUM_NAME));
    EXPECT_EQ(windows.enumLevel, 2u);
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"EnumPrintersA \\\\PRINTSRV", "EnumPrintersA \\\\PRINTSRV"}));
    // This machine's spooler asks for its own printers and connections, by no name, and keeps a
    // connection's full name, by which it is opened.
    windows.calls.clear();
    WinSpooler local(windows.api);
    EXPECT_EQ(local.ListPrinters(), windows.printers);
    EXPECT_EQ(windows.calls.front(), "EnumPrintersA (this machine)");
    EXPECT_EQ(windows.enumFlags, static_cast<DWORD>(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS));
}

TEST(WinSpoolerServer, DocumentsAndQueuesOpenTheSharedPrinterByItsFullName) {
    FakeWindows windows;
    windows.jobs = {240, 1};
    WinSpooler spooler("\\\\PRINTSRV", windows.api);
    EXPECT_TRUE(spooler.WriteRawDocument("QV640 Shop", "AAAAAA", Bytes("\x1B@")));
    EXPECT_EQ(spooler.WaitingDocuments("QV640 Shop"), 1);
    const std::vector<std::string> expected = {"OpenPrinterA \\\\PRINTSRV\\QV640 Shop no-defaults",
                                               "StartDocPrinterA P 1",
                                               "StartPagePrinter P",
                                               "WritePrinter P 2",
                                               "EndPagePrinter P",
                                               "EndDocPrinter P",
                                               "ClosePrinter P",
                                               "OpenPrinterA \\\\PRINTSRV\\QV640 Shop no-defaults",
                                               "EnumJobsA P 0 99 1 no-buffer 0",
                                               "EnumJobsA P 0 99 1 buffer 240",
                                               "ClosePrinter P"};
    EXPECT_EQ(windows.calls, expected);
    EXPECT_EQ(windows.docName, "AAAAAA");
    // No printer name: nothing is opened, not even the server itself.
    windows.calls.clear();
    EXPECT_FALSE(spooler.WriteRawDocument("", "AAAAAA", Bytes("\x0C")));
    EXPECT_TRUE(windows.calls.empty());
}

TEST(WinSpoolerServer, AServerThatGivesNoListIsUnreachableAndAnUnknownPrinterIsNot) {
    FakeWindows windows;
    windows.printers = {{"\\\\PRINTSRV\\QV640", "QV6 Driver", "USB001"}};
    WinSpooler spooler("\\\\PRINTSRV", windows.api);
    struct Step {
        const char* what;
        bool enumerable;
        bool opens;
        bool written;
        SpoolerFault fault;
    };
    // In this order: each call sets the fault afresh.
    const Step steps[] = {
        {"server down", false, false, false, SpoolerFault::Unreachable},
        {"server back, printer unknown", true, false, false, SpoolerFault::None},
        {"server down again", false, false, false, SpoolerFault::Unreachable},
        {"printer opens", true, true, true, SpoolerFault::None},
    };
    for (const auto& step : steps) {
        windows.enumerable = step.enumerable;
        windows.openSucceeds = step.opens;
        windows.calls.clear();
        EXPECT_EQ(spooler.WriteRawDocument("QV640", "AAAAAA", Bytes("\x0C")), step.written) << step.what;
        EXPECT_EQ(spooler.LastFault(), step.fault) << step.what;
        if (!step.opens) {
            // The failed open, then the question to the server; nothing written, nothing closed.
            EXPECT_EQ(windows.calls, (std::vector<std::string>{"OpenPrinterA \\\\PRINTSRV\\QV640 no-defaults",
                                                               "EnumPrintersA \\\\PRINTSRV"}))
                << step.what;
        }
    }
    windows.enumerable = false;
    EXPECT_TRUE(spooler.ListPrinters().empty());
    EXPECT_EQ(spooler.LastFault(), SpoolerFault::Unreachable);
    windows.openSucceeds = false;
    EXPECT_EQ(spooler.WaitingDocuments("QV640"), 0);
    EXPECT_EQ(spooler.LastFault(), SpoolerFault::Unreachable);
    windows.enumerable = true;
    EXPECT_EQ(spooler.ListPrinters().size(), 1u);
    EXPECT_EQ(spooler.LastFault(), SpoolerFault::None);
    // This machine's spooler has no server to lose: a failed open is an unknown printer.
    WinSpooler local(windows.api);
    windows.enumerable = false;
    EXPECT_FALSE(local.WriteRawDocument("QV640", "AAAAAA", Bytes("\x0C")));
    EXPECT_EQ(local.LastFault(), SpoolerFault::None);
}

TEST(WinSpoolerServer, AServerThatTookTheDeadlineToFailIsNotAskedAgainForThirtySeconds) {
    FakeWindows windows;
    windows.openSucceeds = false;
    windows.enumerable = false;
    WinSpooler spooler("\\\\PRINTSRV", windows.api);
    struct Step {
        const char* what;
        ULONGLONG failureTakes;  // how long the server takes to fail, when it is asked
        ULONGLONG later;         // how long after the previous step this one comes
        bool asked;              // whether the server was asked at all
    };
    // In this order: the hold starts when a failure took the deadline (10 s by default).
    const Step steps[] = {
        {"a server that refuses at once", 50, 0, true},
        {"refused again: still asked", 50, 100, true},
        {"a server that takes the deadline to fail", 10000, 100, true},
        {"right after: held back", 10000, 0, false},
        {"29 s after: still held back", 10000, 29000, false},
        {"30 s after: asked again", 10000, 1000, true},
    };
    for (const auto& step : steps) {
        windows.now += step.later;
        windows.failureTakes = step.failureTakes;
        windows.calls.clear();
        EXPECT_FALSE(spooler.WriteRawDocument("QV640", "AAAAAA", Bytes("\x0C"))) << step.what;
        EXPECT_EQ(spooler.LastFault(), SpoolerFault::Unreachable) << step.what;
        EXPECT_EQ(!windows.calls.empty(), step.asked) << step.what;
    }
    // Held back again by the last failure: the list and the queue fail at once too.
    windows.calls.clear();
    EXPECT_TRUE(spooler.ListPrinters().empty());
    EXPECT_EQ(spooler.WaitingDocuments("QV640"), 0);
    EXPECT_EQ(spooler.LastFault(), SpoolerFault::Unreachable);
    EXPECT_TRUE(windows.calls.empty());

    // A shorter deadline holds a server back after a shorter wait.
    WinSpooler impatient("\\\\PRINTSRV", windows.api);
    impatient.SetDeadline(std::chrono::seconds(2));
    windows.failureTakes = 2500;
    EXPECT_TRUE(impatient.ListPrinters().empty());
    windows.calls.clear();
    EXPECT_FALSE(impatient.WriteRawDocument("QV640", "AAAAAA", Bytes("\x0C")));
    EXPECT_TRUE(windows.calls.empty());
}

TEST(WinSpoolerServer, TheCurrentPrinterIsTheUsersDefaultOnThatServerOrTheOneAppliedHere) {
    FakeWindows windows;
    windows.printers = {{"\\\\PRINTSRV\\QV640", "QV6 Driver", "USB001"},
                        {"\\\\PRINTSRV\\QV650", "QV6 Driver", "USB002"}};
    WinSpooler spooler("\\\\PRINTSRV", windows.api);
    const std::pair<std::string, std::string> defaults[] = {
        {"\\\\PRINTSRV\\QV640", "QV640"},
        {"\\\\printsrv\\QV650", "QV650"},  // host names compare without regard to case
        {"\\\\OTHER\\QV640", ""},          // a printer of another server
        {"\\\\PRINTSRV2\\QV640", ""},      // a server whose name only begins alike
        {"QV640", ""},                     // a printer of this machine
        {"", ""},
    };
    for (const auto& [systemDefault, current] : defaults) {
        windows.defaultPrinter = systemDefault;
        EXPECT_EQ(spooler.CurrentPrinter(), current) << systemDefault;
    }
    // A choice holds for this process only: no default is written for a printer of a server.
    windows.calls.clear();
    EXPECT_FALSE(spooler.ApplyPrinterChoice("QV650,QV6 Driver,USB002"));
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"EnumPrintersA \\\\PRINTSRV", "EnumPrintersA \\\\PRINTSRV"}));
    windows.defaultPrinter = "\\\\PRINTSRV\\QV640";
    EXPECT_EQ(spooler.CurrentPrinter(), "QV650");
    // A printer the server does not list is not chosen.
    WinSpooler other("\\\\PRINTSRV", windows.api);
    EXPECT_FALSE(other.ApplyPrinterChoice("Nowhere,X,Y"));
    EXPECT_EQ(other.CurrentPrinter(), "QV640");
}

}  // namespace
}  // namespace qvset::win
