// The devices on Windows: Winsock for sockets, the communications functions for COM ports, and
// CreateFile with overlapped writes for USB printer class devices and files.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <mutex>

#include "printer/device/DeviceLinks.h"
#include "printer/win/UsbPrinters.h"
#include "printer/win/WinApi.h"
#include "text/WideText.h"

namespace qvset {
namespace {

using Clock = std::chrono::steady_clock;

// How long a socket's peer is given to close its side once the document is complete.
constexpr std::chrono::milliseconds kPeerCloseWait{2000};

std::string SystemText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message =
        length > 0 && text != nullptr ? ToUtf8(std::wstring_view(text, length)) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message + " (" + std::to_string(error) + ")";
}

std::string Reason(std::string_view what, DWORD error) {
    return std::string(what) + ": " + SystemText(error);
}

std::string SecondsText(std::chrono::milliseconds duration) {
    const auto tenths = (duration.count() + 50) / 100;
    return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

timeval TimeOf(std::chrono::milliseconds wait) {
    const auto count = std::max<std::chrono::milliseconds::rep>(wait.count(), 0);
    return {static_cast<long>(count / 1000), static_cast<long>((count % 1000) * 1000)};
}

bool StartWinsock(std::string& problem) {
    static std::once_flag started;
    static int result = 0;
    std::call_once(started, [] {
        WSADATA data{};
        result = WSAStartup(MAKEWORD(2, 2), &data);
    });
    if (result != 0) problem = Reason("WSAStartup", static_cast<DWORD>(result));
    return result == 0;
}

class SocketLink final : public DeviceLink {
  public:
    SocketLink(SOCKET socket, std::chrono::milliseconds deadline) : m_socket(socket), m_deadline(deadline) {}
    ~SocketLink() override { Close(); }
    SocketLink(const SocketLink&) = delete;
    SocketLink& operator=(const SocketLink&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
            const int sent = send(m_socket, reinterpret_cast<const char*>(bytes.data() + done), chunk, 0);
            if (sent > 0) {
                done += static_cast<std::size_t>(sent);
                m_written += static_cast<std::uint64_t>(sent);
                continue;
            }
            const int error = WSAGetLastError();
            if (sent == SOCKET_ERROR && error == WSAEWOULDBLOCK) {
                if (!Wait(false, m_deadline)) {
                    return Fail("the device took no bytes for " + SecondsText(m_deadline) +
                                " (is it on line?)");
                }
                continue;
            }
            return Fail(Reason("send", static_cast<DWORD>(error)));
        }
        return true;
    }

    bool Finish() override {
        if (m_socket == INVALID_SOCKET) return false;
        if (shutdown(m_socket, SD_SEND) != 0)
            return Fail(Reason("shutdown", static_cast<DWORD>(WSAGetLastError())));
        // The peer closes once it has the whole document: its close is the answer, a reset the refusal.
        const auto started = Clock::now();
        for (;;) {
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
            if (waited >= kPeerCloseWait || !Wait(true, kPeerCloseWait - waited)) break;
            char buffer[512];
            const int got = recv(m_socket, buffer, sizeof buffer, 0);
            if (got == 0) break;
            if (got == SOCKET_ERROR) {
                const int error = WSAGetLastError();
                if (error == WSAEWOULDBLOCK) continue;
                return Fail(error == WSAECONNRESET
                                ? "the device reset the connection: it did not take the document"
                                : Reason("recv", static_cast<DWORD>(error)));
            }
        }
        const bool closed = closesocket(m_socket) == 0;
        m_socket = INVALID_SOCKET;
        if (!closed) m_problem = Reason("closesocket", static_cast<DWORD>(WSAGetLastError()));
        return closed;
    }

    std::uint64_t Written() const override { return m_written; }

  private:
    bool Wait(bool read, std::chrono::milliseconds wait) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(m_socket, &set);
        timeval time = TimeOf(wait);
        return select(0, read ? &set : nullptr, read ? nullptr : &set, nullptr, &time) > 0;
    }

    bool Fail(std::string problem) {
        m_problem = std::move(problem);
        Close();
        return false;
    }

    void Close() {
        if (m_socket != INVALID_SOCKET) closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }

    SOCKET m_socket;
    std::chrono::milliseconds m_deadline;
    std::uint64_t m_written = 0;
};

