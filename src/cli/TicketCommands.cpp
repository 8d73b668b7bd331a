// qvctl commands of ticket description files: show one, send one as "设置票样" does, write a new one.
#include <ostream>

#include "cli/CommandRegistry.h"
#include "cli/TerminalText.h"
#include "settings/BatchSend.h"
#include "settings/ChoiceWords.h"
#include "settings/FlagCommands.h"
#include "ticket/GeometryClicks.h"
#include "ticket/TicketFiles.h"
#include "ticket/TicketGeometry.h"

namespace qvset::cli {
namespace {

constexpr std::string_view kNotRecorded = "未设置";
constexpr std::string_view kUnknownCode = "无效代码";

// Reads a description as "打开票样" does; a refused or unreadable file prints its message.
bool ReadDescription(CliContext& context, const std::string& fileName, TicketSelection& selection) {
    switch (ReadTicketFile(PathFromUtf8(fileName), selection)) {
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

std::string ChoiceInWords(const TicketSelection& selection, int item) {
    const std::int16_t code = selection.ItemState(item);
    if (code == kCodeNone) return std::string(kNotRecorded);
    if (FindGeometryButtonOfItem(item) != nullptr) {
        return code == kCodeFirst ? selection.GeometryText(item) + " mm" : std::string(kUnknownCode);
    }
    const FlagCommandRow* row = FindFlagRow(item, code);
    return row == nullptr ? std::string(kUnknownCode) : std::string(row->choiceText);
}

int ShowTicket(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError(context, "one file");
    TicketSelection selection;
    if (!ReadDescription(context, args[0], selection)) return kExitRefused;
    static constexpr std::string_view kGeometryNames[] = {"票据长度", "起始打印位置", "黑标位置"};
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        std::string caption(FlagItemCaption(item));
        if (item >= kItemTicketLength && item <= kItemBlackMarkOffset) {
            caption = std::string(kGeometryNames[item - kItemTicketLength]);
        }
        context.out << item << ' ' << caption << ": " << selection.ItemState(item) << ' '
                    << TerminalSafe(ChoiceInWords(selection, item)) << '\n';
    }
    return kExitOk;
}

int ApplyTicket(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError(context, "one file");
    TicketSelection selection;
    if (!ReadDescription(context, args[0], selection)) return kExitRefused;
    return Command19_Click(selection, context.channel) ? kExitOk : kExitRefused;
}

int NewTicket(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty()) return UsageError(context, "an output file");
    TicketSelection selection;
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
            selection.SetItemState(kItemThreshold, kCodeFirst);
            continue;
        }
        if (i + 1 == args.size()) return UsageError(context, arg + " needs a value");
        const std::string& value = args[++i];
        if (const GeometryButton* geometry = FindGeometryButton(option == "length"  ? "Command23"
                                                                : option == "start" ? "Command24"
                                                                : option == "mark"  ? "Command25"
                                                                                    : "")) {
            // As a click of the geometry button records it: a negative value takes the default.
            const std::string text = NormaliseItemText(value, geometry->defaultText);
            if (!EncodeItemValue(text)) {
                context.dialogs.Message(kMsgValueOutOfRange);
                return kExitRefused;
            }
            selection.SetGeometryText(geometry->item, text);
            selection.SetItemState(geometry->item, kCodeFirst);
            continue;
        }
        const PanelButton* button = FindButtonByWords(option, value);
        if (button == nullptr) return UsageError(context, "unknown option " + arg + " " + value);
        selection.SetItemState(button->item, button->code);
    }
    if (out.empty()) return UsageError(context, "an output file");
    const std::string text = BuildTicketDescription(selection.ItemStates(), selection.Text3(),
                                                    selection.Text4(), selection.Text5());
    if (!WriteTicketText(PathFromUtf8(out), text)) {
        context.dialogs.Message(kMsgSaveFailed);
        return kExitPrinterFailed;
    }
    context.dialogs.Message(kMsgSaved);
    return kExitOk;
}

}  // namespace

void RegisterTicketCommands(CommandRegistry& registry) {
    registry.Add({"ticket show", "FILE", "print the items a ticket description file records",
                  "One line per item 1 to 11: the item, its caption, its state code and the choice in words\n"
                  "(the millimetres for a recorded geometry item). A file that is refused prints\n"
                  "\"文件不符合要求，不能打开\" (\"文件无法打开\" when it cannot be read) and exits 2.",
                  RefusingControlCharacters(ShowTicket), false});
    registry.Add({"ticket apply", "FILE", "send every item a ticket description records, as one document",
                  "The same document and messages as \"打开票样\" followed by \"设置票样\". A file that is "
                  "refused or\n"
                  "cannot be read sends nothing at all and exits 2; so does a file that records nothing\n"
                  "(\"您没有要设置的项目，请确认\") or a value out of range (\"数值超出范围，未发送\").",
                  RefusingControlCharacters(ApplyTicket)});
    registry.Add(
        {"ticket new",
         "OUT [--black-mark on|off] [--paper 76|58] [--head standard|quiet] [--edge high|low]\n"
         "    [--start-position on|off] [--end-position on|off] [--length MM] [--start MM] [--mark MM]\n"
         "    [--threshold] [--baud 1|2|4|12|24|30|36|42]",
         "write a ticket description file as \"保存票样\" would, without sending anything",
         "Each option records the choice of its panel button; items without an option are written\n"
         "as not recorded. A negative MM takes its default (152 for --length, 0 for the offsets).\n"
         "The file is replaced as a whole, keeping its mode, owner and links; a failed write prints\n"
         "\"保存失败\" and exits 1, leaving any earlier file as it was. A value holding a control\n"
         "character (a CR read from a CR LF file) is refused: exit 2, nothing written.",
         RefusingControlCharacters(NewTicket), false});
}

}  // namespace qvset::cli
