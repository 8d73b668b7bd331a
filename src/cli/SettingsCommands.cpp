// qvctl commands of the stored switches and the ticket geometry: each is one click of the panel.
#include <ostream>

#include "cli/CommandRegistry.h"
#include "cli/TerminalText.h"
#include "settings/ChoiceWords.h"
#include "settings/SettingsClicks.h"
#include "ticket/GeometryClicks.h"

namespace qvset::cli {
namespace {

std::string ChoiceList() {
    std::string list;
    std::string_view item;
    for (const auto& words : ChoiceWordTable()) {
        if (words.item != item) {
            if (!item.empty()) list += "\n";
            item = words.item;
            list += "  " + std::string(item) + std::string(16 - item.size(), ' ') + std::string(words.choice);
        } else {
            list += "|" + std::string(words.choice);
        }
    }
    return list + "\n";
}

int SetChoice(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 2) return UsageError(context, "an item and a choice");
    const PanelButton* button = FindButtonByWords(args[0], args[1]);
    if (button == nullptr) return UsageError(context, "unknown item or choice: " + args[0] + " " + args[1]);
    TicketSelection selection;
    ClickSettingsButton(selection, context.channel, button->name);
    return kExitOk;
}

// One geometry button with MM typed into its text box.
int SendGeometryItem(CliContext& context, const std::vector<std::string>& args, std::string_view buttonName) {
    if (args.size() != 1) return UsageError(context, "one value in millimetres");
    const GeometryButton* button = FindGeometryButton(buttonName);
    TicketSelection selection;
    selection.SetGeometryText(button->item, args[0]);
    ClickGeometryButton(selection, context.channel, button->name);
    return selection.ItemState(button->item) == 0 ? kExitRefused : kExitOk;
}

int FormatSet(CliContext& context, const std::vector<std::string>& args) {
    TicketSelection selection;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!context.IsOperand(i) && args[i] == "--style") {
            if (i + 1 == args.size() || (args[i + 1] != "1" && args[i + 1] != "2")) {
                return UsageError(context, "--style takes 1 or 2");
            }
            selection.SetBlackMarkStyle(args[i + 1] == "1" ? 1 : 2);
            ++i;
        } else {
            values.push_back(args[i]);
        }
    }
    if (values.size() != 3) return UsageError(context, "three values L P B in millimetres");
    selection.SetText3(values[0]);
    selection.SetText4(values[1]);
    selection.SetText5(values[2]);
    return Command16_Click(selection, context.channel) ? kExitOk : kExitRefused;
}

constexpr const char* kGeometryHelp =
    "MM is read as the window reads its text box: the number at its start (blanks ignored, 0 when\n"
    "there is none). A negative value is replaced by the default first (152 for the length, 0 for the\n"
    "offsets). A value too large for the command prints \"数值超出范围，未发送\", sends nothing, exits 2.";

}  // namespace

void RegisterSettingsCommands(CommandRegistry& registry) {
    registry.Add({"set", "ITEM CHOICE", "change one stored switch of the printer (one ESC B document)",
                  "ITEM and its CHOICEs:\n" + ChoiceList() +
                      "A baud rate prints \"您设置了波特率，完成后需要重启打印机\" after it was sent.",
                  RefusingControlCharacters(SetChoice)});
    registry.Add({"length", "MM", "set the ticket length (geometry command fn 04)", kGeometryHelp,
                  RefusingControlCharacters([](CliContext& c, const std::vector<std::string>& a) {
                      return SendGeometryItem(c, a, "Command23");
                  })});
    registry.Add({"start", "MM", "set the print-start offset from the ticket top (geometry command fn 05)",
                  kGeometryHelp,
                  RefusingControlCharacters([](CliContext& c, const std::vector<std::string>& a) {
                      return SendGeometryItem(c, a, "Command24");
                  })});
    registry.Add({"mark", "MM", "set the black-mark offset from the ticket top (geometry command fn 06)",
                  kGeometryHelp,
                  RefusingControlCharacters([](CliContext& c, const std::vector<std::string>& a) {
                      return SendGeometryItem(c, a, "Command25");
                  })});
    registry.Add(
        {"format", "[--style 1|2] L P B",
         "check and send the ticket format: length L, print start P, black mark B in mm (one document)",
         "Black-mark style 2 unless --style 1 is given. The checks, in order: L not empty, L at least\n"
         "10; style 1: P + B not above L, P not above B; style 2: P not above B, P and B not above L.\n"
         "A failed check prints its message, sends nothing and exits 2. P, B and L of 0 or below are\n"
         "sent as 0.",
         RefusingControlCharacters(FormatSet)});
}

}  // namespace qvset::cli
