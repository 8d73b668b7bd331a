// Many printers on many print servers: one command run on each chosen printer, concurrently, and a
// report of what each took.
#include "cli/FleetCommandLine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "cli/DeviceCommands.h"
#include "cli/DryRun.h"
#include "cli/FleetReport.h"
#include "cli/PrinterRun.h"
#include "cli/ProgressLine.h"
#include "cli/RunInputs.h"
#include "cli/TerminalText.h"
#include "fleet/FleetRun.h"
#include "fleet/FleetTargets.h"
#include "printer/MemorySpooler.h"
#include "printer/PrinterSelection.h"
#include "printer/SpoolerDeadline.h"
#include "printer/device/DeviceSpooler.h"
#include "record/BaudFollowing.h"

namespace qvset::cli {
namespace {

using Json = nlohmann::ordered_json;

// Dialogs of one printer's run: every message is kept for the report; questions are answered No and
// file dialogs cancelled, as on the terminal.
class CollectingDialogs final : public Dialogs {
  public:
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        messages.push_back(request.text);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName.clear(); }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName.clear(); }

    std::vector<std::string> messages;
};

class NoPause final : public Pause {
  public:
    void Wait(int) override {}
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What each chosen server said when asked for its printers, asked of all servers at once (a frozen
// server costs one deadline, not one per server).
struct Listing {
    ServerPrinters printers;
    std::vector<PrinterInfo> infos;
    std::unique_ptr<Spooler> spooler;  // the one that asked, until the server's first worker takes it
};

// Each server's printer list, asked of `inFlight` servers at once (a frozen server costs one deadline,
// not one per server), each of its own spooler in `spoolers`. The spooler that asked is kept for the
// server's first worker: its connection and what it learnt of the queues serve that worker's printers.
std::vector<Listing> ListServers(std::vector<std::unique_ptr<Spooler>> spoolers, bool askCurrent,
                                 std::size_t inFlight) {
    std::vector<Listing> listings(spoolers.size());
    for (std::size_t s = 0; s < spoolers.size(); ++s) listings[s].spooler = std::move(spoolers[s]);
    std::atomic<std::size_t> next{0};
    const auto ask = [&] {
        for (std::size_t s = next++; s < listings.size(); s = next++) {
            Listing& listing = listings[s];
            Spooler& spooler = *listing.spooler;
            listing.infos = spooler.ListPrinters();
            listing.printers.reached = spooler.LastFault() != SpoolerFault::Unreachable;
            for (const auto& info : listing.infos) listing.printers.printers.push_back(info.deviceName);
            if (listing.printers.reached && askCurrent) {
                listing.printers.current = spooler.CurrentPrinter();
                listing.printers.reached = spooler.LastFault() != SpoolerFault::Unreachable;
            }
            // Only the servers whose first worker starts at once keep the connection: the others'
            // would stay open for nothing, one per server, however few the run serves at once.
            if (s >= inFlight) listing.spooler.reset();
        }
    };
    std::vector<std::thread> askers;
    for (std::size_t t = 1; t < std::min(inFlight, listings.size()); ++t) askers.emplace_back(ask);
    ask();
    for (auto& asker : askers) asker.join();
    return listings;
}

// The printer lists of several servers: text, server by server, or one JSON document.
int ShowServerLists(const std::vector<std::string>& names, const std::vector<Listing>& listings, bool json,
                    std::ostream& out, std::ostream& err, Dialogs& dialogs, const DeviceSetup& devices) {
    int status = kExitOk;
    Json servers = Json::array();
    for (std::size_t s = 0; s < listings.size(); ++s) {
        const Listing& listing = listings[s];
        if (!listing.printers.reached) status = kExitPrinterFailed;
        Json printers = Json::array();
        if (!json) {
            out << TerminalSafe(names[s]) << ":\n";
            if (!listing.printers.reached)
                dialogs.Message(std::string(kMsgServerUnreachable) + ": " + names[s]);
        }
        for (const auto& info : listing.infos) {
            const bool current = info.deviceName == listing.printers.current;
            if (json) {
                printers.push_back({{"name", info.deviceName},
                                    {"driver", info.driverName},
                                    {"port", info.port},
                                    {"current", current},
                                    {"kind", info.kind}});
            } else {
                out << (current ? "* " : "  ") << TerminalSafe(FormatPrinterEntry(info))
                    << (info.kind.empty() ? std::string() : "  [" + info.kind + "]") << '\n';
            }
        }
        servers.push_back(
            {{"server", names[s]}, {"reached", listing.printers.reached}, {"printers", std::move(printers)}});
    }
    if (json) {
        Json listing{{"servers", std::move(servers)}};
        if (devices.open) listing["devices"] = DevicesJson(devices);
        out << TerminalSafeJson(listing.dump(2, ' ', false, Json::error_handler_t::replace)) << '\n';
    } else if (devices.open) {
        out << "devices:\n";
        ShowDevices(devices, out, err);
    }
    return status;
}

// Descriptors one printer in flight may hold: its connection to the server, the record file it
// writes and that file's lock, and one to spare; and those kept for everything else (the standard
// streams, the devices file, the libraries' own).
constexpr std::size_t kFilesPerPrinter = 4;
constexpr std::size_t kFilesKept = 32;

// How many printers at once `openFiles` descriptors allow (0: no limit known).
std::size_t JobsTheFilesAllow(std::size_t openFiles) {
    if (openFiles == 0) return static_cast<std::size_t>(-1);
    if (openFiles < kFilesKept + 2 * kFilesPerPrinter) return 1;
    return (openFiles - kFilesKept) / kFilesPerPrinter;
}

// More printers than this in a run show the progress line.
constexpr std::size_t kFewPrinters = 3;

// Each step below either leaves the run to the next one (nullopt) or ends it with an exit status,
// having said why.
using Finished = std::optional<int>;

// A fleet of a command that works on one printer, with no print servers to be had here, or with a
// printer or server named with a control character, is refused before anything is asked.
Finished RefuseFleet(const CliCommand& command, const CliEnvironment& environment,
                     const FleetChoice& choice) {
    std::ostream& err = environment.err;
    if (command.scope == FleetScope::OnePrinter) {
        err << "qvctl " << command.name << ": works on one printer of one print server; name one\n";
        return kExitRefused;
    }
    if (!environment.serverSpooler || !environment.serverRecordName) {
        err << "qvctl: print servers cannot be chosen here\n";
        return kExitRefused;
    }
    for (const auto& printer : choice.printers) {
        if (RefusedName(err, command.name, "printer name", printer)) return kExitRefused;
    }
    for (const auto& server : choice.servers) {
        if (RefusedName(err, command.name, "print server", server)) return kExitRefused;
    }
    return std::nullopt;
}

// The print servers a run serves, each once, with the names the record gives them.
struct FleetServers {
    std::vector<std::string> servers;
    std::vector<std::string> names;
};

// The servers chosen (the default one when only printers are; none for devices alone), each with its
// spooler, made once: it asks for the printer list and then serves the server's first worker.
Finished ChooseServers(CliEnvironment& environment, const FleetChoice& choice, FleetServers& chosen,
                       std::vector<std::unique_ptr<Spooler>>& spoolers) {
    const bool devicesAlone = !choice.devices.empty() && choice.servers.empty() && choice.printers.empty();
    const std::vector<std::string> named = !choice.servers.empty() ? choice.servers
                                           : devicesAlone          ? std::vector<std::string>{}
                                                                   : std::vector<std::string>{""};
    for (const std::string& server : named) {
        std::unique_ptr<Spooler> spooler = environment.serverSpooler(server);
        if (!spooler) {
            environment.err << "qvctl: not a print server: " << TerminalSafe(server)
                            << "\nsee: qvctl --help\n";
            return kExitRefused;
        }
        // The same server named twice is one server.
        const std::string name = environment.serverRecordName(server);
        if (std::find(chosen.names.begin(), chosen.names.end(), name) != chosen.names.end()) continue;
        chosen.servers.push_back(server);
        chosen.names.push_back(name);
        spoolers.push_back(std::move(spooler));
    }
    return std::nullopt;
}

// Input the command refuses is refused once, before any printer is sent anything: the command first
// runs on a spooler of its own that keeps nothing.
Finished TryOnce(const CliCommand& command, const std::vector<std::string>& args, std::size_t operandsFrom,
                 CliEnvironment& environment, RunInputs& inputs) {
    if (!command.sendsDocuments) return std::nullopt;
    MemorySpooler trial({{"trial", "", ""}});
    trial.SetCurrentPrinter("trial");
    trial.OnDocument([&trial](const MemorySpooler::Document&) { trial.ClearDocuments(); });
    NoPause noPause;
    CollectingDialogs dialogs;
    std::ostringstream out;
    std::ostringstream trialErr;
    std::istringstream noInput;
    const PrinterRunResult tried = RunOnPrinter(command, args, operandsFrom,
                                                {.spooler = trial,
                                                 .pause = noPause,
                                                 .dialogs = dialogs,
                                                 .out = out,
                                                 .err = trialErr,
                                                 .in = noInput,
                                                 .inputs = &inputs},
                                                PrintFileFoldersOf(environment));
    if (tried.status != kExitRefused) return std::nullopt;
    environment.err << trialErr.str();
    for (const auto& message : dialogs.messages) environment.dialogs.Message(message);
    return kExitRefused;
}

// A dry run sends nothing and so needs no print server: one that was not reached offers the printers
// named (a pattern matches none of them) and, when none is named, the dry run's own printer.
void OfferDryRunPrinters(std::vector<Listing>& listings, const FleetChoice& choice) {
    for (Listing& listing : listings) {
        if (listing.printers.reached) continue;
        listing.printers = {};
        for (const std::string& printer : choice.printers) {
            if (!IsPrinterPattern(printer)) listing.printers.printers.push_back(printer);
        }
        if (choice.printers.empty()) {
            listing.printers.printers.push_back(std::string(kDryRunPrinter));
            listing.printers.current = kDryRunPrinter;
        }
    }
}

// Two spellings of one server (127.0.0.1:631 and localhost:631, a host name and its socket) are one
// server: known by the identities of its printers, served once under the first spelling. Returns the
// spellings that met one kept before them: (kept, also).
std::vector<std::pair<std::string, std::string>> ServeEachServerOnce(FleetServers& chosen,
                                                                     std::vector<Listing>& listings) {
    std::vector<std::pair<std::string, std::string>> met;
    std::vector<std::vector<std::string>> identities;
    for (const auto& listing : listings) {
        identities.emplace_back();
        for (const auto& info : listing.infos) identities.back().push_back(info.identity);
    }
    const std::vector<std::size_t> same = SameServers(identities);
    FleetServers kept;
    std::vector<Listing> keptListings;
    for (std::size_t s = 0; s < same.size(); ++s) {
        if (same[s] != s) {
            met.emplace_back(chosen.names[same[s]], chosen.names[s]);
            continue;
        }
        kept.servers.push_back(chosen.servers[s]);
        kept.names.push_back(chosen.names[s]);
        keptListings.push_back(std::move(listings[s]));
    }
    chosen = std::move(kept);
    listings = std::move(keptListings);
    return met;
}

// A row for every printer chosen (those with a problem already failed) and every device, the rows
// each server's workers serve, in order (each device a server of its own), and each server's record.
struct FleetWork {
    std::vector<FleetRow> rows;
    std::vector<std::vector<std::size_t>> tasksOfServer;
    std::vector<std::unique_ptr<RecordBook>> books;
};

FleetWork PlanWork(const FleetServers& chosen, const std::vector<Listing>& listings,
                   const FleetChoice& choice, RecordBook* record) {
    std::vector<ServerPrinters> serverPrinters;
    for (const auto& listing : listings) serverPrinters.push_back(listing.printers);
    const std::vector<FleetTarget> targets = ChooseTargets(serverPrinters, choice.printers);
    FleetWork work;
    for (const std::string& name : chosen.names) {
        work.books.push_back(record != nullptr ? record->ForServer(name) : nullptr);
    }
    // Each device is a server of its own: served beside the others, its record kept under its URI.
    for (std::size_t d = 0; d < choice.devices.size(); ++d) {
        work.books.push_back(record != nullptr ? record->ForServer("") : nullptr);
    }
    work.rows.resize(targets.size());
    work.tasksOfServer.resize(chosen.servers.size() + choice.devices.size());
    for (std::size_t t = 0; t < targets.size(); ++t) {
        const FleetTarget& target = targets[t];
        work.rows[t].server = target.server == kNoServer ? "" : chosen.names[target.server];
        work.rows[t].printer = target.printer;
        if (!target.problem.empty()) {
            work.rows[t].status = kExitPrinterFailed;
            work.rows[t].messages.push_back(target.problem);
            continue;
        }
        work.tasksOfServer[target.server].push_back(t);
    }
    for (std::size_t d = 0; d < choice.devices.size(); ++d) {
        FleetRow row;
        row.printer = choice.devices[d];
        row.device = true;
        work.rows.push_back(row);
        work.tasksOfServer[chosen.servers.size() + d].push_back(work.rows.size() - 1);
    }
    return work;
}

// On a terminal, a run of more than a few printers keeps one line of how many have finished, with the
// whole time estimated from the printers finished so far.
class FleetProgress {
  public:
    FleetProgress(std::ostream& err, bool shown, const std::string& commandName, std::size_t tasks,
                  std::chrono::steady_clock::time_point started)
        : m_line(err, shown && tasks > kFewPrinters, "qvctl " + commandName, 0),
          m_tasks(tasks),
          m_started(started) {
        m_line.Show(PrintersDone(0));
    }
    void OneFinished() {
        const std::lock_guard guard(m_lock);
        ++m_finished;
        m_line.SetExpected(SecondsSince(m_started) * static_cast<double>(m_tasks) /
                           static_cast<double>(m_finished));
        m_line.Show(PrintersDone(m_finished));
    }
    void Clear() { m_line.Clear(); }

  private:
    std::string PrintersDone(std::size_t count) const {
        return std::to_string(count) + " of " + std::to_string(m_tasks) + " printers done";
    }

    ProgressLine m_line;
    std::mutex m_lock;
    std::size_t m_tasks;
    std::size_t m_finished = 0;
    std::chrono::steady_clock::time_point m_started;
};

// The workers of a fleet run: each serves one server's printers, one after the other, through the
// spooler it was given (the listing's, for a server's first worker) or one of a device's own.
class FleetWorkers {
  public:
    struct Run {
        const CliCommand& command;
        const std::vector<std::string>& args;
        std::size_t operandsFrom;
        CliEnvironment& environment;
        const FleetChoice& choice;
        RunInputs& inputs;
        bool recordDocuments;
    };
    FleetWorkers(const Run& run, const FleetServers& chosen, std::vector<Listing>& listings, FleetWork& work,
                 FleetProgress& progress)
        : m_run(run),
          m_chosen(chosen),
          m_listings(listings),
          m_work(work),
          m_progress(progress),
          m_folders(PrintFileFoldersOf(run.environment)) {}

    // The worker of server `s`: its spooler, made on its own thread, kept for all its printers.
    FleetTask Start(std::size_t s) {
        std::shared_ptr<Spooler> spooler;
        std::shared_ptr<DeviceSpooling> device;
        const bool isDevice = s >= m_chosen.servers.size();
        if (!m_run.choice.dryRun && isDevice) {
            device = std::make_shared<DeviceSpooling>(m_run.environment.devices.open);
        } else if (!m_run.choice.dryRun) {
            spooler = ListedSpooler(s);
        }
        return [this, s, spooler, device](std::size_t t) {
            Spooler* base = device ? &device->Followed() : spooler.get();
            ServeRow(t, s, base, device.get());
        };
    }

  private:
    std::unique_ptr<Spooler> ListedSpooler(std::size_t s) {
        std::unique_ptr<Spooler> listed;
        {
            const std::lock_guard guard(m_listingsLock);
            listed = std::move(m_listings[s].spooler);
        }
        if (!listed) {
            listed = m_run.environment.serverSpooler(m_chosen.servers[s]);
            listed->KnowPrinters(m_listings[s].infos);
        }
        return listed;
    }

    // One printer's run, told in its row.
    void ServeRow(std::size_t t, std::size_t s, Spooler* spooler, DeviceSpooling* device) {
        FleetRow& row = m_work.rows[t];
        const auto begun = std::chrono::steady_clock::now();
        CollectingDialogs dialogs;
        std::ostringstream out;
        std::ostringstream rowErr;
        // No command that works on printers reads standard input.
        std::istringstream rowIn;
        std::unique_ptr<DryRun> dry = m_run.choice.dryRun ? std::make_unique<DryRun>(out) : nullptr;
        Spooler& base = dry ? dry->GetSpooler() : *spooler;
        Pause& pause = dry ? static_cast<Pause&>(*dry) : m_run.environment.pause;
        const bool isDevice = s >= m_chosen.servers.size();
        try {
            const PrinterRunResult result =
                RunOnPrinter(m_run.command, m_run.args, m_run.operandsFrom,
                             {.spooler = base,
                              .pause = pause,
                              .dialogs = dialogs,
                              .out = out,
                              .err = rowErr,
                              .in = rowIn,
                              .record = m_work.books[s].get(),
                              .recordDocuments = m_run.recordDocuments,
                              .printer = row.printer,
                              .server = isDevice ? std::string() : m_chosen.names[s],
                              .json = m_run.choice.json,
                              .devices = &m_run.environment.devices,
                              .inputs = &m_run.inputs},
                             m_folders);
            row.status = result.status;
            row.documents = result.documents;
            row.unchanged = result.unchanged;
            if (device != nullptr) {
                const std::lock_guard guard(m_devicesFile);
                const int followed =
                    device->FollowChanges(&m_run.environment.devices, m_run.choice.followBaud, dialogs);
                if (row.status == kExitOk) row.status = followed;
            }
        } catch (const std::exception& error) {
            row.status = kExitPrinterFailed;
            dialogs.messages.push_back(error.what());
        }
        AddLines(row.messages, rowErr.str());
        row.messages.insert(row.messages.end(), dialogs.messages.begin(), dialogs.messages.end());
        row.output = out.str();
        row.seconds = SecondsSince(begun);
        m_progress.OneFinished();
    }

    Run m_run;
    const FleetServers& m_chosen;
    std::vector<Listing>& m_listings;
    FleetWork& m_work;
    FleetProgress& m_progress;
    std::vector<std::filesystem::path> m_folders;
    std::mutex m_listingsLock;
    std::mutex m_devicesFile;
};

// The report: one JSON document, or each printer's output under its name, then the table.
int ShowReport(const std::string& commandName, const std::vector<FleetRow>& rows, double seconds,
               const FleetChoice& choice, const std::vector<std::pair<std::string, std::string>>& met,
               std::ostream& out) {
    if (choice.json) {
        out << ReportJsonText(commandName, rows, seconds, choice.dryRun, choice.json, met) << '\n';
        return FleetStatus(rows);
    }
    for (const auto& [kept, also] : met) {
        out << TerminalSafe(also) << " is the same print server as " << TerminalSafe(kept)
            << ": its printers are served once, as " << TerminalSafe(kept) << '\n';
    }
    for (const FleetRow& row : rows) {
        if (row.output.empty()) continue;
        out << "── " << TerminalSafe(row.printer)
            << (row.device ? std::string(" (device)") : " on " + TerminalSafe(row.server)) << '\n'
            << row.output;
        if (row.output.back() != '\n') out << '\n';
    }
    PrintReport(commandName, rows, seconds, out);
    return FleetStatus(rows);
}

}  // namespace

bool IsFleetRun(const CliCommand& command, const FleetChoice& choice) {
    if (command.scope == FleetScope::Once) return false;
    const bool pattern = std::any_of(choice.printers.begin(), choice.printers.end(),
                                     [](const std::string& p) { return IsPrinterPattern(p); });
    if (command.scope == FleetScope::Server) return choice.servers.size() > 1 || choice.json;
    if (!choice.devices.empty()) {
        return choice.devices.size() > 1 || !choice.servers.empty() || !choice.printers.empty() ||
               (choice.json && command.sendsDocuments);
    }
    return choice.servers.size() > 1 || choice.printers.size() > 1 || pattern ||
           (choice.json && command.sendsDocuments);
}

int RunFleet(const CliCommand& command, const std::vector<std::string>& args, std::size_t operandsFrom,
             CliEnvironment& environment, const FleetChoice& choice) {
    if (const Finished refused = RefuseFleet(command, environment, choice)) return *refused;
    FleetServers chosen;
    std::vector<std::unique_ptr<Spooler>> spoolers;
    if (const Finished refused = ChooseServers(environment, choice, chosen, spoolers)) return *refused;
    // The files the command reads are read once, for the trial and every printer.
    RunInputs inputs;
    if (const Finished refused = TryOnce(command, args, operandsFrom, environment, inputs)) return *refused;

    const FleetLimits asked{environment.perServer, choice.jobs.value_or(environment.total)};
    const FleetLimits limits{asked.perServer,
                             std::min(asked.total, JobsTheFilesAllow(environment.openFiles))};
    const auto started = std::chrono::steady_clock::now();
    std::vector<Listing> listings = ListServers(
        std::move(spoolers), choice.printers.empty() || command.scope == FleetScope::Server, limits.total);
    if (choice.dryRun && command.scope != FleetScope::Server) OfferDryRunPrinters(listings, choice);
    if (command.scope == FleetScope::Server) {
        return ShowServerLists(chosen.names, listings, choice.json, environment.out, environment.err,
                               environment.dialogs, environment.devices);
    }
    const auto met = ServeEachServerOnce(chosen, listings);
    FleetWork work = PlanWork(chosen, listings, choice, environment.record);
    if (PrintersInFlight(work.tasksOfServer, limits) < PrintersInFlight(work.tasksOfServer, asked)) {
        environment.err << "qvctl: at most " << limits.total << " printers at once: ulimit -n allows "
                        << environment.openFiles << " open files\n";
    }
    std::size_t tasks = 0;
    for (const auto& ofServer : work.tasksOfServer) tasks += ofServer.size();
    FleetProgress progress(environment.err, environment.progress && !choice.json && !choice.dryRun,
                           command.name, tasks, started);
    const bool recordDocuments = !choice.dryRun && environment.record != nullptr && !RecordTurnedOff();
    FleetWorkers workers({command, args, operandsFrom, environment, choice, inputs, recordDocuments}, chosen,
                         listings, work, progress);
    RunByServer(work.tasksOfServer, limits, [&workers](std::size_t s) { return workers.Start(s); });
    progress.Clear();
    return ShowReport(command.name, work.rows, SecondsSince(started), choice, met, environment.out);
}

}  // namespace qvset::cli
