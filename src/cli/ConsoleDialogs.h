#pragma once

#include <iosfwd>
#include <string>

#include "seams/Dialogs.h"

namespace qvset::cli {

// Dialogs on a terminal: every message is one line on the error stream, exactly as worded (control
// characters of a file name shown as \xHH); questions
// are answered No; file dialogs give the name they were primed with (the command line's argument).
class ConsoleDialogs final : public Dialogs {
  public:
    explicit ConsoleDialogs(std::ostream& err) : m_err(err) {}

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName = m_nextFileName; }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName = m_nextFileName; }

    void SetNextFileName(std::string fileName) { m_nextFileName = std::move(fileName); }
    int MessagesShown() const { return m_messages; }

  private:
    std::ostream& m_err;
    std::string m_nextFileName;
    int m_messages = 0;
};

}  // namespace qvset::cli
