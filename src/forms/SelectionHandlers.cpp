#include "forms/SelectionHandlers.h"

#include "files/FileContents.h"
#include "forms/PanelButtons.h"
#include "settings/BatchSend.h"
#include "settings/SwitchCommands.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketFiles.h"

namespace qvset::forms {
namespace {

// Shows what an operation refused, or the notice it leaves for after its choice was recorded.
void ShowRefusal(Dialogs& dialogs, const SendOutcome& outcome) {
    if (outcome.Refused()) dialogs.Message(outcome.refusal);
}

}  // namespace

bool ClickSettingsButton(TicketSelection& selection, PrintChannel& channel, std::string_view name) {
    const PanelButton* button = FindPanelButton(name);
    const SwitchChoice* choice = ChoiceOfButton(name);
    if (button == nullptr || choice == nullptr) return false;  // a geometry button: ClickGeometryButton
    selection.Light(button->name);
    const SendOutcome outcome = SendSwitch(channel, *choice);
    selection.SetItemState(choice->item, choice->code);
    if (!outcome.notice.empty()) channel.GetDialogs().Message(outcome.notice);
    return true;
}

bool ClickGeometryButton(TicketSelection& selection, PrintChannel& channel, std::string_view name) {
    const TicketDistance* distance = DistanceOfButton(name);
    if (distance == nullptr) return false;
    const SendOutcome outcome = SendDistance(channel, selection.Description(), distance->item);
    if (outcome.Refused()) {
        ShowRefusal(channel.GetDialogs(), outcome);
        return true;
    }
    selection.Light(name);
    selection.SetItemState(distance->item, kCodeFirst);
    return true;
}

bool Command16_Click(TicketSelection& selection, PrintChannel& channel) {
    const SendOutcome outcome =
        SendTicketFormat(channel, selection.Description(), selection.BlackMarkStyle());
    ShowRefusal(channel.GetDialogs(), outcome);
    return !outcome.Refused();
}

bool Command19_Click(TicketSelection& selection, PrintChannel& channel) {
    const SendOutcome outcome = SendTicket(channel, selection.Description());
    ShowRefusal(channel.GetDialogs(), outcome);
    return !outcome.Refused();
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

bool SaveTicketFile(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                    std::string_view text) {
    fileDialog.fileName.clear();
    fileDialog.filter = kTicketFileFilter;
    dialogs.ShowSave(fileDialog);
    if (fileDialog.fileName.empty()) return false;
    if (!WriteTicketText(PathFromUtf8(fileDialog.fileName), text)) {
        dialogs.Message(kMsgSaveFailed);
        return false;
    }
    dialogs.Message(kMsgSaved);
    selection.TakeSnapshot();
    return true;
}

void OpenTicketFile(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                    std::string& text1) {
    text1.clear();
    fileDialog.title = kOpenDialogTitle;
    fileDialog.filter = kTicketFileFilter;
    dialogs.ShowOpen(fileDialog);
    if (fileDialog.fileName.empty()) {
        dialogs.ShowMessage(MessageRequest{std::string(kMsgSelectFile), std::string(kTitleTips),
                                           MessageButtons::Ok, MessageIcon::None});
        return;
    }
    const std::filesystem::path path = PathFromUtf8(fileDialog.fileName);
    if (ReadFileStart(path, 0).status != FileReadStatus::Read) {
        dialogs.Message(kMsgCannotOpenFile);
        return;
    }
    selection.SetLabel12(FileNameOfPath(fileDialog.fileName));
    switch (ReadTicketFile(path, selection.Description())) {
        case TicketFileRead::Complete:
            selection.ShowItemStates();
            break;
        case TicketFileRead::Ended:
            break;
        case TicketFileRead::Refused:
            dialogs.Message(kMsgFileRefused);
            break;
        case TicketFileRead::Unreadable:
            dialogs.Message(kMsgCannotOpenFile);
            break;
    }
}

void Command20_Click(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog) {
    SaveTicketFile(selection, dialogs, fileDialog, BuildTicketDescription(selection.Description()));
}

void Command21_Click(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                     std::string& text1) {
    selection.ResetSelection();
    OpenTicketFile(selection, dialogs, fileDialog, text1);
    selection.TakeSnapshot();
}

}  // namespace qvset::forms
