#include "winapp/WinProgram.h"

#include <stdexcept>
#include <string>

namespace qvset::winapp {

WinProgram::WinProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
                       std::vector<std::filesystem::path> printFileFolders)
    : m_form1(spooler, dialogs, pause, clock, std::move(printFileFolders)), m_end([] { ExitProcess(0); }) {}

std::size_t WinProgram::IndexOf(std::string_view form) const {
    constexpr std::string_view kForms[] = {"Form1", "Form2", "Form3"};
    for (std::size_t index = 0; index < std::size(kForms); ++index) {
        if (form == kForms[index]) return index;
    }
    throw std::logic_error("no window named " + std::string(form));
}

WinForm& WinProgram::Face(std::string_view form) {
    const std::size_t index = IndexOf(form);
    if (m_faces[index] == nullptr) {
        forms::FormLogic* logics[] = {&m_form1, &m_form2, &m_form3};
        WinForm::Host host{[this](std::string_view shown) { ShowForm(shown); },
                           [this](std::string_view hidden) { HideForm(hidden); }, [this] { m_end(); }};
        m_faces[index] = std::make_unique<WinForm>(*logics[index], std::move(host));
        m_faces[index]->Create();
    }
    return *m_faces[index];
}

void WinProgram::HideForm(std::string_view form) {
    const std::size_t index = IndexOf(form);
    if (m_faces[index] != nullptr) m_faces[index]->Hide();
}

int WinProgram::RunMessages() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (WinForm::TakeDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace qvset::winapp
