#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Form1.h"
#include "forms/FormHost.h"
#include "forms/FormLogic.h"
#include "printer/Spooler.h"
#include "printer/device/DeviceSpooler.h"
#include "record/BaudFollowing.h"
#include "record/RecordBook.h"
#include "record/RecordingSpooler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"

namespace qvset::forms {

// What the program asks of one window's face, whatever its toolkit.
class FormFace {
  public:
    virtual ~FormFace() = default;
    // Shows the window and brings it to the front.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Whether the window is on screen now, however it got there.
    virtual bool IsShown() const = 0;
};

// Where the window keeps the record of what each printer was sent: the records' folder (empty when the
// user has no state folder, which the record then says) and the print server the spooler talks to, as
// the record names it.
struct RecordPlace {
    std::filesystem::path folder;
    std::string server;
};

// The devices of the user's devices file that the window's printer list offers after the spooler's
// printers (the spooler the program is given lists them): the file, and the spooler that writes to them.
struct DevicePlace {
    std::filesystem::path file;
    DeviceSpooler* devices = nullptr;
};

// The window program without a toolkit: its three windows, the main window "设置" (Form1), the help
// "说明" (Form2) and the preview "设置预览页" (Form3), each its logic and a face, both made on first
// use; the face comes from the factory a toolkit supplies, which connects it to the logic (the
// window's start-up runs then). The program ends in one of two ways: at once when a window says so
// (EndProgram), or when the last window on screen closes or hides; the toolkit supplies both.
//
// Given a place for the record (and unless QVSET_RECORD=off), every document the windows hand to the
// spooler is added to its printer's record, after the spooler answered, with the caption of the control
// whose click sent it as its command. A record that cannot be written is said once, on stderr and in a
// message box after the handler that met it has sent all its documents and shown its own messages; the
// documents go on being sent.
//
// Given devices, a document that changes the baud rate of a serial device's printer is followed, after
// the handler, by the question whether the device should follow it; Yes changes the device's rate in the
// devices file and for this run's later documents, No changes nothing. Never silently.
class Program final : public FormHost {
  public:
    // Makes the face of `form` over its logic, with this program as its host, and attaches it.
    using FaceFactory = std::function<std::unique_ptr<FormFace>(std::string_view form, FormLogic& logic)>;

    Program(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
            std::vector<std::filesystem::path> printFileFolders, FaceFactory makeFace,
            std::function<void()> lastWindowGone, std::optional<RecordPlace> record = std::nullopt,
            std::optional<DevicePlace> devices = std::nullopt);
    // The faces go first, the last made first (a face may belong to one made before it), then the logic.
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The face of "Form1", "Form2" or "Form3", made (with its logic) on first use; any other name is a
    // logic error.
    FormFace& Face(std::string_view form);
    // The face of that window, or nullptr before its first use.
    FormFace* ExistingFace(std::string_view form) const;
    // The logic of that window, made on first use without a face.
    FormLogic& Logic(std::string_view form);
    Form1& Main() { return static_cast<Form1&>(Logic("Form1")); }

    void ShowForm(std::string_view form) override;
    // Hides the window; when it was on screen and no other window is, the program's last window is gone.
    void HideForm(std::string_view form) override;
    // At once: no further events, questions or documents. Every document was already closed by the send
    // that wrote it, so nothing is left half-written. At first the process ends with status 0.
    void EndProgram() override;
    void OnEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }
    void OnLastWindowGone(std::function<void()> lastWindowGone) {
        m_lastWindowGone = std::move(lastWindowGone);
    }

  private:
    struct Window {
        std::string name;
        std::unique_ptr<FormLogic> logic;
        std::unique_ptr<FormFace> face;
    };
    Window* Find(std::string_view form) const;
    Window& Make(std::string_view form);
    // Names each handler's documents in the record and says a record that could not be written.
    void WatchHandlers(Form1& form);
    void SayRecordProblem(Dialogs& dialogs);
    // Offers to keep each serial device whose printer changed its baud rate in step.
    void FollowBaudRates(Dialogs& dialogs);

    Spooler& m_spooler;
    Dialogs& m_dialogs;
    Pause& m_pause;
    const Clock& m_clock;
    std::vector<std::filesystem::path> m_printFileFolders;
    FaceFactory m_makeFace;
    std::function<void()> m_lastWindowGone;
    std::function<void()> m_endProgram;
    // Before the windows: their logic sends through these spoolers to the end.
    std::optional<DevicePlace> m_devices;
    std::unique_ptr<BaudFollowingSpooler> m_following;
    std::unique_ptr<RecordBook> m_book;
    std::unique_ptr<RecordingSpooler> m_recording;
    std::string m_recordProblem;  // said by the record, not yet shown
    std::vector<std::unique_ptr<Window>> m_windows;
    std::vector<Window*> m_faceOrder;  // the windows in the order their faces were made
};

}  // namespace qvset::forms
