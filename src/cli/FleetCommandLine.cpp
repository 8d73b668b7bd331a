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

int RunFleet(const CliCommand& command, const std::vector<std::string>& args, std::size_t operandsFrom,
             CliEnvironment& environment, const FleetChoice& choice) {
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
    // The same server named twice is one server.
    std::vector<std::string> servers;
    std::vector<std::string> names;
    // Each server's spooler, made once: it asks for the printer list and then serves the first worker.
    std::vector<std::unique_ptr<Spooler>> spoolers;
    // Devices alone ask no print server.
    const bool devicesAlone = !choice.devices.empty() && choice.servers.empty() && choice.printers.empty();
    const std::vector<std::string> chosenServers = !choice.servers.empty() ? choice.servers
                                                   : devicesAlone          ? std::vector<std::string>{}
                                                                           : std::vector<std::string>{""};
    for (const std::string& server : chosenServers) {
        std::unique_ptr<Spooler> spooler = environment.serverSpooler(server);
        if (!spooler) {
            err << "qvctl: not a print server: " << TerminalSafe(server) << "\nsee: qvctl --help\n";
            return kExitRefused;
        }
        const std::string name = environment.serverRecordName(server);
        if (std::find(names.begin(), names.end(), name) != names.end()) continue;
        servers.push_back(server);
        names.push_back(name);
        spoolers.push_back(std::move(spooler));
    }
    const std::vector<std::filesystem::path> folders =
        environment.printFileFolders.empty() ? std::vector<std::filesystem::path>{environment.programFolder}
                                             : environment.printFileFolders;

    // The files the command reads are read once, for the trial and every printer.
    RunInputs inputs;
    // Input the command refuses is refused once, before any printer is sent anything: the command
    // first runs on a spooler of its own that keeps nothing.
    if (command.sendsDocuments) {
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
                                                    folders);
        if (tried.status == kExitRefused) {
            err << trialErr.str();
            for (const auto& message : dialogs.messages) environment.dialogs.Message(message);
            return kExitRefused;
        }
    }

    const FleetLimits asked{environment.perServer, choice.jobs.value_or(environment.total)};
    const FleetLimits limits{asked.perServer,
                             std::min(asked.total, JobsTheFilesAllow(environment.openFiles))};
    const auto started = std::chrono::steady_clock::now();
    std::vector<Listing> listings = ListServers(
        std::move(spoolers), choice.printers.empty() || command.scope == FleetScope::Server, limits.total);
    // A dry run sends nothing and so needs no print server: one that was not reached offers the printers
    // named (a pattern matches none of them) and, when none is named, the dry run's own printer.
    if (choice.dryRun && command.scope != FleetScope::Server) {
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
    if (command.scope == FleetScope::Server) {
        return ShowServerLists(names, listings, choice.json, environment.out, environment.err,
                               environment.dialogs, environment.devices);
    }
    // Two spellings of one server (127.0.0.1:631 and localhost:631, a host name and its socket) are
    // one server: known by the identities of its printers, served once under the first spelling.
    std::vector<std::pair<std::string, std::string>> met;
    {
        std::vector<std::vector<std::string>> identities;
        for (const auto& listing : listings) {
            identities.emplace_back();
            for (const auto& info : listing.infos) identities.back().push_back(info.identity);
        }
        const std::vector<std::size_t> same = SameServers(identities);
        std::vector<std::string> keptServers;
        std::vector<std::string> keptNames;
        std::vector<Listing> keptListings;
        for (std::size_t s = 0; s < same.size(); ++s) {
            if (same[s] != s) {
                met.emplace_back(names[same[s]], names[s]);
                continue;
            }
            keptServers.push_back(servers[s]);
            keptNames.push_back(names[s]);
            keptListings.push_back(std::move(listings[s]));
        }
        servers = std::move(keptServers);
        names = std::move(keptNames);
        listings = std::move(keptListings);
    }
    std::vector<ServerPrinters> serverPrinters;
    for (const auto& listing : listings) serverPrinters.push_back(listing.printers);
    const std::vector<FleetTarget> targets = ChooseTargets(serverPrinters, choice.printers);

    std::vector<std::unique_ptr<RecordBook>> books;
    const bool recordDocuments = !choice.dryRun && environment.record != nullptr && !RecordTurnedOff();
    for (const std::string& name : names) {
        books.push_back(environment.record != nullptr ? environment.record->ForServer(name) : nullptr);
    }

    // Each device is a server of its own: served beside the others, its record kept under its URI.
    for (std::size_t d = 0; d < choice.devices.size(); ++d) {
        books.push_back(environment.record != nullptr ? environment.record->ForServer("") : nullptr);
    }
    std::vector<FleetRow> rows(targets.size());
    std::vector<std::vector<std::size_t>> tasksOfServer(servers.size() + choice.devices.size());
    for (std::size_t t = 0; t < targets.size(); ++t) {
        const FleetTarget& target = targets[t];
        rows[t].server = target.server == kNoServer ? "" : names[target.server];
        rows[t].printer = target.printer;
        if (!target.problem.empty()) {
            rows[t].status = kExitPrinterFailed;
            rows[t].messages.push_back(target.problem);
            continue;
        }
        tasksOfServer[target.server].push_back(t);
    }
    for (std::size_t d = 0; d < choice.devices.size(); ++d) {
        FleetRow row;
        row.printer = choice.devices[d];
        row.device = true;
        rows.push_back(row);
        tasksOfServer[servers.size() + d].push_back(rows.size() - 1);
    }
    // Only the servers whose first worker starts at once keep their listing's connection open for it.
    for (std::size_t s = limits.total; s < listings.size(); ++s) listings[s].spooler.reset();
    if (PrintersInFlight(tasksOfServer, limits) < PrintersInFlight(tasksOfServer, asked)) {
        err << "qvctl: at most " << limits.total << " printers at once: ulimit -n allows "
            << environment.openFiles << " open files\n";
    }
    std::mutex devicesFile;
    std::mutex listingsLock;
    // On a terminal, a run of more than a few printers keeps one line of how many have finished, with
    // the whole time estimated from the printers finished so far.
    std::size_t tasks = 0;
    for (const auto& ofServer : tasksOfServer) tasks += ofServer.size();
    const bool showProgress = environment.progress && !choice.json && !choice.dryRun && tasks > kFewPrinters;
    ProgressLine progress(err, showProgress, "qvctl " + command.name, 0);
    std::mutex progressLock;
    std::size_t finished = 0;
    const auto printersDone = [&](std::size_t count) {
        return std::to_string(count) + " of " + std::to_string(tasks) + " printers done";
    };
    progress.Show(printersDone(0));
    const auto oneFinished = [&] {
        const std::lock_guard guard(progressLock);
        ++finished;
        progress.SetExpected(SecondsSince(started) * static_cast<double>(tasks) /
                             static_cast<double>(finished));
        progress.Show(printersDone(finished));
    };
    RunByServer(tasksOfServer, limits, [&](std::size_t s) -> FleetTask {
        std::shared_ptr<Spooler> spooler;
        std::shared_ptr<DeviceSpooler> deviceSpooler;
        std::shared_ptr<BaudFollowingSpooler> following;
        const bool device = s >= servers.size();
        if (!choice.dryRun && device) {
            deviceSpooler =
                std::make_shared<DeviceSpooler>(std::vector<NamedDevice>{}, environment.devices.open);
            deviceSpooler->SetDeadline(SpoolerDeadlineFromEnvironment());
            following = std::make_shared<BaudFollowingSpooler>(*deviceSpooler);
            spooler = following;
        } else if (!choice.dryRun) {
            std::unique_ptr<Spooler> listed;
            {
                const std::lock_guard guard(listingsLock);
                listed = std::move(listings[s].spooler);
            }
            if (!listed) {
                listed = environment.serverSpooler(servers[s]);
                listed->KnowPrinters(listings[s].infos);
            }
            spooler = std::move(listed);
        }
        const std::string serverName = device ? std::string() : names[s];
        return [&, s, spooler, deviceSpooler, following, serverName](std::size_t t) {
            FleetRow& row = rows[t];
            const auto begun = std::chrono::steady_clock::now();
            CollectingDialogs dialogs;
            std::ostringstream out;
            std::ostringstream rowErr;
            // No command that works on printers reads standard input.
            std::istringstream rowIn;
            std::unique_ptr<DryRun> dry = choice.dryRun ? std::make_unique<DryRun>(out) : nullptr;
            Spooler& base = dry ? dry->GetSpooler() : *spooler;
            Pause& pause = dry ? static_cast<Pause&>(*dry) : environment.pause;
            try {
                const PrinterRunResult result = RunOnPrinter(command, args, operandsFrom,
                                                             {.spooler = base,
                                                              .pause = pause,
                                                              .dialogs = dialogs,
                                                              .out = out,
                                                              .err = rowErr,
                                                              .in = rowIn,
                                                              .record = books[s].get(),
                                                              .recordDocuments = recordDocuments,
                                                              .printer = row.printer,
                                                              .server = serverName,
                                                              .json = choice.json,
                                                              .devices = &environment.devices,
                                                              .inputs = &inputs},
                                                             folders);
                row.status = result.status;
                row.documents = result.documents;
                row.unchanged = result.unchanged;
                if (following) {
                    const std::lock_guard guard(devicesFile);
                    const int followed = FollowBaudChanges(following->TakeChanges(), &environment.devices,
                                                           choice.followBaud, dialogs);
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
            oneFinished();
        };
    });
    progress.Clear();
    const double seconds = SecondsSince(started);

    std::ostream& out = environment.out;
    if (choice.json) {
        out << ReportJsonText(command.name, rows, seconds, choice.dryRun, choice.json, met) << '\n';
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
    PrintReport(command.name, rows, seconds, out);
    return FleetStatus(rows);
}

}  // namespace qvset::cli
