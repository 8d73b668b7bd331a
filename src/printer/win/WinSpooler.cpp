#include "printer/win/WinSpooler.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "printer/PrinterSelection.h"
#include "printer/QueueKind.h"
#include "printer/win/JobCount.h"
#include "printer/win/WinHandles.h"
#include "text/WideText.h"

namespace qvset::win {

static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize);

namespace {

constexpr int kMostEnumerations = 3;
// PRINTER_INFO_2: name, driver and port of each printer.
constexpr DWORD kPrinterInfoLevel = 2;

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// HWND_BROADCAST: every top-level window.
HWND BroadcastWindow() {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xFFFF));
}

}  // namespace

WinSpooler::WinSpooler(const WinApi& api) : m_api(api) {}
WinSpooler::WinSpooler(std::string server, const WinApi& api) : m_api(api), m_server(std::move(server)) {}

std::optional<std::string> ParseWindowsServer(const std::string& server) {
    const bool backslashes = server.rfind("\\\\", 0) == 0;
    if (!backslashes && server.rfind("//", 0) != 0) return std::nullopt;
    const std::string host = server.substr(2);
    if (host.empty()) return std::nullopt;
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '/' || c == ' ' || byte < 0x20 || byte == 0x7F) return std::nullopt;
    }
    return "\\\\" + host;
}

std::string WithoutServerPart(const std::string& printerName) {
    if (printerName.rfind("\\\\", 0) != 0) return printerName;
    const std::size_t separator = printerName.find('\\', 2);
    return separator == std::string::npos ? printerName : printerName.substr(separator + 1);
}

std::string WinSpooler::ToSystemAnsi(const std::string& utf8) const {
    if (utf8.empty()) return {};
    const std::wstring wide = ToWide(utf8);
    const int wideLength = static_cast<int>(wide.size());
    const int length =
        m_api.WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return utf8;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    m_api.WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

std::string WinSpooler::FromSystemAnsi(const char* ansi) const {
    if (ansi == nullptr || *ansi == '\0') return {};
    const std::string text(ansi);
    const int wideLength =
        m_api.MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wideLength <= 0) return text;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    m_api.MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
    return ToUtf8(wide);
}

std::optional<std::vector<PrinterInfo>> WinSpooler::Enumerate(DWORD flags, const std::string& name) {
    std::string ansiName = ToSystemAnsi(name);  // EnumPrintersA takes a writable name
    LPSTR nameArgument = name.empty() ? nullptr : ansiName.data();
    DWORD needed = 0;
    DWORD returned = 0;
    const bool sized =
        m_api.EnumPrintersA(flags, nameArgument, kPrinterInfoLevel, nullptr, 0, &needed, &returned) != FALSE;
    std::vector<PRINTER_INFO_2A> buffer;
    bool listed = needed == 0 && sized;
    // Asked for its size, a spooler with printers says the buffer is too small and how large it must
    // be; one that names no size and no success did not give its list (a server that cannot be reached).
    if (needed == 0 && !sized) return std::nullopt;
    returned = 0;
    // A printer added between the calls makes the buffer too small: ask again with the new size.
    for (int attempt = 0; attempt < kMostEnumerations && !listed && needed > 0; ++attempt) {
        buffer.assign((needed + sizeof(PRINTER_INFO_2A) - 1) / sizeof(PRINTER_INFO_2A), PRINTER_INFO_2A{});
        const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(PRINTER_INFO_2A));
        returned = 0;
        listed =
            m_api.EnumPrintersA(flags, nameArgument, kPrinterInfoLevel,
                                reinterpret_cast<LPBYTE>(buffer.data()), size, &needed, &returned) != FALSE;
    }
    if (!listed) return std::nullopt;
    std::vector<PrinterInfo> printers;
    for (DWORD i = 0; i < returned && i < buffer.size(); ++i) {
        const PRINTER_INFO_2A& info = buffer[i];
        // This machine's connections keep their server part ("\\HOST\NAME"): they are opened by it.
        const std::string printerName = FromSystemAnsi(info.pPrinterName);
        printers.push_back({m_server.empty() ? printerName : WithoutServerPart(printerName),
                            FromSystemAnsi(info.pDriverName), FromSystemAnsi(info.pPortName)});
    }
    return printers;
}

