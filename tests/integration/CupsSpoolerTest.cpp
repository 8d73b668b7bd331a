// The raw channel and printer selection against a real CUPS server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "Sandbox.h"
#include "printer/HexCodec.h"
#include "printer/PrintChannel.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/PrinterSelection.h"
#include "printer/cups/CupsSpooler.h"
#include "support/FileBytes.h"
#include "support/RecordingDialogs.h"

namespace qvset {
namespace {

using testing::Sandbox;

class CupsSpoolerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Sandbox::UseClientEnvironment();
        spooler = std::make_unique<CupsSpooler>();
        channel = std::make_unique<PrintChannel>(*spooler, dialogs, std::filesystem::temp_directory_path());
    }

    // Makes `queue` the per-user default through the spooler, as a pick in the printer list does.
    void MakeDefault(const std::string& queue) {
        for (const auto& printer : spooler->ListPrinters()) {
            if (printer.deviceName == queue) spooler->ApplyPrinterChoice(FormatPrinterEntry(printer));
        }
        ASSERT_EQ(spooler->CurrentPrinter(), queue);
    }

    testing::RecordingDialogs dialogs;
    std::unique_ptr<CupsSpooler> spooler;
    std::unique_ptr<PrintChannel> channel;
};

TEST_F(CupsSpoolerTest, ListsTheQueuesWithMakeAndModelAndDeviceUri) {
    const auto printers = spooler->ListPrinters();
    std::vector<std::string> names;
    for (const auto& printer : printers) names.push_back(printer.deviceName);
    EXPECT_EQ(names, (std::vector<std::string>{"Office_Laser", "QV640_Virtual", "QV650_Offline"}));
    // The QV6 queues are virtual printers, the others capture queues.
    for (const auto& printer : printers) {
        const bool virtualPrinter = printer.deviceName.rfind("QV6", 0) == 0;
        EXPECT_EQ(printer.port.rfind(virtualPrinter ? "qvprinter:" : "qvcapture:", 0), 0u) << printer.port;
        EXPECT_FALSE(printer.driverName.empty());
    }
}

TEST_F(CupsSpoolerTest, ApplyingAChoiceChangesWhatCupsResolvesAsTheDefault) {
    MakeDefault("Office_Laser");
    MakeDefault("QV640_Virtual");
    // A second client reads the same per-user default.
    EXPECT_EQ(Sandbox::Shell("lpstat -d | grep -q 'destination: QV640_Virtual'"), 0);
}

