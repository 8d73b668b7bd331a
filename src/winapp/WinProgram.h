#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <array>
#include <filesystem>
#include <vector>
#include <functional>
#include <memory>
#include <string_view>

#include "seams/Clock.h"
#include "forms/Form1.h"
#include "forms/Form2.h"
#include "forms/Form3.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"
#include "printer/Spooler.h"
#include "winapp/WinForm.h"

namespace qvset::winapp {

// The program's three windows, the main window "设置" (Form1), the help "说明" (Form2) and the preview
// "设置预览页" (Form3), each a Win32 face over its logic, created on first use.
class WinProgram {
  public:
    WinProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
               std::vector<std::filesystem::path> printFileFolders);

    // What ending the program does; at first the process ends at once, without further events.
    void OnEndProgram(std::function<void()> end) { m_end = std::move(end); }

    // The face of "Form1", "Form2" or "Form3", its window created (and the logic started) on first use.
    WinForm& Face(std::string_view form);
    forms::Form1& Main() { return m_form1; }

    void ShowForm(std::string_view form) { Face(form).Show(); }
    void HideForm(std::string_view form);

    // Runs the program's messages until it ends.
    static int RunMessages();

  private:
    std::size_t IndexOf(std::string_view form) const;

    forms::Form1 m_form1;
    forms::Form2 m_form2;
    forms::Form3 m_form3;
    std::array<std::unique_ptr<WinForm>, 3> m_faces;
    std::function<void()> m_end;
};

}  // namespace qvset::winapp
