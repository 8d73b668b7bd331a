#include "ticket/GeometryClicks.h"

#include <array>

#include "settings/FlagCommands.h"
#include "ticket/TicketGeometry.h"

namespace qvset {
namespace {

constexpr std::array<GeometryButton, 3> kGeometryButtons{{
    {"Command23", kItemTicketLength, kFnTicketLength, "152"},
    {"Command24", kItemStartOffset, kFnStartOffset, "0"},
    {"Command25", kItemBlackMarkOffset, kFnBlackMarkOffset, "0"},
}};

}  // namespace

const GeometryButton* FindGeometryButton(std::string_view name) {
    for (const auto& button : kGeometryButtons) {
        if (button.name == name) return &button;
    }
    return nullptr;
}

const GeometryButton* FindGeometryButtonOfItem(int item) {
    for (const auto& button : kGeometryButtons) {
        if (button.item == item) return &button;
    }
    return nullptr;
}

bool ClickGeometryButton(TicketSelection& selection, PrintChannel& channel, std::string_view name) {
    const GeometryButton* button = FindGeometryButton(name);
    if (button == nullptr) return false;
    selection.SetGeometryText(button->item,
                              NormaliseItemText(selection.GeometryText(button->item), button->defaultText));
    const auto command = BuildGeometryCommand(button->fn, selection.GeometryText(button->item));
    if (!command) {
        channel.GetDialogs().Message(kMsgValueOutOfRange);
        return true;
    }
    channel.SendHex(*command);
    selection.Light(button->name);
    selection.SetItemState(button->item, kCodeFirst);
    return true;
}

bool Command16_Click(TicketSelection& selection, PrintChannel& channel) {
    const int style = selection.BlackMarkStyle();
    if (const auto problem =
            CheckTicketFormat(style, selection.Text3(), selection.Text4(), selection.Text5())) {
        channel.GetDialogs().Message(*problem);
        return false;
    }
    std::string start = NormaliseFormatSetText(selection.Text4());
    std::string blackMark = NormaliseFormatSetText(selection.Text5());
    std::string length = NormaliseFormatSetText(selection.Text3());
    const auto command = BuildTicketFormatCommand(style, length, start, blackMark);
    if (!command) {
        channel.GetDialogs().Message(kMsgValueOutOfRange);
        return false;
    }
    selection.SetText4(std::move(start));
    selection.SetText5(std::move(blackMark));
    selection.SetText3(std::move(length));
    channel.SendHex(*command);
    return true;
}

}  // namespace qvset
