// Many printers on many print servers: one command run on each chosen printer, concurrently, and a
// report of what each took.
#include "cli/FleetCommandLine.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/DeviceCommands.h"
#include "cli/DryRun.h"
#include "cli/ProgressLine.h"
#include "cli/TerminalText.h"
#include "fleet/FleetRun.h"
#include "fleet/FleetTargets.h"
#include "printer/MemorySpooler.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/PrinterSelection.h"
#include "printer/SpoolerDeadline.h"
#include "printer/device/DeviceSpooler.h"
#include "record/BaudFollowing.h"
#include "record/RecordingSpooler.h"
#include "text/Utf8.h"

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

// One row of the report.
struct Row {
    std::string server;   // as the record names it; empty when the printer was found on no server
    std::string printer;  // empty for a server that was not reached; a device's URI
    bool device = false;  // a printer reached without a spooler
    int status = kExitOk;
    int documents = 0;
    bool unchanged = false;
    std::vector<std::string> messages;
    std::string output;  // what the command printed (its listing, a dry run's documents)
    double seconds = 0;
};

std::string_view ResultWord(const Row& row) {
    switch (row.status) {
        case kExitOk:
            return row.unchanged ? "unchanged" : "ok";
        case kExitRefused:
            return "refused";
        default:
            return "failed";
    }
}

// Seconds with three decimals and a decimal point, whatever the locale.
std::string Seconds(double seconds) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 3);
    return std::string(text, written.ptr);
}

double RoundedToMilliseconds(double seconds) {
    return std::round(seconds * 1000) / 1000;
}

std::string JoinMessages(const std::vector<std::string>& messages) {
    std::string joined;
    for (const auto& message : messages) {
        if (message.empty()) continue;
        joined += (joined.empty() ? "" : "; ") + message;
    }
    return joined;
}

// Each line of an error stream's text as a message of its own.
void AddLines(std::vector<std::string>& messages, const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) messages.push_back(line);
    }
}

// The status of a whole fleet: failed when any printer failed, else refused when any refused.
int FleetStatus(const std::vector<Row>& rows) {
    int status = kExitOk;
    for (const Row& row : rows) {
        if (row.status == kExitPrinterFailed) return kExitPrinterFailed;
        if (row.status != kExitOk) status = row.status;
    }
    return status;
}

