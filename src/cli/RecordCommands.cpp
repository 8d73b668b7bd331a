// qvctl history: what each printer was sent, from the record qvctl keeps of every document.
#include "cli/RecordCommands.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/ArgumentParsing.h"
#include "cli/TerminalText.h"
#include "decode/CommandDecoder.h"
#include "decode/CommonCommands.h"
#include "decode/StateListing.h"
#include "decode/VirtualPrinterFolder.h"
#include "printer/HexCodec.h"
#include "record/RecordWithServer.h"

namespace qvset::cli {
namespace {

using Json = nlohmann::ordered_json;

// How many commands of a document the one-line summary names.
constexpr std::size_t kSummaryCommands = 4;
// How many bytes of a document the summary shows.
constexpr std::size_t kSummaryBytes = 8;

// The printer and its record, or a message and the exit status when there is none to read.
struct OpenedRecord {
    std::string printer;
    std::optional<Record> record;
    QueueIdentity queue;
    RecordedState state;
    // The settings as the printer application in front of the printer reports them (empty: none).
    std::optional<std::vector<ServiceSetting>> service = {};
};

OpenedRecord OpenRecord(CliContext& context, std::string_view commandName, int& status) {
    status = kExitOk;
    const std::string printer = context.spooler.CurrentPrinter();
    if (printer.empty()) {
        context.err << "qvctl " << commandName << ": no current printer; name one with --printer NAME\n";
        status = kExitPrinterFailed;
        return {};
    }
    if (context.record == nullptr) {
        context.err << "qvctl " << commandName << ": no record is kept here\n";
        status = kExitPrinterFailed;
        return {};
    }
    std::string error;
    auto checked = ReadRecordWithServer(*context.record, context.spooler, printer, &error);
    if (!checked) {
        context.err << "qvctl " << commandName << ": " << TerminalSafe(error) << '\n';
        status = kExitPrinterFailed;
        return {printer, std::nullopt, {}, {}};
    }
    OpenedRecord opened{printer, std::move(checked->record), checked->queue, std::move(checked->state)};
    if (checked->fromService) opened.service = std::move(checked->service);
    return opened;
}

// "taken", "not taken", "completed (job 12)", "no answer: may have been printed", ...
std::string FateText(const RecordEntry& entry) {
    const std::string job = entry.job > 0 ? " (job " + std::to_string(entry.job) + ")" : std::string();
    switch (entry.fate) {
        case RecordFate::Answered:
            return (entry.taken ? "taken" : "not taken") + job;
        case RecordFate::NoAnswer:
            return "no answer, may have been printed" + job;
        case RecordFate::Pending:
            return "outcome not recorded";
        case RecordFate::Gap:
            return "documents not recorded";
        case RecordFate::Completed:
        case RecordFate::Canceled:
        case RecordFate::Aborted:
            break;
    }
    return std::string(RecordFateWord(entry.fate)) + job;
}

std::string Heading(CliContext& context, const OpenedRecord& opened) {
    const std::string& server = context.record->Server();
    return "record of " + TerminalSafe(opened.printer) + " on " +
           (server.empty() ? "this machine" : TerminalSafe(server)) + " (" +
           TerminalSafe(PathText(context.record->FileOf(opened.printer, opened.queue))) + ")\n";
}

// "31 bytes 1B 42 02 1B 42 05 1B 42 0C … (ESC B 02, ESC B 05, ESC B 0C, ESC B 06, … 9 commands)": the
// first bytes and the first commands the decoder finds in them.
std::string Summary(const RecordEntry& entry) {
    // A large document is kept by its size, its digest and the commands of it that set the state.
    if (!entry.digest.empty()) {
        return std::to_string(entry.size) + " bytes, " + entry.digest + ", of which " +
               std::to_string(entry.bytes.size()) + " bytes of settings kept";
    }
    std::string text = std::to_string(entry.bytes.size()) + (entry.bytes.size() == 1 ? " byte" : " bytes");
    for (std::size_t i = 0; i < entry.bytes.size() && i < kSummaryBytes; ++i) {
        text += ' ' + HexPair(entry.bytes[i]);
    }
    if (entry.bytes.size() > kSummaryBytes) text += " …";
    const auto commands = DecodeDocument(entry.bytes);
    std::string named;
    for (std::size_t i = 0; i < commands.size() && i < kSummaryCommands; ++i) {
        const DecodedCommand& command = commands[i];
        named += (i > 0 ? ", " : "");
        if (command.kind != CommandKind::Unknown) {
            named += command.mnemonic;
        } else {
            named += IsCommonCommand(command) ? CommonCommandName(command) : std::string("unknown");
        }
    }
    if (commands.size() > kSummaryCommands) named += ", … " + std::to_string(commands.size()) + " commands";
    return named.empty() ? text : text + " (" + named + ")";
}

void PrintHistoryJson(CliContext& context, const OpenedRecord& opened) {
    const Record& record = *opened.record;
    Json documents = Json::array();
    for (std::size_t i = 0; i < record.entries.size(); ++i) {
        const RecordEntry& entry = record.entries[i];
        Json document = {
            {"number", record.NumberOf(i)},       {"time", entry.time},
            {"command", entry.command},           {"taken", entry.taken},
            {"fate", RecordFateWord(entry.fate)}, {"job", entry.job > 0 ? Json(entry.job) : Json(nullptr)},
            {"bytes", EncodeHex(entry.bytes)}};
        if (entry.fate == RecordFate::Gap) document["missed"] = entry.missed;
        if (!entry.digest.empty()) {
            document["size"] = entry.size;
            document["digest"] = entry.digest;
        }
        documents.push_back(std::move(document));
    }
    const Json shape = {{"server", context.record->Server()},
                        {"printer", opened.printer},
                        {"file", PathText(context.record->FileOf(opened.printer, opened.queue))},
                        {"folded", record.folded},
                        {"documents", std::move(documents)}};
    context.out << shape.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

// Every client's documents, as the printer application saw them, before this PC's own.
void PrintServiceSettings(CliContext& context, const OpenedRecord& opened) {
    context.out << "settings the printer application holds for " << TerminalSafe(opened.printer)
                << " (from every client's documents):\n";
    if (opened.service->empty()) context.out << "  (none yet)\n";
    for (const auto& setting : *opened.service) {
        context.out << "  " << TerminalSafe(setting.name) << " " << TerminalSafe(setting.value) << "  "
                    << (setting.job.empty()
                            ? std::string("(no document: the model's default)")
                            : TerminalSafe(setting.job + (setting.when.empty() ? "" : " at " + setting.when) +
                                           (setting.sender.empty() ? "" : " from " + setting.sender)))
                    << '\n';
    }
    context.out << "documents this PC sent:\n";
}

void PrintHistoryLines(CliContext& context, const Record& record) {
    if (record.folded > 0) {
        context.out << "(" << record.folded << " earlier documents folded into the printer's state)\n";
    }
    if (record.damagedLines > 0) context.out << "(" << record.damagedLines << " damaged lines left out)\n";
    if (record.entries.empty() && record.folded == 0) context.out << "nothing recorded yet\n";
    for (std::size_t i = 0; i < record.entries.size(); ++i) {
        const RecordEntry& entry = record.entries[i];
        context.out << std::string(6 - std::min<std::size_t>(6, std::to_string(record.NumberOf(i)).size()),
                                   ' ')
                    << record.NumberOf(i) << "  " << entry.time << "  " << FateText(entry);
        // The two words the record had from the start keep their column.
        if (FateText(entry).size() < 9) context.out << std::string(9 - FateText(entry).size(), ' ');
        if (entry.fate == RecordFate::Gap) {
            context.out << (entry.missed > 0 ? ": " + std::to_string(entry.missed) : std::string()) << '\n';
            continue;
        }
        context.out << "  " << TerminalSafe(entry.command) << "  " << TerminalSafe(Summary(entry)) << '\n';
    }
}

int ShowHistory(CliContext& context, const std::vector<std::string>& /*args*/) {
    bool json = false;
    for (const ParsedArgument& argument : context.parsed.inOrder) {
        if (!argument.declared) return UsageError(context, "unknown argument " + argument.text);
        json = true;
    }
    int status = kExitOk;
    const OpenedRecord opened = OpenRecord(context, "history", status);
    if (!opened.record) return status;
    if (json) {
        PrintHistoryJson(context, opened);
        return kExitOk;
    }
    context.out << Heading(context, opened);
    if (opened.service) PrintServiceSettings(context, opened);
    PrintHistoryLines(context, *opened.record);
    return kExitOk;
}

}  // namespace

bool ShowsRecordedState(CliContext& context) {
    if (!context.printerGiven || context.record == nullptr) return false;
    const std::string printer = context.spooler.CurrentPrinter();
    for (const auto& info : context.spooler.ListPrinters()) {
        if (info.deviceName == printer && VirtualPrinterFolder(info.port)) return false;
    }
    return true;
}

int ShowRecordedState(CliContext& context, bool json) {
    int status = kExitOk;
    const OpenedRecord opened = OpenRecord(context, "printer-state", status);
    if (!opened.record) return status;
    const PrinterState& state = opened.state.state;
    if (opened.service) {
        (json ? context.err : context.out)
            << "state the printer application holds for " << TerminalSafe(opened.printer)
            << " (the documents of every client); "
            << "mode values and parameter table from the " << Heading(context, opened);
    } else {
        (json ? context.err : context.out) << "state implied by the " << Heading(context, opened);
    }
    // What the record cannot vouch for, item by item, beside the state.
    for (const auto& [item, reason] : opened.state.unknown) {
        (json ? context.err : context.out)
            << "item " << item << ": unknown: " << TerminalSafe(reason) << '\n';
    }
    if (json) {
        context.out << state.ToJson();
        return kExitOk;
    }
    if (opened.record->entries.empty() && opened.record->folded == 0) context.out << "nothing recorded yet\n";
    context.out << RenderPrinterState(state);
    return kExitOk;
}

void RegisterRecordCommands(CommandRegistry& registry) {
    registry.Add(
        {.name = "history",
         .usage = "[--json]",
         .summary = "show what was sent to the current printer (or --printer NAME), oldest first",
         .help =
             "Every document qvctl hands to a spooler is recorded per printer and print server in\n"
             "$XDG_STATE_HOME/qvset/records (by default ~/.local/state/qvset/records; Windows:\n"
             "%LOCALAPPDATA%\\qvset\\records); QVSET_RECORD=off keeps no record. Each line: the document's\n"
             "number, its time (UTC), what became of it (taken, not taken, the job's end on the server:\n"
             "completed, canceled, aborted; or no answer, may have been printed; outcome not recorded), the\n"
             "command that sent it and its bytes with the first commands they hold. A record past 1 MB has "
             "its older documents folded into\n"
             "the state they imply (qvctl --printer NAME printer-state shows it); they are counted, no\n"
             "longer listed. --json prints one object:\n"
             "  {\"server\": \"localhost:631\", \"printer\": \"QV640\", \"file\": \"...\", \"folded\": 0,\n"
             "   \"documents\": [{\"number\": 1, \"time\": \"2026-12-08T21:10:00.123Z\",\n"
             "                  \"command\": \"ticket apply\", \"taken\": true, \"fate\": \"completed\",\n"
             "                  \"job\": 412, \"bytes\": \"1B4202\"}]}",
         .run = RefusingControlCharacters(ShowHistory),
         .sendsDocuments = false});
}

}  // namespace qvset::cli