TEST_F(CupsSpoolerTest, EveryByteValueArrivesExactlyInOneDocumentNamedAAAAAA) {
    MakeDefault("QV640_Virtual");
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    std::vector<std::uint8_t> all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
    channel->SendHex(EncodeHex(all));
    const auto jobs = Sandbox::WaitForJobs("QV640_Virtual", before + 1);
    ASSERT_EQ(jobs.size(), before + 1);
    EXPECT_EQ(jobs.back().title, "AAAAAA");
    EXPECT_EQ(jobs.back().bytes, all);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(CupsSpoolerTest, OddLengthHexAndGbkTextArriveByteExact) {
    MakeDefault("QV640_Virtual");
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    channel->SendHex("1B4A1");
    channel->SendHex("1B4A15F");
    const std::string text = std::string("\x1B\x3A\x00\x00\x50", 5) + "打印A";
    channel->SendText(text, channel->CharacterLen(text));
    const auto jobs = Sandbox::WaitForJobs("QV640_Virtual", before + 3);
    ASSERT_EQ(jobs.size(), before + 3);
    EXPECT_EQ(EncodeHex(jobs[before].bytes), "1B4A01");
    EXPECT_EQ(EncodeHex(jobs[before + 1].bytes), "1B4A15");
    EXPECT_EQ(EncodeHex(jobs[before + 2].bytes), "1B3A000050B4F2D3A141");
    for (std::size_t i = before; i < jobs.size(); ++i) EXPECT_EQ(jobs[i].title, "AAAAAA");
}

TEST_F(CupsSpoolerTest, TwoSendsGiveTwoJobs) {
    MakeDefault("Office_Laser");
    const auto before = Sandbox::CapturedJobs("Office_Laser").size();
    channel->SendHex("0C");
    channel->SendHex("0A");
    const auto jobs = Sandbox::WaitForJobs("Office_Laser", before + 2);
    ASSERT_EQ(jobs.size(), before + 2);
    EXPECT_NE(jobs[before].id, jobs[before + 1].id);
    EXPECT_EQ(EncodeHex(jobs[before].bytes), "0C");
    EXPECT_EQ(EncodeHex(jobs[before + 1].bytes), "0A");
}

TEST_F(CupsSpoolerTest, MissingPrinterShowsTheMessageAndPrintsNothing) {
    // The jobs of earlier tests are captured first, so that none of them is counted as this test's.
    for (int i = 0;
         i < 200 &&
         spooler->WaitingDocuments("QV640_Virtual") + spooler->WaitingDocuments("Office_Laser") > 0;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const auto before =
        Sandbox::CapturedJobs("QV640_Virtual").size() + Sandbox::CapturedJobs("Office_Laser").size();
    std::vector<std::uint8_t> payload{0x0C};
    for (const char* name : {"No_Such_Queue", "QV640_Virtual_"}) {
        EXPECT_FALSE(spooler->WriteRawDocument(name, kDocumentName, payload)) << name;
        EXPECT_EQ(spooler->LastFault(), SpoolerFault::None) << "the server answered";
    }
    // Through the channel: the message once per document, three sends three messages.
    PrinterOverrideSpooler gone(*spooler, "No_Such_Queue");
    PrintChannel goneChannel(gone, dialogs, std::filesystem::temp_directory_path());
    goneChannel.SendHex("0C");
    goneChannel.SendHex("0A");
    goneChannel.SendText("AB", 2);
    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>(3, "The Printer Name you typed wasn't recognized."));
    EXPECT_EQ(goneChannel.OpenFailures(), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto after =
        Sandbox::CapturedJobs("QV640_Virtual").size() + Sandbox::CapturedJobs("Office_Laser").size();
    EXPECT_EQ(after, before);
    EXPECT_EQ(spooler->WaitingDocuments("No_Such_Queue"), 0);
}

TEST_F(CupsSpoolerTest, AfterAPickEveryDocumentGoesToThePickedPrinterWhateverLpdestSays) {
    ::setenv("LPDEST", "Office_Laser", 1);
    CupsSpooler picked;
    EXPECT_EQ(picked.CurrentPrinter(), "Office_Laser");
    EXPECT_EQ(picked.DefaultOverride(), "LPDEST=Office_Laser");
    for (const auto& printer : picked.ListPrinters()) {
        if (printer.deviceName == "QV640_Virtual") {
            EXPECT_TRUE(picked.ApplyPrinterChoice(FormatPrinterEntry(printer)));
        }
    }
    EXPECT_EQ(picked.CurrentPrinter(), "QV640_Virtual");
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    const auto office = Sandbox::CapturedJobs("Office_Laser").size();
    PrintChannel pickedChannel(picked, dialogs, std::filesystem::temp_directory_path());
    pickedChannel.SendHex("1B40");
    ::unsetenv("LPDEST");
    EXPECT_EQ(EncodeHex(Sandbox::WaitForJobs("QV640_Virtual", before + 1).back().bytes), "1B40");
    EXPECT_EQ(Sandbox::CapturedJobs("Office_Laser").size(), office);
}

// What other programs change between two documents of one spooler decides where the next one goes, in
// CUPS's order: LPDEST, PRINTER (but "lp"), ~/.cups/lpoptions, then the server's default.
TEST_F(CupsSpoolerTest, EveryDocumentGoesToTheDefaultAsItIsAtThatMoment) {
    const std::filesystem::path lpoptions =
        std::filesystem::path(std::getenv("HOME")) / ".cups" / "lpoptions";
    std::filesystem::create_directories(lpoptions.parent_path());
    const std::string serverDefault = "Server_Default";
    ASSERT_EQ(Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " add-queue " + QVSET_SANDBOX_DIR + " " +
                             serverDefault),
              0);
    struct Restore {
        std::string queue;
        std::filesystem::path lpoptions;
        ~Restore() {
            ::unsetenv("LPDEST");
            ::unsetenv("PRINTER");
            std::filesystem::remove(lpoptions);
            // Without the queue that was its default, the server has none again.
            Sandbox::Shell("lpadmin -x " + queue);
        }
    } restore{serverDefault, lpoptions};
    const auto setLpoptions = [&](const std::string& text) {
        std::ofstream(lpoptions, std::ios::binary | std::ios::trunc) << text;
    };
    const auto setVariable = [](const char* name, const char* value) {
        if (value == nullptr) {
            ::unsetenv(name);
        } else {
            ::setenv(name, value, 1);
        }
    };
    struct Step {
        const char* change;
        std::function<void()> make;
        std::string current;  // also the queue the document goes to; empty: no printer
    };
    const std::vector<Step> steps = {
        {"lpoptions names a queue", [&] { setLpoptions("Dest Office_Laser a=b\nDefault QV640_Virtual\n"); },
         "QV640_Virtual"},
        {"lpoptions names another, in other letter case",
         [&] { setLpoptions("Default office_laser/copy copies=2\n"); }, "Office_Laser"},
        {"PRINTER wins over lpoptions", [&] { setVariable("PRINTER", "QV640_Virtual"); }, "QV640_Virtual"},
        {"LPDEST wins over PRINTER", [&] { setVariable("LPDEST", "Office_Laser/duplex"); }, "Office_Laser"},
        {"PRINTER=lp counts for nothing",
         [&] {
             setVariable("LPDEST", nullptr);
             setVariable("PRINTER", "lp");
             setLpoptions("Default QV640_Virtual\n");
         },
         "QV640_Virtual"},
        {"without a local default the server's",
         [&] {
             setVariable("PRINTER", nullptr);
             std::filesystem::remove(lpoptions);
             Sandbox::Shell("lpadmin -d Office_Laser");
         },
         "Office_Laser"},
        {"the server's default changed", [&] { Sandbox::Shell("lpadmin -d " + serverDefault); },
         serverDefault},
        {"lpoptions names a queue the server does not have", [&] { setLpoptions("Default No_Such_Queue\n"); },
         ""},
    };
    std::map<std::string, std::size_t> before;
    for (const std::string queue : {"QV640_Virtual", "Office_Laser", serverDefault.c_str()}) {
        before[queue] = Sandbox::CapturedJobs(queue).size();
    }
    std::map<std::string, std::vector<std::string>> expected;
    std::size_t refused = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].make();
        EXPECT_EQ(spooler->CurrentPrinter(), steps[i].current) << steps[i].change;
        const std::string hex = EncodeHex(std::vector<std::uint8_t>{0x1B, static_cast<std::uint8_t>(i)});
        channel->SendHex(hex);
        if (steps[i].current.empty()) {
            ++refused;
        } else {
            expected[steps[i].current].push_back(hex);
        }
    }
    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>(refused, std::string(kMsgPrinterNotRecognized)));
    for (const auto& [queue, documents] : expected) {
        const auto jobs = Sandbox::WaitForJobs(queue, before[queue] + documents.size());
        std::vector<std::string> arrived;
        for (std::size_t i = before[queue]; i < jobs.size(); ++i) arrived.push_back(EncodeHex(jobs[i].bytes));
        EXPECT_EQ(arrived, documents) << queue;
    }
}