std::vector<PrinterInfo> WinSpooler::ListPrinters() {
    m_fault = SpoolerFault::None;
    if (m_server.empty()) {
        auto printers =
            Enumerate(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, {}).value_or(std::vector<PrinterInfo>{});
        if (printers.empty()) return printers;
        const bool protectedPrint = ProtectedPrintMode();
        const std::vector<std::string> xps = XpsDrivers();
        for (auto& printer : printers) {
            if (protectedPrint) {
                printer.kind = std::string(kProtectedPrintKindText);
            } else if (std::find(xps.begin(), xps.end(), printer.driverName) != xps.end()) {
                printer.kind = std::string(kXpsDriverKindText);
            }
        }
        return printers;
    }
    if (!ServerMayBeAsked()) return {};
    const ULONGLONG startedAt = m_api.GetTickCount64();
    auto printers = Enumerate(PRINTER_ENUM_NAME, m_server);
    if (!printers) {
        NoteUnreachable(startedAt);
        return {};
    }
    return *printers;
}

bool WinSpooler::ServerMayBeAsked() {
    if (m_holdUntil == 0 || m_api.GetTickCount64() >= m_holdUntil) return true;
    m_fault = SpoolerFault::Unreachable;
    return false;
}

void WinSpooler::NoteUnreachable(ULONGLONG startedAt) {
    m_fault = SpoolerFault::Unreachable;
    const ULONGLONG now = m_api.GetTickCount64();
    if (now - startedAt >= static_cast<ULONGLONG>(m_deadline.count())) {
        m_holdUntil = now + static_cast<ULONGLONG>(std::chrono::milliseconds(kServerRetryInterval).count());
    }
}

std::string WinSpooler::CurrentPrinter() {
    m_fault = SpoolerFault::None;
    if (!m_applied.empty()) return m_applied;
    DWORD size = 0;
    m_api.GetDefaultPrinterA(nullptr, &size);
    if (size == 0) return {};
    std::vector<char> name(size + 1, '\0');
    if (!m_api.GetDefaultPrinterA(name.data(), &size)) return {};
    const std::string device = FromSystemAnsi(name.data());
    if (m_server.empty()) return device;
    // A print server keeps no default printer for the users of other machines: the user's own default
    // counts when it is a connection to one of this server's printers. A fleet names its printers.
    const std::string prefix = m_server + "\\";
    if (device.size() <= prefix.size() || !SameLetters(device.substr(0, prefix.size()), prefix)) return {};
    return device.substr(prefix.size());
}

bool WinSpooler::ApplyPrinterChoice(const std::string& entry) {
    m_problem.clear();
    if (!m_server.empty()) {
        // A shared printer becomes this user's default only through a connection to it, which this
        // program does not make: the choice holds for this process alone.
        const auto printers = ListPrinters();
        const std::string device = DeviceNameOfEntry(printers, entry);
        for (const auto& printer : printers) {
            if (printer.deviceName == device) m_applied = device;
        }
        return false;
    }
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionRecordSize;
    m_api.GetVersionExA(&version);
    const std::string ansi = ToSystemAnsi(entry);
    // The value is the entry with its terminating zero, and its size counts that zero.
    const DWORD size = static_cast<DWORD>(ansi.size() + 1);
    if (version.dwPlatformId == kPlatformNt) {
        RegistryKey key(m_api);
        if (!key.Open(HKEY_CURRENT_USER, kWindowsKey)) return false;
        return m_api.RegSetValueExA(key.Get(), kDeviceValue, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(ansi.c_str()), size) == ERROR_SUCCESS;
    }
    const bool written = m_api.WriteProfileStringA(kProfileSection, kProfileKey, ansi.c_str()) != FALSE;
    m_api.SendMessageA(BroadcastWindow(), kWinIniChange, kWinIniChangeWParam,
                       reinterpret_cast<LPARAM>(kProfileSection));
    return written;
}

bool WinSpooler::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                  std::span<const std::uint8_t> payload) {
    m_problem.clear();
    PrinterHandle printer(m_api);
    if (!OpenPrinter(printer, deviceName)) return false;
    m_problem = DropsRawDocuments(printer.Get(), deviceName);
    if (!m_problem.empty()) return false;
    std::string docName(documentName);
    DOC_INFO_1A docInfo{docName.data(), nullptr, nullptr};
    m_api.StartDocPrinterA(printer.Get(), 1, reinterpret_cast<LPBYTE>(&docInfo));
    m_api.StartPagePrinter(printer.Get());
    DWORD written = 0;
    m_api.WritePrinter(printer.Get(), const_cast<std::uint8_t*>(payload.data()),
                       static_cast<DWORD>(payload.size()), &written);
    m_api.EndPagePrinter(printer.Get());
    m_api.EndDocPrinter(printer.Get());
    printer.Close();
    return true;
}

