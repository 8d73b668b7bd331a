// qvctl status: many printers at a glance, each in one row: its queue as the print server reports it,
// the last document qvctl sent it, and what the printer's record implies of its paper and ticket.
#include <ctime>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CommandRegistry.h"
#include "cli/TerminalText.h"
#include "record/RecordFile.h"
#include "record/RecordWithServer.h"
#include "ticket/Catalogue.h"

namespace qvset::cli {
namespace {

using Json = nlohmann::ordered_json;

// A job that has waited this long while nothing else prints is stuck, not slow.
constexpr std::int64_t kStuckSeconds = 60;

std::string_view StateWord(QueueState state) {
    switch (state) {
        case QueueState::Idle:
            return "idle";
        case QueueState::Printing:
            return "printing";
        case QueueState::Stopped:
            return "stopped";
    }
    return "idle";
}

// "12 s", "3 min", "2 h".
std::string AgeText(std::int64_t seconds) {
    if (seconds < 120) return std::to_string(seconds) + " s";
    if (seconds < 7200) return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 3600) + " h";
}

// What the record implies of one item, in the decoder's words without their details ("paper 58 mm");
// nullopt when the record sets nothing of it.
std::optional<std::string> Implied(const PrinterState& state, int item) {
    const auto& commands = FindDistance(item) != nullptr ? state.Distances() : state.Switches();
    const auto found = commands.find(item);
    if (found == commands.end()) return std::nullopt;
    const std::string meaning = found->second.Decoded().meaning;
    return meaning.substr(0, meaning.find(" ("));
}

// What is wrong with a queue, in words; empty when nothing is.
std::vector<std::string> Problems(const QueueStatus& queue, std::int64_t now) {
    std::vector<std::string> problems;
    if (queue.state == QueueState::Stopped) problems.emplace_back("the queue is stopped");
    if (!queue.accepting) problems.emplace_back("the queue rejects new jobs");
    if (queue.held > 0)
        problems.push_back(std::to_string(queue.held) + (queue.held == 1 ? " job is" : " jobs are") +
                           " held");
    if (queue.oldestJob > 0 && now - queue.oldestJob >= kStuckSeconds) {
        problems.push_back("a job has waited " + AgeText(now - queue.oldestJob));
    }
    return problems;
}

// What status says of one printer: its queue, its problems, and what its record implies.
struct PrinterStatus {
    std::string printer;
    QueueStatus queue;
    std::int64_t now = 0;
    std::vector<std::string> problems;
    std::optional<Record> record;
    std::optional<std::string> paper;
    std::optional<std::string> length;
    std::optional<std::string> mark;

