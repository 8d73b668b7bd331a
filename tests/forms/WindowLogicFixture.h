#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RecordingView.h"
#include "forms/Form1.h"
#include "printer/MemorySpooler.h"
#include "seams/Clock.h"
#include "support/DocumentsAsHex.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "text/Utf8.h"

namespace qvset::forms::testing {

using qvset::testing::FixedClock;

// The main window's logic over a MemorySpooler, recorded dialogs and pauses, a fixed clock and a
// recording face, in a program folder of its own. The helpers raise the events a face raises when
// the user works the controls.
class WindowLogic : public ::testing::Test {
  public:
    static std::vector<PrinterInfo> Printers(const std::vector<std::string>& names) {
        std::vector<PrinterInfo> printers;
        for (const auto& name : names) printers.push_back({name, "Generic", "usb://" + name});
        return printers;
    }

    Form1& Open(const std::vector<std::string>& printerNames = {"Office_Laser", "QV640_Virtual"}) {
        m_spooler.SetPrinters(Printers(printerNames));
        return OpenWith(m_pause);
    }

    Form1& OpenWith(Pause& pause) {
        m_form.reset();
        m_view = std::make_unique<RecordingView>(Form1Layout());
        m_form = std::make_unique<Form1>(m_spooler, m_dialogs, pause, m_clock,
                                         std::vector<std::filesystem::path>{m_folder});
        m_form->Attach(*m_view);
        return *m_form;
    }

    RecordingView& View() { return *m_view; }

    // The user works a control: the control changes by itself, then its event reaches the logic. A
    // disabled control does neither.
    void User(const FormEvent& event) {
        if (m_form->Layout().Find(event.control) != nullptr && !m_view->Enabled(event.control)) return;
        m_view->TakeUserEvent(event);
        m_form->OnEvent(event);
    }
    void Click(const std::string& control) { User(FormEvent::Click(control)); }
    // A check box clicked: its tick turns over before the click arrives.
    void ClickBox(const std::string& box) { User(FormEvent::Click(box, !m_view->Checked(box))); }
    void Option(const std::string& option) { User(FormEvent::OptionOn(option)); }
    void Pick(const std::string& combo, int index) { User(FormEvent::Pick(combo, index)); }
    void Tick() { m_form->OnEvent(FormEvent::Tick("Timer1")); }
    void CloseWindow() { m_form->OnEvent(FormEvent::Close("Form1")); }
    // The whole text changes at once (a paste over everything, or a text set by another program).
    void Change(const std::string& box, const std::string& text) { User(FormEvent::Change(box, text)); }
    // Replaces a text the way the user does: everything selected and deleted, then one keystroke a
    // character, each a change of its own, typed at the end of what the box shows by then.
    void Type(const std::string& box, const std::string& text) {
        if (!m_view->Text(box).empty()) Change(box, "");
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[pos]));
            Change(box, m_view->Text(box) + text.substr(pos, length));
            pos += length;
        }
    }

    std::vector<std::string> SentHex() const { return qvset::testing::DocumentsAsHex(m_spooler); }
    std::vector<std::int16_t> Items() const {
        std::vector<std::int16_t> items;
        for (int item = 1; item <= 11; ++item) items.push_back(m_form->Selection().ItemState(item));
        return items;
    }

    MemorySpooler m_spooler;
    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    FixedClock m_clock;
    qvset::testing::TestFolder m_testFolder{"qvset-forms-"};
    const std::filesystem::path& m_folder = m_testFolder.Path();
    std::unique_ptr<RecordingView> m_view;
    std::unique_ptr<Form1> m_form;
};

}  // namespace qvset::forms::testing
