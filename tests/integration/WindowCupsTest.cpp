// The main window against a real CUPS server: start-up picks the maker's queue as the default, and every
// visible button that talks to the printer, clicked where the window's layout puts it, delivers its
// documents to that queue byte for byte.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Sandbox.h"
#include "app/FaceButton.h"
#include "app/QtForm.h"
#include "app/QtPause.h"
#include "app/QtProgram.h"
#include "app/WindowFixture.h"
#include "forms/FormLayout.h"
#include "printer/HexCodec.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/PrinterSelection.h"
#include "printer/cups/CupsSpooler.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "support/VisibleSendButtons.h"

namespace qvset::app {
namespace {

using qvset::testing::FixedClock;
using qvset::testing::kBatchButton;
using qvset::testing::kCancelSelectionButton;
using qvset::testing::Sandbox;
using qvset::testing::VisibleSendButton;
using qvset::testing::VisibleSendButtons;

constexpr const char* kQueue = "QV640_Virtual";
constexpr const char* kBaudMessage = "您设置了波特率，完成后需要重启打印机";

const VisibleSendButton& PlacementOf(const std::string& name) {
    if (name == kBatchButton.name) return kBatchButton;
    if (name == kCancelSelectionButton.name) return kCancelSelectionButton;
    for (const auto& placement : VisibleSendButtons()) {
        if (name == placement.name) return placement;
    }
    throw std::logic_error("no placement for " + name);
}

class WindowCups : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Sandbox::UseClientEnvironment(); }

    void SetUp() override {
        m_spooler = std::make_unique<CupsSpooler>();
        // Start from another default, so that the start-up pick has something to change.
        for (const auto& printer : m_spooler->ListPrinters()) {
            if (printer.deviceName == "Office_Laser")
                m_spooler->ApplyPrinterChoice(FormatPrinterEntry(printer));
        }
        ASSERT_EQ(m_spooler->CurrentPrinter(), "Office_Laser");
    }

    void TearDown() override { m_program.reset(); }

    QtForm& Open() {
        m_program = std::make_unique<QtProgram>(*m_spooler, m_dialogs, m_pause, m_clock,
                                                std::vector<std::filesystem::path>{m_folder});
        m_program->SetEndProgram([] { ADD_FAILURE() << "the program ended"; });
        m_program->ShowForm("Form1");
        QtForm& form = *m_program->Existing("Form1");
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        return form;
    }

    // Clicks the point where the layout puts `name`: the centre of its twips rectangle, after checking
    // that the widget under that point is that button.
    void ClickWhereLaidOut(const std::string& name) {
        QtForm& form = *m_program->Existing("Form1");
        const VisibleSendButton& placement = PlacementOf(name);
        const int dpiX = form.logicalDpiX();
        const int dpiY = form.logicalDpiY();
        const QRect rect(
            forms::TwipsToPixels(placement.left, dpiX), forms::TwipsToPixels(placement.top, dpiY),
            forms::TwipsToPixels(placement.width, dpiX), forms::TwipsToPixels(placement.height, dpiY));
        const QPoint centre = rect.center();
        QWidget* hit = form.childAt(centre);
        ASSERT_NE(hit, nullptr) << name;
        auto* button = qobject_cast<QPushButton*>(hit);
        ASSERT_NE(button, nullptr) << name << " hit " << hit->objectName().toStdString();
        ASSERT_EQ(button->objectName().toStdString(), name);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    }

    // Clicks `name` where it is laid out and returns the hex of every document it left on the queue,
    // once `expectedCount` have arrived.
    std::vector<std::string> ClickAndCollect(const std::string& name, std::size_t expectedCount) {
        const std::size_t before = Sandbox::CapturedJobs(kQueue).size();
        ClickWhereLaidOut(name);
        return DocumentsFrom(Sandbox::WaitForJobs(kQueue, before + expectedCount), before, name);
    }

    bool IsLit(const std::string& name) {
        return m_program->Existing("Form1")->Control<FaceButton>(name)->IsLit();
    }

    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    FixedClock m_clock;
    qvset::testing::TestFolder m_testFolder{"qvset-window-cups-"};
    const std::filesystem::path& m_folder = m_testFolder.Path();
    std::unique_ptr<CupsSpooler> m_spooler;
    std::unique_ptr<PrinterOverrideSpooler> m_override;  // outlives the program that prints through it
    std::unique_ptr<QtProgram> m_program;
};

