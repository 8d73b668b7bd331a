#include "forms/Program.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "forms/Form2.h"
#include "forms/Form3.h"
#include "printer/device/DevicesFile.h"

namespace qvset::forms {

namespace {

constexpr std::string_view kMsgRecordNotWritten = "发送记录无法写入，文档照常发送，本次运行不再提示。";

// "打印机此后以 19200 波特率应答（重启后生效）。把设备 NAME 改为 URI 吗？"
std::string MsgFollowBaudRate(const BaudChange& change, const std::string& names) {
    return "打印机此后以 " + std::to_string(change.baud) + " 波特率应答（重启后生效）。把设备 " + names +
           " 改为 " + change.newUri + " 吗？";
}

// "设备文件无法写入（WHY）：本次运行以 19200 波特率发送，下次运行仍为旧的波特率".
std::string MsgDevicesFileNotWritten(const std::string& why, int baud) {
    return "设备文件无法写入（" + why + "）：本次运行以 " + std::to_string(baud) +
           " 波特率发送，下次运行仍为旧的波特率";
}

// What the record names as the command of a handler's documents: the caption the clicked control
// shows, else the control's name.
std::string CommandOf(const FormLogic& form, const FormEvent& event) {
    if (event.kind == EventKind::Click && form.Layout().Find(event.control) != nullptr) {
        const std::string& caption = form.Shown(event.control).text;
        if (!caption.empty()) return caption;
    }
    return event.control;
}

}  // namespace

Program::Program(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
                 std::vector<std::filesystem::path> printFileFolders, FaceFactory makeFace,
                 std::function<void()> lastWindowGone, std::optional<RecordPlace> record,
                 std::optional<DevicePlace> devices)
    : m_spooler(spooler),
      m_dialogs(dialogs),
      m_pause(pause),
      m_clock(clock),
      m_printFileFolders(std::move(printFileFolders)),
      m_makeFace(std::move(makeFace)),
      m_lastWindowGone(std::move(lastWindowGone)),
      m_devices(std::move(devices)) {
    if (m_devices && m_devices->devices != nullptr)
        m_following = std::make_unique<BaudFollowingSpooler>(spooler);
    Spooler& base = m_following ? static_cast<Spooler&>(*m_following) : spooler;
    if (!record || RecordTurnedOff()) return;
    m_book = std::make_unique<RecordBook>(std::move(record->folder), std::move(record->server),
                                          [this](const std::string& problem) {
                                              std::cerr << "qvset: " << problem << '\n';
                                              m_recordProblem = problem;
                                          });
    // What a document sent outside any click (none is today) would be named by: the main window.
    m_recording = std::make_unique<RecordingSpooler>(base, *m_book, Form1Layout().caption);
}

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
        Spooler& sending = m_recording   ? static_cast<Spooler&>(*m_recording)
                           : m_following ? static_cast<Spooler&>(*m_following)
                                         : m_spooler;
        auto main = std::make_unique<Form1>(sending, m_dialogs, m_pause, m_clock, m_printFileFolders);
        if (m_recording || m_following) WatchHandlers(*main);
        window->logic = std::move(main);
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

void Program::WatchHandlers(Form1& form) {
    form.SetHandlerHooks({[this, &form](const FormEvent& event) {
                              if (m_recording) m_recording->SetCommand(CommandOf(form, event));
                          },
                          [this, &form] {
                              SayRecordProblem(form.WindowDialogs());
                              FollowBaudRates(form.WindowDialogs());
                          }});
}

void Program::FollowBaudRates(Dialogs& dialogs) {
    if (!m_following) return;
    for (const BaudChange& change : m_following->TakeChanges()) {
        DevicesFile file = ReadDevicesFile(m_devices->file);
        std::vector<std::string> names;
        for (const auto& device : m_devices->devices->Devices()) {
            if (device.uri == change.uri) names.push_back(device.name);
        }
        if (names.empty()) continue;
        std::string joined;
        for (const auto& name : names) joined += (joined.empty() ? "" : "、") + name;
        const MessageAnswer answer = dialogs.ShowMessage(MessageRequest{
            MsgFollowBaudRate(change, joined), {}, MessageButtons::YesNo, MessageIcon::Question});
        if (answer != MessageAnswer::Yes) continue;
        for (const auto& name : names) {
            m_devices->devices->SetUri(name, change.newUri);
            SetDevice(file, {name, change.newUri});
        }
        std::string problem;
        if (!WriteDevicesFile(m_devices->file, file, problem)) {
            dialogs.ShowMessage(MessageRequest{MsgDevicesFileNotWritten(problem, change.baud),
                                               {},
                                               MessageButtons::Ok,
                                               MessageIcon::Exclamation});
        }
    }
}

// After the handler's documents and messages: the record never holds up a document, and its one message
// does not come between a handler's own.
void Program::SayRecordProblem(Dialogs& dialogs) {
    if (m_recordProblem.empty()) return;
    const std::string text = std::string(kMsgRecordNotWritten) + "\n\n" + m_recordProblem;
    m_recordProblem.clear();
    dialogs.ShowMessage(MessageRequest{text, {}, MessageButtons::Ok, MessageIcon::Exclamation});
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
