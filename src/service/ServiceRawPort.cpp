#include "service/ServiceRawPort.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace qvset {
namespace {

std::vector<std::string_view> SplitList(std::string_view text) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const auto comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        parts.push_back(part);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return parts;
}

std::optional<int> Number(std::string_view text, int lowest, int highest) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

bool InRange(const AddressRange& range, int family, const std::uint8_t* bytes) {
    if (range.family != family) return false;
    int bits = range.bits;
    for (std::size_t i = 0; bits > 0; ++i, bits -= 8) {
        const auto mask = static_cast<std::uint8_t>(bits >= 8 ? 0xFF : 0xFF << (8 - bits));
        if ((range.bytes[i] & mask) != (bytes[i] & mask)) return false;
    }
    return true;
}

}  // namespace

std::optional<AddressRange> AddressRange::Parse(std::string_view text) {
    const auto slash = text.find('/');
    const std::string address(text.substr(0, slash));
    AddressRange range;
    if (inet_pton(AF_INET, address.c_str(), range.bytes.data()) == 1) {
        range.family = AF_INET;
        range.bits = 32;
    } else if (inet_pton(AF_INET6, address.c_str(), range.bytes.data()) == 1) {
        range.family = AF_INET6;
        range.bits = 128;
    } else {
        return std::nullopt;
    }
    if (slash != std::string_view::npos) {
        const auto bits = Number(text.substr(slash + 1), 0, range.bits);
        if (!bits) return std::nullopt;
        range.bits = *bits;
    }
    return range;
}

bool AddressAllowed(const std::vector<AddressRange>& allowed, const sockaddr* address) {
    int family = address->sa_family;
    const std::uint8_t* bytes = nullptr;
    if (family == AF_INET) {
        bytes =
            reinterpret_cast<const std::uint8_t*>(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
    } else if (family == AF_INET6) {
        const auto* in6 = &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        bytes = reinterpret_cast<const std::uint8_t*>(in6);
        if (IN6_IS_ADDR_V4MAPPED(in6)) {
            family = AF_INET;
            bytes += 12;
        }
    } else {
        return false;
    }
    for (const auto& range : allowed) {
        if (InRange(range, family, bytes)) return true;
    }
    return false;
}

std::string AddressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    } else if (address->sa_family == AF_INET6) {
        const auto* in6 = &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(in6))
            inet_ntop(AF_INET, reinterpret_cast<const std::uint8_t*>(in6) + 12, text, sizeof text);
        else
            inet_ntop(AF_INET6, in6, text, sizeof text);
    }
    return text;
}

std::optional<RawPortOptions> ParseRawPortOptions(std::string_view ports, std::string_view listen,
                                                  std::string_view allow, std::string& error) {
    RawPortOptions options;
    for (const auto part : SplitList(ports)) {
        const auto equals = part.find('=');
        const auto port =
            equals == std::string_view::npos ? std::nullopt : Number(part.substr(equals + 1), 1, 65535);
        if (equals == 0 || !port) {
            error =
                "raw-ports takes PRINTER=PORT pairs (qv1=9101,qv2=9102), not \"" + std::string(part) + "\"";
            return std::nullopt;
        }
        for (const auto& other : options.ports) {
            if (other.port == *port || other.printer == part.substr(0, equals)) {
                error = "raw-ports names the port or the printer of \"" + std::string(part) + "\" twice";
                return std::nullopt;
            }
        }
        options.ports.push_back({std::string(part.substr(0, equals)), *port});
    }
    for (const auto part : SplitList(listen.empty() ? std::string_view("127.0.0.1") : listen)) {
        if (!AddressRange::Parse(part) || part.find('/') != std::string_view::npos) {
            error = "raw-listen takes the addresses to listen on (192.168.1.5,::1), not \"" +
                    std::string(part) + "\"";
            return std::nullopt;
        }
        options.listen.emplace_back(part);
    }
    for (const auto part : SplitList(allow.empty() ? std::string_view("127.0.0.0/8,::1") : allow)) {
        auto range = AddressRange::Parse(part);
        if (!range) {
            error = "raw-allow takes client addresses and networks (192.168.1.0/24,10.0.0.7), not \"" +
                    std::string(part) + "\"";
            return std::nullopt;
        }
        options.allow.push_back(*range);
    }
    return options;
}

struct RawPortServer::Impl {
    // What the connection threads share with the server, kept while any of them runs.
    struct Shared {
        RawPortOptions options;
        RawJobSink sink;
        RawPortLog log;
    };
    struct Listener {
        int socket = -1;
        std::string printer;
        std::string bound;
    };
    std::shared_ptr<Shared> shared;
    std::vector<Listener> listeners;
    int stop[2] = {-1, -1};
    std::thread acceptor;

