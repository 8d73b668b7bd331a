// qvctl commands of the stored switches and the ticket geometry: each sends one switch choice, one
// ticket distance or the checked ticket format.
#include <ostream>

#include "cli/ArgumentValues.h"
#include "cli/CommandRegistry.h"
#include "cli/TerminalText.h"
#include "settings/SwitchCommands.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketGeometry.h"

namespace qvset::cli {
namespace {

std::string ChoiceList() {
    std::string list;
    // The items in the order of the window's panel; each item's choices in the order of their n.
    constexpr int kPanelOrder[] = {kItemBlackMark, kItemThreshold,        kItemPaperWidth,     kItemPrintHead,
                                   kItemTearEdge,  kItemStartPositioning, kItemEndPositioning, kItemBaudRate};
    for (const int item : kPanelOrder) {
        std::string_view separator;
        for (const SwitchChoice& choice : SwitchChoices()) {
            if (choice.item != item) continue;
            if (separator.empty()) {
                list += "  " + std::string(choice.itemWord) + std::string(16 - choice.itemWord.size(), ' ');
                separator = "|";
            } else {
                list += separator;
            }
            list += choice.choiceWord;
        }
        list += "\n";
    }
    return list;
}

int SetChoice(CliContext& context, const std::vector<std::string>& args) {
    const std::string choices = SwitchChoiceWords(args[0]);
    if (choices.empty()) {
        return UsageError(context, "\"" + args[0] + "\" is not an item (" + SwitchItemWords() + ")");
    }
    const SwitchChoice* choice = FindSwitchChoice(args[0], args[1]);
    if (choice == nullptr) return UsageError(context, NotAChoice(args[0], args[1], choices));
    return ShowOutcome(context, SendSwitch(context.channel, *choice));
}

// One ticket distance of MM.
int SendDistanceItem(CliContext& context, const std::vector<std::string>& args,
                     const TicketDistance& distance) {
    std::string problem;
    if (!ReadNumberArgument({}, args[0], kMillimetreRange, problem)) return UsageError(context, problem);
    TicketDescription description;
    description.SetDistanceText(distance.item, args[0]);
    return ShowOutcome(context, SendDistance(context.channel, description, distance.item));
}

int FormatSet(CliContext& context, const std::vector<std::string>& /*args*/) {
    int style = 2;
    std::vector<std::string> values;
    // The last --style counts, but each one given must be 1 or 2; any other word is a value.
    for (const ParsedArgument& argument : context.parsed.inOrder) {
        if (argument.declared && argument.text == "--style") {
            if (argument.value != "1" && argument.value != "2")
                return UsageError(context, "--style takes 1 or 2");
            style = argument.value == "1" ? 1 : 2;
        } else {
            values.push_back(argument.text);
        }
    }
    if (values.size() != 3) return UsageError(context, context.command.countProblem);
    constexpr std::string_view kNames[] = {"L", "P", "B"};
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string problem;
        if (!ReadNumberArgument(kNames[i], values[i], kMillimetreRange, problem))
            return UsageError(context, problem);
    }
    TicketDescription description;
    description.SetDistanceText(kItemTicketLength, values[0]);
    description.SetDistanceText(kItemStartOffset, values[1]);
    description.SetDistanceText(kItemBlackMarkOffset, values[2]);
    return ShowOutcome(context, SendTicketFormat(context.channel, description, style));
}

const std::string kGeometryHelp =
    "MM is a number of " + RangeInWords(kMillimetreRange) +
    ", with at most one point (152, 35.5). Anything else\n"
    "(abc, l52, 152mm, 1,5, -1) is refused: its problem and the range on stderr, nothing sent, exit 2.";

// The command of one ticket distance, named by its word ("length", "start", "mark").
CliCommand DistanceCommand(int item, std::string summary) {
    const TicketDistance& distance = *FindDistance(item);
    return {.name = std::string(distance.word),
            .usage = "MM",
            .summary = std::move(summary),
            .help = kGeometryHelp,
            .run = RefusingControlCharacters([&distance](CliContext& c, const std::vector<std::string>& a) {
                return SendDistanceItem(c, a, distance);
            }),
            .countProblem = "one value in millimetres"};
}

}  // namespace

void RegisterSettingsCommands(CommandRegistry& registry) {
    registry.Add({.name = "set",
                  .usage = "ITEM CHOICE",
                  .summary = "change one stored switch of the printer (one ESC B document)",
                  .help = "ITEM and its CHOICEs:\n" + ChoiceList() + "A baud rate prints \"" +
                          std::string(kMsgBaudRateSet) + "\" after it was sent.",
                  .run = RefusingControlCharacters(SetChoice),
                  .countProblem = "an item and a choice"});
    registry.Add(DistanceCommand(kItemTicketLength, "set the ticket length (geometry command fn 04)"));
    registry.Add(DistanceCommand(kItemStartOffset,
                                 "set the print-start offset from the ticket top (geometry command fn 05)"));
    registry.Add(DistanceCommand(kItemBlackMarkOffset,
                                 "set the black-mark offset from the ticket top (geometry command fn 06)"));
    registry.Add(
        {.name = "format",
         .usage = "[--style 1|2] L P B",
         .summary =
             "check and send the ticket format: length L, print start P, black mark B in mm (one document)",
         .help =
             "Black-mark style 2 unless --style 1 is given. The checks, in order: L not empty, L at least\n"
             "10; style 1: P + B not above L, P not above B; style 2: P not above B, P and B not above L.\n"
             "A failed check prints its message, sends nothing and exits 2. L, P and B are numbers of\n"
             "" +
             RangeInWords(kMillimetreRange) + "; anything else is refused (exit 2, nothing sent).",
         .run = RefusingControlCharacters(FormatSet),
         .countProblem = "three values L P B in millimetres"});
}

}  // namespace qvset::cli
