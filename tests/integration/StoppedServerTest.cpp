// A print server that stops while the program runs: the connection kept open from the documents
// before it breaks, and the next document must be reported as a server that cannot be reached, not as
// an unknown printer; once the server is back the documents go through again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Sandbox.h"
#include "printer/HexCodec.h"
#include "printer/PrintChannel.h"
#include "printer/PrinterSelection.h"
#include "printer/cups/CupsSpooler.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;

const std::string kSpareQueue = "Spare_Laser";
const std::string kUnreachableSaid = "打印服务器无法连接或没有应答，未发送";

// A private server of this test's own, which it may stop and start without disturbing the others.
class OwnServer {
  public:
    OwnServer() = default;
    ~OwnServer() { Stop(); }
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    // Starts the server with the one capture queue; a restart begins with empty captures and no
    // per-user default, at the same socket.
    bool Start() {
        return Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " start '" + Dir().string() + "' " +
                              kSpareQueue + " >/dev/null") == 0;
    }
    void Stop() { Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " stop '" + Dir().string() + "'"); }

    // Points this process at the server, as Sandbox::UseClientEnvironment does for the shared one.
    void UseClientEnvironment() const {
        std::ifstream env(Dir() / "client.env");
        std::string line;
        while (std::getline(env, line)) {
            const auto equals = line.find('=');
            if (equals != std::string::npos) {
                ::setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);
            }
        }
        ::unsetenv("LPDEST");
        ::unsetenv("PRINTER");
    }

    std::vector<std::string> Arrived(std::size_t count) const {
        std::vector<std::string> hex;
        for (const auto& job :
             testing::WaitForCapturedJobs(Dir() / "capture" / kSpareQueue, count, std::chrono::seconds(10))) {
            hex.push_back(EncodeHex(job.bytes));
        }
        return hex;
    }

  private:
    const fs::path& Dir() const { return m_dir.Path(); }

    testing::TestFolder m_dir{"qvset-own-cups-"};
};

// Makes the queue the printer of later documents: the window's pick does this at start-up.
void Pick(Spooler& spooler) {
    for (const auto& printer : spooler.ListPrinters()) {
        if (printer.deviceName == kSpareQueue) spooler.ApplyPrinterChoice(FormatPrinterEntry(printer));
    }
}

TEST(StoppedServer, TheNextDocumentIsReportedAsAServerThatCannotBeReached) {
    // libcups keeps the server and client folders it first read: one server, started afresh per row.
    OwnServer server;
    // The printer picked in this process, or the per-user default read from the server each time.
    for (const bool picked : {true, false}) {
        SCOPED_TRACE(picked ? "picked printer" : "per-user default");
        ASSERT_TRUE(server.Start());
        server.UseClientEnvironment();
        CupsSpooler spooler;
        testing::RecordingDialogs dialogs;
        PrintChannel channel(spooler, dialogs, fs::temp_directory_path());
        if (picked) {
            Pick(spooler);
        } else {
            CupsSpooler other;  // writes lpoptions; this spooler still asks the server every time
            Pick(other);
        }
        channel.SendHex("1B40");
        EXPECT_TRUE(dialogs.MessageTexts().empty());
        EXPECT_EQ(server.Arrived(1), std::vector<std::string>{"1B40"});

        server.Stop();
        channel.SendHex("0A");
        EXPECT_EQ(spooler.WaitingDocuments(kSpareQueue), 0);
        EXPECT_EQ(spooler.LastFault(), SpoolerFault::Unreachable);
        channel.SendHex("0B");
        EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{kUnreachableSaid, kUnreachableSaid}));

        ASSERT_TRUE(server.Start());
        if (!picked) {
            CupsSpooler other;
            Pick(other);
        }
        channel.SendHex("0C");
        EXPECT_EQ(dialogs.MessageTexts().size(), 2u);
        EXPECT_EQ(server.Arrived(1), std::vector<std::string>{"0C"});
    }
}

}  // namespace
}  // namespace qvset