std::unique_ptr<DeviceLink> OpenSocket(const DeviceAddress& address, std::chrono::milliseconds deadline,
                                       std::string& problem) {
    if (!StartWinsock(problem)) return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    const int resolved = getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
    if (resolved != 0) {
        problem = address.host + ": " + SystemText(static_cast<DWORD>(resolved));
        return nullptr;
    }
    problem = "connect: no address";
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        const SOCKET handle = socket(entry->ai_family, entry->ai_socktype, entry->ai_protocol);
        if (handle == INVALID_SOCKET) {
            problem = Reason("socket", static_cast<DWORD>(WSAGetLastError()));
            continue;
        }
        u_long nonBlocking = 1;
        ioctlsocket(handle, static_cast<long>(static_cast<unsigned long>(FIONBIO)), &nonBlocking);
        int error = 0;
        if (connect(handle, entry->ai_addr, static_cast<int>(entry->ai_addrlen)) == SOCKET_ERROR) {
            error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK) {
                fd_set writable;
                fd_set failed;
                FD_ZERO(&writable);
                FD_ZERO(&failed);
                FD_SET(handle, &writable);
                FD_SET(handle, &failed);
                timeval time = TimeOf(deadline);
                const int ready = select(0, nullptr, &writable, &failed, &time);
                if (ready == 0) {
                    error = WSAETIMEDOUT;
                } else {
                    int socketError = 0;
                    int length = sizeof socketError;
                    getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&socketError), &length);
                    error = FD_ISSET(handle, &failed) && socketError == 0 ? WSAECONNREFUSED : socketError;
                }
            }
        }
        if (error == 0) {
            problem.clear();
            freeaddrinfo(found);
            return std::make_unique<SocketLink>(handle, deadline);
        }
        closesocket(handle);
        problem = error == WSAETIMEDOUT ? "connect: no answer within " + SecondsText(deadline)
                                        : Reason("connect", static_cast<DWORD>(error));
    }
    freeaddrinfo(found);
    return nullptr;
}

// A device written through a handle opened for overlapped writes, so that no write waits longer than
// the deadline for the device to take its bytes.
class HandleLink final : public DeviceLink {
  public:
    HandleLink(HANDLE handle, bool overlapped, bool flush, std::chrono::milliseconds deadline)
        : m_handle(handle), m_overlapped(overlapped), m_flush(flush), m_deadline(deadline) {
        if (m_overlapped) m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~HandleLink() override {
        Close();
        if (m_event != nullptr) CloseHandle(m_event);
    }
    HandleLink(const HandleLink&) = delete;
    HandleLink& operator=(const HandleLink&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
            DWORD written = 0;
            if (!WriteChunk(bytes.data() + done, chunk, written)) return false;
            if (written == 0) {
                return Fail("the device took no bytes for " + SecondsText(m_deadline) + " (is it on line?)");
            }
            done += written;
            m_written += written;
        }
        return true;
    }

    bool Finish() override {
        if (m_handle == INVALID_HANDLE_VALUE) return false;
        // A COM port's FlushFileBuffers returns once its driver has sent every byte.
        if (m_flush && !FlushFileBuffers(m_handle)) return Fail(Reason("FlushFileBuffers", GetLastError()));
        const bool closed = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        if (!closed) m_problem = Reason("CloseHandle", GetLastError());
        return closed;
    }

    std::uint64_t Written() const override { return m_written; }

  private:
    bool WriteChunk(const std::uint8_t* data, DWORD size, DWORD& written) {
        if (!m_overlapped) {
            if (WriteFile(m_handle, data, size, &written, nullptr)) return true;
            return Fail(Reason("WriteFile", GetLastError()));
        }
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_event;
        // Files opened for appending write at their end whatever the offset.
        overlapped.Offset = 0xFFFFFFFF;
        overlapped.OffsetHigh = 0xFFFFFFFF;
        ResetEvent(m_event);
        if (!WriteFile(m_handle, data, size, nullptr, &overlapped)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) return Fail(Reason("WriteFile", error));
            const DWORD waited = WaitForSingleObject(m_event, static_cast<DWORD>(m_deadline.count()));
            if (waited != WAIT_OBJECT_0) {
                CancelIo(m_handle);
                GetOverlappedResult(m_handle, &overlapped, &written, TRUE);
                return Fail("the device took no bytes for " + SecondsText(m_deadline) + " (is it on line?)");
            }
        }
        if (!GetOverlappedResult(m_handle, &overlapped, &written, FALSE))
            return Fail(Reason("WriteFile", GetLastError()));
        return true;
    }

    bool Fail(std::string problem) {
        m_problem = std::move(problem);
        Close();
        return false;
    }

    void Close() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

    HANDLE m_handle;
    bool m_overlapped;
    bool m_flush;
    std::chrono::milliseconds m_deadline;
    HANDLE m_event = nullptr;
    std::uint64_t m_written = 0;
};