TEST_F(CupsSpoolerTest, DocumentsWaitOnADisabledQueueAndDrainWhenEnabled) {
    const std::string queue = "QV650_Offline";
    ASSERT_EQ(Sandbox::Shell("cupsdisable " + queue), 0);
    MakeDefault(queue);
    channel->SendHex("1B40");
    channel->SendHex("0A");
    EXPECT_EQ(spooler->WaitingDocuments(queue), 2);
    ASSERT_EQ(Sandbox::Shell("cupsenable " + queue), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (spooler->WaitingDocuments(queue) > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(spooler->WaitingDocuments(queue), 0);
    // A virtual printer lists a job once it has drawn it, a moment after the queue let it go.
    EXPECT_GE(Sandbox::WaitForJobs(queue, 2).size(), 2u);
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// A server that takes every request and answers one byte every 100 ms, a whole HTTP answer long;
// after `most` bytes it stops sending and keeps the connection open. It counts what it sent on each
// connection before the client left.
class TricklingServer {
  public:
    explicit TricklingServer(std::size_t most) : m_most(most) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 8);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~TricklingServer() {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    int Port() const { return m_port; }
    std::vector<std::size_t> SentPerConnection() {
        const std::lock_guard lock(m_mutex);
        return m_sent;
    }

  private:
    void Serve() {
        const std::string answer =
            "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: 400\r\n\r\n" +
            std::string(400, '\0');
        while (!m_stop) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) return;
            char buffer[4096];
            ::recv(client, buffer, sizeof buffer, 0);
            std::size_t sent = 0;
            for (; sent < m_most && sent < answer.size() && !m_stop; ++sent) {
                if (::send(client, &answer[sent], 1, MSG_NOSIGNAL) != 1) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                // A client that has gone shows as a readable end of its stream.
                pollfd gone{client, POLLIN, 0};
                if (::poll(&gone, 1, 0) == 1 && ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT) == 0)
                    break;
            }
            // Silent, until the client leaves (or ten seconds pass).
            pollfd wait{client, POLLIN, 0};
            for (int i = 0; i < 100 && !m_stop; ++i) {
                if (::poll(&wait, 1, 100) == 1 && ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT) <= 0)
                    break;
            }
            {
                const std::lock_guard lock(m_mutex);
                m_sent.push_back(sent);
            }
            ::close(client);
        }
    }

    std::size_t m_most;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    std::vector<std::size_t> m_sent;
    std::thread m_thread;
};

