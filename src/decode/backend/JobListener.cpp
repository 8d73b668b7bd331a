#include "decode/backend/JobListener.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>
#include <utility>
#include <vector>

#include "decode/backend/DrawerProcess.h"
#include "decode/backend/JobQueue.h"

namespace qvset {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kLogFile = "qvprinter.log";
constexpr std::size_t kReadBytes = 65536;

volatile sig_atomic_t g_stop = 0;

extern "C" void NoteStop(int) {
    g_stop = 1;
}
// SIGCHLD only has to interrupt the wait: the drawer is reaped after it.
extern "C" void NoteChild(int) {}

// "host:port" of a socket address, IPv6 hosts in brackets.
std::string AddressText(const sockaddr* address, socklen_t length) {
    char host[NI_MAXHOST] = {};
    char port[NI_MAXSERV] = {};
    if (::getnameinfo(address, length, host, sizeof host, port, sizeof port,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    const std::string name(host);
    return (name.find(':') != std::string::npos ? "[" + name + "]" : name) + ":" + port;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string Seconds(std::chrono::milliseconds duration) {
    const auto count = duration.count();
    if (count % 1000 == 0) return std::to_string(count / 1000) + " s";
    return std::to_string(count) + " ms";
}

// Ends a connection with a reset instead of an orderly close: the sender's write or wait fails, so it
// knows its job was not taken.
void Reset(int fd) {
    const linger abort{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

}  // namespace

struct JobListener::Connection {
    int fd;
    std::string peer;
    std::optional<JobFolder::NewFile> bytes;  // made with the first byte
    std::uint64_t size = 0;
    Clock::time_point lastHeard;
};

JobListener::JobListener(const ListenOptions& options, JobFolder folder, std::filesystem::path drawer,
                         int socket)
    : m_options(options), m_folder(std::move(folder)), m_drawer(std::move(drawer)), m_socket(socket) {}

JobListener::JobListener(JobListener&& other) noexcept
    : m_options(std::move(other.m_options)),
      m_folder(std::move(other.m_folder)),
      m_drawer(std::move(other.m_drawer)),
      m_socket(other.m_socket),
      m_connections(std::move(other.m_connections)),
      m_accepted(other.m_accepted),
      m_drawing(other.m_drawing),
      m_drawAgain(other.m_drawAgain) {
    other.m_socket = -1;
    other.m_drawing = -1;
}

JobListener::~JobListener() {
    for (auto& connection : m_connections) ::close(connection.fd);
    if (m_socket >= 0) ::close(m_socket);
}

std::optional<JobListener> JobListener::Open(const ListenOptions& options, std::string& error) {
    auto folder = OpenVirtualPrinterFolder(options.folder, error);
    if (!folder) return std::nullopt;
    auto drawer = FindDrawer();
    if (!drawer) {
        error = "qvprinter-draw is missing beside qvprinter-listen and in lib/qvset";
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int status = ::getaddrinfo(options.address.c_str(), options.port.c_str(), &hints, &found);
        status != 0) {
        error =
            "cannot listen on " + options.address + " port " + options.port + ": " + ::gai_strerror(status);
        return std::nullopt;
    }
    int socket = -1;
    std::string reason = "no address";
    for (const addrinfo* candidate = found; candidate != nullptr && socket < 0;
         candidate = candidate->ai_next) {
        socket = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          candidate->ai_protocol);
        if (socket < 0) continue;
        const int on = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(socket, candidate->ai_addr, candidate->ai_addrlen) != 0 ||
            ::listen(socket, SOMAXCONN) != 0) {
            reason = std::strerror(errno);
            ::close(socket);
            socket = -1;
        }
    }
    ::freeaddrinfo(found);
    if (socket < 0) {
        error = "cannot listen on " + options.address + " port " + options.port + ": " + reason;
        return std::nullopt;
    }
    folder->RemoveStaleTemporaries();
    return JobListener(options, std::move(*folder), std::move(*drawer), socket);
}

std::string JobListener::Bound() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "?";
    return AddressText(reinterpret_cast<const sockaddr*>(&address), length);
}

void JobListener::Log(const std::string& line) const {
    const std::string entry = UtcNow() + " qvprinter-listen: " + line + "\n";
    std::cerr << entry << std::flush;
    std::string error;
    if (!m_folder.AppendLine(kLogFile, entry, error)) std::cerr << "qvprinter-listen: " << error << "\n";
}

void JobListener::Serve() {
    // The signals that end the server and report a drawer's end are blocked but while waiting, so that
    // none is lost between a check and the wait.
    sigset_t handled;
    sigemptyset(&handled);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&handled, signal);
    sigset_t waiting;
    ::sigprocmask(SIG_BLOCK, &handled, &waiting);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigdelset(&waiting, signal);
    struct sigaction stop {};
    stop.sa_handler = NoteStop;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &stop, nullptr);
    struct sigaction child {};
    child.sa_handler = NoteChild;
    child.sa_flags = SA_NOCLDSTOP;
    ::sigaction(SIGCHLD, &child, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    // Jobs a listener or drawer before this one left listed are drawn first.
    std::string listError;
    if (!PendingJobs(m_folder, listError).empty()) RequestDrawing();

    std::vector<pollfd> watched;
    while (g_stop == 0) {
        watched.clear();
        // The port is watched while full too: a new connection then sheds the one idle longest.
        const bool room = true;
        watched.push_back({m_socket, POLLIN, 0});
        auto wait = std::chrono::milliseconds(-1);
        const auto now = Clock::now();
        for (const auto& connection : m_connections) {
            watched.push_back({connection.fd, POLLIN, 0});
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                connection.lastHeard + m_options.idleTimeout - now);
            const auto until = std::max(left, std::chrono::milliseconds(0)) + std::chrono::milliseconds(1);
            if (wait.count() < 0 || until < wait) wait = until;
        }
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(wait.count() / 1000);
        timeout.tv_nsec = static_cast<long>(wait.count() % 1000) * 1000000L;
        const int ready =
            ::ppoll(watched.data(), watched.size(), wait.count() < 0 ? nullptr : &timeout, &waiting);
        ReapDrawer();
        if (ready < 0) continue;  // a signal
        std::size_t at = 0;
        if (room && (watched[at++].revents & POLLIN) != 0) {
            if (m_connections.size() >= m_options.mostConnections) ShedIdlest();
            if (m_connections.size() < m_options.mostConnections) Accept();
        }
        // The connections polled are the first ones of the list: accepted ones come after them.
        auto connection = m_connections.begin();
        for (; at < watched.size(); ++at) {
            const bool ended = watched[at].revents != 0 && !Receive(*connection);
            connection = ended ? m_connections.erase(connection) : std::next(connection);
        }
        const auto checked = Clock::now();
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (checked - it->lastHeard < m_options.idleTimeout) {
                ++it;
                continue;
            }
            if (it->size == 0) {
                ::close(it->fd);
                ++m_empty;
            } else {
                Drop(*it, "sent nothing for " + Seconds(m_options.idleTimeout), false);
            }
            it = m_connections.erase(it);
        }
        CountEmpty(false);
    }
    Drain();
    CountEmpty(true);
    // A job listed while the last drawer ran may have come after its last round: one more drawer, which
    // waits for that one and outlives the listener.
    ReapDrawer();
    if (m_drawAgain) StartDrawer(m_drawer, m_folder.Path(), DrawerMode::Detached);
    ::sigprocmask(SIG_SETMASK, &waiting, nullptr);
}

