#pragma once

#include <string>
#include <string_view>

#include "forms/TicketSelection.h"
#include "printer/PrintChannel.h"
#include "seams/Dialogs.h"

namespace qvset::forms {

inline constexpr std::string_view kMsgUnsavedChanges =
    "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出";
inline constexpr std::string_view kTitleUnsavedChanges = "退出";

// The main window's handlers of the ticket description: each works on the window's record (the
// selection) and calls the printer's operations for what it sends. Refusals and notices are shown
// through the channel's dialogs.

// A click on a settings button Command28 to Command48: lights it (unlighting its partner or the other
// baud buttons), sends its switch choice as one document, records its code in ItemState and, for a
// baud button, then shows the baud-rate notice. The choice is recorded whether or not the printer
// could be reached. Returns false, doing nothing, for any other name (the geometry buttons included).
bool ClickSettingsButton(TicketSelection& selection, PrintChannel& channel, std::string_view name);

// A click on Command23, Command24 or Command25: a negative text becomes its default, the item's
// geometry command is sent as one document, the button is lit and its item recorded as 99 (whether or
// not the printer could be reached). A value out of range shows kMsgValueOutOfRange and sends, lights
// and records nothing. Returns false, doing nothing, for any other name.
bool ClickGeometryButton(TicketSelection& selection, PrintChannel& channel, std::string_view name);

// The format set (Command16) with the selection's black-mark style (SendTicketFormat). Records and
// lights nothing. True when the commands were handed to the channel.
bool Command16_Click(TicketSelection& selection, PrintChannel& channel);

// "设置票样": SendTicket of the selection's description. Lights nothing and records nothing. True when
// the batch was handed to the channel.
bool Command19_Click(TicketSelection& selection, PrintChannel& channel);

// The question before a recorded description is dropped ("退出", "取消选定"): when HasUnsavedChanges,
// asks kMsgUnsavedChanges (Yes/No, question icon, title "退出") once. True when the selection may be
// dropped (no changes, or the answer No); false when the user answered Yes to go and save it first, or
// closed the question without answering (Escape, the close box), which must not lose the description.
bool MayDiscardSelection(const TicketSelection& selection, Dialogs& dialogs);

// "取消选定": with no description open (Label12 "无") resets without asking; otherwise resets unless
// MayDiscardSelection says no.
void Command49_Click(TicketSelection& selection, Dialogs& dialogs);

// Asks for a file name with the save dialog (its name emptied and its filter set first; its title left
// as the last dialog set it) and writes the text with WriteTicketText. Cancelled: nothing written or
// shown. Written: "保存成功" and the snapshot of the selection is taken. Failed: "保存失败", the earlier
// file and the snapshot are kept. True when written.
bool SaveTicketFile(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                    std::string_view text);

// Empties Text1 (the tuning pause), asks for a file with the open dialog (title "Open txt File SA", the
// filter set, the last name kept) and reads it into the selection: Label12 takes the file name, the
// items and geometry texts take the file's lines, and the buttons are lit once all eleven item lines
// were read. No name: "Please select file" (title "Tips"). A file that cannot be read: "文件无法打开",
// and Label12 stays as it was. A refused marker or item line: "文件不符合要求，不能打开", with the lines
// before it applied.
void OpenTicketFile(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                    std::string& text1);

// "保存票样": SaveTicketFile of BuildTicketDescription of the selection.
void Command20_Click(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog);

// "打开票样": ResetSelection, OpenTicketFile, then the snapshot, whatever the outcome.
void Command21_Click(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                     std::string& text1);

}  // namespace qvset::forms
