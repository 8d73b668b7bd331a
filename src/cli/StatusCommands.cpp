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

int Status(CliContext& context, const std::vector<std::string>& args) {
    const bool json = context.json || !args.empty();  // the usage's one option is --json
    const std::string printer = context.spooler.CurrentPrinter();
    if (printer.empty()) {
        context.err << "qvctl: status: no current printer; name one with --printer NAME\n";
        return kExitPrinterFailed;
    }
    const auto queue = context.spooler.StatusOfQueue(printer);
    if (!queue) {
        context.err << "qvctl: status: " << TerminalSafe(printer)
                    << (context.spooler.LastFault() == SpoolerFault::Unreachable
                            ? ": the print server could not be asked"
                            : ": the spooler gives no state for this queue")
                    << '\n';
        return kExitPrinterFailed;
    }
    const std::int64_t now = std::time(nullptr);
    const std::vector<std::string> problems = Problems(*queue, now);
    // The record read beside the server's jobs, as printer-state reads it: an item another sender or
    // a document of unknown fate could have changed is not shown as known.
    std::optional<Record> record;
    RecordedState recorded;
    if (context.record != nullptr) {
        if (auto checked = ReadRecordWithServer(*context.record, context.spooler, printer, nullptr)) {
            record = std::move(checked->record);
            recorded = std::move(checked->state);
        }
    }
    const RecordEntry* last = record && !record->entries.empty() ? &record->entries.back() : nullptr;
    const auto implied = [&recorded](int item) {
        return recorded.unknown.contains(item) ? std::nullopt : Implied(recorded.state, item);
    };
    const auto paper = implied(kItemPaperWidth);
    const auto length = implied(kItemTicketLength);
    const auto mark = implied(kItemBlackMark);
    const std::string stateWord =
        std::string(StateWord(queue->state)) + (queue->accepting ? "" : ", rejecting");

    if (json) {
        const auto orNull = [](const std::optional<std::string>& text) {
            return text ? Json(*text) : Json();
        };
        Json lastJson;
        if (last != nullptr) {
            lastJson = {{"number", record->NumberOf(record->entries.size() - 1)},
                        {"time", last->time},
                        {"command", last->command},
                        {"taken", last->taken}};
        }
        const Json status = {
            {"server", context.server},
            {"printer", printer},
            {"queue",
             {{"state", StateWord(queue->state)},
              {"accepting", queue->accepting},
              {"waiting", queue->waiting},
              {"held", queue->held},
              {"oldestSeconds", queue->oldestJob > 0 ? Json(now - queue->oldestJob) : Json()},
              {"message", queue->message}}},
            {"lastDocument", lastJson},
            {"paper", orNull(paper)},
            {"length", orNull(length)},
            {"blackMark", orNull(mark)},
            {"problems", problems}};
        context.out << TerminalSafeJson(status.dump(2, ' ', false, Json::error_handler_t::replace)) << '\n';
    } else {
        std::string row = (problems.empty() ? "  " : "! ") + TerminalSafe(printer) + "  " + stateWord + "  " +
                          std::to_string(queue->waiting) + " waiting";
        if (queue->oldestJob > 0)
            row += " (oldest " + AgeText(std::max<std::int64_t>(0, now - queue->oldestJob)) + ")";
        row += last == nullptr ? "  nothing sent yet"
                               : "  last sent " + TerminalSafe(last->time) + " (" +
                                     TerminalSafe(last->command) + (last->taken ? "" : ", not taken") + ")";
        row += "  " + paper.value_or("paper unknown") + ", " + length.value_or("ticket length unknown") +
               ", " + mark.value_or("black mark unknown");
        for (const std::string& problem : problems) row += "  << " + problem;
        context.out << row << '\n';
    }
    // A broken queue fails, so that it stands out in a fleet's report and in a script's status.
    for (const std::string& problem : problems)
        context.err << "qvctl: status: " << TerminalSafe(printer) << ": " << problem << '\n';
    return problems.empty() ? kExitOk : kExitPrinterFailed;
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
