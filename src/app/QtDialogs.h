#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "seams/Dialogs.h"

namespace qvset::app {

// The title of a message box whose request leaves the title empty: the application's name.
inline constexpr const char* kApplicationTitle = "qvset";

// A filter written "description|pattern|description|pattern|" in Qt's form "description (patterns)"
// joined by ";;". Patterns separated by ";" become blank-separated, and "*.*" (every file, as Windows
// reads it) becomes "*". A description without its pattern gets "(*)".
QString ToQtFileFilter(const std::string& filter);

// Message boxes and file dialogs of the window: QMessageBox and QFileDialog, modal to `parent` (or to
// the active window when there is none). A Yes/No question closed with Escape or its close box answers
// Dismissed.
class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    // Start in the state's file name, show the state's title (Qt's "Open"/"Save As" when empty) and
    // filter; the chosen path (or empty on cancel) goes back into the state. Saving replaces an
    // existing file without asking and adds no extension; opening accepts existing files only.
    void ShowOpen(FileDialogState& dialog) override;
    void ShowSave(FileDialogState& dialog) override;

  private:
    QWidget* Parent() const;
    void ShowFileDialog(FileDialogState& dialog, bool save);

    QPointer<QWidget> m_parent;
};

}  // namespace qvset::app
