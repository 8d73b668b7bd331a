// WinSpooler against a fake table of platform calls: the exact calls, their arguments and order, and
// the paths a real system rarely shows (failed opens, failing spooler calls, the pre-NT branch).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <optional>

#include "printer/Platform.h"
#include "printer/QueueKind.h"
#include "printer/win/UsbPrinters.h"
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
    // The drivers: each printer's driver attributes (none: 0), the installed drivers, protected print
    // mode's policy value (none: no policy), and the driver calls made.
    std::map<std::string, DWORD> driverAttributes;
    std::vector<std::pair<std::string, DWORD>> drivers;
    std::optional<DWORD> protectedPrint;
    std::vector<std::string> driverCalls;

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
        api.GetPrinterDriverA = [this](HANDLE handle, LPSTR environment, DWORD level, LPBYTE buffer,
                                       DWORD size, LPDWORD needed) -> BOOL {
            driverCalls.push_back("GetPrinterDriverA " + HandleText(handle) + " " +
                                  (environment == nullptr ? "this-environment" : environment) + " " +
                                  std::to_string(level) + " " + (buffer == nullptr ? "no-buffer" : "buffer"));
            *needed = sizeof(DRIVER_INFO_8A);
            if (buffer == nullptr || size < sizeof(DRIVER_INFO_8A)) return FALSE;
            auto* info = reinterpret_cast<DRIVER_INFO_8A*>(buffer);
            *info = DRIVER_INFO_8A{};
            const auto found = driverAttributes.find(openedName);
            info->dwPrinterDriverAttributes = found == driverAttributes.end() ? 0 : found->second;
            return TRUE;
        };
        api.EnumPrinterDriversA = [this](LPSTR, LPSTR, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                                         LPDWORD returned) -> BOOL {
            driverCalls.push_back("EnumPrinterDriversA " + std::to_string(level));
            std::size_t total = drivers.size() * sizeof(DRIVER_INFO_8A);
            for (const auto& driver : drivers) total += driver.first.size() + 1;
            *needed = static_cast<DWORD>(total);
            *returned = 0;
            if (buffer == nullptr || size < total) return drivers.empty();
            auto* records = reinterpret_cast<DRIVER_INFO_8A*>(buffer);
            char* text = reinterpret_cast<char*>(buffer + drivers.size() * sizeof(DRIVER_INFO_8A));
            for (std::size_t i = 0; i < drivers.size(); ++i) {
                records[i] = DRIVER_INFO_8A{};
                std::memcpy(text, drivers[i].first.c_str(), drivers[i].first.size() + 1);
                records[i].pName = text;
                records[i].dwPrinterDriverAttributes = drivers[i].second;
                text += drivers[i].first.size() + 1;
            }
            *returned = static_cast<DWORD>(drivers.size());
            return TRUE;
        };
        api.RegOpenKeyExA = [this](HKEY root, LPCSTR subKey, DWORD, REGSAM, PHKEY key) -> LONG {
            driverCalls.push_back(std::string("RegOpenKeyExA ") +
                                  (root == HKEY_LOCAL_MACHINE ? "HKLM " : "? ") + subKey);
            if (!protectedPrint) return ERROR_FILE_NOT_FOUND;
            *key = kKey;
            return ERROR_SUCCESS;
        };
        api.RegQueryValueExA = [this](HKEY, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                                      LPDWORD size) -> LONG {
            driverCalls.push_back(std::string("RegQueryValueExA ") + name);
            *type = REG_DWORD;
            std::memcpy(data, &*protectedPrint, sizeof(DWORD));
            *size = sizeof(DWORD);
            return ERROR_SUCCESS;
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

TEST(WinSpoolerDrivers, AQueueWhoseDriverDropsRawDocumentsIsRefusedBeforeAnyDocumentStarts) {
    FakeWindows windows;
    windows.driverAttributes["QV640 IPP"] = kXpsDriverAttribute;
    windows.driverAttributes["QV640"] = 0x00000001;  // a v3 driver of the maker's, packaged
    WinSpooler spooler(windows.api);
    EXPECT_FALSE(spooler.WriteRawDocument("QV640 IPP", "AAAAAA", Bytes("\x0C")));
    EXPECT_EQ(spooler.LastProblem(), MsgXpsDriverRefused("QV640 IPP"));
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"OpenPrinterA QV640 IPP no-defaults", "ClosePrinter P"}));
    EXPECT_EQ(windows.driverCalls,
              (std::vector<std::string>{
                  "RegOpenKeyExA HKLM SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP",
                  "GetPrinterDriverA P this-environment 8 no-buffer",
                  "GetPrinterDriverA P this-environment 8 buffer"}));

    // Asked once per printer: the second document is refused as well, without asking again.
    windows.calls.clear();
    windows.driverCalls.clear();
    EXPECT_FALSE(spooler.WriteRawDocument("QV640 IPP", "AAAAAA", Bytes("\x0C")));
    EXPECT_TRUE(windows.driverCalls.empty());
    EXPECT_EQ(windows.calls.size(), 2u);

    // The maker's driver takes it as before.
    windows.calls.clear();
    EXPECT_TRUE(spooler.WriteRawDocument("QV640", "AAAAAA", Bytes("\x0C")));
    EXPECT_EQ(spooler.LastProblem(), "");
    EXPECT_EQ(windows.calls.size(), 7u);
    EXPECT_EQ(windows.written, Bytes("\x0C"));
}

