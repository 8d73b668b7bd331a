#include "printer/win/WinSpooler.h"

#include <vector>

#include "files/WideText.h"
#include "printer/win/JobCount.h"
#include "printer/win/WinHandles.h"

namespace qvset::win {

static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize);

namespace {

constexpr int kMostEnumerations = 3;

// HWND_BROADCAST: every top-level window.
HWND BroadcastWindow() {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xFFFF));
}

}  // namespace

WinSpooler::WinSpooler(const WinApi& api) : m_api(api) {}

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

std::vector<PrinterInfo> WinSpooler::ListPrinters() {
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    constexpr DWORD kLevel = 2;
    DWORD needed = 0;
    DWORD returned = 0;
    m_api.EnumPrintersA(kFlags, nullptr, kLevel, nullptr, 0, &needed, &returned);
    std::vector<PRINTER_INFO_2A> buffer;
    bool listed = needed == 0;
    returned = 0;
    // A printer added between the calls makes the buffer too small: ask again with the new size.
    for (int attempt = 0; attempt < kMostEnumerations && !listed && needed > 0; ++attempt) {
        buffer.assign((needed + sizeof(PRINTER_INFO_2A) - 1) / sizeof(PRINTER_INFO_2A), PRINTER_INFO_2A{});
        const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(PRINTER_INFO_2A));
        returned = 0;
        listed = m_api.EnumPrintersA(kFlags, nullptr, kLevel, reinterpret_cast<LPBYTE>(buffer.data()), size,
                                     &needed, &returned) != FALSE;
    }
    std::vector<PrinterInfo> printers;
    if (!listed) return printers;
    for (DWORD i = 0; i < returned && i < buffer.size(); ++i) {
        const PRINTER_INFO_2A& info = buffer[i];
        printers.push_back({FromSystemAnsi(info.pPrinterName), FromSystemAnsi(info.pDriverName),
                            FromSystemAnsi(info.pPortName)});
    }
    return printers;
}

std::string WinSpooler::CurrentPrinter() {
    DWORD size = 0;
    m_api.GetDefaultPrinterA(nullptr, &size);
    if (size == 0) return {};
    std::vector<char> name(size + 1, '\0');
    if (!m_api.GetDefaultPrinterA(name.data(), &size)) return {};
    return FromSystemAnsi(name.data());
}

bool WinSpooler::ApplyPrinterChoice(const std::string& entry) {
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
    PrinterHandle printer(m_api);
    if (!printer.Open(ToSystemAnsi(deviceName))) return false;
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

int WinSpooler::WaitingDocuments(const std::string& deviceName) {
    PrinterHandle printer(m_api);
    if (!printer.Open(ToSystemAnsi(deviceName))) return 0;
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
