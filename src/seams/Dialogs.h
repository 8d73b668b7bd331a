#pragma once

#include <string>
#include <string_view>

namespace qvset {

enum class MessageIcon { None, Information, Question, Exclamation, Critical };
enum class MessageButtons { Ok, YesNo };
// The answer to a message box. Dismissed: a question closed with Escape or the title bar's close box,
// without choosing Yes or No; every question of the window treats it as the answer that changes nothing.
enum class MessageAnswer { Ok, Yes, No, Dismissed };

// One message box. An empty title means the platform's default title (the application's name).
struct MessageRequest {
    std::string text;
    std::string title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

// The one file dialog the window owns, shared by opening and saving: its title, filter and file name
// outlive a single use, so the name chosen in one dialog is where the next one starts.
// The filter is written "description|pattern|description|pattern|".
struct FileDialogState {
    std::string title;
    std::string filter;
    std::string fileName;
};

// Everything the user is shown or asked. Texts are UTF-8.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;

    // Show the open or save dialog. On OK `dialog.fileName` holds the chosen path; on cancel it is
    // set to empty.
    virtual void ShowOpen(FileDialogState& dialog) = 0;
    virtual void ShowSave(FileDialogState& dialog) = 0;

    // A message with an OK button only and the default title.
    void Message(std::string_view text) { ShowMessage(MessageRequest{std::string(text), {}, {}, {}}); }
};

}  // namespace qvset