TEST(WinSpoolerDrivers, UnderProtectedPrintModeNoQueueTakesARawDocument) {
    for (const DWORD policy : {DWORD{1}, DWORD{0}}) {
        FakeWindows windows;
        windows.protectedPrint = policy;
        WinSpooler spooler(windows.api);
        EXPECT_EQ(spooler.WriteRawDocument("QV640", "AAAAAA", Bytes("\x0C")), policy == 0) << policy;
        EXPECT_EQ(spooler.LastProblem(), policy == 0 ? std::string() : MsgProtectedPrintRefused("QV640"))
            << policy;
        EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "StartDocPrinterA P 1"),
                  policy == 0 ? 1 : 0);
        EXPECT_NE(std::find(windows.driverCalls.begin(), windows.driverCalls.end(),
                            "RegQueryValueExA WindowsProtectedPrintGroupPolicyState"),
                  windows.driverCalls.end());
    }
}

TEST(WinSpoolerDrivers, ThePrinterListMarksTheQueuesThatRefuseRawDocuments) {
    FakeWindows windows;
    windows.printers = {{"QV640", "QV6 Driver", "USB001"},
                        {"QV640 IPP", "Microsoft IPP Class Driver", "WSD-1"}};
    windows.drivers = {{"QV6 Driver", 0}, {"Microsoft IPP Class Driver", kXpsDriverAttribute}};
    WinSpooler spooler(windows.api);
    const auto printers = spooler.ListPrinters();
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0].kind, "");
    EXPECT_EQ(printers[1].kind, kXpsDriverKindText);

    windows.protectedPrint = 1;
    WinSpooler protectedSpooler(windows.api);
    for (const auto& printer : protectedSpooler.ListPrinters())
        EXPECT_EQ(printer.kind, kProtectedPrintKindText);
}

// SetupDi's list of USB printer class devices, each device with the answer its driver gives for its
// IEEE 1284 id.
TEST(UsbPrinters, EveryPrinterClassDeviceIsListedInOrderWithItsDeviceId) {
    struct Device {
        std::wstring path;
        std::string answer;  // empty: the device cannot be opened
    };
    const std::vector<Device> devices = {
        {L"\\\\?\\usb#vid_1234&pid_0001#a#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
         std::string("\x00\x13MFG:QV;MDL:QV640;", 19)},
        {L"\\\\?\\usb#vid_1234&pid_0002#b#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}", ""},
    };
    const HDEVINFO list = reinterpret_cast<HDEVINFO>(static_cast<ULONG_PTR>(0x4C49));
    WinApi api = SystemWinApi();
    GUID asked{};
    DWORD flags = 0;
    bool destroyed = false;
    std::wstring opened;
    api.SetupDiGetClassDevsW = [&](const GUID* guid, PCWSTR, HWND, DWORD how) {
        asked = *guid;
        flags = how;
        return list;
    };
    api.SetupDiEnumDeviceInterfaces = [&](HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                          PSP_DEVICE_INTERFACE_DATA data) -> BOOL {
        if (index >= devices.size()) return FALSE;
        data->Reserved = index;
        return TRUE;
    };
    api.SetupDiGetDeviceInterfaceDetailW = [&](HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                                               PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                               PDWORD needed, PSP_DEVINFO_DATA) -> BOOL {
        const std::wstring& path = devices[data->Reserved].path;
        *needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                     (path.size() + 1) * sizeof(wchar_t));
        if (detail == nullptr || size < *needed) return FALSE;
        std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        return TRUE;
    };
    api.SetupDiDestroyDeviceInfoList = [&](HDEVINFO which) {
        destroyed = which == list;
        return TRUE;
    };
    api.CreateFileW = [&](LPCWSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) -> HANDLE {
        opened = name;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].path == name && !devices[i].answer.empty())
                return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x100 + i));
        }
        return INVALID_HANDLE_VALUE;
    };
    api.DeviceIoControl = [&](HANDLE device, DWORD, LPVOID, DWORD, LPVOID out, DWORD outSize,
                              LPDWORD returned, LPOVERLAPPED) -> BOOL {
        const std::string& answer = devices[reinterpret_cast<ULONG_PTR>(device) - 0x100].answer;
        std::memcpy(out, answer.data(), std::min<std::size_t>(answer.size(), outSize));
        *returned = static_cast<DWORD>(answer.size());
        return TRUE;
    };
    api.CloseHandle = [](HANDLE) { return TRUE; };

    const auto printers = ListUsbPrinters(api);
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0].uri, "usb:0");
    EXPECT_EQ(printers[0].path, "\\\\?\\usb#vid_1234&pid_0001#a#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    EXPECT_EQ(printers[0].deviceId, "MFG:QV;MDL:QV640;");
    EXPECT_EQ(printers[1].uri, "usb:1");
    EXPECT_EQ(printers[1].deviceId, "");
    const GUID usbPrint = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};
    EXPECT_EQ(std::memcmp(&asked, &usbPrint, sizeof usbPrint), 0);
    EXPECT_EQ(flags, static_cast<DWORD>(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    EXPECT_TRUE(destroyed);
}

TEST(UsbPrinters, ADeviceIdIsReadWithOrWithoutItsLength) {
    EXPECT_EQ(DeviceIdOfAnswer("\x00\x0BMFG:QV;\0\0", 11), "MFG:QV;");
    EXPECT_EQ(DeviceIdOfAnswer("MFG:QV;MDL:QV650;", 17), "MFG:QV;MDL:QV650;");
    EXPECT_EQ(DeviceIdOfAnswer("\x00", 1), "");
}

}  // namespace
}  // namespace qvset::win