    ~Impl() {
        if (stop[1] >= 0) {
            const char byte = 0;
            [[maybe_unused]] const auto written = ::write(stop[1], &byte, 1);
        }
        if (acceptor.joinable()) acceptor.join();
        for (const auto& listener : listeners) ::close(listener.socket);
        for (const int fd : stop) {
            if (fd >= 0) ::close(fd);
        }
    }

    static void Reset(int fd) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(fd);
    }

    static void Receive(const std::shared_ptr<Shared>& shared, int fd, const std::string& printer,
                        const std::string& client) {
        std::vector<std::uint8_t> document;
        std::uint8_t buffer[65536];
        for (;;) {
            pollfd wait{fd, POLLIN, 0};
            const int ready = ::poll(&wait, 1, static_cast<int>(shared->options.idleTimeout.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0) {
                shared->log("The raw port of " + printer + ": " + client + " sent nothing for " +
                            std::to_string(shared->options.idleTimeout.count() / 1000) +
                            " seconds; its bytes are dropped.");
                Reset(fd);
                return;
            }
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                shared->log("The raw port of " + printer + ": the connection of " + client +
                            " broke off; its bytes are dropped.");
                ::close(fd);
                return;
            }
            if (got == 0) break;
            if (document.size() + static_cast<std::size_t>(got) > shared->options.jobLimit) {
                shared->log("The raw port of " + printer + ": " + client + " sent more than " +
                            std::to_string(shared->options.jobLimit) + " bytes; its bytes are dropped.");
                Reset(fd);
                return;
            }
            document.insert(document.end(), buffer, buffer + got);
        }
        if (document.empty()) {
            ::close(fd);
            return;
        }
        if (!shared->sink(printer, client, std::move(document))) {
            Reset(fd);
            return;
        }
        ::close(fd);
    }

    void Accept() {
        std::vector<pollfd> waits;
        waits.push_back({stop[0], POLLIN, 0});
        for (const auto& listener : listeners) waits.push_back({listener.socket, POLLIN, 0});
        for (;;) {
            if (::poll(waits.data(), waits.size(), -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (waits[0].revents != 0) return;
            for (std::size_t i = 1; i < waits.size(); ++i) {
                if ((waits[i].revents & POLLIN) == 0) continue;
                sockaddr_storage from{};
                socklen_t length = sizeof from;
                const int fd =
                    ::accept4(waits[i].fd, reinterpret_cast<sockaddr*>(&from), &length, SOCK_CLOEXEC);
                if (fd < 0) continue;
                const auto* address = reinterpret_cast<const sockaddr*>(&from);
                const Listener& listener = listeners[i - 1];
                if (!AddressAllowed(shared->options.allow, address)) {
                    shared->log("The raw port of " + listener.printer + " refused " + AddressText(address) +
                                ": no raw-allow range holds it.");
                    Reset(fd);
                    continue;
                }
                std::thread(Receive, shared, fd, listener.printer, AddressText(address)).detach();
            }
        }
    }
};

RawPortServer::RawPortServer(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
RawPortServer::~RawPortServer() = default;

std::unique_ptr<RawPortServer> RawPortServer::Start(const RawPortOptions& options, RawJobSink sink,
                                                    RawPortLog log, std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->shared = std::make_shared<Impl::Shared>(Impl::Shared{options, std::move(sink), std::move(log)});
    for (const auto& port : options.ports) {
        for (const auto& address : options.listen) {
            addrinfo hints{};
            hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* found = nullptr;
            const std::string service = std::to_string(port.port);
            if (::getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
                error = "raw-listen: cannot read the address " + address;
                return nullptr;
            }
            const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const int on = 1;
            if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            if (fd >= 0 && found->ai_family == AF_INET6)
                ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
            const bool bound =
                fd >= 0 && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, 16) == 0;
            const int problem = errno;
            const std::string where =
                (found->ai_family == AF_INET6 ? "[" + address + "]" : address) + ":" + service;
            ::freeaddrinfo(found);
            if (!bound) {
                if (fd >= 0) ::close(fd);
                error = "the raw port of " + port.printer + " cannot be bound to " + where + ": " +
                        std::strerror(problem);
                return nullptr;
            }
            impl->listeners.push_back({fd, port.printer, where});
        }
    }
    if (impl->listeners.empty()) return nullptr;
    if (::pipe2(impl->stop, O_CLOEXEC) != 0) {
        error = std::string("cannot make the raw ports' stop pipe: ") + std::strerror(errno);
        return nullptr;
    }
    Impl* raw = impl.get();
    impl->acceptor = std::thread([raw] { raw->Accept(); });
    return std::unique_ptr<RawPortServer>(new RawPortServer(std::move(impl)));
}

std::vector<std::string> RawPortServer::Bound() const {
    std::vector<std::string> bound;
    for (const auto& listener : m_impl->listeners) bound.push_back(listener.printer + " " + listener.bound);
    return bound;
}

}  // namespace qvset
