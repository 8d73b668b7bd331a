#include "settings/SettingsClicks.h"

#include "settings/FlagCommands.h"
#include "settings/PanelButtons.h"

namespace qvset {

bool ClickSettingsButton(TicketSelection& selection, PrintChannel& channel, std::string_view name) {
    const PanelButton* button = FindPanelButton(name);
    if (button == nullptr) return false;
    const std::string command = BuildFlagCommand(button->item, button->code);
    if (command.empty()) return false;  // a geometry button: its click is ClickGeometryButton
    selection.Light(button->name);
    channel.SendHex(command);
    selection.SetItemState(button->item, button->code);
    if (button->item == kItemBaudRate) channel.GetDialogs().Message(kMsgBaudRateSet);
    return true;
}

bool MayDiscardSelection(const TicketSelection& selection, Dialogs& dialogs) {
    if (!selection.HasUnsavedChanges()) return true;
    const MessageAnswer answer =
        dialogs.ShowMessage(MessageRequest{std::string(kMsgUnsavedChanges), std::string(kTitleUnsavedChanges),
                                           MessageButtons::YesNo, MessageIcon::Question});
    return answer == MessageAnswer::No;
}

void Command49_Click(TicketSelection& selection, Dialogs& dialogs) {
    if (selection.Label12() == kLabel12None || MayDiscardSelection(selection, dialogs)) {
        selection.ResetSelection();
    }
}

}  // namespace qvset
