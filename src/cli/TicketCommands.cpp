// qvctl commands of ticket description files: show one, send one as "设置票样" does, write a new one.
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/ArgumentParsing.h"
#include "cli/ArgumentValues.h"
#include "cli/CommandRegistry.h"
#include "cli/RunInputs.h"
#include "cli/TerminalText.h"
#include "printer/HexCodec.h"
#include "record/RecordFile.h"
#include "record/RecordWithServer.h"
#include "record/TicketPlan.h"
#include "settings/BatchSend.h"
#include "settings/SwitchCommands.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketFiles.h"
#include "ticket/TicketGeometry.h"

namespace qvset::cli {
namespace {

constexpr std::string_view kNotRecorded = "未设置";
constexpr std::string_view kUnknownCode = "无效代码";

// Reads a description as "打开票样" does, once for all the printers the command line serves; a refused
// or unreadable file prints its message.
bool ReadDescription(CliContext& context, const std::string& fileName, TicketDescription& description) {
    DescriptionRead read = context.inputs.Description(fileName);
    description = std::move(read.description);
    switch (read.outcome) {
        case TicketFileRead::Complete:
        case TicketFileRead::Ended:
            return true;
        // The window's messages, with the file they are about.
        case TicketFileRead::Refused:
            context.dialogs.Message(std::string(kMsgFileRefused) + "：" + fileName);
            return false;
        case TicketFileRead::Unreadable:
            context.dialogs.Message(std::string(kMsgCannotOpenFile) + "：" + fileName);
            return false;
    }
    return false;
}

std::string ChoiceInWords(const TicketDescription& description, int item) {
    const std::int16_t code = description.Code(item);
    if (code == kCodeNone) return std::string(kNotRecorded);
    if (FindDistance(item) != nullptr) {
        return code == kCodeFirst ? description.DistanceText(item) + " mm" : std::string(kUnknownCode);
    }
    const SwitchChoice* choice = FindSwitchChoice(item, code);
    return choice == nullptr ? std::string(kUnknownCode) : std::string(choice->choiceText);
}

using Json = nlohmann::ordered_json;

constexpr std::string_view kChangedOnlyOption = "--changed-only";

std::string_view ItemName(int item) {
    const TicketDistance* distance = FindDistance(item);
    return distance != nullptr ? distance->chineseName : ItemCaption(item);
}

// The one file a command names, and which of its options were given.
struct FileArguments {
    std::string file;
    bool json = false;
    bool changedOnly = false;
};

// Both options are read by name whether the command declares them or not: "ticket apply --json FILE"
// has always run as "ticket apply FILE".
FileArguments ReadFileArguments(const CliContext& context) {
    FileArguments read;
    read.json = context.json;
    for (const ParsedArgument& argument : context.parsed.inOrder) {
        if (argument.option && argument.text == kJsonOption) {
            read.json = true;
        } else if (argument.option && argument.text == kChangedOnlyOption) {
            read.changedOnly = true;
        } else {
            read.file = argument.text;
        }
    }
    return read;
}

void PrintJson(CliContext& context, const Json& json) {
    context.out << TerminalSafeJson(json.dump(2, ' ', false, Json::error_handler_t::replace)) << '\n';
}

int ShowTicket(CliContext& context, const std::vector<std::string>& /*args*/) {
    const FileArguments read = ReadFileArguments(context);
    TicketDescription description;
    if (!ReadDescription(context, read.file, description)) return kExitRefused;
    Json items = Json::array();
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        if (read.json) {
            items.push_back({{"item", item},
                             {"caption", ItemName(item)},
                             {"code", description.Code(item)},
                             {"choice", ChoiceInWords(description, item)}});
            continue;
        }
        context.out << item << ' ' << ItemName(item) << ": " << description.Code(item) << ' '
                    << TerminalSafe(ChoiceInWords(description, item)) << '\n';
    }
    if (read.json) PrintJson(context, {{"file", read.file}, {"items", std::move(items)}});
    return kExitOk;
}

// What the current printer's record implies, for a plan; nullopt (said on stderr, exit 1) when the
// printer or its record cannot be had.
std::optional<RecordedState> StateOfRecord(CliContext& context, std::string& printer) {
    printer = context.spooler.CurrentPrinter();
    if (printer.empty()) {
        context.err << "qvctl " << context.command.name
                    << ": no current printer; name one with --printer NAME\n";
        return std::nullopt;
    }
    if (context.record == nullptr) {
        context.err << "qvctl " << context.command.name
                    << ": no record is kept here, so what the printer holds is not known\n";
        return std::nullopt;
    }
    std::string error;
    auto checked = ReadRecordWithServer(*context.record, context.spooler, printer, &error);
    if (!checked) {
        context.err << "qvctl " << context.command.name << ": " << TerminalSafe(error) << '\n';
        return std::nullopt;
    }
    return std::move(checked->state);
}

int ApplyTicket(CliContext& context, const std::vector<std::string>& /*args*/) {
    const FileArguments read = ReadFileArguments(context);
    TicketDescription description;
    if (!ReadDescription(context, read.file, description)) return kExitRefused;
    if (!read.changedOnly) return ShowOutcome(context, SendTicket(context.channel, description));
    // What is refused without --changed-only is refused with it, before the record is read.
    if (description.RecordedCount() == 0)
        return ShowOutcome(context, SendTicket(context.channel, description));
    std::string printer;
    const auto state = StateOfRecord(context, printer);
    const auto plan = PlanTicket(description, state ? state->state : PrinterState{},
                                 state ? state->unknown : std::map<int, std::string>{});
    if (!plan) return ShowOutcome(context, SendTicket(context.channel, description));
    if (!state) return kExitPrinterFailed;
    // Only codes that build nothing: there is nothing to set.
    if (plan->empty()) return ShowOutcome(context, Refusal(kMsgNothingToSet));
    // The document is the plan's, as planned: nothing is built again.
    const PlannedBatch batch = BatchOfPlan(*plan);
    if (batch.bytes.empty()) {
        context.unchanged = true;
        context.err << "nothing sent: every item is as last sent to " << TerminalSafe(printer) << '\n';
        return kExitOk;
    }
    if (batch.baudNotice) context.channel.GetDialogs().Message(kMsgBaudRateSet);
    context.channel.SendBytes(batch.bytes);
    return ShowOutcome(context, SendOutcome{1, {}, {}});
}

int PlanTicketCommand(CliContext& context, const std::vector<std::string>& /*args*/) {
    const FileArguments read = ReadFileArguments(context);
    TicketDescription description;
    if (!ReadDescription(context, read.file, description)) return kExitRefused;
    std::string printer;
    const auto state = StateOfRecord(context, printer);
    if (!state) return kExitPrinterFailed;
    const auto plan = PlanTicket(description, state->state, state->unknown);
    if (!plan) {
        context.dialogs.Message(kMsgValueOutOfRange);
        return kExitRefused;
    }
    // What ticket apply --changed-only sends: a plan of items all the same sends nothing.
    const std::string sends = EncodeHex(BatchOfPlan(*plan).bytes);
    if (read.json) {
        Json items = Json::array();
        for (const ItemPlan& entry : *plan) {
            Json item = {{"item", entry.item},
                         {"caption", ItemName(entry.item)},
                         {"choice", ChoiceInWords(description, entry.item)},
                         {"reason", ItemPlanReasonWord(entry.reason)},
                         {"why", entry.why.empty() ? Json(nullptr) : Json(entry.why)},
                         {"bytes", EncodeHex(entry.wanted)},
                         {"recorded", nullptr}};
            if (entry.recorded) {
                item["recorded"] = {{"bytes", EncodeHex(entry.recorded->bytes)},
                                    {"document", entry.recorded->job}};
            }
            items.push_back(std::move(item));
        }
        PrintJson(context, {{"server", context.server},
                            {"printer", printer},
                            {"items", std::move(items)},
                            {"sends", sends}});
        return kExitOk;
    }
    for (const ItemPlan& entry : *plan) {
        context.out << entry.item << ' ' << ItemName(entry.item) << ": "
                    << TerminalSafe(ChoiceInWords(description, entry.item)) << " — "
                    << ItemPlanReasonWord(entry.reason);
        if (entry.reason == ItemPlanReason::Unknown) {
            context.out << " (" << TerminalSafe(entry.why) << ")";
        } else if (entry.recorded && entry.reason == ItemPlanReason::Differs) {
            context.out << " (last sent " << EncodeHex(entry.recorded->bytes) << " in document "
                        << TerminalSafe(entry.recorded->job) << ")";
        } else if (entry.recorded) {
            context.out << " (document " << TerminalSafe(entry.recorded->job) << ")";
        }
        context.out << '\n';
    }
    context.out << (sends.empty() ? "--changed-only sends nothing" : "--changed-only sends " + sends) << '\n';
    return kExitOk;
}

int NewTicket(CliContext& context, const std::vector<std::string>& /*args*/) {
    TicketDescription description;
    std::string out;
    const std::vector<ParsedArgument>& given = context.parsed.inOrder;
    for (const ParsedArgument& argument : given) {
        const std::string& arg = argument.text;
        if (!argument.option) {
            if (!out.empty()) return UsageError(context, "more than one output file");
            out = arg;
            continue;
        }
        const std::string option = arg.substr(2);
        if (option == "threshold") {
            description.SetCode(kItemThreshold, kCodeFirst);
            continue;
        }
        // An unknown option is taken to want a value, as every option but --threshold does.
        if (!argument.declared && &argument != &given.back())
            return UsageError(context, "unknown option " + arg);
        if (!argument.value) return UsageError(context, arg + " needs a value");
        const std::string& value = *argument.value;
        if (const TicketDistance* distance = FindDistanceByWord(option)) {
            std::string problem;
            if (!ReadNumberArgument(arg, value, kMillimetreRange, problem))
                return UsageError(context, problem);
            const std::string text = NormalisedDistanceText(*distance, value);
            if (!EncodeItemValue(text)) {
                context.dialogs.Message(kMsgValueOutOfRange);
                return kExitRefused;
            }
            description.SetDistanceText(distance->item, text);
            description.SetCode(distance->item, kCodeFirst);
            continue;
        }
        const std::string choices = SwitchChoiceWords(option);
        if (choices.empty()) return UsageError(context, "unknown option " + arg);
        const SwitchChoice* choice = FindSwitchChoice(option, value);
        if (choice == nullptr) return UsageError(context, NotAChoice(arg, value, choices));
        description.SetCode(choice->item, choice->code);
    }
    if (out.empty()) return UsageError(context, "an output file");
    const std::string text = BuildTicketDescription(description);
    if (!WriteTicketText(PathFromUtf8(out), text)) {
        context.dialogs.Message(kMsgSaveFailed);
        return kExitPrinterFailed;
    }
    context.dialogs.Message(kMsgSaved);
    return kExitOk;
}

}  // namespace