// The columns a cell takes on a terminal: two for the wide characters of East Asian scripts (a CJK
// printer name), one for every other character.
std::size_t ReportColumns(std::string_view text) {
    std::size_t columns = 0;
    while (!text.empty()) {
        const Utf8Character character = ReadUtf8Character(text);
        const std::size_t span = std::max<std::size_t>(1, character.span);
        const char32_t c = character.code.value_or(U'?');
        const bool wide =
            (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
            (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
            (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
            (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        columns += wide ? 2 : 1;
        text.remove_prefix(std::min(span, text.size()));
    }
    return columns;
}

std::string PadCell(std::string text, std::size_t width) {
    const std::size_t columns = ReportColumns(text);
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

void PrintReport(const std::string& commandName, const std::vector<Row>& rows, double seconds,
                 std::ostream& out) {
    const std::vector<std::string> heading{"server", "printer", "documents", "result", "time"};
    std::vector<std::vector<std::string>> cells;
    for (const Row& row : rows) {
        cells.push_back(
            {row.device ? std::string("device") : TerminalSafe(row.server.empty() ? "-" : row.server),
             TerminalSafe(row.printer.empty() ? "-" : row.printer), std::to_string(row.documents),
             std::string(ResultWord(row)), Seconds(row.seconds) + " s"});
    }
    std::vector<std::size_t> widths;
    for (const auto& title : heading) widths.push_back(title.size());
    for (const auto& line : cells) {
        for (std::size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], ReportColumns(line[i]));
    }
    std::string line;
    for (std::size_t i = 0; i < heading.size(); ++i) line += PadCell(heading[i], widths[i] + 2);
    out << line << "message\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        line.clear();
        for (std::size_t i = 0; i < cells[r].size(); ++i) line += PadCell(cells[r][i], widths[i] + 2);
        line += TerminalSafe(JoinMessages(rows[r].messages));
        out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
    }
    std::map<std::string_view, int> counts;
    int documents = 0;
    for (const Row& row : rows) {
        ++counts[ResultWord(row)];
        documents += row.documents;
    }
    out << commandName << ": " << rows.size() << (rows.size() == 1 ? " printer" : " printers") << ": "
        << counts["ok"] << " ok, " << counts["unchanged"] << " unchanged, " << counts["failed"] << " failed, "
        << counts["refused"] << " refused; " << documents << (documents == 1 ? " document" : " documents")
        << " in " << Seconds(seconds) << " s\n";
}

Json ReportJson(const std::string& commandName, const std::vector<Row>& rows, double seconds, bool dryRun,
                bool jsonOutput) {
    Json printers = Json::array();
    std::map<std::string, int> counts{{"ok", 0}, {"unchanged", 0}, {"failed", 0}, {"refused", 0}};
    int documents = 0;
    for (const Row& row : rows) {
        Json entry = {{"server", row.server},
                      {"printer", row.printer},
                      {"result", ResultWord(row)},
                      {"status", row.status},
                      {"documents", row.documents},
                      {"messages", row.messages},
                      {"seconds", RoundedToMilliseconds(row.seconds)}};
        if (!row.output.empty()) {
            Json parsed(Json::value_t::discarded);
            if (jsonOutput) parsed = Json::parse(row.output, nullptr, false);
            entry["output"] = parsed.is_discarded() ? Json(row.output) : std::move(parsed);
        }
        printers.push_back(std::move(entry));
        ++counts[std::string(ResultWord(row))];
        documents += row.documents;
    }
    return {{"command", commandName},
            {"dryRun", dryRun},
            {"printers", std::move(printers)},
            {"summary",
             {{"printers", rows.size()},
              {"ok", counts["ok"]},
              {"unchanged", counts["unchanged"]},
              {"failed", counts["failed"]},
              {"refused", counts["refused"]},
              {"documents", documents},
              {"seconds", RoundedToMilliseconds(seconds)}}},
            {"status", FleetStatus(rows)}};
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What each chosen server said when asked for its printers, asked of all servers at once (a frozen
// server costs one deadline, not one per server).
struct Listing {
    ServerPrinters printers;
    std::vector<PrinterInfo> infos;
};

std::vector<Listing> ListServers(CliEnvironment& environment, const std::vector<std::string>& servers,
                                 bool askCurrent) {
    std::vector<Listing> listings(servers.size());
    std::vector<std::thread> askers;
    for (std::size_t s = 0; s < servers.size(); ++s) {
        askers.emplace_back([&, s] {
            Listing& listing = listings[s];
            const auto spooler = environment.serverSpooler(servers[s]);
            listing.infos = spooler->ListPrinters();
            listing.printers.reached = spooler->LastFault() != SpoolerFault::Unreachable;
            for (const auto& info : listing.infos) listing.printers.printers.push_back(info.deviceName);
            if (listing.printers.reached && askCurrent) {
                listing.printers.current = spooler->CurrentPrinter();
                listing.printers.reached = spooler->LastFault() != SpoolerFault::Unreachable;
            }
        });
    }
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

// A printer or server named with a control character in it (a CR read from a CR LF file, an escape
// sequence) is refused before anything is asked or sent: no queue has such a name, and the record would
// keep a file of its own for it. The message names the argument, its bytes made visible.
bool RefusedName(std::ostream& err, const std::string& commandName, std::string_view what,
                 const std::string& name) {
    if (!HasControlCharacter(name)) return false;
    err << "qvctl: the " << what << " \"" << TerminalSafe(name) << "\" holds a control character\n"
        << "see: qvctl " << commandName << " --help\n";
    return true;
}

}  // namespace

PrinterRunResult RunOnPrinter(const CliCommand& command, const std::vector<std::string>& args,
                              std::size_t operandsFrom, const PrinterSetting& setting,
                              const std::vector<std::filesystem::path>& printFileFolders) {
    if (RefusedName(setting.err, command.name, "printer name", setting.printer) ||
        RefusedName(setting.err, command.name, "print server", setting.server)) {
        return {kExitRefused, 0, false};
    }
    std::unique_ptr<RecordingSpooler> recording;
    if (setting.recordDocuments && setting.record != nullptr) {
        recording = std::make_unique<RecordingSpooler>(setting.spooler, *setting.record, command.name);
    }
    Spooler& recorded = recording ? *recording : setting.spooler;
    std::unique_ptr<PrinterOverrideSpooler> override;
    if (!setting.printer.empty())
        override = std::make_unique<PrinterOverrideSpooler>(recorded, setting.printer);
    Spooler& target = override ? *override : recorded;

    PrintChannel channel(target, setting.dialogs, printFileFolders);
    CliContext context{.command = command,
                       .spooler = target,
                       .dialogs = setting.dialogs,
                       .channel = channel,
                       .pause = setting.pause,
                       .out = setting.out,
                       .err = setting.err,
                       .in = setting.in,
                       .record = setting.record,
                       .printerGiven = !setting.printer.empty(),
                       .server = setting.server,
                       .json = setting.json,
                       .devices = setting.devices,
                       .progress = setting.progress,
                       .operandsFrom = operandsFrom};
    PrinterRunResult result;
    result.status = command.run(context, args);
    result.documents = channel.SentDocuments();
    result.unchanged = context.unchanged;
    if (result.status != kExitOk) return result;
    if (channel.OpenFailures() > 0)
        result.status = kExitPrinterFailed;
    else if (channel.RefusedCommands() > 0)
        result.status = kExitRefused;
    return result;
}

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
    // Devices alone ask no print server.
    const bool devicesAlone = !choice.devices.empty() && choice.servers.empty() && choice.printers.empty();
    const std::vector<std::string> chosenServers = !choice.servers.empty() ? choice.servers
                                                   : devicesAlone          ? std::vector<std::string>{}
                                                                           : std::vector<std::string>{""};
    for (const std::string& server : chosenServers) {
        if (!environment.serverSpooler(server)) {
            err << "qvctl: not a print server: " << TerminalSafe(server) << "\nsee: qvctl --help\n";
            return kExitRefused;
        }
        const std::string name = environment.serverRecordName(server);
        if (std::find(names.begin(), names.end(), name) != names.end()) continue;
        servers.push_back(server);
        names.push_back(name);
    }
    const std::vector<std::filesystem::path> folders =
        environment.printFileFolders.empty() ? std::vector<std::filesystem::path>{environment.programFolder}
                                             : environment.printFileFolders;

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
        const PrinterRunResult tried = RunOnPrinter(
            command, args, operandsFrom,
            {trial, noPause, dialogs, out, trialErr, noInput, nullptr, false, {}, {}, false}, folders);
        if (tried.status == kExitRefused) {
            err << trialErr.str();
            for (const auto& message : dialogs.messages) environment.dialogs.Message(message);
            return kExitRefused;
        }
    }

    const auto started = std::chrono::steady_clock::now();
    std::vector<Listing> listings =
        ListServers(environment, servers, choice.printers.empty() || command.scope == FleetScope::Server);
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
    std::vector<Row> rows(targets.size());
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
        Row row;
        row.printer = choice.devices[d];
        row.device = true;
        rows.push_back(row);
        tasksOfServer[servers.size() + d].push_back(rows.size() - 1);
    }
    std::mutex devicesFile;
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
    RunByServer(tasksOfServer, {environment.perServer, environment.total}, [&](std::size_t s) -> FleetTask {
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
            spooler = environment.serverSpooler(servers[s]);
        }
        const std::string serverName = device ? std::string() : names[s];
        return [&, s, spooler, deviceSpooler, following, serverName](std::size_t t) {
            Row& row = rows[t];
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
                const PrinterRunResult result =
                    RunOnPrinter(command, args, operandsFrom,
                                 {base, pause, dialogs, out, rowErr, rowIn, books[s].get(), recordDocuments,
                                  row.printer, serverName, choice.json, &environment.devices},
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
        Json report = ReportJson(command.name, rows, seconds, choice.dryRun, choice.json);
        Json same = Json::array();
        for (const auto& [kept, also] : met) same.push_back({{"server", kept}, {"sameAs", also}});
        report["sameServers"] = std::move(same);
        out << TerminalSafeJson(report.dump(2, ' ', false, Json::error_handler_t::replace)) << '\n';
        return FleetStatus(rows);
    }
    for (const auto& [kept, also] : met) {
        out << TerminalSafe(also) << " is the same print server as " << TerminalSafe(kept)
            << ": its printers are served once, as " << TerminalSafe(kept) << '\n';
    }
    for (const Row& row : rows) {
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
