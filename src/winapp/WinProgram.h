#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "forms/Form1.h"
#include "forms/Program.h"
#include "printer/Spooler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"
#include "winapp/WinForm.h"

namespace qvset::winapp {

// The program's windows on Windows: the one program shell with a WinForm face for each window. Once no
// window is left on screen the message loop ends.
class WinProgram {
  public:
    // `record`: where the record of what each printer was sent is kept; none, nothing is recorded.
    // `devices`: the devices of the devices file, which the spooler lists after its printers.
    WinProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
               std::vector<std::filesystem::path> printFileFolders,
               std::optional<forms::RecordPlace> record = std::nullopt,
               std::optional<forms::DevicePlace> devices = std::nullopt);

    // What ending the program does; at first the process ends at once, without further events.
    void OnEndProgram(std::function<void()> end) { m_program.OnEndProgram(std::move(end)); }
    // What the last window leaving the screen does; at first the message loop ends.
    void OnLastWindowGone(std::function<void()> gone) { m_program.OnLastWindowGone(std::move(gone)); }

    // The face of "Form1", "Form2" or "Form3", its window created (and the logic started) on first use.
    WinForm& Face(std::string_view form) { return static_cast<WinForm&>(m_program.Face(form)); }
    forms::Form1& Main() { return m_program.Main(); }

    void ShowForm(std::string_view form) { m_program.ShowForm(form); }
    void HideForm(std::string_view form) { m_program.HideForm(form); }

    // Runs the program's messages until it ends.
    static int RunMessages();

  private:
    forms::Program m_program;
};

}  // namespace qvset::winapp
