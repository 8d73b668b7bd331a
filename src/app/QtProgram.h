#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/FormHost.h"
#include "app/QtForm.h"
#include "seams/Clock.h"
#include "forms/FormLogic.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"
#include "printer/Spooler.h"

namespace qvset::app {

class QtDialogs;

// The program's windows on Qt: the main window "设置" (Form1), the help window (Form2) and the preview
// (Form3), each its logic with a QtForm face, created on first use. A window asked to hide is hidden;
// once none is left on screen the program's event loop ends.
class QtProgram final : public FormHost {
  public:
    QtProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
              std::vector<std::filesystem::path> printFileFolders);
    ~QtProgram() override;

    // The window of that name ("Form1", "Form2", "Form3"), created (and its start-up run) on first use.
    QtForm& Form(std::string_view name);
    // The window of that name, or nullptr before its first use.
    QtForm* Existing(std::string_view name) const;
    // When the main window is created: its message boxes are modal to it.
    void OnMainWindow(std::function<void(QtForm&)> created) { m_onMainWindow = std::move(created); }

    void ShowForm(std::string_view form) override;
    void HideForm(std::string_view form) override;
    // At once: no further events, questions or documents. Every document was already closed by the send
    // that wrote it, so nothing is left half-written. Tests replace it with SetEndProgram.
    void EndProgram() override;
    void SetEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

  private:
    struct Window {
        std::unique_ptr<forms::FormLogic> logic;
        std::unique_ptr<QtForm> face;
    };

    Spooler& m_spooler;
    Dialogs& m_dialogs;
    Pause& m_pause;
    const Clock& m_clock;
    std::vector<std::filesystem::path> m_printFileFolders;
    std::map<std::string, Window, std::less<>> m_windows;
    std::function<void(QtForm&)> m_onMainWindow;
    std::function<void()> m_endProgram;
};

}  // namespace qvset::app
