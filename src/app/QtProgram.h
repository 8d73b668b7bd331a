#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "app/QtForm.h"
#include "forms/Program.h"
#include "printer/Spooler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"

namespace qvset::app {

// The program's windows on Qt: the one program shell with a QtForm face for each window. The help
// window belongs to the main window; once no window is left on screen the event loop ends.
class QtProgram final {
  public:
    // `record`: where the record of what each printer was sent is kept; none, nothing is recorded.
    // `devices`: the devices of the devices file, which the spooler lists after its printers.
    QtProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
              std::vector<std::filesystem::path> printFileFolders,
              std::optional<forms::RecordPlace> record = std::nullopt,
              std::optional<forms::DevicePlace> devices = std::nullopt);

    // The window of that name ("Form1", "Form2", "Form3"), created (and its start-up run) on first use.
    QtForm& Form(std::string_view name);
    // The window of that name, or nullptr before its first use.
    QtForm* Existing(std::string_view name) const;
    // When the main window is created: its message boxes are modal to it.
    void OnMainWindow(std::function<void(QtForm&)> created) { m_onMainWindow = std::move(created); }

    void ShowForm(std::string_view form) { m_program.ShowForm(form); }
    void HideForm(std::string_view form) { m_program.HideForm(form); }
    void EndProgram() { m_program.EndProgram(); }
    // Tests replace the two ends of the program.
    void SetEndProgram(std::function<void()> endProgram) { m_program.OnEndProgram(std::move(endProgram)); }
    void SetLastWindowGone(std::function<void()> gone) { m_program.OnLastWindowGone(std::move(gone)); }

  private:
    std::unique_ptr<forms::FormFace> MakeFace(std::string_view name, forms::FormLogic& logic);

    std::function<void(QtForm&)> m_onMainWindow;
    forms::Program m_program;  // last: its faces go before the callback above
};

}  // namespace qvset::app