// "COM3" as the file name CreateFile opens: \\.\COM3 (COM10 and above need it).
std::wstring PortFileName(const std::string& port) {
    if (port.rfind("\\\\.\\", 0) == 0) return ToWide(port);
    return ToWide("\\\\.\\" + port);
}

}  // namespace

std::unique_ptr<DeviceLink> OpenSerialPort(const std::string& port, const SerialSettings& settings,
                                           std::chrono::milliseconds deadline, std::string& problem) {
    const HANDLE handle = CreateFileW(PortFileName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        problem = Reason(port, GetLastError());
        return nullptr;
    }
    auto link = std::make_unique<HandleLink>(handle, false, true, deadline);
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(handle, &line)) {
        problem = port + " is no serial port (" + SystemText(GetLastError()) + ")";
        return nullptr;
    }
    line.BaudRate = static_cast<DWORD>(settings.baud);
    line.ByteSize = static_cast<BYTE>(settings.bits);
    line.Parity = settings.parity == SerialParity::Even  ? EVENPARITY
                  : settings.parity == SerialParity::Odd ? ODDPARITY
                                                         : NOPARITY;
    line.fParity = settings.parity != SerialParity::None;
    line.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    line.fBinary = TRUE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fOutxCtsFlow = settings.flow == SerialFlow::RtsCts;
    line.fRtsControl = settings.flow == SerialFlow::RtsCts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    line.fOutX = settings.flow == SerialFlow::XonXoff;
    line.fInX = settings.flow == SerialFlow::XonXoff;
    line.fOutxDsrFlow = FALSE;
    line.fDsrSensitivity = FALSE;
    if (!SetCommState(handle, &line)) {
        problem = port + " does not take " + std::to_string(settings.baud) + " baud with these settings (" +
                  SystemText(GetLastError()) + ")";
        return nullptr;
    }
    DCB set{};
    set.DCBlength = sizeof set;
    if (GetCommState(handle, &set) && set.BaudRate != line.BaudRate) {
        problem = port + " does not take " + std::to_string(settings.baud) + " baud";
        return nullptr;
    }
    // A write may take the time its bytes need at this rate (10 bits a byte, twice over) and the deadline.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(20000 / settings.baud + 1);
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(deadline.count());
    SetCommTimeouts(handle, &timeouts);
    return link;
}

std::vector<UsbPrinter> ListUsbPrinters() {
    return win::ListUsbPrinters(win::SystemWinApi());
}

std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceAddress& address, std::chrono::milliseconds deadline,
                                           std::string& problem) {
    switch (address.kind) {
        case DeviceKind::Socket:
            return OpenSocket(address, deadline, problem);
        case DeviceKind::Serial:
            return OpenSerialPort(address.path, address.serial, deadline, problem);
        case DeviceKind::Usb: {
            std::string path = address.path;
            if (!path.empty() &&
                std::all_of(path.begin(), path.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                const auto printers = ListUsbPrinters();
                const std::size_t index = path.size() > 6 ? printers.size() : std::stoul(path);
                if (index >= printers.size()) {
                    problem = "there is no USB printer usb:" + path + " (" + std::to_string(printers.size()) +
                              " present; qvctl printers lists them)";
                    return nullptr;
                }
                path = printers[index].path;
            }
            const HANDLE handle =
                CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                problem = Reason(path, GetLastError());
                return nullptr;
            }
            return std::make_unique<HandleLink>(handle, true, false, deadline);
        }
        case DeviceKind::File: {
            const HANDLE handle = CreateFileW(ToWide(address.path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                problem = Reason(address.path, GetLastError());
                return nullptr;
            }
            return std::make_unique<HandleLink>(handle, false, false, deadline);
        }
    }
    problem = "unknown kind of device";
    return nullptr;
}

}  // namespace qvset
