#include "winapp/WinProgram.h"

#include <memory>

namespace qvset::winapp {

WinProgram::WinProgram(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
                       std::vector<std::filesystem::path> printFileFolders,
                       std::optional<forms::RecordPlace> record, std::optional<forms::DevicePlace> devices)
    : m_program(
          spooler, dialogs, pause, clock, std::move(printFileFolders),
          [this](std::string_view, forms::FormLogic& logic) -> std::unique_ptr<forms::FormFace> {
              WinForm::Host host{[this](std::string_view shown) { m_program.ShowForm(shown); },
                                 [this](std::string_view hidden) { m_program.HideForm(hidden); },
                                 [this] { m_program.EndProgram(); }};
              auto face = std::make_unique<WinForm>(logic, std::move(host));
              face->Create();
              return face;
          },
          [] { PostQuitMessage(0); }, std::move(record), std::move(devices)) {
    m_program.OnEndProgram([] { ExitProcess(0); });
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
