#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <optional>
#include <string>

#include "decode/backend/JobFolder.h"

namespace qvset {

// What qvprinter-listen serves and its bounds.
struct ListenOptions {
    std::filesystem::path folder;
    std::string address = "127.0.0.1";  // loopback unless told otherwise
    std::string port = "9100";          // the raw port of network printers (AppSocket, JetDirect)
    // A connection that sends nothing for this long is closed: a sender that stalls never holds a
    // place for ever.
    std::chrono::milliseconds idleTimeout{std::chrono::seconds(90)};
    // A connection that sends more is closed: the largest document qvctl sends (the channel's count).
    std::uint64_t jobLimit = 2147483647;
    // At most this many connections are served at once; a new one beyond them sheds the connection
    // idle longest (reset, so that its sender sees its job was not taken), or waits in the system's
    // queue of the port while every one is busy.
    std::size_t mostConnections = 64;
};

// A virtual printer's folder served on a TCP port, as a network printer's raw port: each connection's
// bytes, up to the sender's close, are one job, numbered and listed in the folder (QueueNumberedVirtualJob)
// when the connection ends, so that jobs follow the order their connections ended; the drawer then
// records them as it records the CUPS backend's jobs. A connection that sends nothing is no job; one
// that stalls past the idle timeout, grows past the job limit, or is reset by its sender is closed and
// its bytes dropped, with a line in the folder's qvprinter.log and on standard error. A job that cannot
// be stored (a full disk) is dropped, logged, and its connection reset, so that the sender sees the failure.
class JobListener {
  public:
    // Opens the folder (with the folder rules of every way in), finds the drawer and binds the port.
    // Refused, with the reason, when any of them fails.
    static std::optional<JobListener> Open(const ListenOptions& options, std::string& error);

    JobListener(JobListener&& other) noexcept;
    JobListener& operator=(JobListener&&) = delete;
    JobListener(const JobListener&) = delete;
    JobListener& operator=(const JobListener&) = delete;
    ~JobListener();

    // The address and port bound, as "127.0.0.1:9100" or "[::1]:9100" (the port the system chose for 0).
    std::string Bound() const;

    // Serves until SIGINT, SIGTERM or SIGHUP. Then it stops accepting (the connections already in the
    // port's queue are taken in first), takes the job of every connection whose sender closes within
    // kStopGrace, and resets the others and those that sent nothing, so that no sender sees a clean
    // end for bytes that are no job. Jobs listed and not yet drawn are left to a drawer that outlives
    // the listener.
    void Serve();

    static constexpr std::chrono::seconds kStopGrace{5};

  private:
    struct Connection;
    JobListener(const ListenOptions& options, JobFolder folder, std::filesystem::path drawer, int socket);

    void Accept();
    // Reads what a connection has; false when it ended (its job taken or dropped) and is closed.
    bool Receive(Connection& connection);
    void TakeJob(Connection& connection);
    void Drop(Connection& connection, const std::string& why, bool reset);
    void RequestDrawing();
    // At the connection limit with a new connection waiting: resets the connection idle longest.
    void ShedIdlest();
    // Connections that sent nothing are counted and said in one line a minute at most.
    void CountEmpty(bool sayNow);
    void Drain();
    void ReapDrawer();
    void Log(const std::string& line) const;

    ListenOptions m_options;
    JobFolder m_folder;
    std::filesystem::path m_drawer;
    int m_socket;
    std::list<Connection> m_connections;
    std::uint64_t m_accepted = 0;
    std::uint64_t m_empty = 0;  // connections that sent nothing, not yet said
    std::chrono::steady_clock::time_point m_emptySaid{};
    pid_t m_drawing = -1;      // the drawer running, if any
    bool m_drawAgain = false;  // a job was listed while it ran
};

}  // namespace qvset