void JobListener::Drain() {
    // Every connection already in the port's queue is taken in; then nothing more is accepted.
    for (;;) {
        const std::size_t before = m_connections.size();
        Accept();
        if (m_connections.size() == before) break;
    }
    ::close(m_socket);
    m_socket = -1;
    // The connections whose senders have sent everything end with their close: their jobs are kept.
    const auto until = Clock::now() + std::chrono::milliseconds(kStopGrace);
    std::vector<pollfd> watched;
    while (!m_connections.empty() && Clock::now() < until) {
        watched.clear();
        for (const auto& connection : m_connections) watched.push_back({connection.fd, POLLIN, 0});
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (::poll(watched.data(), watched.size(),
                   static_cast<int>(std::max<std::int64_t>(1, left.count()))) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        auto connection = m_connections.begin();
        for (std::size_t at = 0; at < watched.size(); ++at) {
            const bool ended = watched[at].revents != 0 && !Receive(*connection);
            connection = ended ? m_connections.erase(connection) : std::next(connection);
        }
    }
    // The rest are reset: their senders must not see a clean end for bytes that are no job.
    for (auto& connection : m_connections) {
        if (connection.size > 0) {
            Drop(connection, "was still open when the listener stopped", true);
        } else {
            Reset(connection.fd);
            ::close(connection.fd);
            ++m_empty;
        }
    }
    m_connections.clear();
}

void JobListener::ShedIdlest() {
    auto idlest = m_connections.end();
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        // Those that sent nothing go first; among equals, the one heard from longest ago.
        if (idlest == m_connections.end() || (it->size == 0 && idlest->size > 0) ||
            ((it->size == 0) == (idlest->size == 0) && it->lastHeard < idlest->lastHeard))
            idlest = it;
    }
    if (idlest == m_connections.end()) return;
    if (idlest->size == 0) {
        Reset(idlest->fd);
        ::close(idlest->fd);
        ++m_empty;
    } else {
        Drop(*idlest,
             "was shed for a new connection at the limit of " + std::to_string(m_options.mostConnections) +
                 " connections",
             true);
    }
    m_connections.erase(idlest);
}