// The deadline bounds the whole request: a server that keeps sending a byte now and then is given up
// when the deadline has passed, not when it stops for a whole deadline.
TEST(CupsTricklingServerTest, TheDeadlineBoundsTheWholeAnswerNotEachWait) {
    TricklingServer server(60);
    CupsSpooler spooler("127.0.0.1", server.Port());
    spooler.SetDeadline(std::chrono::milliseconds(1000));
    EXPECT_TRUE(spooler.ListPrinters().empty());
    EXPECT_EQ(spooler.LastFault(), SpoolerFault::Unreachable);
    // The server counts a connection once the client has left it.
    auto sent = server.SentPerConnection();
    for (int i = 0; i < 100 && sent.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sent = server.SentPerConnection();
    }
    ASSERT_FALSE(sent.empty());
    // A byte every 100 ms for one second: about ten bytes, far fewer than the 60 it would send.
    EXPECT_LT(sent.front(), 30u);
}

// A fleet beside a trickling server: the healthy server's printer gets its document, the other row
// says its server could not be reached.
TEST(CupsTricklingServerTest, AFleetBesideATricklingServerServesTheHealthyPrinters) {
    Sandbox::UseClientEnvironment();
    TricklingServer server(400);
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    const auto result =
        Sandbox::RunQvctlWith("QVSET_SPOOLER_DEADLINE=1 QVSET_RECORD=off",
                              "--json --server 127.0.0.1:" + std::to_string(server.Port()) +
                                  " --server \"$CUPS_SERVER\" --printer QV640_Virtual hex 1B40");
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.out.find("\"result\": \"ok\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("the print server could not be reached"), std::string::npos) << result.out;
    EXPECT_EQ(Sandbox::WaitForJobs("QV640_Virtual", before + 1).size(), before + 1);
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// QVSET_SPOOLER_DEADLINE that is no deadline is refused (exit 2), not taken for the default.
TEST(QvctlDeadlineTest, ADeadlineThatIsNoDeadlineIsRefused) {
    Sandbox::UseClientEnvironment();
    for (const char* deadline : {"abc", "0", "-1", "1e3", "3601", "2s"}) {
        const auto result =
            Sandbox::RunQvctlWith("QVSET_SPOOLER_DEADLINE='" + std::string(deadline) + "'", "printers");
        EXPECT_EQ(result.status, 2) << deadline;
        EXPECT_EQ(result.err.rfind("qvctl: QVSET_SPOOLER_DEADLINE=", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("see: qvctl --help"), std::string::npos) << result.err;
    }
    for (const char* deadline : {"2", "0.5", ""}) {
        EXPECT_EQ(Sandbox::RunQvctlWith("QVSET_SPOOLER_DEADLINE='" + std::string(deadline) + "'", "printers")
                      .status,
                  0)
            << deadline;
    }
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// A far-away server: a proxy to the private server that holds back the answer to a Print-Job request
// (the request that carries a RAW document) for `delay`, and passes everything else at once.
class DelayingProxy {
  public:
    DelayingProxy(int serverPort, std::chrono::milliseconds delay)
        : m_serverPort(serverPort), m_delay(delay) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 8);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~DelayingProxy() {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    int Port() const { return m_port; }

  private:
    void Serve() {
        std::vector<std::thread> pairs;
        while (!m_stop) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) break;
            pairs.emplace_back([this, client] { Relay(client); });
        }
        for (auto& pair : pairs) pair.join();
    }
    void Relay(int client) {
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(m_serverPort));
        if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(client);
            ::close(server);
            return;
        }
        bool printJob = false;
        char buffer[65536];
        for (bool open = true; open && !m_stop;) {
            pollfd both[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (::poll(both, 2, 100) <= 0) continue;
            for (int side = 0; side < 2 && open; ++side) {
                if (both[side].revents == 0) continue;
                const ssize_t got = ::recv(both[side].fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    open = false;
                    break;
                }
                const std::string_view bytes(buffer, static_cast<std::size_t>(got));
                if (side == 0 && bytes.find("application/vnd.cups-raw") != std::string_view::npos)
                    printJob = true;
                // The interim "100 Continue" passes: it lets the document go; only the answer is late.
                if (side == 1 && printJob && !bytes.starts_with("HTTP/1.1 100"))
                    std::this_thread::sleep_for(m_delay);
                if (::send(both[1 - side].fd, buffer, static_cast<std::size_t>(got), MSG_NOSIGNAL) != got)
                    open = false;
            }
        }
        ::close(client);
        ::close(server);
    }

    int m_serverPort;
    std::chrono::milliseconds m_delay;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// A document whose answer comes after the deadline may have been printed: the run says so, the record
// keeps it as without an answer, and a later look at the server's jobs finds the job it became.
TEST(CupsFarAwayServerTest, ALateAnswerMayHavePrintedAndTheServersJobSaysWhatBecameOfIt) {
    Sandbox::UseClientEnvironment();
    const std::string port = testing::ReadFileBytes(std::filesystem::path(QVSET_SANDBOX_DIR) / "port");
    DelayingProxy proxy(std::stoi(port), std::chrono::milliseconds(2500));
    const auto state = std::filesystem::temp_directory_path() / ("qvset-late-" + std::to_string(::getpid()));
    const std::string environment = "XDG_STATE_HOME=" + state.string();
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    const auto late = Sandbox::RunQvctlWith(
        environment + " QVSET_SPOOLER_DEADLINE=1",
        "--server 127.0.0.1:" + std::to_string(proxy.Port()) + " --printer QV640_Virtual set paper 58");
    EXPECT_EQ(late.status, 1) << late.err;
    EXPECT_NE(late.err.find("may have been printed"), std::string::npos) << late.err;
    // It was printed all the same.
    EXPECT_EQ(Sandbox::WaitForJobs("QV640_Virtual", before + 1).size(), before + 1);
    for (int i = 0; i < 100; ++i) {
        const auto history = Sandbox::RunQvctlWith(environment, "--printer QV640_Virtual history --json");
        if (history.out.find("\"fate\": \"completed\"") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const auto history = Sandbox::RunQvctlWith(environment, "--printer QV640_Virtual history --json");
    ASSERT_EQ(history.status, 0) << history.err;
    EXPECT_NE(history.out.find("\"fate\": \"completed\""), std::string::npos) << history.out;
    EXPECT_EQ(history.out.find("\"job\": null"), std::string::npos) << history.out;
    std::filesystem::remove_all(state);
}

}  // namespace
}  // namespace qvset