void RegisterTicketCommands(CommandRegistry& registry) {
    const std::string refused = Quoted(kMsgFileRefused);
    registry.Add(
        {.name = "ticket show",
         .usage = "[--json] FILE",
         .summary = "print the items a ticket description file records",
         .help = "One line per item 1 to 11: the item, its caption, its state code and the choice in words\n"
                 "(the millimetres for a recorded geometry item). A file that is refused prints\n" +
                 refused + " (" + Quoted(kMsgCannotOpenFile) + " when it cannot be read) and exits 2.",
         .run = RefusingControlCharacters(ShowTicket),
         .sendsDocuments = false,
         .countProblem = "one file",
         .scope = FleetScope::Once});
    registry.Add(
        {.name = "ticket apply",
         .usage = "[--changed-only] FILE",
         .summary = "send every item a ticket description records, as one document",
         .help = "The same document and messages as \"打开票样\" followed by \"设置票样\". A file that is "
                 "refused or\n"
                 "cannot be read sends nothing at all and exits 2; so does a file that records nothing\n"
                 "(" +
                 Quoted(kMsgNothingToSet) + ") or a value out of range (" + Quoted(kMsgValueOutOfRange) +
                 ").\n"
                 "--changed-only sends only the items whose last sent value, as the printer's record\n"
                 "shows it (qvctl history), differs from the file's or was never sent, in item order as\n"
                 "one document; a printer already as the file says gets nothing (\"unchanged\").",
         .run = RefusingControlCharacters(ApplyTicket),
         .countProblem = "one file"});
    registry.Add(
        {.name = "ticket plan",
         .usage = "[--json] FILE",
         .summary = "show, per printer, what ticket apply --changed-only would send and why; sends nothing",
         .help =
             "One line per item the file records: the item, the choice, and \"no record\" (never sent\n"
             "to this printer), \"differs\" (last sent another value) or \"same\"; then the bytes\n"
             "--changed-only would send. --json prints {\"server\", \"printer\", \"items\": [{\"item\",\n"
             "\"caption\", \"choice\", \"reason\", \"bytes\", \"recorded\": {\"bytes\", \"document\"} or\n"
             "null}], \"sends\"}.",
         .run = RefusingControlCharacters(PlanTicketCommand),
         .sendsDocuments = false,
         .countProblem = "one file"});
    registry.Add(
        {.name = "ticket new",
         .usage =
             "OUT [--black-mark on|off] [--paper 76|58] [--head standard|quiet] [--edge high|low]\n"
             "    [--start-position on|off] [--end-position on|off] [--length MM] [--start MM] [--mark MM]\n"
             "    [--threshold] [--baud 1|2|4|12|24|30|36|42]",
         .summary = "write a ticket description file as \"保存票样\" would, without sending anything",
         .help =
             "Each option records the choice of its panel button; items without an option are written\n"
             "as not recorded. MM is a number of " +
             RangeInWords(kMillimetreRange) +
             "; anything else\n"
             "is refused, as a choice that is not one of the option's (exit 2, nothing written).\n"
             "The file is replaced as a whole, keeping its mode, owner and links; a failed write prints\n" +
             Quoted(kMsgSaveFailed) +
             " and exits 1, leaving any earlier file as it was. A value holding a control\n"
             "character (a CR read from a CR LF file) is refused: exit 2, nothing written.",
         .run = RefusingControlCharacters(NewTicket),
         .sendsDocuments = false,
         .countProblem = "one output file",
         .scope = FleetScope::Once});
}

}  // namespace qvset::cli