bool WinSpooler::OpenPrinter(PrinterHandle& printer, const std::string& deviceName) {
    m_fault = SpoolerFault::None;
    if (m_server.empty()) return printer.Open(ToSystemAnsi(deviceName));
    // "\\HOST\" alone would be the server itself, not a printer.
    if (deviceName.empty() || !ServerMayBeAsked()) return false;
    const ULONGLONG startedAt = m_api.GetTickCount64();
    if (printer.Open(ToSystemAnsi(m_server + "\\" + deviceName))) return true;
    // The open does not say whether the printer or the server is missing: a server that still gives
    // its list answered, and the printer is unknown to it or refused.
    if (!ServerAnswers()) NoteUnreachable(startedAt);
    return false;
}

std::string WinSpooler::DropsRawDocuments(HANDLE printer, const std::string& deviceName) {
    for (const auto& [known, refusal] : m_rawRefusals) {
        if (known == deviceName) return refusal;
    }
    std::string refusal;
    if (ProtectedPrintMode()) {
        refusal = MsgProtectedPrintRefused(deviceName);
    } else {
        DWORD needed = 0;
        m_api.GetPrinterDriverA(printer, nullptr, kDriverInfoLevel, nullptr, 0, &needed);
        // A spooler that does not know level 8 (before Windows Vista) has no XPS drivers either.
        if (needed > 0) {
            std::vector<DRIVER_INFO_8A> info((needed + sizeof(DRIVER_INFO_8A) - 1) / sizeof(DRIVER_INFO_8A));
            const DWORD size = static_cast<DWORD>(info.size() * sizeof(DRIVER_INFO_8A));
            if (m_api.GetPrinterDriverA(printer, nullptr, kDriverInfoLevel,
                                        reinterpret_cast<LPBYTE>(info.data()), size, &needed) &&
                (info.front().dwPrinterDriverAttributes & kXpsDriverAttribute) != 0) {
                refusal = MsgXpsDriverRefused(deviceName);
            }
        }
    }
    m_rawRefusals.emplace_back(deviceName, refusal);
    return refusal;
}

bool WinSpooler::ProtectedPrintMode() {
    if (m_protectedPrint) return *m_protectedPrint;
    m_protectedPrint = false;
    HKEY key = nullptr;
    if (m_api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProtectedPrintKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    const LONG read = m_api.RegQueryValueExA(key, kProtectedPrintValue, nullptr, &type,
                                             reinterpret_cast<LPBYTE>(&value), &size);
    m_api.RegCloseKey(key);
    m_protectedPrint = read == ERROR_SUCCESS && type == REG_DWORD && value != 0;
    return *m_protectedPrint;
}

std::vector<std::string> WinSpooler::XpsDrivers() {
    std::vector<std::string> drivers;
    DWORD needed = 0;
    DWORD returned = 0;
    m_api.EnumPrinterDriversA(nullptr, nullptr, kDriverInfoLevel, nullptr, 0, &needed, &returned);
    if (needed == 0) return drivers;
    std::vector<DRIVER_INFO_8A> info((needed + sizeof(DRIVER_INFO_8A) - 1) / sizeof(DRIVER_INFO_8A));
    const DWORD size = static_cast<DWORD>(info.size() * sizeof(DRIVER_INFO_8A));
    returned = 0;
    if (!m_api.EnumPrinterDriversA(nullptr, nullptr, kDriverInfoLevel, reinterpret_cast<LPBYTE>(info.data()),
                                   size, &needed, &returned))
        return drivers;
    for (DWORD i = 0; i < returned && i < info.size(); ++i) {
        if ((info[i].dwPrinterDriverAttributes & kXpsDriverAttribute) != 0) {
            drivers.push_back(FromSystemAnsi(info[i].pName));
        }
    }
    return drivers;
}

bool WinSpooler::ServerAnswers() {
    std::string name = ToSystemAnsi(m_server);
    DWORD needed = 0;
    DWORD returned = 0;
    // Asked only for the size of its list: a server that has printers names it, one without succeeds.
    return m_api.EnumPrintersA(PRINTER_ENUM_NAME, name.data(), kPrinterInfoLevel, nullptr, 0, &needed,
                               &returned) != FALSE ||
           needed > 0;
}

int WinSpooler::WaitingDocuments(const std::string& deviceName) {
    PrinterHandle printer(m_api);
    if (!OpenPrinter(printer, deviceName)) return 0;
    bool reported = false;
    const int listed = CountQueuedJobs(
        [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t& needed, std::uint32_t& returned) {
            DWORD neededBytes = 0;
            DWORD jobs = 0;
            const BOOL ok = m_api.EnumJobsA(printer.Get(), kFirstJob, kMostJobs, kJobInfoLevel, buffer, size,
                                            &neededBytes, &jobs);
            needed = neededBytes;
            returned = jobs;
            return ok != FALSE;
        },
        &reported);
    return reported && listed == 0 ? kReportedButNoneListed : listed;
}

}  // namespace qvset::win