    const RecordEntry* LastDocument() const {
        return record && !record->entries.empty() ? &record->entries.back() : nullptr;
    }
};

// The record read beside the server's jobs, as printer-state reads it: an item another sender or a
// document of unknown fate could have changed is not shown as known.
void ReadRecordInto(CliContext& context, PrinterStatus& status) {
    RecordedState recorded;
    if (context.record != nullptr) {
        if (auto checked = ReadRecordWithServer(*context.record, context.spooler, status.printer, nullptr)) {
            status.record = std::move(checked->record);
            recorded = std::move(checked->state);
        }
    }
    const auto implied = [&recorded](int item) {
        return recorded.unknown.contains(item) ? std::nullopt : Implied(recorded.state, item);
    };
    status.paper = implied(kItemPaperWidth);
    status.length = implied(kItemTicketLength);
    status.mark = implied(kItemBlackMark);
}

Json StatusJson(const CliContext& context, const PrinterStatus& status) {
    const auto orNull = [](const std::optional<std::string>& text) { return text ? Json(*text) : Json(); };
    const QueueStatus& queue = status.queue;
    Json lastJson;
    if (const RecordEntry* last = status.LastDocument()) {
        lastJson = {{"number", status.record->NumberOf(status.record->entries.size() - 1)},
                    {"time", last->time},
                    {"command", last->command},
                    {"taken", last->taken}};
    }
    return {{"server", context.server},
            {"printer", status.printer},
            {"queue",
             {{"state", StateWord(queue.state)},
              {"accepting", queue.accepting},
              {"waiting", queue.waiting},
              {"held", queue.held},
              {"oldestSeconds", queue.oldestJob > 0 ? Json(status.now - queue.oldestJob) : Json()},
              {"message", queue.message}}},
            {"lastDocument", lastJson},
            {"paper", orNull(status.paper)},
            {"length", orNull(status.length)},
            {"blackMark", orNull(status.mark)},
            {"problems", status.problems}};
}

std::string StatusRow(const PrinterStatus& status) {
    const QueueStatus& queue = status.queue;
    const std::string stateWord =
        std::string(StateWord(queue.state)) + (queue.accepting ? "" : ", rejecting");
    std::string row = (status.problems.empty() ? "  " : "! ") + TerminalSafe(status.printer) + "  " +
                      stateWord + "  " + std::to_string(queue.waiting) + " waiting";
    if (queue.oldestJob > 0)
        row += " (oldest " + AgeText(std::max<std::int64_t>(0, status.now - queue.oldestJob)) + ")";
    const RecordEntry* last = status.LastDocument();
    row += last == nullptr ? "  nothing sent yet"
                           : "  last sent " + TerminalSafe(last->time) + " (" + TerminalSafe(last->command) +
                                 (last->taken ? "" : ", not taken") + ")";
    row += "  " + status.paper.value_or("paper unknown") + ", " +
           status.length.value_or("ticket length unknown") + ", " +
           status.mark.value_or("black mark unknown");
    for (const std::string& problem : status.problems) row += "  << " + problem;
    return row;
}

int Status(CliContext& context, const std::vector<std::string>& /*args*/) {
    bool json = context.json;
    for (const ParsedArgument& argument : context.parsed.inOrder) {
        if (!argument.declared) return UsageError(context, "unknown argument " + argument.text);
        json = true;  // the usage's one option is --json
    }
    PrinterStatus status;
    status.printer = context.spooler.CurrentPrinter();
    if (status.printer.empty()) {
        context.err << "qvctl: status: no current printer; name one with --printer NAME\n";
        return kExitPrinterFailed;
    }
    const auto queue = context.spooler.StatusOfQueue(status.printer);
    if (!queue) {
        context.err << "qvctl: status: " << TerminalSafe(status.printer)
                    << (context.spooler.LastFault() == SpoolerFault::Unreachable
                            ? ": the print server could not be asked"
                            : ": the spooler gives no state for this queue")
                    << '\n';
        return kExitPrinterFailed;
    }
    status.queue = *queue;
    status.now = std::time(nullptr);
    status.problems = Problems(status.queue, status.now);
    ReadRecordInto(context, status);
    if (json) {
        context.out << TerminalSafeJson(
                           StatusJson(context, status).dump(2, ' ', false, Json::error_handler_t::replace))
                    << '\n';
    } else {
        context.out << StatusRow(status) << '\n';
    }
    // A broken queue fails, so that it stands out in a fleet's report and in a script's status.
    for (const std::string& problem : status.problems)
        context.err << "qvctl: status: " << TerminalSafe(status.printer) << ": " << problem << '\n';
    return status.problems.empty() ? kExitOk : kExitPrinterFailed;
}

}  // namespace

void RegisterStatusCommands(CommandRegistry& registry) {
    registry.Add(
        {.name = "status",
         .usage = "[--json]",
         .summary = "one row per printer: its queue, the last document sent, the paper and ticket it implies",
         .help =
             "The row: the queue's state (idle, printing, stopped; \"rejecting\" when it takes no new "
             "jobs),\n"
             "the jobs waiting and the oldest one's age, the last document qvctl sent (its time and\n"
             "command, from the record) and what the record implies of the paper width, the ticket\n"
             "length and the black mark. A stopped or rejecting queue, a held job or a job waiting a minute\n"
             "or more,\n"
             "starts the row with \"!\", is said on stderr and exits 1. With --server and --printer\n"
             "(patterns too) one row per printer of every chosen server; --json prints {\"server\",\n"
             "\"printer\", \"queue\": {\"state\", \"accepting\", \"waiting\", \"held\", \"oldestSeconds\",\n"
             "\"message\"},\n"
             "\"lastDocument\", \"paper\", \"length\", \"blackMark\", \"problems\"}.",
         .run = Status,
         .sendsDocuments = false});
}

}  // namespace qvset::cli
