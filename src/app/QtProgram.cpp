#include "app/QtProgram.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "forms/Form1.h"
#include "forms/Form2.h"
#include "forms/Form3.h"

namespace qvset::app {

QtProgram::QtProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
                     std::vector<std::filesystem::path> printFileFolders)
    : m_spooler(spooler),
      m_dialogs(dialogs),
      m_pause(pause),
      m_clock(clock),
      m_printFileFolders(std::move(printFileFolders)) {}

QtProgram::~QtProgram() {
    // Faces go first: each refers to its logic. The help window belongs to the main window's face.
    for (const char* name : {"Form2", "Form3", "Form1"}) {
        const auto found = m_windows.find(name);
        if (found != m_windows.end()) found->second.face.reset();
    }
}

QtForm* QtProgram::Existing(std::string_view name) const {
    const auto found = m_windows.find(name);
    return found == m_windows.end() ? nullptr : found->second.face.get();
}

QtForm& QtProgram::Form(std::string_view name) {
    if (QtForm* existing = Existing(name)) return *existing;
    Window window;
    QWidget* owner = nullptr;
    if (name == "Form1") {
        window.logic =
            std::make_unique<forms::Form1>(m_spooler, m_dialogs, m_pause, m_clock, m_printFileFolders);
    } else if (name == "Form2") {
        window.logic = std::make_unique<forms::Form2>();
        owner = Existing("Form1");  // the help window stays with the main window
    } else if (name == "Form3") {
        window.logic = std::make_unique<forms::Form3>();
    } else {
        throw std::logic_error("no window named " + std::string(name));
    }
    window.face = std::make_unique<QtForm>(*window.logic, *this, owner);
    QtForm& face = *window.face;
    m_windows.emplace(std::string(name), std::move(window));
    if (name == "Form1" && m_onMainWindow) m_onMainWindow(face);
    return face;
}

void QtProgram::ShowForm(std::string_view name) {
    QtForm& face = Form(name);
    face.show();
    face.raise();
    face.activateWindow();
}

void QtProgram::HideForm(std::string_view name) {
    if (QtForm* face = Existing(name)) face->hide();
    for (const auto& [other, window] : m_windows) {
        if (window.face != nullptr && window.face->isVisible()) return;
    }
    QApplication::quit();
}

void QtProgram::EndProgram() {
    if (m_endProgram) {
        m_endProgram();
        return;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace qvset::app
