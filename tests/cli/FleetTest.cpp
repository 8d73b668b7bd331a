// One command on many printers of many print servers: which printers a choice names, that each one
// gets what a run of its own would send it, in order, and that the report and the exit status say
// what each one took, whatever the others did.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "cli/ArgumentParsing.h"
#include "cli/CommandLine.h"
#include "fleet/FleetRun.h"
#include "fleet/FleetTargets.h"
#include "printer/ForwardingSpooler.h"
#include "printer/HexCodec.h"
#include "record/RecordBook.h"
#include "support/QvctlFixture.h"
#include "support/SequenceLog.h"

namespace qvset {
namespace {

using Names = std::vector<std::string>;

TEST(PrinterPatternTest, ShellPatternsMatchWholeNames) {
    struct Case {
        std::string pattern;
        std::string name;
        bool matches;
    };
    const Case cases[] = {
        {"QV6*", "QV640_Front", true},  {"QV6*", "qv640", false},
        {"QV6*", "AQV640", false},      {"*", "", true},
        {"QV6?0", "QV650", true},       {"QV6?0", "QV6500", false},
        {"QV6[45]0*", "QV650_B", true}, {"QV6[45]0*", "QV660_B", false},
        {"QV6[!4]0", "QV640", false},   {"QV6[!4]0", "QV650", true},
        {"QV6[0-9]0", "QV670", true},   {"*_Back", "QV650_Back", true},
        {"*a*b*", "xxaxxbxx", true},    {"*a*b", "xxaxxbxc", false},
        {"QV[6", "QV[6", true},         {"[]]x", "]x", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesPrinterPattern(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
    }
}

TEST(ChooseTargetsTest, ServersInOrderPrintersInArgumentOrderEachOnceProblemsLast) {
    const std::vector<ServerPrinters> servers{
        {true, {"QV640_A", "Laser", "QV650_B"}, {}},
        {false, {}, {}},
        {true, {"QV650_C", "QV640_A"}, {}},
    };
    const auto targets = ChooseTargets(servers, {"QV650_B", "QV6*", "QV650_B", "Ghost", "Z*", "Ghost"});
    std::vector<std::string> rows;
    for (const auto& t : targets) {
        rows.push_back((t.server == kNoServer ? std::string("-") : std::to_string(t.server)) + " " +
                       t.printer + (t.problem.empty() ? "" : " : " + t.problem));
    }
    EXPECT_EQ(rows, (Names{"0 QV650_B", "0 QV640_A", "1  : " + std::string(kProblemServerUnreachable),
                           "2 QV650_C", "2 QV640_A", "- Ghost : " + std::string(kProblemNoSuchPrinter),
                           "- Z* : " + std::string(kProblemNoMatch)}));

    // Without printer arguments, each server's current printer.
    const auto current = ChooseTargets({{true, {"A", "B"}, "B"}, {true, {"C"}, ""}}, {});
    ASSERT_EQ(current.size(), 2u);
    EXPECT_EQ(current[0].printer, "B");
    EXPECT_EQ(current[1].problem, kProblemNoCurrentPrinter);
}

TEST(FleetRunTest, PrintersInFlightGrowWithTheServersUpToTheLimitAndAPerServerBound) {
    struct Case {
        std::vector<std::size_t> printersOfServer;
        FleetLimits limits;
        std::size_t inFlight;
    };
    const Case cases[] = {
        {{4, 4, 4}, {4, 128}, 12}, {{4, 4, 4}, {4, 5}, 5}, {{50}, {4, 128}, 4},
        {{1, 1, 1, 1}, {4, 2}, 2}, {{0, 2}, {4, 128}, 2},  {{3}, {0, 0}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<std::size_t>> tasks;
        for (std::size_t count : c.printersOfServer) tasks.emplace_back(count, 0);
        EXPECT_EQ(PrintersInFlight(tasks, c.limits), c.inFlight)
            << c.limits.perServer << "/" << c.limits.total;
    }
}

TEST(FleetRunTest, EachServersTasksRunInTheirOrderWithNoMoreWorkersThanItsBound) {
    std::vector<std::vector<std::size_t>> tasks{{0, 1, 2, 3, 4, 5}, {6, 7}, {8}};
    std::mutex lock;
    std::vector<std::vector<std::size_t>> started(3);
    std::vector<int> running(3, 0);
    std::vector<int> most(3, 0);
    int workers = 0;
    RunByServer(tasks, {2, 8}, [&](std::size_t s) -> FleetTask {
        {
            const std::lock_guard hold(lock);
            ++workers;
        }
        return [&, s](std::size_t t) {
            {
                const std::lock_guard hold(lock);
                started[s].push_back(t);
                most[s] = std::max(most[s], ++running[s]);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::lock_guard hold(lock);
            --running[s];
        };
    });
    EXPECT_EQ(started[0], (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(started[1], (std::vector<std::size_t>{6, 7}));
    EXPECT_EQ(started[2], (std::vector<std::size_t>{8}));
    EXPECT_LE(most[0], 2);
    EXPECT_LE(most[1], 2);
    // A worker is made once and serves its server's tasks until none is left: at most two, two and one.
    EXPECT_LE(workers, 5);
    EXPECT_GE(workers, 3);
}

TEST(JobsOptionTest, TakesAWholeNumberOfPrintersFromOneToTheMost) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::size_t> jobs;
    };
    const Case cases[] = {
        {{"--jobs", "64"}, 64},
        {{"--jobs=1"}, 1},
        {{"--jobs", "4096"}, 4096},
        {{"--jobs", "0"}, std::nullopt},
        {{"--jobs", "4097"}, std::nullopt},
        {{"--jobs", "2.5"}, std::nullopt},
        {{"--jobs"}, std::nullopt},
        {{"--jobs=x"}, std::nullopt},
    };
    for (const Case& c : cases) {
        cli::FleetChoice choice;
        std::string problem;
        std::size_t i = 0;
        const bool read = cli::ReadJobsOption(c.args, i, choice, problem);
        EXPECT_EQ(read, c.jobs.has_value()) << c.args.back();
        EXPECT_EQ(choice.jobs, c.jobs) << c.args.back();
        EXPECT_EQ(problem.empty(), read) << c.args.back();
    }
}

// How many spoolers have a connection open at once (as a real one has from its first request until it
// is gone), and the most there were.
struct OpenConnections {
    std::mutex lock;
    std::size_t open = 0;
    std::size_t most = 0;
};

// Calls from several workers to one in-memory server, one at a time.
class LockedSpooler final : public ForwardingSpooler {
  public:
    LockedSpooler(Spooler& inner, std::mutex& lock, OpenConnections& connections)
        : ForwardingSpooler(inner), m_lock(lock), m_connections(connections) {}
    ~LockedSpooler() override {
        if (!m_connected) return;
        const std::lock_guard hold(m_connections.lock);
        --m_connections.open;
    }
    LockedSpooler(const LockedSpooler&) = delete;
    LockedSpooler& operator=(const LockedSpooler&) = delete;
    std::vector<PrinterInfo> ListPrinters() override {
        Connect();
        const std::lock_guard hold(m_lock);
        return Inner().ListPrinters();
    }
    std::string CurrentPrinter() override {
        Connect();
        const std::lock_guard hold(m_lock);
        return Inner().CurrentPrinter();
    }
    bool WriteRawDocument(const std::string& device, std::string_view name,
                          std::span<const std::uint8_t> payload) override {
        Connect();
        const std::lock_guard hold(m_lock);
        return Inner().WriteRawDocument(device, name, payload);
    }
    SpoolerFault LastFault() override {
        const std::lock_guard hold(m_lock);
        return Inner().LastFault();
    }

  private:
    void Connect() {
        if (m_connected) return;
        m_connected = true;
        const std::lock_guard hold(m_connections.lock);
        m_connections.most = std::max(m_connections.most, ++m_connections.open);
    }

    std::mutex& m_lock;
    OpenConnections& m_connections;
    bool m_connected = false;  // a spooler is used by one thread at a time
};

// What each thread sent and waited, in its order: the printers of a fleet run are served by several
// threads at once, and each printer's whole run by one of them.
class ThreadLogs {
  public:
    void Note(const std::string& entry) {
        const std::lock_guard hold(m_lock);
        m_entries[std::this_thread::get_id()].push_back(entry);
        m_noted.notify_all();
    }
    // Each printer's sequence: a document names its server and printer ("a:631 QV640_A 1B40"); a pause
    // is the printer's whose document its thread sent last.
    std::map<std::string, Names> ByPrinter() const {
        const std::lock_guard hold(m_lock);
        std::map<std::string, Names> printers;
        for (const auto& [thread, entries] : m_entries) {
            std::string target = "(no document yet)";
            for (const std::string& entry : entries) {
                if (entry.rfind("wait", 0) != 0) target = entry.substr(0, entry.rfind(' '));
                printers[target].push_back(entry);
            }
        }
        return printers;
    }
    std::size_t Threads() const {
        const std::lock_guard hold(m_lock);
        return m_entries.size();
    }
    // Holds the calling thread until `count` threads have noted something (at most a few seconds).
    void AwaitThreads(std::size_t count) {
        std::unique_lock hold(m_lock);
        m_noted.wait_for(hold, std::chrono::seconds(5), [&] { return m_entries.size() >= count; });
    }

  private:
    mutable std::mutex m_lock;
    std::condition_variable m_noted;
    std::map<std::thread::id, Names> m_entries;
};

// Pauses not waited but noted on the thread that asked for them. The first pause of each thread holds
// it until `together` threads have sent or waited something, so that their printers are in flight at
// once however fast the first of them is.
class ThreadNotedPause final : public Pause {
  public:
    ThreadNotedPause(ThreadLogs& logs, std::size_t together) : m_logs(logs), m_together(together) {}
    void Wait(int milliseconds) override {
        m_logs.Note(testing::SequenceLog::Wait(milliseconds));
        m_logs.AwaitThreads(m_together);
    }

  private:
    ThreadLogs& m_logs;
    std::size_t m_together;
};

class FleetTest : public testing::QvctlFixture {
  protected:
    FleetTest() {
        cli::RegisterAllCommands(registry);
        AddServer("a:631", {"QV640_A", "Laser", "QV650_A"});
        AddServer("b:631", {"QV640_B"});
        AddServer("down:631", {"QV640_D"});
        servers["down:631"]->SetUnreachable();
    }

    void AddServer(const std::string& name, const Names& printers, const Names& identities = {}) {
        std::vector<PrinterInfo> infos;
        for (std::size_t i = 0; i < printers.size(); ++i) {
            infos.push_back({printers[i], "drv", "usb", "", i < identities.size() ? identities[i] : ""});
        }
        auto server = std::make_unique<MemorySpooler>(infos);
        server->OnDocument([this, name](const MemorySpooler::Document& document) {
            const std::string entry = name + " " + document.printer + " " + EncodeHex(document.bytes);
            log.push_back(entry);
            threads.Note(entry);
            if (afterDocument) afterDocument();
        });
        servers[name] = std::move(server);
    }

    int RunFleet(const Names& args, std::size_t total = 16, std::size_t perServer = 4,
                 bool terminal = false) {
        out.str("");
        err.str("");
        cli::ConsoleDialogs dialogs(err);
        cli::CliEnvironment environment{spooler, dialogs, fleetPause != nullptr ? *fleetPause : pause,
                                        folder,  out,     err};
        environment.record = record;
        environment.total = total;
        environment.perServer = perServer;
        environment.progress = terminal;
        environment.serverSpooler = [this](const std::string& server) -> std::unique_ptr<Spooler> {
            std::string name = server.find(':') == std::string::npos ? server + ":631" : server;
            if (const auto alias = aliases.find(name); alias != aliases.end()) name = alias->second;
            const auto found = servers.find(name);
            if (found == servers.end()) return nullptr;
            {
                const std::lock_guard hold(madeLock);
                ++made[name];
            }
            return std::make_unique<LockedSpooler>(*found->second, lock, connections);
        };
        environment.serverRecordName = [](const std::string& server) {
            return server.find(':') == std::string::npos ? server + ":631" : server;
        };
        return cli::RunCommandLine(registry, args, environment);
    }

    std::map<std::string, std::unique_ptr<MemorySpooler>> servers;
    // Other spellings of a server: the same server answers them.
    std::map<std::string, std::string> aliases;
    std::mutex lock;
    OpenConnections connections;
    Names log;
    // Each thread's documents and pauses, in the order that thread sent and waited them.
    ThreadLogs threads;
    // The spoolers made of each server.
    std::mutex madeLock;
    std::map<std::string, int> made;
    // Called after each document a server takes (under the servers' lock).
    std::function<void()> afterDocument;
    // The pause and record of a fleet run; unset: `pause` (one thread at a time only) and no record.
    Pause* fleetPause = nullptr;
    RecordBook* record = nullptr;
};

TEST_F(FleetTest, EachPrinterGetsTheDocumentsAndPausesOfItsOwnRunInOrder) {
    // The sequence one printer gets alone.
    testing::SequenceLog alone(spooler, pause);
    ASSERT_EQ(RunQvctl({"--printer", "QV640_A", "factory-restore"}), cli::kExitOk);
    ASSERT_FALSE(alone.Entries().empty());
    ASSERT_NE(std::find_if(alone.Entries().begin(), alone.Entries().end(),
                           [](const std::string& e) { return e.rfind("wait", 0) == 0; }),
              alone.Entries().end());

    // One printer at a time and one worker per server: the fleet's sequence is each printer's whole
    // sequence in turn, a server's printers in their order (the servers themselves take turns as
    // their workers get to run).
    pause.OnWait([this](int ms) { log.push_back(testing::SequenceLog::Wait(ms)); });
    ASSERT_EQ(RunFleet({"--server", "a", "--server", "b", "--printer", "QV6*", "factory-restore"}, 1, 1),
              cli::kExitOk);
    const std::size_t length = alone.Entries().size();
    ASSERT_EQ(log.size(), 3 * length);
    Names order;
    for (std::size_t block = 0; block < 3; ++block) {
        const std::string& first = log[block * length];
        const std::string target = first.substr(0, first.rfind(' '));
        order.push_back(target);
        for (std::size_t i = 0; i < length; ++i) {
            const std::string& entry = alone.Entries()[i];
            EXPECT_EQ(log[block * length + i], entry.rfind("wait", 0) == 0 ? entry : target + " " + entry)
                << target << " entry " << i;
        }
    }
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (Names{"a:631 QV640_A", "a:631 QV650_A", "b:631 QV640_B"}));
    const auto at = [&](const std::string& target) {
        return std::find(log.begin(), log.end(), target + " " + alone.Entries().front()) - log.begin();
    };
    EXPECT_LT(at("a:631 QV640_A"), at("a:631 QV650_A"));
}

TEST_F(FleetTest, ManyPrintersServedAtOnceEachGetTheirWholeSequenceInOrder) {
    testing::SequenceLog alone(spooler, pause);
    ASSERT_EQ(RunQvctl({"--printer", "QV640_A", "factory-restore"}), cli::kExitOk);
    // The run begins with a document, so each pause is the printer's its thread sent to last.
    ASSERT_FALSE(alone.Entries().empty());
    ASSERT_NE(alone.Entries().front().rfind("wait", 0), 0u);
    ASSERT_NE(std::find_if(alone.Entries().begin(), alone.Entries().end(),
                           [](const std::string& e) { return e.rfind("wait", 0) == 0; }),
              alone.Entries().end());

    AddServer("c:631", {"QV640_C1", "QV640_C2", "Laser", "QV650_C3", "QV650_C4", "QV650_C5"});
    AddServer("d:631", {"QV640_D1", "QV650_D2", "QV650_D3"});
    ThreadNotedPause noted(threads, 4);
    fleetPause = &noted;
    ASSERT_EQ(RunFleet({"--jobs", "8", "--server", "a", "--server", "b", "--server", "c", "--server", "d",
                        "--printer", "QV6*", "factory-restore"}),
              cli::kExitOk)
        << out.str() << err.str();
    EXPECT_GE(threads.Threads(), 4u);
    const auto printers = threads.ByPrinter();
    Names targets;
    for (const auto& [target, sequence] : printers) targets.push_back(target);
    EXPECT_EQ(targets, (Names{"a:631 QV640_A", "a:631 QV650_A", "b:631 QV640_B", "c:631 QV640_C1",
                              "c:631 QV640_C2", "c:631 QV650_C3", "c:631 QV650_C4", "c:631 QV650_C5",
                              "d:631 QV640_D1", "d:631 QV650_D2", "d:631 QV650_D3"}));
    for (const auto& [target, sequence] : printers) {
        Names expected;
        for (const std::string& entry : alone.Entries())
            expected.push_back(entry.rfind("wait", 0) == 0 ? entry : target + " " + entry);
        EXPECT_EQ(sequence, expected) << target;
    }
}

TEST_F(FleetTest, ADescriptionIsReadOnceForTheRunAndEachPrinterGetsWhatItsPlanSends) {
    const std::string file = (folder / "ticket.txt").string();
    const std::string later = (folder / "later.txt").string();
    ASSERT_EQ(RunQvctl({"ticket", "new", file, "--black-mark", "on", "--paper", "58"}), cli::kExitOk);
    ASSERT_EQ(RunQvctl({"ticket", "new", later, "--black-mark", "off", "--paper", "76"}), cli::kExitOk);
    RecordBook book(folder / "records", "localhost:631", [](const std::string&) {});
    record = &book;
    ASSERT_EQ(RunFleet({"--server", "a", "--printer", "QV640_A", "set", "black-mark", "on"}), cli::kExitOk);
    log.clear();
    // The file changed once the first printer has its document changes nothing of the run.
    bool changed = false;
    afterDocument = [&] {
        if (changed) return;
        // Removed, then copied: MinGW's copy_file refuses to overwrite, whatever the options say.
        std::filesystem::remove(file);
        std::filesystem::copy_file(later, file);
        changed = true;
    };
    ASSERT_EQ(RunFleet({"--server", "a", "--server", "b", "--printer", "QV6*", "ticket", "apply",
                        "--changed-only", file},
                       1, 1),
              cli::kExitOk)
        << out.str() << err.str();
    EXPECT_TRUE(changed);
    EXPECT_EQ(log,
              (Names{"a:631 QV640_A 1B4205", "a:631 QV650_A 1B42021B4205", "b:631 QV640_B 1B42021B4205"}));

    // The next run reads the file as it now is.
    log.clear();
    ASSERT_EQ(
        RunFleet({"--server", "a", "--server", "b", "--printer", "QV6*", "ticket", "apply", file}, 1, 1),
        cli::kExitOk);
    EXPECT_EQ(log, (Names{"a:631 QV640_A 1B42031B4204", "a:631 QV650_A 1B42031B4204",
                          "b:631 QV640_B 1B42031B4204"}));
}

TEST_F(FleetTest, EachServersSpoolerIsMadeOnceForItsWorker) {
    ASSERT_EQ(RunFleet({"--server", "a", "--server", "b", "--printer", "QV6*", "hex", "1B40"}, 16, 1),
              cli::kExitOk);
    EXPECT_EQ(made, (std::map<std::string, int>{{"a:631", 1}, {"b:631", 1}}));
    EXPECT_EQ(log.size(), 3u);
    // Two workers may serve a's two printers: no more spoolers than workers.
    made.clear();
    ASSERT_EQ(RunFleet({"--server", "a", "--server", "b", "--printer", "QV6*", "hex", "1B40"}, 16, 4),
              cli::kExitOk);
    EXPECT_GE(made["a:631"], 1);
    EXPECT_LE(made["a:631"], 2);
    EXPECT_EQ(made["b:631"], 1);
}

TEST_F(FleetTest, ManyMoreServersThanJobsKeepNoMoreConnectionsOpenThanTwiceTheJobs) {
    // Each server's listing keeps its connection for the server's first worker only when that worker
    // starts at once: with 2 jobs, 2 listings in flight and 2 kept, whatever the number of servers.
    Names args{"--json"};
    Names expected;
    for (int s = 1; s <= 12; ++s) {
        const std::string name = "many" + std::to_string(s);
        AddServer(name + ":631", {"QV640_M" + std::to_string(s)});
        args.insert(args.end(), {"--server", name});
        expected.push_back(name + ":631 QV640_M" + std::to_string(s) + " 1B40");
    }
    args.insert(args.end(), {"--printer", "QV6*", "hex", "1B40"});
    ASSERT_EQ(RunFleet(args, 2), cli::kExitOk) << err.str();
    std::sort(log.begin(), log.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(log, expected);
    EXPECT_GE(connections.most, 2U);
    EXPECT_LE(connections.most, 4U);
    EXPECT_EQ(connections.open, 0U);
}

TEST_F(FleetTest, OnATerminalARunOfMoreThanAFewPrintersCountsThemOnOneLineThatIsClearedAtTheEnd) {
    AddServer("c:631", {"QV640_C1", "QV640_C2"});
    const Names five{"--server", "a", "--server", "b", "--server", "c", "--printer", "QV6*", "hex", "1B40"};
    ASSERT_EQ(RunFleet(five, 1, 1, true), cli::kExitOk);
    const std::string rewrite = "\r\x1B[K";
    const std::string line = err.str();
    // One rewritten line a step, from none to all, and the line erased before the report.
    std::vector<std::string> steps;
    for (std::size_t at = line.find(rewrite); at != std::string::npos;) {
        const std::size_t next = line.find(rewrite, at + rewrite.size());
        steps.push_back(
            line.substr(at + rewrite.size(), next == std::string::npos ? next : next - at - rewrite.size()));
        at = next;
    }
    ASSERT_EQ(steps.size(), 7u) << line;
    for (std::size_t done = 0; done <= 5; ++done) {
        EXPECT_EQ(steps[done].rfind("qvctl hex: " + std::to_string(done) + " of 5 printers done  ", 0), 0u)
            << steps[done];
    }
    EXPECT_EQ(steps[0].find("of about"), std::string::npos) << steps[0];
    EXPECT_NE(steps[5].find("of about"), std::string::npos) << steps[5];
    EXPECT_EQ(steps[6], "");
    EXPECT_EQ(log.size(), 5u);

    // Not on a terminal, with --json, in a dry run or for a few printers: nothing but the result.
    const std::vector<std::pair<Names, bool>> quiet = {
        {five, false},
        {{"--json", "--server", "a", "--server", "b", "--server", "c", "--printer", "QV6*", "hex", "1B40"},
         true},
        {{"--dry-run", "--server", "a", "--server", "b", "--server", "c", "--printer", "QV6*", "hex", "1B40"},
         true},
        {{"--server", "a", "--server", "b", "--printer", "QV6*", "hex", "1B40"}, true},
    };
    for (const auto& [args, terminal] : quiet) {
        ASSERT_EQ(RunFleet(args, 1, 1, terminal), cli::kExitOk);
        EXPECT_EQ(err.str().find(rewrite), std::string::npos) << ::testing::PrintToString(args) << err.str();
    }
}

TEST_F(FleetTest, AFailingServerOrPrinterStopsNoOtherAndTheReportSaysWhich) {
    servers["a:631"]->SetCannotOpen("QV650_A");
    const int status = RunFleet({"--json", "--server", "a", "--server", "down", "--server", "b", "--printer",
                                 "QV6*", "--printer", "QV640_B", "--printer", "Nothing*", "hex", "1B40"});
    EXPECT_EQ(status, cli::kExitPrinterFailed);
    // Every printer reached took its document once, the one named twice too.
    std::sort(log.begin(), log.end());
    EXPECT_EQ(log, (Names{"a:631 QV640_A 1B40", "b:631 QV640_B 1B40"}));

    const auto report = nlohmann::json::parse(out.str());
    std::vector<std::string> rows;
    for (const auto& row : report["printers"]) {
        rows.push_back(row["server"].get<std::string>() + " " + row["printer"].get<std::string>() + " " +
                       row["result"].get<std::string>() + " " + std::to_string(row["documents"].get<int>()));
    }
    EXPECT_EQ(rows, (Names{"a:631 QV640_A ok 1", "a:631 QV650_A failed 0", "down:631  failed 0",
                           "b:631 QV640_B ok 1", " Nothing* failed 0"}));
    EXPECT_EQ(report["summary"]["ok"], 2);
    EXPECT_EQ(report["summary"]["failed"], 3);
    EXPECT_EQ(report["status"], cli::kExitPrinterFailed);
}

TEST_F(FleetTest, TwoSpellingsOfOneServerAreServedOnceAndTheReportSaysTheyMet) {
    AddServer("one:631", {"QV640_X", "QV650_Y"}, {"urn:uuid:x", "urn:uuid:y"});
    aliases["alias:631"] = "one:631";
    aliases["[::1]:631"] = "one:631";
    ASSERT_EQ(RunFleet({"--json", "--server", "one", "--server", "alias", "--server", "b", "--server",
                        "[::1]:631", "--printer", "QV6*", "hex", "1B40"}),
              cli::kExitOk)
        << out.str() << err.str();
    std::sort(log.begin(), log.end());
    EXPECT_EQ(log, (Names{"b:631 QV640_B 1B40", "one:631 QV640_X 1B40", "one:631 QV650_Y 1B40"}));
    const auto report = nlohmann::json::parse(out.str());
    ASSERT_EQ(report["printers"].size(), 3u);
    for (const auto& row : report["printers"]) EXPECT_NE(row["server"], "alias:631");
    ASSERT_EQ(report["sameServers"].size(), 2u);
    EXPECT_EQ(report["sameServers"][0]["server"], "one:631");
    EXPECT_EQ(report["sameServers"][0]["sameAs"], "alias:631");
    EXPECT_EQ(report["sameServers"][1]["sameAs"], "[::1]:631");

    // In words, before the table.
    log.clear();
    ASSERT_EQ(RunFleet({"--server", "alias", "--server", "one", "--printer", "QV640_X", "hex", "1B40"}),
              cli::kExitOk);
    EXPECT_EQ(log, (Names{"one:631 QV640_X 1B40"}));
    EXPECT_NE(out.str().find("one:631 is the same print server as alias:631"), std::string::npos)
        << out.str();

    // Servers whose printers have no identity are never taken for one another.
    log.clear();
    ASSERT_EQ(RunFleet({"--server", "a", "--server", "b", "--printer", "QV640_*", "hex", "1B40"}),
              cli::kExitOk);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(FleetTest, PrinterNamesMatchInAnyCaseAndTheRowHasTheServersSpelling) {
    ASSERT_EQ(RunFleet({"--json", "--server", "a", "--server", "b", "--printer", "qv640_a", "--printer",
                        "QV640_a", "--printer", "Qv640_B", "hex", "1B40"}),
              cli::kExitOk)
        << out.str();
    std::sort(log.begin(), log.end());
    EXPECT_EQ(log, (Names{"a:631 QV640_A 1B40", "b:631 QV640_B 1B40"}));
    const auto report = nlohmann::json::parse(out.str());
    ASSERT_EQ(report["printers"].size(), 2u);
    EXPECT_EQ(report["printers"][0]["printer"], "QV640_A");
    EXPECT_EQ(report["printers"][1]["printer"], "QV640_B");
}

TEST_F(FleetTest, NamesAndServersWithControlCharactersAreRefusedBeforeAnythingIsSent) {
    const Names cases[] = {
        {"--printer", "QV640_A\r", "hex", "1B40"},
        {"--printer", "QV640_A", "--printer", "QV640_B\x1b[2J", "hex", "1B40"},
        {"--server", "a", "--server", "b\n", "--printer", "QV640_A", "hex", "1B40"},
        {"--server", "a", "--printer", "QV6*\x7f", "--printer", "QV640_A", "set", "paper", "58"},
    };
    for (const Names& args : cases) {
        EXPECT_EQ(RunFleet(args), cli::kExitRefused) << args[1];
        EXPECT_EQ(err.str().rfind("qvctl: the ", 0), 0u) << err.str();
        EXPECT_NE(err.str().find("holds a control character\nsee: qvctl "), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find('\r'), std::string::npos);
        EXPECT_EQ(err.str().find('\x1b'), std::string::npos);
    }
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(FleetTest, WideCharactersOfAPrinterNameKeepTheReportsColumns) {
    AddServer("cjk:631", {"打印机一号", "QV640_Q"});
    ASSERT_EQ(RunFleet({"--server", "cjk", "--printer", "打印机一号", "--printer", "QV640_Q", "hex", "1B40"}),
              cli::kExitOk);
    // The result column starts at the same terminal column on every line: the five CJK characters
    // take two columns each.
    std::vector<std::size_t> starts;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find(line.rfind("server", 0) == 0 ? "result" : " ok ") +
                        (line.rfind("server", 0) == 0 ? 0 : 1);
        if (line.find("cjk:631") != 0 && line.rfind("server", 0) != 0) continue;
        std::size_t columns = 0;
        for (std::size_t i = 0; i < at; ++i) {
            const auto byte = static_cast<unsigned char>(line[i]);
            if ((byte & 0xC0) == 0x80) continue;
            columns += byte >= 0xE0 ? 2 : 1;
        }
        starts.push_back(columns);
    }
    ASSERT_EQ(starts.size(), 3u) << out.str();
    EXPECT_EQ(starts[0], starts[1]) << out.str();
    EXPECT_EQ(starts[1], starts[2]) << out.str();
}

TEST_F(FleetTest, AHexDigitTheChannelDropsIsSaidOnTheCommandLine) {
    const struct {
        std::string hex;
        std::string sent;
        bool said;
    } cases[] = {{"1B4", "1B", true},
                 {"1B4A15F", "1B4A15", true},
                 {"1B4A1", "1B4A01", false},
                 {"1B4A", "1B4A", false}};
    for (const auto& c : cases) {
        spooler.ClearDocuments();
        err.str("");
        ASSERT_EQ(RunQvctl({"--printer", "QV640_A", "hex", c.hex}), cli::kExitOk) << c.hex;
        ASSERT_EQ(spooler.Documents().size(), 1u) << c.hex;
        EXPECT_EQ(EncodeHex(spooler.Documents()[0].bytes), c.sent) << c.hex;
        EXPECT_EQ(err.str().find("is dropped") != std::string::npos, c.said) << c.hex << ": " << err.str();
    }
}

TEST_F(FleetTest, RefusedInputIsSaidOnceAndSendsNothingAnywhere) {
    const struct {
        Names args;
        std::string said;
    } cases[] = {
        {{"hex", "1BZZ"}, "指令格式错误，未发送"},
        {{"set", "black-mark", "sideways"}, "sideways"},
        {{"ticket", "apply", "/nonexistent/ticket.txt"}, "打开"},
    };
    for (const auto& c : cases) {
        Names args{"--server", "a", "--server", "b", "--printer", "QV6*"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(RunFleet(args), cli::kExitRefused) << c.args[0];
        EXPECT_TRUE(log.empty()) << c.args[0];
        EXPECT_EQ(out.str(), "") << c.args[0];
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    }
}

TEST_F(FleetTest, ServersNamedWronglyAndOnePrinterCommandsAreRefused) {
    EXPECT_EQ(RunFleet({"--server", "nowhere", "--printer", "QV6*", "hex", "1B40"}), cli::kExitRefused);
    EXPECT_NE(err.str().find("not a print server: nowhere"), std::string::npos);
    EXPECT_EQ(RunFleet({"--server", "a", "--server", "b", "use", "QV640_A"}), cli::kExitRefused);
    EXPECT_TRUE(log.empty());
}

TEST_F(FleetTest, DryRunShowsEachPrintersDocumentsAndSendsNothing) {
    ASSERT_EQ(RunFleet({"--dry-run", "--server", "a", "--server", "b", "--printer", "QV640*", "hex", "1B40"}),
              cli::kExitOk);
    EXPECT_TRUE(log.empty());
    const std::string text = out.str();
    const auto first = text.find("── QV640_A on a:631\ndocument 1 (2 bytes):");
    const auto second = text.find("── QV640_B on b:631\ndocument 1 (2 bytes):");
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, second);
}

// A dry run sends nothing, so a print server that cannot be reached changes nothing of it: with --json
// as without, each named printer (or the dry run's own) shows its documents and the run exits 0.
TEST_F(FleetTest, DryRunWithJsonNeedsNoPrintServer) {
    struct Case {
        Names args;
        Names rows;  // "server|printer|result|documents"
    };
    const Case cases[] = {
        {{"--json", "--dry-run", "--server", "down", "hex", "1B40"}, {"down:631|dry-run|ok|1"}},
        {{"--json", "--dry-run", "--server", "down", "--printer", "QV640", "line-feed"},
         {"down:631|QV640|ok|1"}},
        {{"--dry-run", "--json", "--server", "down", "--printer", "QV640", "--printer", "QV650", "set",
          "paper", "58"},
         {"down:631|QV640|ok|1", "down:631|QV650|ok|1"}},
    };
    for (const Case& c : cases) {
        const int status = RunFleet(c.args);
        EXPECT_TRUE(log.empty()) << c.args[2];
        const auto report = nlohmann::json::parse(out.str(), nullptr, false);
        ASSERT_FALSE(report.is_discarded()) << out.str() << err.str();
        Names rows;
        for (const auto& row : report["printers"]) {
            rows.push_back(
                (row["server"].get<std::string>().empty() ? "-" : row["server"].get<std::string>()) + "|" +
                row["printer"].get<std::string>() + "|" + row["result"].get<std::string>() + "|" +
                std::to_string(row["documents"].get<int>()));
        }
        EXPECT_EQ(rows, c.rows) << out.str();
        EXPECT_EQ(status, cli::kExitOk) << err.str();
    }
}

// qvctl status across servers: a row per printer, a stopped queue and one with a stuck job fail their
// rows while the healthy one is ok, and a server that is down is a failed row of its own.
TEST_F(FleetTest, StatusOfManyPrintersShowsTheStoppedQueueAndTheStuckJob) {
    const std::int64_t now = std::time(nullptr);
    servers["a:631"]->SetQueueStatus("QV640_A", {QueueState::Stopped, true, 1, 0, now - 30, "Paused"});
    servers["b:631"]->SetQueueStatus("QV640_B", {QueueState::Printing, true, 3, 0, now - 900, ""});
    EXPECT_EQ(RunFleet({"--json", "--server", "a", "--server", "b", "--server", "down", "--printer", "QV6*",
                        "status"}),
              cli::kExitPrinterFailed);
    const auto report = nlohmann::json::parse(out.str());
    Names rows;
    for (const auto& row : report["printers"]) {
        std::string line =
            (row["server"].get<std::string>().empty() ? "-" : row["server"].get<std::string>()) + " " +
            row["printer"].get<std::string>() + " " + row["result"].get<std::string>();
        if (row.contains("output") && row["output"].is_object()) {
            line += " " + row["output"]["queue"]["state"].get<std::string>() + " " +
                    std::to_string(row["output"]["queue"]["waiting"].get<int>());
            for (const auto& problem : row["output"]["problems"]) line += " / " + problem.get<std::string>();
        }
        rows.push_back(line);
    }
    EXPECT_EQ(rows, (Names{"a:631 QV640_A failed stopped 1 / the queue is stopped", "a:631 QV650_A ok idle 0",
                           "b:631 QV640_B failed printing 3 / a job has waited 15 min", "down:631  failed"}))
        << out.str();
    EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace qvset
