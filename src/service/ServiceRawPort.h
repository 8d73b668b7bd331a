#pragma once

#include <sys/socket.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvset {

// A range of client addresses: one address, or a network as ADDRESS/BITS, IPv4 or IPv6.
struct AddressRange {
    int family = AF_INET;                  // AF_INET or AF_INET6
    std::array<std::uint8_t, 16> bytes{};  // the address, 4 or 16 bytes used
    int bits = 32;

    // Reads "192.0.2.7", "192.168.1.0/24", "::1", "fe80::/10". nullopt for anything else.
    static std::optional<AddressRange> Parse(std::string_view text);
};

// Whether a client address is in one of the ranges; an IPv4 address a dual-stack socket gives as
// ::ffff:a.b.c.d counts as the IPv4 one.
bool AddressAllowed(const std::vector<AddressRange>& allowed, const sockaddr* address);
// A client address as the journal writes it ("192.0.2.7", "2001:db8::5").
std::string AddressText(const sockaddr* address);

// One printer's raw TCP port: the printer's name and the port number.
struct RawPort {
    std::string printer;
    int port = 0;
};

// What the operator names for the raw ports (the server's options raw-ports, raw-listen, raw-allow):
//   raw-ports=qv1=9101,qv2=9102        a port per printer
//   raw-listen=192.168.1.5,127.0.0.1   the addresses every port is bound to (default 127.0.0.1)
//   raw-allow=192.168.1.0/24,10.0.0.7  the clients let in (default the loopback addresses only)
struct RawPortOptions {
    std::vector<RawPort> ports;
    std::vector<std::string> listen;
    std::vector<AddressRange> allow;
    // A connection that sends nothing for this long is closed and its bytes dropped.
    std::chrono::milliseconds idleTimeout{std::chrono::seconds(90)};
    // A connection that sends more is closed and its bytes dropped.
    std::uint64_t jobLimit = 2147483647;
};

// Reads the three options (empty texts for the ones not given). nullopt, with the reason naming the
// option and the value, for anything else; no raw-ports means no raw port.
std::optional<RawPortOptions> ParseRawPortOptions(std::string_view ports, std::string_view listen,
                                                  std::string_view allow, std::string& error);

// What a raw port hands on: the printer's name, the client's address and the connection's bytes,
// one job. False when the job could not be made (the connection is then reset).
using RawJobSink = std::function<bool(const std::string& printer, const std::string& client,
                                      std::vector<std::uint8_t>&& document)>;
// What a raw port logs (refused clients, dropped connections).
using RawPortLog = std::function<void(const std::string& line)>;

// The raw ports, each bound to every listen address, served by threads of their own: each
// connection's bytes up to the sender's close are one job of the port's printer; a connection from
// a client no range allows is reset at once, before anything is read; one that sends nothing is no
// job; one that stalls past the idle timeout or grows past the job limit is reset and its bytes dropped.
class RawPortServer {
  public:
    // Binds every port on every address; nullptr, with the reason, when one cannot be bound.
    static std::unique_ptr<RawPortServer> Start(const RawPortOptions& options, RawJobSink sink,
                                                RawPortLog log, std::string& error);
    ~RawPortServer();
    RawPortServer(const RawPortServer&) = delete;
    RawPortServer& operator=(const RawPortServer&) = delete;

    // The bound addresses, as "printer 127.0.0.1:9101".
    std::vector<std::string> Bound() const;

  private:
    struct Impl;
    explicit RawPortServer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace qvset
