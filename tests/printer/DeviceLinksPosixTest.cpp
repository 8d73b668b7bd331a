// The POSIX devices for real: files and FIFOs, TCP connections that close, reset or refuse, and serial
// ports on pseudo-terminals with their rates.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "printer/device/DeviceLinks.h"
#include "printer/device/SerialSpeed.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

constexpr std::chrono::milliseconds kDeadline{2000};

const std::vector<std::uint8_t> kDocument{0x1B, 0x42, 0x05, 0x51, 0x56, 0x0A};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DeviceAddress Parsed(const std::string& uri) {
    std::string problem;
    auto address = ParseDeviceUri(uri, problem);
    EXPECT_TRUE(address) << uri << ": " << problem;
    return address.value_or(DeviceAddress{});
}

// Writes one document on a freshly opened link; the problem when a step failed.
std::string Send(const std::string& uri, const std::vector<std::uint8_t>& bytes) {
    std::string problem;
    WriteDeviceDocument(OpenDeviceLink, Parsed(uri), bytes, kDeadline, problem);
    return problem;
}

TEST(DeviceLinksPosix, AFileGetsEachDocumentAtItsEnd) {
    testing::TestFolder folder{"qvset-links-"};
    const auto path = folder.Path() / "out.prn";
    EXPECT_EQ(Send(path.string(), kDocument), "");
    EXPECT_EQ(Send("file:" + path.string(), {0x0C}), "");
    EXPECT_EQ(ReadAll(path), std::string("\x1B\x42\x05QV\n\x0C", 7));
}

TEST(DeviceLinksPosix, WhatCannotTakeADocumentIsRefusedAtOnce) {
    testing::TestFolder folder{"qvset-links-"};
    const auto fifo = folder.Path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Row {
        std::string uri;
        std::string problem;
    };
    const std::vector<Row> rows = {
        {fifo.string(), "nothing reads from it"},
        {folder.Path().string(), "Is a directory"},
        {(folder.Path() / "no" / "such").string(), "No such file or directory"},
        {"serial:/dev/null", "/dev/null is no serial port"},
        {"serial:" + (folder.Path() / "ttyNone").string(), "No such file or directory"},
        {"usb:7", "a USB printer is named by its device"},
    };
    for (const auto& row : rows) {
        const auto started = std::chrono::steady_clock::now();
        const std::string problem = Send(row.uri, kDocument);
        EXPECT_NE(problem.find(row.problem), std::string::npos) << row.uri << ": " << problem;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << row.uri;
    }
}

// A TCP port on the loopback that takes one connection and answers it as `answer` says.
class Listener {
  public:
    // ResetAtTheEnd: takes the whole document, then refuses it (a printer that could not store it).
    enum class Answer { CloseAfterAll, ResetAfterSome, ResetAtTheEnd };

    explicit Listener(Answer answer) {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        ::listen(m_socket, 1);
        m_thread = std::thread([this, answer] {
            const int peer = ::accept(m_socket, nullptr, nullptr);
            char buffer[4096];
            for (;;) {
                const ssize_t got = ::recv(peer, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                m_received.append(buffer, static_cast<std::size_t>(got));
                if (answer == Answer::ResetAfterSome) break;
            }
            if (answer != Answer::CloseAfterAll) {
                const linger abort{1, 0};
                ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            }
            ::close(peer);
        });
    }
    ~Listener() {
        if (m_thread.joinable()) m_thread.join();
        ::close(m_socket);
    }
    int Port() const { return m_port; }
    std::string Received() {
        if (m_thread.joinable()) m_thread.join();
        return m_received;
    }

  private:
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
    std::string m_received;
};

TEST(DeviceLinksPosix, ASocketDocumentIsTakenWhenThePeerClosesAndRefusedWhenItResets) {
    {
        Listener listener(Listener::Answer::CloseAfterAll);
        EXPECT_EQ(Send("socket://127.0.0.1:" + std::to_string(listener.Port()), kDocument), "");
        EXPECT_EQ(listener.Received(), std::string(kDocument.begin(), kDocument.end()));
    }
    {
        Listener listener(Listener::Answer::ResetAfterSome);
        // More than the peer reads before it resets: the reset shows in a write or in the wait for the close.
        const std::vector<std::uint8_t> large(4 * 1024 * 1024, 0x55);
        const std::string problem = Send("socket://localhost:" + std::to_string(listener.Port()), large);
        EXPECT_TRUE(problem.find("reset") != std::string::npos ||
                    problem.find("Broken pipe") != std::string::npos)
            << problem;
    }
    {
        Listener listener(Listener::Answer::ResetAtTheEnd);
        EXPECT_EQ(Send("socket://127.0.0.1:" + std::to_string(listener.Port()), kDocument),
                  "the device reset the connection: it did not take the document");
        EXPECT_EQ(listener.Received(), std::string(kDocument.begin(), kDocument.end()));
    }
}

TEST(DeviceLinksPosix, ARefusedOrUnknownHostIsSaidAsSuch) {
    int port = 0;
    {
        Listener closed(Listener::Answer::CloseAfterAll);
        port = closed.Port();
        // Take its one connection so that its thread ends, then the port is closed.
        EXPECT_EQ(Send("socket://127.0.0.1:" + std::to_string(port), {0x0A}), "");
    }
    EXPECT_EQ(Send("socket://127.0.0.1:" + std::to_string(port), kDocument), "connect: Connection refused");
    EXPECT_NE(Send("socket://no-such-host.invalid", kDocument).find("no-such-host.invalid: "),
              std::string::npos);
}

class PseudoTerminal {
  public:
    PseudoTerminal() {
        char name[256] = {};
        EXPECT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
        m_name = name;
    }
    ~PseudoTerminal() {
        CloseMaster();
        if (m_slave >= 0) ::close(m_slave);
    }
    const std::string& Name() const { return m_name; }
    int Slave() const { return m_slave; }
    void CloseMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }
    // What arrived at the printer's end, up to `size` bytes.
    std::string Read(std::size_t size) {
        std::string got;
        pollfd entry{m_master, POLLIN, 0};
        char buffer[512];
        while (got.size() < size && ::poll(&entry, 1, 1000) > 0) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_name;
};

TEST(DeviceLinksPosix, ASerialPortIsSpokenToAtItsRateAndKeepsIt) {
    for (const int baud : {9600, 19200, 115200, 288000, 345600, 403200}) {
        PseudoTerminal line;
        EXPECT_EQ(Send("serial:" + line.Name() + "?baud=" + std::to_string(baud), kDocument), "") << baud;
        EXPECT_EQ(line.Read(kDocument.size()), std::string(kDocument.begin(), kDocument.end())) << baud;
        // The rate stays on the line for whoever looks, as the printer's end would hear it.
        EXPECT_EQ(posix::SerialSpeed(line.Slave()), baud);
    }
}

TEST(DeviceLinksPosix, ASerialPortThatVanishesFailsTheDocument) {
    PseudoTerminal line;
    std::string problem;
    auto link = OpenSerialPort(line.Name(), SerialSettings{}, kDeadline, problem);
    ASSERT_TRUE(link) << problem;
    line.CloseMaster();
    EXPECT_FALSE(link->Write(kDocument) && link->Finish());
    EXPECT_NE(link->Problem().find("Input/output error"), std::string::npos) << link->Problem();
}

}  // namespace
}  // namespace qvset
