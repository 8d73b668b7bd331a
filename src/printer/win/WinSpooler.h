#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "printer/Spooler.h"
#include "printer/win/WinApi.h"
#include "printer/win/WinHandles.h"

namespace qvset::win {

// Registry key and value of the current user's default printer on the NT family.
inline constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
inline constexpr const char* kDeviceValue = "Device";
// Profile section and key of the default printer on the platforms before NT, and the broadcast that
// tells the running programs about it.
inline constexpr const char* kProfileSection = "windows";
inline constexpr const char* kProfileKey = "device";
inline constexpr UINT kWinIniChange = 0x001A;
inline constexpr WPARAM kWinIniChangeWParam = 0x7FFF;
// The platform identifier GetVersionExA reports for the NT family, and its record's size.
inline constexpr DWORD kPlatformNt = 2;
inline constexpr DWORD kVersionRecordSize = 148;
// DRIVER_INFO_8's attribute of an XPS-pipeline (v4) driver, which turns a RAW document into an empty one.
inline constexpr DWORD kXpsDriverAttribute = 0x00000002;
inline constexpr DWORD kDriverInfoLevel = 8;
// The policy of Windows protected print mode: with it on, only the system's IPP class driver is left.
inline constexpr const char* kProtectedPrintKey = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
inline constexpr const char* kProtectedPrintValue = "WindowsProtectedPrintGroupPolicyState";

// The Windows spooler (winspool). Printer names are UTF-8 in the program and the system's ANSI code
// page towards the "A" functions. Every handle is closed in every case in which it was opened.
//
// Made with a print server "\\HOST", it serves that server's shared printers instead of this machine's:
// they are listed by the server's name and opened as "\\HOST\NAME", while the names the program sees
// (in the list, the current printer, the documents' printer) are the printer names without the server.
class WinSpooler final : public Spooler {
  public:
    explicit WinSpooler(const WinApi& api = SystemWinApi());
    // The printers of the print server `server`, "\\HOST" as ParseWindowsServer gives it.
    explicit WinSpooler(std::string server, const WinApi& api = SystemWinApi());

    // EnumPrintersA level 2, in the order enumerated: (printer name, driver name, port name), each
    // printer whose driver refuses RAW documents marked in its kind (EnumPrinterDriversA level 8). This
    // machine's local printers and connections; a server's printers (PRINTER_ENUM_NAME with the server's
    // name), each without its "\\HOST\" part, and the fault Unreachable when it cannot be enumerated.
    std::vector<PrinterInfo> ListPrinters() override;
    // The system default printer (GetDefaultPrinterA), read afresh; empty when there is none. For a
    // server: the printer last applied in this process, else the user's default printer when it is one
    // of that server's ("\\HOST\NAME" gives "NAME"), else none.
    std::string CurrentPrinter() override;
    // NT: HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows, "Device" = the entry as REG_SZ with
    // its terminating zero. Before NT: WriteProfileStringA("windows", "device", entry) and the
    // WM_WININICHANGE broadcast. True when the value (or the profile entry) was written.
    // For a server: a printer of the server's list becomes the printer of this process's later
    // documents, but no default is written (false): see CurrentPrinter.
    bool ApplyPrinterChoice(const std::string& entry) override;
    // OpenPrinterA (no defaults), StartDocPrinterA level 1 {documentName, no output file, no data
    // type}, StartPagePrinter, one WritePrinter with the whole payload, EndPagePrinter, EndDocPrinter,
    // ClosePrinter. Only the open is examined: false when it fails, and then nothing else is called.
    // Before the first document to a printer (once per printer) its driver is asked for
    // (GetPrinterDriverA level 8): an XPS-pipeline (v4) driver, or any printer while protected print
    // mode is on, would turn the RAW document into an empty one, so nothing is started and the call
    // fails with MsgXpsDriverRefused or MsgProtectedPrintRefused as LastProblem.
    // For a server the printer opened is "\\HOST\deviceName"; when it cannot be opened, the server is
    // asked for its list, and one that does not give it is Unreachable.
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    // EnumJobsA counted in two calls (CountQueuedJobs) on the opened printer; 0 when it cannot be opened.
    int WaitingDocuments(const std::string& deviceName) override;
    // Always None for this machine's spooler; for a server, Unreachable when the last call found it
    // could not be enumerated.
    SpoolerFault LastFault() override { return m_fault; }
    std::string LastProblem() override { return m_problem; }
    // A server whose failure took the deadline or longer (the system's own network time-outs decide
    // how long a call waits) is not asked again for kServerRetryInterval: the calls in that time fail
    // at once as Unreachable, so that a command of many documents to a server that is gone fails in one
    // wait rather than one per document.
    void SetDeadline(std::chrono::milliseconds deadline) override { m_deadline = deadline; }

    static constexpr std::chrono::seconds kServerRetryInterval{30};

  private:
    std::string ToSystemAnsi(const std::string& utf8) const;
    std::string FromSystemAnsi(const char* ansi) const;
    // EnumPrintersA level 2 with the given flags and name; nothing when the list could not be had.
    std::optional<std::vector<PrinterInfo>> Enumerate(DWORD flags, const std::string& name);
    // Opens a printer as the program names it: on a server, "\\HOST\deviceName". After a failed open
    // on a server, sets the fault from whether the server still gives its list.
    bool OpenPrinter(PrinterHandle& printer, const std::string& deviceName);
    // Why a RAW document to the opened printer would be dropped (a message), or empty; asked once per
    // printer.
    std::string DropsRawDocuments(HANDLE printer, const std::string& deviceName);
    // Whether protected print mode is on (its policy value, read once).
    bool ProtectedPrintMode();
    // The drivers that are XPS-pipeline (v4) drivers, by name.
    std::vector<std::string> XpsDrivers();
    // Whether the print server answers a question for the size of its printer list.
    bool ServerAnswers();
    // False, with the fault Unreachable, while a server that failed slowly is held back.
    bool ServerMayBeAsked();
    // After a server failed: holds it back when the failure, begun at `startedAt`, took the deadline.
    void NoteUnreachable(ULONGLONG startedAt);

    const WinApi& m_api;
    std::string m_server;  // "\\HOST", or empty for this machine's spooler
    std::string m_applied;
    SpoolerFault m_fault = SpoolerFault::None;
    std::string m_problem;
    std::vector<std::pair<std::string, std::string>> m_rawRefusals;  // printer, its refusal (or empty)
    std::optional<bool> m_protectedPrint;
    std::chrono::milliseconds m_deadline = kDefaultSpoolerDeadline;
    ULONGLONG m_holdUntil = 0;  // GetTickCount64 before which the server is not asked
};

// A Windows print server as the command line names it, "\\HOST" or "//HOST": "\\HOST", the host as
// given. Nothing for anything else: no host, a path beyond the host ("\\HOST\SHARE"), a host with
// blanks or control characters.
std::optional<std::string> ParseWindowsServer(const std::string& server);

// A printer name as a print server gives it, "\\HOST\NAME", without its server part ("NAME"); a name
// without one as it is. Windows printer names hold no backslash.
std::string WithoutServerPart(const std::string& printerName);

}  // namespace qvset::win