TEST_F(WindowCups, StartUpMakesTheFirstMakerQueueTheDefault) {
    QtForm& form = Open();
    EXPECT_EQ(m_spooler->CurrentPrinter(), kQueue);
    const std::string shown = form.Control<QComboBox>("Combo1")->currentText().toStdString();
    EXPECT_EQ(shown.rfind(std::string(kQueue) + ",", 0), 0u) << shown;
    // Another client of the same server sees the same default.
    EXPECT_EQ(Sandbox::Shell("lpstat -d | grep -q 'destination: QV640_Virtual'"), 0);
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(WindowCups, EachVisibleButtonSendsItsDocumentToTheVirtualQueue) {
    Open();
    ASSERT_EQ(m_spooler->CurrentPrinter(), kQueue);
    for (const auto& row : VisibleSendButtons()) {
        m_dialogs.Clear();
        EXPECT_EQ(ClickAndCollect(row.name, 1), std::vector<std::string>{row.hex}) << row.name;
        EXPECT_EQ(m_dialogs.MessageTexts(),
                  row.baudMessage ? std::vector<std::string>{kBaudMessage} : std::vector<std::string>{})
            << row.name;
    }
    // What the clicks recorded: the last choice of each item, lit.
    for (const auto& lit : qvset::testing::LitAfterEveryVisibleSendButton()) EXPECT_TRUE(IsLit(lit)) << lit;

    // 设置票样 re-sends every recorded item as one document, after the baud message.
    const std::string batch = qvset::testing::BatchAfterEveryVisibleSendButton();
    ASSERT_EQ(batch.size(), 102u);
    m_dialogs.Clear();
    EXPECT_EQ(ClickAndCollect("Command19", 1), std::vector<std::string>{batch});
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{kBaudMessage});
}

TEST_F(WindowCups, CancelledSelectionThenAFewSettingsGiveTheWorkedBatch) {
    Open();
    // Settle a previous selection away with 取消选定: no ticket description is open, so no question.
    ClickAndCollect("Command33", 1);
    m_dialogs.Clear();
    ClickWhereLaidOut("Command49");
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_FALSE(IsLit("Command33"));

    // Nothing recorded: 设置票样 only says so and sends nothing.
    const std::size_t before = Sandbox::CapturedJobs(kQueue).size();
    ClickWhereLaidOut("Command19");
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{"您没有要设置的项目，请确认"});

    // Black mark on, 58 mm paper, the ticket length 152 and 9600 x 12, then the batch.
    EXPECT_EQ(ClickAndCollect("Command28", 1), std::vector<std::string>{"1B4202"});
    EXPECT_EQ(ClickAndCollect("Command32", 1), std::vector<std::string>{"1B4205"});
    EXPECT_EQ(ClickAndCollect("Command23", 1), std::vector<std::string>{"1D2846040004006503"});
    EXPECT_EQ(ClickAndCollect("Command44", 1), std::vector<std::string>{"1B4211"});
    m_dialogs.Clear();
    EXPECT_EQ(ClickAndCollect("Command19", 1),
              std::vector<std::string>{"1B42021B42051D28460400040065031B4211"});
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{kBaudMessage});
    // The refused batch left no document: exactly the five above arrived.
    EXPECT_EQ(Sandbox::CapturedJobs(kQueue).size(), before + 5);
}

// The tuning run the window starts on a queue that prints at once: its last documents are still on
// their way when the handler returns, but the watch's first look comes a second later, so the run ends
// as done, as the command line's run does. (Command3 lies below the client area; the test reaches it
// through the logic, with the run's extra pause set to none.) The run goes to the capture queue, which
// takes a job in milliseconds: the virtual printer stores and draws each job, and 37 of them may take
// longer than that second on a busy machine.
TEST_F(WindowCups, ASingleModeRunOnAQueueThatPrintsAtOnceEndsDone) {
    constexpr const char* kFastQueue = "Office_Laser";
    QtPause pause;
    m_override = std::make_unique<PrinterOverrideSpooler>(*m_spooler, kFastQueue);
    m_program = std::make_unique<QtProgram>(*m_override, m_dialogs, pause, m_clock,
                                            std::vector<std::filesystem::path>{m_folder});
    m_program->SetEndProgram([] { ADD_FAILURE() << "the program ended"; });
    m_program->ShowForm("Form1");
    QtForm& form = *m_program->Existing("Form1");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const std::size_t before = Sandbox::CapturedJobs(kFastQueue).size();
    form.Logic().OnEvent(forms::FormEvent::Change("Text1", "0"));
    form.Logic().OnEvent(forms::FormEvent::Click("Command3"));
    const auto label8 = [&form] { return form.Control<QLabel>("Label8")->text().toStdString(); };
    EXPECT_EQ(label8(), "正在设置....");
    EXPECT_TRUE(QTest::qWaitFor([&] { return label8() == "完成..." || label8() == "设置失败..."; }, 45000));
    EXPECT_EQ(label8(), "完成...");
    EXPECT_TRUE(m_dialogs.Messages().empty()) << m_dialogs.MessageTexts().front();
    EXPECT_EQ(Sandbox::WaitForJobs(kFastQueue, before + 37).size(), before + 37);  // the store job, 9 samples
}

}  // namespace
}  // namespace qvset::app
