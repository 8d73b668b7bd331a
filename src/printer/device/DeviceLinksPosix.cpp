#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#include "printer/device/DeviceLinks.h"
#include "printer/device/SerialSpeed.h"

namespace qvset {
namespace {

using Clock = std::chrono::steady_clock;

// How long a socket's peer is given to close its side once the document is complete.
constexpr std::chrono::milliseconds kPeerCloseWait{2000};
// How often a draining serial port is looked at.
constexpr std::chrono::milliseconds kDrainPoll{10};

std::string SystemReason(std::string_view what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

std::string SecondsText(std::chrono::milliseconds duration) {
    const auto tenths = (duration.count() + 50) / 100;
    return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

int PollTimeout(std::chrono::milliseconds wait) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, 1 << 30));
}

// A device reached through one file descriptor, written without blocking and waited for with poll,
// so that no wait takes longer than the deadline.
class DescriptorLink : public DeviceLink {
  public:
    DescriptorLink(int fd, std::chrono::milliseconds deadline) : m_fd(fd), m_deadline(deadline) {}
    ~DescriptorLink() override { Close(); }
    DescriptorLink(const DescriptorLink&) = delete;
    DescriptorLink& operator=(const DescriptorLink&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t sent = Send(bytes.data() + done, bytes.size() - done);
            if (sent > 0) {
                done += static_cast<std::size_t>(sent);
                m_written += static_cast<std::uint64_t>(sent);
                continue;
            }
            if (sent < 0 && errno == EINTR) continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!WaitFor(POLLOUT)) return false;
                continue;
            }
            return Fail(SystemReason("write", sent < 0 ? errno : EIO));
        }
        return true;
    }

    bool Finish() override {
        const int fd = m_fd;
        m_fd = -1;
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) {
            m_problem = SystemReason("close", errno);
            return false;
        }
        return fd >= 0;
    }

    std::uint64_t Written() const override { return m_written; }

  protected:
    virtual ssize_t Send(const std::uint8_t* data, std::size_t size) { return ::write(m_fd, data, size); }

    // Waits for the descriptor to be ready for `events` at most the deadline; false, with the problem
    // and the link closed, when it is not or the device went away.
    bool WaitFor(short events) {
        pollfd entry{m_fd, events, 0};
        for (;;) {
            const int ready = ::poll(&entry, 1, PollTimeout(m_deadline));
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return Fail(SystemReason("poll", errno));
            if (ready == 0) {
                return Fail("the device took no bytes for " + SecondsText(m_deadline) + " (is it on line?)");
            }
            // A hang-up or error shows in the next write.
            return true;
        }
    }

    bool Fail(std::string problem) {
        m_problem = std::move(problem);
        Close();
        return false;
    }

    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    int m_fd;
    std::chrono::milliseconds m_deadline;
    std::uint64_t m_written = 0;
};

class SocketLink final : public DescriptorLink {
  public:
    using DescriptorLink::DescriptorLink;

    bool Finish() override {
        if (m_fd < 0) return false;
        if (::shutdown(m_fd, SHUT_WR) != 0) return Fail(SystemReason("shutdown", errno));
        // The peer closes once it has the whole document: its close is the answer, a reset the refusal.
        const auto started = Clock::now();
        pollfd entry{m_fd, POLLIN, 0};
        for (;;) {
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
            if (waited >= kPeerCloseWait) break;
            const int ready = ::poll(&entry, 1, PollTimeout(kPeerCloseWait - waited));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;
            char buffer[512];
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got == 0) return DescriptorLink::Finish();
            if (got < 0 && errno != EINTR && errno != EAGAIN) {
                return Fail(errno == ECONNRESET
                                ? "the device reset the connection: it did not take the document"
                                : SystemReason("recv", errno));
            }
        }
        // A peer that keeps its side open has the document once it acknowledged every byte.
        for (auto lastChange = Clock::now();;) {
            int unsent = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &unsent) != 0 || unsent == 0) return DescriptorLink::Finish();
            if (Clock::now() - lastChange >= m_deadline) {
                return Fail(std::to_string(unsent) + " bytes not acknowledged by the device after " +
                            SecondsText(m_deadline));
            }
            std::this_thread::sleep_for(kDrainPoll);
            int now = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &now) == 0 && now < unsent) lastChange = Clock::now();
        }
    }

  protected:
    ssize_t Send(const std::uint8_t* data, std::size_t size) override {
        // A peer gone away must be an error, not SIGPIPE.
        return ::send(m_fd, data, size, MSG_NOSIGNAL);
    }
};

class SerialLink final : public DescriptorLink {
  public:
    using DescriptorLink::DescriptorLink;

