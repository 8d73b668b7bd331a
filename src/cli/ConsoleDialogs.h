#pragma once

#include <iosfwd>
#include <string>

#include "seams/Dialogs.h"

namespace qvset::cli {

// Dialogs on a terminal: every message is one line on the error stream, exactly as worded (control
// characters of a file name shown as \xHH); questions are answered No; file dialogs are cancelled
// (the command line names its files itself).
class ConsoleDialogs final : public Dialogs {
  public:
    explicit ConsoleDialogs(std::ostream& err) : m_err(err) {}

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName.clear(); }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName.clear(); }

  private:
    std::ostream& m_err;
};

}  // namespace qvset::cli
