#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "forms/FormLayout.h"
#include "printer/Spooler.h"
#include "seams/Clock.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "text/WideText.h"
#include "winapp/ControlIds.h"
#include "winapp/WinForm.h"
#include "winapp/WinProgram.h"

namespace qvset::winapp::testing {

using qvset::testing::FixedClock;

// Runs the program's messages as its loop does (Enter and Tab included) until `done` holds or the
// timeout passes; true when it held.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (WinForm::TakeDialogMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Runs the messages for a while.
inline void PumpFor(std::chrono::milliseconds time) {
    PumpUntil([] { return false; }, time);
}

inline std::string TextOf(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return ToUtf8(text);
}

// The main window's face as the program builds it, over any spooler, with recorded dialogs and
// pauses and a fixed clock; its window shown at the screen's top-left corner.
class WinFace : public ::testing::Test {
  protected:
    void TearDown() override { m_program.reset(); }

    WinForm& Open(Spooler& spooler, Pause* pause = nullptr) {
        m_program = std::make_unique<WinProgram>(spooler, m_dialogs, pause != nullptr ? *pause : m_pause,
                                                 m_clock, std::vector<std::filesystem::path>{m_folder});
        m_program->OnEndProgram([this] { ++m_endings; });
        // The main window stays on screen through every test: its message pumps must not be ended.
        m_program->OnLastWindowGone([] { ADD_FAILURE() << "no window is left on screen"; });
        WinForm& face = m_program->Face("Form1");
        SetWindowPos(face.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        face.Show();
        PumpFor(std::chrono::milliseconds(100));
        return face;
    }

    HWND Control(const std::string& name) {
        HWND control = m_program->Face("Form1").Control(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // A button pressed as the user presses it (BM_CLICK on the control found by its name), and the
    // messages run until the window is idle again.
    void Press(const std::string& name) {
        SendMessageW(Control(name), BM_CLICK, 0, 0);
        PumpFor(std::chrono::milliseconds(20));
    }

    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    FixedClock m_clock;
    qvset::testing::TestFolder m_testFolder{"qvset-winapp-"};
    const std::filesystem::path& m_folder = m_testFolder.Path();
    std::unique_ptr<WinProgram> m_program;
    int m_endings = 0;
};

}  // namespace qvset::winapp::testing