    bool Finish() override {
        if (m_fd < 0) return false;
        // A document is not sent while bytes still wait in the driver: wait while they leave, as long as
        // some leave within each deadline.
        for (auto lastChange = Clock::now();;) {
            int waiting = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &waiting) != 0) return Fail(SystemReason("TIOCOUTQ", errno));
            if (waiting == 0) break;
            if (Clock::now() - lastChange >= m_deadline) {
                // Thrown away, so that closing the port does not wait for them too.
                ::tcflush(m_fd, TCOFLUSH);
                return Fail(std::to_string(waiting) + " bytes still wait in the serial driver after " +
                            SecondsText(m_deadline) + " (does the printer's flow control hold them?)");
            }
            std::this_thread::sleep_for(kDrainPoll);
            int now = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &now) == 0 && now < waiting) lastChange = Clock::now();
        }
        if (::tcdrain(m_fd) != 0 && errno != EINTR) return Fail(SystemReason("tcdrain", errno));
        return DescriptorLink::Finish();
    }
};

std::unique_ptr<DeviceLink> OpenSocket(const DeviceAddress& address, std::chrono::milliseconds deadline,
                                       std::string& problem) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    const int resolved = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
    if (resolved != 0) {
        problem = address.host + ": " + ::gai_strerror(resolved);
        return nullptr;
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    problem = "connect: no address";
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        const int fd =
            ::socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, entry->ai_protocol);
        if (fd < 0) {
            problem = SystemReason("socket", errno);
            continue;
        }
        int error = 0;
        if (::connect(fd, entry->ai_addr, entry->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                pollfd waiting{fd, POLLOUT, 0};
                int ready = 0;
                do {
                    ready = ::poll(&waiting, 1, PollTimeout(deadline));
                } while (ready < 0 && errno == EINTR);
                socklen_t length = sizeof error;
                if (ready == 0) {
                    error = ETIMEDOUT;
                } else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                    error = errno;
                }
            }
        }
        if (error == 0) {
            problem.clear();
            return std::make_unique<SocketLink>(fd, deadline);
        }
        ::close(fd);
        problem = error == ETIMEDOUT ? "connect: no answer within " + SecondsText(deadline)
                                     : SystemReason("connect", error);
    }
    return nullptr;
}

// The rates that have a B constant; the others (288000, 345600, 403200) are set by number.
std::optional<speed_t> StandardSpeed(int baud) {
    constexpr std::pair<int, speed_t> kSpeeds[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},
                                                   {9600, B9600},     {19200, B19200},   {38400, B38400},
                                                   {57600, B57600},   {115200, B115200}, {230400, B230400},
                                                   {460800, B460800}, {921600, B921600}};
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) return speed;
    }
    return std::nullopt;
}

tcflag_t CharacterSize(int bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

}  // namespace

std::unique_ptr<DeviceLink> OpenSerialPort(const std::string& port, const SerialSettings& settings,
                                           std::chrono::milliseconds deadline, std::string& problem) {
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = SystemReason(port, errno);
        return nullptr;
    }
    auto link = std::make_unique<SerialLink>(fd, deadline);
    termios line{};
    if (::tcgetattr(fd, &line) != 0) {
        problem = errno == ENOTTY ? port + " is no serial port" : SystemReason(port, errno);
        return nullptr;
    }
    ::cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    line.c_cflag |= CharacterSize(settings.bits);
    if (settings.parity != SerialParity::None) line.c_cflag |= PARENB;
    if (settings.parity == SerialParity::Odd) line.c_cflag |= PARODD;
    if (settings.stopBits == 2) line.c_cflag |= CSTOPB;
    if (settings.flow == SerialFlow::RtsCts) line.c_cflag |= CRTSCTS;
    line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.flow == SerialFlow::XonXoff) line.c_iflag |= IXON | IXOFF;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    const auto standard = StandardSpeed(settings.baud);
    if (standard) ::cfsetspeed(&line, *standard);
    if (::tcsetattr(fd, TCSANOW, &line) != 0) {
        problem = SystemReason(port + ": its line settings", errno);
        return nullptr;
    }
    // Rates such as 288000 have no B constant and are set by number. Every rate is read back: a driver
    // may round a rate it cannot make.
    if ((!standard && !posix::SetSerialSpeed(fd, settings.baud)) || posix::SerialSpeed(fd) != settings.baud) {
        problem = port + " does not take " + std::to_string(settings.baud) + " baud";
        return nullptr;
    }
    return link;
}

std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceAddress& address, std::chrono::milliseconds deadline,
                                           std::string& problem) {
    switch (address.kind) {
        case DeviceKind::Socket:
            return OpenSocket(address, deadline, problem);
        case DeviceKind::Serial:
            return OpenSerialPort(address.path, address.serial, deadline, problem);
        case DeviceKind::Usb:
        case DeviceKind::File: {
            if (address.kind == DeviceKind::Usb && !address.path.empty() && address.path.front() != '/') {
                problem = "a USB printer is named by its device, usb:/dev/usb/lp0";
                return nullptr;
            }
            // Without O_NONBLOCK a FIFO nobody reads would hold the open forever; with it, it is refused.
            const int fd =
                ::open(address.path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644);
            if (fd < 0) {
                problem = errno == ENXIO ? address.path + ": nothing reads from it"
                                         : SystemReason(address.path, errno);
                return nullptr;
            }
            struct stat info {};
            if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
                ::close(fd);
                problem = address.path + " is a folder";
                return nullptr;
            }
            return std::make_unique<DescriptorLink>(fd, deadline);
        }
    }
    problem = "unknown kind of device";
    return nullptr;
}

}  // namespace qvset
