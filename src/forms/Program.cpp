#include "forms/Program.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "forms/Form2.h"
#include "forms/Form3.h"

namespace qvset::forms {

Program::Program(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
                 std::vector<std::filesystem::path> printFileFolders, FaceFactory makeFace,
                 std::function<void()> lastWindowGone)
    : m_spooler(spooler),
      m_dialogs(dialogs),
      m_pause(pause),
      m_clock(clock),
      m_printFileFolders(std::move(printFileFolders)),
      m_makeFace(std::move(makeFace)),
      m_lastWindowGone(std::move(lastWindowGone)) {}

Program::~Program() {
    for (auto window = m_faceOrder.rbegin(); window != m_faceOrder.rend(); ++window) (*window)->face.reset();
}

Program::Window* Program::Find(std::string_view form) const {
    for (const auto& window : m_windows) {
        if (window->name == form) return window.get();
    }
    return nullptr;
}

Program::Window& Program::Make(std::string_view form) {
    if (Window* existing = Find(form)) return *existing;
    auto window = std::make_unique<Window>();
    window->name = std::string(form);
    if (form == "Form1") {
        window->logic = std::make_unique<Form1>(m_spooler, m_dialogs, m_pause, m_clock, m_printFileFolders);
    } else if (form == "Form2") {
        window->logic = std::make_unique<Form2>();
    } else if (form == "Form3") {
        window->logic = std::make_unique<Form3>();
    } else {
        throw std::logic_error("no window named " + std::string(form));
    }
    m_windows.push_back(std::move(window));
    return *m_windows.back();
}

FormLogic& Program::Logic(std::string_view form) {
    return *Make(form).logic;
}

FormFace& Program::Face(std::string_view form) {
    Window& window = Make(form);
    if (window.face == nullptr) {
        window.face = m_makeFace(form, *window.logic);
        m_faceOrder.push_back(&window);
    }
    return *window.face;
}

FormFace* Program::ExistingFace(std::string_view form) const {
    const Window* window = Find(form);
    return window == nullptr ? nullptr : window->face.get();
}

void Program::ShowForm(std::string_view form) {
    Face(form).Show();
}

void Program::HideForm(std::string_view form) {
    FormFace* face = ExistingFace(form);
    if (face == nullptr) return;
    const bool wasShown = face->IsShown();
    face->Hide();
    if (!wasShown) return;
    for (const auto& window : m_windows) {
        if (window->face != nullptr && window->face->IsShown()) return;
    }
    m_lastWindowGone();
}

void Program::EndProgram() {
    if (m_endProgram) {
        m_endProgram();
        return;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace qvset::forms
