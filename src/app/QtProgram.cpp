#include "app/QtProgram.h"

#include <QApplication>

namespace qvset::app {
namespace {

// A QtForm as the program shell sees it.
class QtFace final : public forms::FormFace {
  public:
    QtFace(forms::FormLogic& logic, forms::FormHost& host, QWidget* owner)
        : m_form(std::make_unique<QtForm>(logic, host, owner)) {}

    void Show() override {
        m_form->show();
        m_form->raise();
        m_form->activateWindow();
    }
    void Hide() override { m_form->hide(); }
    bool IsShown() const override { return m_form->isVisible(); }
    QtForm& Form() const { return *m_form; }

  private:
    std::unique_ptr<QtForm> m_form;
};

}  // namespace

QtProgram::QtProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
                     std::vector<std::filesystem::path> printFileFolders,
                     std::optional<forms::RecordPlace> record, std::optional<forms::DevicePlace> devices)
    : m_program(
          spooler, dialogs, pause, clock, std::move(printFileFolders),
          [this](std::string_view name, forms::FormLogic& logic) { return MakeFace(name, logic); },
          [] { QApplication::quit(); }, std::move(record), std::move(devices)) {}

std::unique_ptr<forms::FormFace> QtProgram::MakeFace(std::string_view name, forms::FormLogic& logic) {
    // The help window stays with the main window.
    QWidget* owner = name == "Form2" ? Existing("Form1") : nullptr;
    auto face = std::make_unique<QtFace>(logic, m_program, owner);
    if (name == "Form1" && m_onMainWindow) m_onMainWindow(face->Form());
    return face;
}

QtForm& QtProgram::Form(std::string_view name) {
    return static_cast<QtFace&>(m_program.Face(name)).Form();
}

QtForm* QtProgram::Existing(std::string_view name) const {
    const auto* face = static_cast<const QtFace*>(m_program.ExistingFace(name));
    return face == nullptr ? nullptr : &face->Form();
}

}  // namespace qvset::app
