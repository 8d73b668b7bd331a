#pragma once

#include "printer/Spooler.h"
#include "printer/win/WinApi.h"

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

// The Windows spooler (winspool). Printer names are UTF-8 in the program and the system's ANSI code
// page towards the "A" functions. Every handle is closed in every case in which it was opened.
class WinSpooler final : public Spooler {
  public:
    explicit WinSpooler(const WinApi& api = SystemWinApi());

    // EnumPrintersA level 2, local printers and connections, in the order enumerated:
    // (printer name, driver name, port name).
    std::vector<PrinterInfo> ListPrinters() override;
    // The system default printer (GetDefaultPrinterA), read afresh; empty when there is none.
    std::string CurrentPrinter() override;
    // NT: HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows, "Device" = the entry as REG_SZ with
    // its terminating zero. Before NT: WriteProfileStringA("windows", "device", entry) and the
    // WM_WININICHANGE broadcast. True when the value (or the profile entry) was written.
    bool ApplyPrinterChoice(const std::string& entry) override;
    // OpenPrinterA (no defaults), StartDocPrinterA level 1 {documentName, no output file, no data
    // type}, StartPagePrinter, one WritePrinter with the whole payload, EndPagePrinter, EndDocPrinter,
    // ClosePrinter. Only the open is examined: false when it fails, and then nothing else is called.
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    // EnumJobsA counted in two calls (CountQueuedJobs) on the opened printer; 0 when it cannot be opened.
    int WaitingDocuments(const std::string& deviceName) override;

  private:
    std::string ToSystemAnsi(const std::string& utf8) const;
    std::string FromSystemAnsi(const char* ansi) const;

    const WinApi& m_api;
};

}  // namespace qvset::win