void JobListener::CountEmpty(bool sayNow) {
    if (m_empty == 0) return;
    const auto now = Clock::now();
    if (!sayNow && now - m_emptySaid < std::chrono::minutes(1)) return;
    Log(std::to_string(m_empty) + (m_empty == 1 ? " connection" : " connections") + " sent nothing and " +
        (m_empty == 1 ? "was" : "were") + " closed");
    m_empty = 0;
    m_emptySaid = now;
}

void JobListener::Accept() {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int fd =
        ::accept4(m_socket, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // the sender gave up already, or no descriptor is free: it waits in the queue
    ++m_accepted;
    m_connections.push_back(Connection{fd, AddressText(reinterpret_cast<const sockaddr*>(&address), length),
                                       std::nullopt, 0, Clock::now()});
}

bool JobListener::Receive(Connection& connection) {
    char buffer[kReadBytes];
    const ssize_t got = ::read(connection.fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
    if (got < 0) {
        Drop(connection, std::string("was broken off by the sender (") + std::strerror(errno) + ")", false);
        return false;
    }
    if (got == 0) {
        TakeJob(connection);
        return false;
    }
    connection.lastHeard = Clock::now();
    const auto count = static_cast<std::uint64_t>(got);
    if (connection.size + count > m_options.jobLimit) {
        connection.size += count;
        Drop(connection, "sent more than the job limit of " + std::to_string(m_options.jobLimit) + " bytes",
             true);
        return false;
    }
    if (!connection.bytes) {
        connection.bytes.emplace(m_folder.Create("connection-" + std::to_string(m_accepted) + "-" +
                                                 std::to_string(connection.fd)));
    }
    errno = 0;
    if (!connection.bytes->Write(std::string_view(buffer, static_cast<std::size_t>(got)))) {
        Drop(connection, std::string("could not be stored: ") + std::strerror(errno), true);
        return false;
    }
    connection.size += count;
    return true;
}

void JobListener::TakeJob(Connection& connection) {
    if (connection.size == 0) {
        ::close(connection.fd);  // a look at the port, no job
        ++m_empty;
        return;
    }
    std::string error;
    const auto id = QueueNumberedVirtualJob(m_folder, *connection.bytes, connection.peer, error);
    if (!id) {
        Drop(connection, "could not be stored: " + error, true);
        return;
    }
    ::close(connection.fd);
    std::cout << "job " << *id << ": " << connection.size << " bytes from " << connection.peer << std::endl;
    RequestDrawing();
}

void JobListener::Drop(Connection& connection, const std::string& why, bool reset) {
    Log("the connection from " + connection.peer + " " + why + "; closed after " +
        std::to_string(connection.size) + " bytes, which are no job");
    if (reset) Reset(connection.fd);
    ::close(connection.fd);
    connection.bytes.reset();  // removes its temporary file
}

void JobListener::RequestDrawing() {
    if (m_drawing > 0) {
        m_drawAgain = true;
        return;
    }
    m_drawAgain = false;
    m_drawing = StartDrawer(m_drawer, m_folder.Path(), DrawerMode::Detached);
    if (m_drawing < 0) Log("cannot start " + m_drawer.string() + ": " + std::strerror(errno));
}

void JobListener::ReapDrawer() {
    if (m_drawing <= 0) return;
    int status = 0;
    if (::waitpid(m_drawing, &status, WNOHANG) != m_drawing) return;
    m_drawing = -1;
    // The drawer logs its own failures; a job listed while it ran may have come after its last round.
    if (m_drawAgain) RequestDrawing();
}

}  // namespace qvset
