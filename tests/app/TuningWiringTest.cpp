// The tuning panel, the tuning runs with the job watch, the console and the single buttons, driven
// through the window's controls.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>

#include "WindowFixture.h"
#include "printer/HexCodec.h"
#include "support/DocumentsAsHex.h"

namespace qvset::app::testing {
namespace {

constexpr const char* kSaveCommand = "1B3A000052";
constexpr const char* kSelfTest = "1B3A000050";
constexpr const char* kFactoryTable = "1B3A451A0012001FFF420022009200FF008706000B48098008100014000800";
constexpr const char* kFactoryConsoleText =
    "1B 3A 45 1A 00 12 00 1F FF 42 00 22 00 92 00 FF 00 87 06 00 0B 48 09 80 08 10 00 14 00 08 00";
constexpr const char* kMsgNotHex = "请输入的数据是16进制的范围";
constexpr const char* kMsgOffline = "请检查打印机是否脱机,请重启打印机";

using TuningPanelWiring = WindowFixture;
using TuningRunWiring = WindowFixture;
using ConsoleWiring = WindowFixture;
using SingleButtonWiring = WindowFixture;

class WiringHelpers {
  public:
    explicit WiringHelpers(Form1& form) : m_form(form) {}

    void Click(const char* name) { QTest::mouseClick(m_form.Control<QPushButton>(name), Qt::LeftButton); }
    void ClickOption(const char* name) {
        QTest::mouseClick(m_form.Control<QRadioButton>(name), Qt::LeftButton);
    }
    // Replaces the combo box's text by typing, one keystroke at a time.
    void TypeIntoCombo(const QString& text) {
        QLineEdit* edit = m_form.Control<QComboBox>("cmbsz")->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Picks an entry of the list as the drop-down does: it becomes current, then "activated".
    void PickFromCombo(int index) {
        auto* cmbsz = m_form.Control<QComboBox>("cmbsz");
        cmbsz->setCurrentIndex(index);
        emit cmbsz->activated(index);
    }
    void Tick() { QMetaObject::invokeMethod(&m_form, "Timer1_Timer"); }
    bool Enabled(const char* name) const { return m_form.Control<QPushButton>(name)->isEnabled(); }
    int EnabledRunButtons() const {
        int count = 0;
        for (const char* name : Form1::RunButtonNames()) count += Enabled(name) ? 1 : 0;
        return count;
    }

  private:
    Form1& m_form;
};

using qvset::testing::DocumentsAsHex;

// ---- Speed and quality panel ----

TEST_F(TuningPanelWiring, StartUpShowsHighSpeedAndTheStartValues) {
    Form1& form = Open();
    auto* cmbsz = form.Control<QComboBox>("cmbsz");
    ASSERT_EQ(cmbsz->count(), 50);
    EXPECT_EQ(cmbsz->itemText(0), "1");
    EXPECT_EQ(cmbsz->itemText(49), "50");
    EXPECT_EQ(form.Text("cmbsz"), "16");
    EXPECT_EQ(form.Text("Labgs"), "16");
    EXPECT_EQ(form.Text("Labcgs"), "18");
    EXPECT_EQ(form.Text("Labcgm"), "20");
    EXPECT_TRUE(form.Control<QRadioButton>("Optgs")->isChecked());
    EXPECT_FALSE(form.Control<QRadioButton>("Optcgs")->isChecked());
    EXPECT_FALSE(form.Control<QRadioButton>("Optcgm")->isChecked());
    EXPECT_FALSE(form.Control<QPushButton>("Command9")->isEnabled());
    EXPECT_FALSE(form.Control<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(form.Text("Text2"), "");
    EXPECT_EQ(form.Text("Label8"), "完成.....");
    WiringHelpers ui(form);
    EXPECT_EQ(ui.EnabledRunButtons(), 12);  // all but Command9
}

struct PanelStep {
    const char* what;
    std::function<void(WiringHelpers&)> act;
    const char* combo;
    const char* labgs;
    const char* labcgs;
    const char* labcgm;
};

TEST_F(TuningPanelWiring, ModesAndValuesFollowTheOptionsAndTheComboBox) {
    Form1& form = Open();
    WiringHelpers ui(form);
    const PanelStep kSteps[] = {
        {"standard shows its value", [](WiringHelpers& h) { h.ClickOption("Optcgs"); }, "18", "16", "18",
         "20"},
        {"picking 45 gives 40", [](WiringHelpers& h) { h.PickFromCombo(44); }, "40", "16", "40", "20"},
        {"picking 7", [](WiringHelpers& h) { h.PickFromCombo(6); }, "7", "16", "7", "20"},
        {"fine shows its value", [](WiringHelpers& h) { h.ClickOption("Optcgm"); }, "20", "16", "7", "20"},
        {"typing 7 into fine", [](WiringHelpers& h) { h.TypeIntoCombo("7"); }, "7", "16", "7", "7"},
        {"back to high speed", [](WiringHelpers& h) { h.ClickOption("Optgs"); }, "16", "16", "7", "7"},
        {"typing 99 stops at 40", [](WiringHelpers& h) { h.TypeIntoCombo("99"); }, "40", "40", "7", "7"},
        {"typing 5a is copied", [](WiringHelpers& h) { h.TypeIntoCombo("5a"); }, "5a", "5a", "7", "7"},
        {"typing 12", [](WiringHelpers& h) { h.TypeIntoCombo("12"); }, "12", "12", "7", "7"},
        {"fine shows 7 again", [](WiringHelpers& h) { h.ClickOption("Optcgm"); }, "7", "12", "7", "7"},
    };
    for (const auto& step : kSteps) {
        step.act(ui);
        EXPECT_EQ(form.Text("cmbsz"), step.combo) << step.what;
        EXPECT_EQ(form.Text("Labgs"), step.labgs) << step.what;
        EXPECT_EQ(form.Text("Labcgs"), step.labcgs) << step.what;
        EXPECT_EQ(form.Text("Labcgm"), step.labcgm) << step.what;
    }
    EXPECT_TRUE(form.Control<QRadioButton>("Optcgm")->isChecked());
    EXPECT_FALSE(form.Control<QRadioButton>("Optgs")->isChecked());
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(TuningPanelWiring, EachKeystrokeReachesTheLabelOnce) {
    Form1& form = Open();
    auto* cmbsz = form.Control<QComboBox>("cmbsz");
    std::vector<std::string> seen;
    // Connected after the window's own handler, so it sees the label as that handler left it.
    QObject::connect(cmbsz, &QComboBox::editTextChanged, [&] { seen.push_back(form.Text("Labgs")); });
    QLineEdit* edit = cmbsz->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, "12");
    EXPECT_EQ(seen, (std::vector<std::string>{"", "1", "12"}));
    // 123 becomes 40: the window's own write of "40" is a change the control reports too (seen first,
    // being nested), after which the keystroke's change is seen with the label already at 40.
    QTest::keyClicks(edit, "3");
    EXPECT_EQ(form.Text("cmbsz"), "40");
    EXPECT_EQ(seen, (std::vector<std::string>{"", "1", "12", "40", "40"}));
}

// ---- Tuning runs and the job watch ----

struct RunCase {
    const char* button;
    std::size_t documents;  // the store job, then the samples or the test page
    int checkSecond;
    int endSecond;
};

const RunCase kRuns[] = {
    {"Command3", 1 + 9 * 4, 5, 27},
    {"Command8", 2, 10, 68},
};

TEST_F(TuningRunWiring, ARunLocksTheButtonsAndTheWatchEndsItAsDone) {
    for (const auto& run : kRuns) {
        Form1& form = Open();
        WiringHelpers ui(form);
        ui.Click(run.button);
        ASSERT_EQ(m_spooler.Documents().size(), run.documents) << run.button;
        EXPECT_EQ(EncodeHex(m_spooler.Documents()[0].bytes).substr(0, 6), "1B0140") << run.button;
        EXPECT_EQ(m_pause.Waits(), (std::vector<int>{2500, 2000, 2500, 2500, 5000})) << run.button;
        EXPECT_EQ(form.Text("Label8"), "正在设置....") << run.button;
        EXPECT_EQ(ui.EnabledRunButtons(), 0) << run.button;
        EXPECT_TRUE(ui.Enabled("Command15")) << run.button;
        EXPECT_TRUE(ui.Enabled("Command17")) << run.button;

        // A locked button sends nothing.
        ui.Click("Command1");
        EXPECT_EQ(m_spooler.Documents().size(), run.documents) << run.button;

        const char* kProgress[] = {"正在设置.", "正在设置..", "正在设置...", "正在设置....", "正在设置...."};
        for (int second = 1; second < run.endSecond; ++second) {
            ui.Tick();
            EXPECT_EQ(form.Text("Label8"), kProgress[(second - 1) % 5]) << run.button << " second " << second;
            ASSERT_EQ(ui.EnabledRunButtons(), 0) << run.button << " second " << second;
        }
        ui.Tick();
        EXPECT_EQ(form.Text("Label8"), "完成...") << run.button;
        EXPECT_EQ(ui.EnabledRunButtons(), 13) << run.button;  // Command9 too, though Check1 is unticked
        EXPECT_TRUE(m_dialogs.Messages().empty()) << run.button;

        // Idle again: further ticks leave Label8 alone.
        ui.Tick();
        EXPECT_EQ(form.Text("Label8"), "完成...") << run.button;
        m_spooler.ClearDocuments();
        m_pause.Clear();
    }
}

TEST_F(TuningRunWiring, ADocumentStillWaitingAtTheCheckSecondFailsTheRun) {
    for (const auto& run : kRuns) {
        Form1& form = Open();
        WiringHelpers ui(form);
        m_dialogs.Clear();
        m_spooler.SetWaitingCount(1);
        ui.Click(run.button);
        for (int second = 1; second < run.checkSecond; ++second) ui.Tick();
        EXPECT_EQ(ui.EnabledRunButtons(), 0) << run.button;
        EXPECT_TRUE(m_dialogs.Messages().empty()) << run.button;
        ui.Tick();
        EXPECT_EQ(form.Text("Label8"), "设置失败...") << run.button;
        EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{kMsgOffline})) << run.button;
        EXPECT_EQ(ui.EnabledRunButtons(), 13) << run.button;
        // The watch has ended: the waiting document changes nothing more.
        ui.Tick();
        EXPECT_EQ(form.Text("Label8"), "设置失败...") << run.button;
        EXPECT_EQ(m_dialogs.Messages().size(), 1u) << run.button;
        m_spooler.SetWaitingCount(0);
    }
}

TEST_F(TuningRunWiring, RestEndsTheWatchAtOnceWithoutAMessage) {
    Form1& form = Open();
    WiringHelpers ui(form);
    m_spooler.SetWaitingCount(1);
    ui.Click("Command3");
    ui.Tick();
    ui.Tick();
    ui.Click("Command15");
    EXPECT_EQ(form.Text("Label8"), "完成...");
    EXPECT_EQ(ui.EnabledRunButtons(), 13);
    for (int second = 3; second <= 6; ++second) ui.Tick();  // past the check second: nothing is watched
    EXPECT_EQ(form.Text("Label8"), "完成...");
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(TuningRunWiring, TheRunReadsTheValuesFromThePanelAndThePauseFromText1) {
    struct Case {
        const char* text1;
        std::vector<int> waits;
    };
    const Case kCases[] = {
        {"5000", {2500, 2000, 2500, 2500, 5000}},
        {"1500", {2500, 2000, 2500, 2500, 1500}},
        {"abc", {2500, 2000, 2500, 2500}},
    };
    for (const auto& c : kCases) {
        Form1& form = Open();
        WiringHelpers ui(form);
        ui.ClickOption("Optcgm");
        ui.TypeIntoCombo("9");
        QLineEdit* text1 = form.Control<QLineEdit>("Text1");
        text1->clear();
        QTest::keyClicks(text1, c.text1);
        ui.Click("Command8");
        EXPECT_EQ(m_pause.Waits(), c.waits) << c.text1;
        ASSERT_EQ(m_spooler.Documents().size(), 2u) << c.text1;
        // The store job carries 16, 18 and the typed 9 for the three modes.
        const std::string store = EncodeHex(m_spooler.Documents()[0].bytes);
        ASSERT_EQ(store.size(), 88u);
        EXPECT_EQ(store.substr(16, 4), "0A10") << c.text1;
        EXPECT_EQ(store.substr(42, 4), "0B12") << c.text1;
        EXPECT_EQ(store.substr(68, 4), "0C09") << c.text1;
        EXPECT_EQ(store.substr(78), kSaveCommand) << c.text1;
        m_spooler.ClearDocuments();
        m_pause.Clear();
    }
}

TEST_F(TuningRunWiring, AValueThatIsNoWholeNumberIsRefusedBeforeAnythingIsSent) {
    Form1& form = Open();
    WiringHelpers ui(form);
    ui.TypeIntoCombo("5a");
    for (const char* button : {"Command3", "Command8"}) {
        m_dialogs.Clear();
        ui.Click(button);
        EXPECT_EQ(m_dialogs.Messages().size(), 1u) << button;
        EXPECT_TRUE(m_spooler.Documents().empty()) << button;
        EXPECT_TRUE(m_pause.Waits().empty()) << button;
        EXPECT_EQ(ui.EnabledRunButtons(), 12) << button;
        EXPECT_EQ(form.Text("Label8"), "完成.....") << button;
    }
}

// A pause that notes what Label8 shows while the run waits.
class Label8Pause final : public Pause {
  public:
    void Wait(int) override { captions.push_back(form->Text("Label8")); }
    Form1* form = nullptr;
    std::vector<std::string> captions;
};

TEST_F(TuningRunWiring, Label8ShowsEachCaptionOfTheRunWhileItPauses) {
    Label8Pause pause;
    Form1 form(m_spooler, m_dialogs, pause, m_clock, m_folder);
    pause.form = &form;
    form.Control<QPushButton>("Command3")->click();
    EXPECT_EQ(pause.captions, (std::vector<std::string>{"正在设置...", "正在设置....", "正在设置..",
                                                        "正在设置...", "正在设置..."}));
}

// ---- Console ----

TEST_F(ConsoleWiring, DisallowedCharactersAreRemovedWithOneMessageEach) {
    struct Case {
        const char* what;
        bool paste;
        const char* input;
        const char* kept;
        std::size_t messages;
    };
    const Case kCases[] = {
        {"hex with blanks", false, "1B 4a 15", "1B 4a 15", 0},
        {"a typed g", false, "1g2", "12", 1},
        {"a pasted text with two wrong characters", true, "1x yx2", "1 2", 2},
        {"a Chinese character", true, "0A打0C", "0A0C", 1},
    };
    for (const auto& c : kCases) {
        Form1& form = Open();
        m_dialogs.Clear();
        auto* text2 = form.Control<QPlainTextEdit>("Text2");
        if (c.paste) {
            text2->insertPlainText(QString::fromUtf8(c.input));
        } else {
            QTest::keyClicks(text2, QString::fromUtf8(c.input));
        }
        EXPECT_EQ(form.Text("Text2"), c.kept) << c.what;
        EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>(c.messages, kMsgNotHex)) << c.what;
        EXPECT_TRUE(m_spooler.Documents().empty()) << c.what;
    }
}

TEST_F(ConsoleWiring, TypingGoesOnAtTheEndAfterARemoval) {
    Form1& form = Open();
    auto* text2 = form.Control<QPlainTextEdit>("Text2");
    QTest::keyClicks(text2, "1B z4A");
    EXPECT_EQ(form.Text("Text2"), "1B 4A");
}

TEST_F(ConsoleWiring, SendSendsTheTypedBytesAndEmptiesTheConsole) {
    Form1& form = Open();
    WiringHelpers ui(form);
    ui.Click("Command6");  // empty: nothing
    EXPECT_TRUE(m_spooler.Documents().empty());
    QTest::keyClicks(form.Control<QPlainTextEdit>("Text2"), "1B 4A 15");
    ui.Click("Command6");
    EXPECT_EQ(DocumentsAsHex(m_spooler), (std::vector<std::string>{"1B4A15"}));
    EXPECT_EQ(form.Text("Text2"), "");
    EXPECT_TRUE(m_pause.Waits().empty());
}

TEST_F(ConsoleWiring, TableModeImportsTheFactoryTextAndFramesItWithSave) {
    Form1& form = Open();
    WiringHelpers ui(form);
    auto* check1 = form.Control<QCheckBox>("Check1");
    QTest::mouseClick(check1, Qt::LeftButton);
    ASSERT_TRUE(check1->isChecked());
    EXPECT_TRUE(ui.Enabled("Command9"));
    QTest::keyClicks(form.Control<QPlainTextEdit>("Text2"), "FF");
    ui.Click("Command9");
    ui.Click("Command9");  // one copy, not two
    EXPECT_EQ(form.Text("Text2"), kFactoryConsoleText);
    EXPECT_TRUE(m_spooler.Documents().empty());

    ui.Click("Command6");
    EXPECT_EQ(DocumentsAsHex(m_spooler),
              (std::vector<std::string>{kSaveCommand, kFactoryTable, kSaveCommand}));
    EXPECT_EQ(m_pause.Waits(), (std::vector<int>{2500, 1000}));
    EXPECT_FALSE(check1->isChecked());
    EXPECT_FALSE(ui.Enabled("Command9"));
    EXPECT_EQ(form.Text("Text2"), "");
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(ConsoleWiring, TheUnlockEnablesTheImportWhateverCheck1) {
    Form1& form = Open();
    WiringHelpers ui(form);
    ui.Click("Command3");
    ui.Click("Command15");
    EXPECT_FALSE(form.Control<QCheckBox>("Check1")->isChecked());
    EXPECT_TRUE(ui.Enabled("Command9"));
    auto* check1 = form.Control<QCheckBox>("Check1");
    QTest::mouseClick(check1, Qt::LeftButton);
    QTest::mouseClick(check1, Qt::LeftButton);
    EXPECT_FALSE(ui.Enabled("Command9"));
}

// ---- Single buttons ----

TEST_F(SingleButtonWiring, EachButtonSendsItsFixedDocuments) {
    struct Case {
        const char* button;
        std::vector<std::string> documents;
        std::vector<int> waits;
    };
    const Case kCases[] = {
        {"Command1", {kSelfTest}, {}},
        {"Command17", {kSelfTest}, {}},
        {"Command5", {"0A"}, {}},
        {"Command10", {"1B4A03"}, {}},
        {"Command11", {"1B6A03"}, {}},
        {"Command12", {"0C"}, {}},
        {"Command4", {kSaveCommand}, {}},
        {"Command7", {kSaveCommand, kFactoryTable, kSaveCommand}, {2500, 1000}},
    };
    Form1& form = Open();
    WiringHelpers ui(form);
    for (const auto& c : kCases) {
        m_spooler.ClearDocuments();
        m_pause.Clear();
        ui.Click(c.button);
        EXPECT_EQ(DocumentsAsHex(m_spooler), c.documents) << c.button;
        EXPECT_EQ(m_pause.Waits(), c.waits) << c.button;
        for (const auto& document : m_spooler.Documents()) EXPECT_EQ(document.printer, "QV640_Virtual");
    }
    EXPECT_EQ(form.Text("Labgs"), "16");  // the factory restore leaves the panel alone
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(SingleButtonWiring, ThePinTestSendsEighteenDocuments) {
    Form1& form = Open();
    WiringHelpers ui(form);
    ui.Click("Command13");
    const auto& documents = m_spooler.Documents();
    ASSERT_EQ(documents.size(), 18u);
    EXPECT_EQ(EncodeHex(documents[0].bytes), "0A");
    for (int pin = 1; pin <= 8; ++pin) {
        const auto index = static_cast<std::size_t>(2 * pin - 1);
        EXPECT_EQ(documents[index].bytes,
                  (std::vector<std::uint8_t>{static_cast<std::uint8_t>('0' + pin), 0x0D}));
        const auto& line = documents[index + 1].bytes;
        ASSERT_EQ(line.size(), 1849u) << pin;
        EXPECT_EQ(EncodeHex({line.begin(), line.begin() + 5}), "1B2A013207") << pin;
        EXPECT_EQ(line[47], 0x80 >> (pin - 1)) << pin;
        EXPECT_EQ(line[246], 0x80 >> (pin - 1)) << pin;
        EXPECT_EQ(line[247], 0x00) << pin;
        EXPECT_EQ(EncodeHex({line.end() - 2, line.end()}), "0D0A") << pin;
    }
    EXPECT_EQ(EncodeHex(documents[17].bytes), "1B4A50");
    EXPECT_TRUE(m_pause.Waits().empty());
}

TEST_F(SingleButtonWiring, AnUnopenablePrinterShowsTheChannelsMessagePerDocument) {
    Form1& form = Open();
    WiringHelpers ui(form);
    m_spooler.SetCannotOpen("QV640_Virtual");
    ui.Click("Command13");
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_EQ(m_dialogs.Messages().size(), 18u);
}

}  // namespace
}  // namespace qvset::app::testing
