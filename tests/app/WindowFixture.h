#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/QtForm.h"
#include "app/QtProgram.h"
#include "forms/Form1.h"
#include "printer/MemorySpooler.h"
#include "seams/Clock.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset::app::testing {

using qvset::testing::FixedClock;

// The program's Qt windows over a MemorySpooler, recorded dialogs and pauses and a fixed clock, in a
// program folder of its own. Ending the program is counted instead of done.
class WindowFixture : public ::testing::Test {
  protected:
    static std::vector<PrinterInfo> Printers(const std::vector<std::string>& names) {
        std::vector<PrinterInfo> printers;
        for (const auto& name : names) printers.push_back({name, "Generic", "usb://" + name});
        return printers;
    }

    // The main window, built and started up.
    QtForm& Open(const std::vector<std::string>& printerNames = {"Office_Laser", "QV640_Virtual"}) {
        m_spooler.SetPrinters(Printers(printerNames));
        m_program = std::make_unique<QtProgram>(m_spooler, m_dialogs, m_pause, m_clock,
                                                std::vector<std::filesystem::path>{m_folder});
        m_program->SetEndProgram([this] { ++m_endings; });
        return m_program->Form("Form1");
    }

    forms::Form1& Logic() { return static_cast<forms::Form1&>(m_program->Form("Form1").Logic()); }

    MemorySpooler m_spooler;
    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    FixedClock m_clock;
    qvset::testing::TestFolder m_testFolder{"qvset-app-"};
    const std::filesystem::path& m_folder = m_testFolder.Path();
    std::unique_ptr<QtProgram> m_program;
    int m_endings = 0;
};

}  // namespace qvset::app::testing
