// qvctl commands of ticket description files: show one, send one as "设置票样" does, write a new one.
#include <ostream>

#include "cli/CommandRegistry.h"
#include "cli/TerminalText.h"
#include "settings/BatchSend.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketFiles.h"
#include "ticket/TicketGeometry.h"

namespace qvset::cli {
namespace {

constexpr std::string_view kNotRecorded = "未设置";
constexpr std::string_view kUnknownCode = "无效代码";

// Reads a description as "打开票样" does; a refused or unreadable file prints its message.
bool ReadDescription(CliContext& context, const std::string& fileName, TicketDescription& description) {
    switch (ReadTicketFile(PathFromUtf8(fileName), description)) {
        case TicketFileRead::Complete:
        case TicketFileRead::Ended:
            return true;
        case TicketFileRead::Refused:
            context.dialogs.Message(kMsgFileRefused);
            return false;
        case TicketFileRead::Unreadable:
            context.dialogs.Message(kMsgCannotOpenFile);
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

int ShowTicket(CliContext& context, const std::vector<std::string>& args) {
    TicketDescription description;
    if (!ReadDescription(context, args[0], description)) return kExitRefused;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const TicketDistance* distance = FindDistance(item);
        const std::string_view caption = distance != nullptr ? distance->chineseName : ItemCaption(item);
        context.out << item << ' ' << caption << ": " << description.Code(item) << ' '
                    << TerminalSafe(ChoiceInWords(description, item)) << '\n';
    }
    return kExitOk;
}

int ApplyTicket(CliContext& context, const std::vector<std::string>& args) {
    TicketDescription description;
    if (!ReadDescription(context, args[0], description)) return kExitRefused;
    return ShowOutcome(context, SendTicket(context.channel, description));
}

int NewTicket(CliContext& context, const std::vector<std::string>& args) {
    TicketDescription description;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (context.IsOperand(i) || arg.rfind("--", 0) != 0) {
            if (!out.empty()) return UsageError(context, "more than one output file");
            out = arg;
            continue;
        }
        const std::string option = arg.substr(2);
        if (option == "threshold") {
            description.SetCode(kItemThreshold, kCodeFirst);
            continue;
        }
        if (i + 1 == args.size()) return UsageError(context, arg + " needs a value");
        const std::string& value = args[++i];
        if (const TicketDistance* distance = FindDistanceByWord(option)) {
            // As sending the distance records it: a negative value takes the default.
            const std::string text = NormalisedDistanceText(*distance, value);
            if (!EncodeItemValue(text)) {
                context.dialogs.Message(kMsgValueOutOfRange);
                return kExitRefused;
            }
            description.SetDistanceText(distance->item, text);
            description.SetCode(distance->item, kCodeFirst);
            continue;
        }
        const SwitchChoice* choice = FindSwitchChoice(option, value);
        if (choice == nullptr) return UsageError(context, "unknown option " + arg + " " + value);
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
    registry.Add({.name = "ticket show",
                  .usage = "FILE",
                  .summary = "print the items a ticket description file records",
                  .help = "One line per item 1 to 11: the item, its caption, its state code and the choice in words\n"
                          "(the millimetres for a recorded geometry item). A file that is refused prints\n" +
                          refused + " (" + Quoted(kMsgCannotOpenFile) + " when it cannot be read) and exits 2.",
                  .run = RefusingControlCharacters(ShowTicket),
                  .sendsDocuments = false,
                  .countProblem = "one file"});
    registry.Add({.name = "ticket apply",
                  .usage = "FILE",
                  .summary = "send every item a ticket description records, as one document",
                  .help = "The same document and messages as \"打开票样\" followed by \"设置票样\". A file that is "
                          "refused or\n"
                          "cannot be read sends nothing at all and exits 2; so does a file that records nothing\n"
                          "(" + Quoted(kMsgNothingToSet) + ") or a value out of range (" +
                          Quoted(kMsgValueOutOfRange) + ").",
                  .run = RefusingControlCharacters(ApplyTicket),
                  .countProblem = "one file"});
    registry.Add(
        {.name = "ticket new",
         .usage = "OUT [--black-mark on|off] [--paper 76|58] [--head standard|quiet] [--edge high|low]\n"
                  "    [--start-position on|off] [--end-position on|off] [--length MM] [--start MM] [--mark MM]\n"
                  "    [--threshold] [--baud 1|2|4|12|24|30|36|42]",
         .summary = "write a ticket description file as \"保存票样\" would, without sending anything",
         .help = "Each option records the choice of its panel button; items without an option are written\n"
                 "as not recorded. A negative MM takes its default (152 for --length, 0 for the offsets).\n"
                 "The file is replaced as a whole, keeping its mode, owner and links; a failed write prints\n" +
                 Quoted(kMsgSaveFailed) +
                 " and exits 1, leaving any earlier file as it was. A value holding a control\n"
                 "character (a CR read from a CR LF file) is refused: exit 2, nothing written.",
         .run = RefusingControlCharacters(NewTicket),
         .sendsDocuments = false,
         .countProblem = "one output file"});
}

}  // namespace qvset::cli
