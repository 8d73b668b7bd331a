// The speed and quality panel, the tuning runs with the job watch, the console and the single buttons,
// driven by the events a face raises.
#include <functional>
#include <set>

#include "WindowLogicFixture.h"
#include "forms/RunButtons.h"
#include "printer/HexCodec.h"

namespace qvset::forms::testing {
namespace {

constexpr const char* kSaveCommand = "1B3A000052";
constexpr const char* kSelfTest = "1B3A000050";
constexpr const char* kFactoryTable = "1B3A451A0012001FFF420022009200FF008706000B48098008100014000800";
constexpr const char* kFactoryConsoleText =
    "1B 3A 45 1A 00 12 00 1F FF 42 00 22 00 92 00 FF 00 87 06 00 0B 48 09 80 08 10 00 14 00 08 00";
constexpr const char* kMsgNotHex = "请输入的数据是16进制的范围";
constexpr const char* kMsgOffline = "请检查打印机是否脱机,请重启打印机";

// The buttons that send to the printer, locked while a run is watched, in their lock order.
const std::vector<std::string> kThirteenRunButtons = {
    "Command3",  "Command8",  "Command1", "Command14", "Command12", "Command5", "Command10",
    "Command11", "Command13", "Command7", "Command4",  "Command9",  "Command6"};

class TuningLogic : public WindowLogic {
  public:
    // The buttons of the window the view shows disabled.
    std::set<std::string> DisabledButtons() {
        std::set<std::string> disabled;
        for (const auto& layoutControl : Form1Layout().controls) {
            if (layoutControl.kind == ControlKind::Button && !View().Enabled(layoutControl.name))
                disabled.insert(layoutControl.name);
        }
        return disabled;
    }
    std::set<std::string> RunButtons() const {
        return {kThirteenRunButtons.begin(), kThirteenRunButtons.end()};
    }
};

// ---- Speed and quality panel ----

TEST_F(TuningLogic, TheRunButtonsAreTheThirteenInTheirLockOrder) {
    EXPECT_EQ(std::vector<std::string>(kRunButtonNames.begin(), kRunButtonNames.end()), kThirteenRunButtons);
    Open();
    EXPECT_EQ(DisabledButtons(), (std::set<std::string>{"Command9"}));  // until Check1 is ticked
    Click("Command3");
    EXPECT_EQ(DisabledButtons(), RunButtons());
    Click("Command15");
    EXPECT_TRUE(DisabledButtons().empty());  // Command9 too, though Check1 is unticked
}

TEST_F(TuningLogic, ModesAndValuesFollowTheOptionsAndTheComboBox) {
    struct Step {
        const char* what;
        std::function<void(TuningLogic&)> act;
        const char* combo;
        const char* labgs;
        const char* labcgs;
        const char* labcgm;
    };
    const Step kSteps[] = {
        {"standard shows its value", [](TuningLogic& t) { t.Option("Optcgs"); }, "18", "16", "18", "20"},
        {"picking 45 gives 40", [](TuningLogic& t) { t.Pick("cmbsz", 44); }, "40", "16", "40", "20"},
        {"picking 7", [](TuningLogic& t) { t.Pick("cmbsz", 6); }, "7", "16", "7", "20"},
        {"fine shows its value", [](TuningLogic& t) { t.Option("Optcgm"); }, "20", "16", "7", "20"},
        {"typing 7 into fine", [](TuningLogic& t) { t.Type("cmbsz", "7"); }, "7", "16", "7", "7"},
        {"back to high speed", [](TuningLogic& t) { t.Option("Optgs"); }, "16", "16", "7", "7"},
        {"typing 99 stops at 40", [](TuningLogic& t) { t.Type("cmbsz", "99"); }, "40", "40", "7", "7"},
        {"typing 5a is copied", [](TuningLogic& t) { t.Type("cmbsz", "5a"); }, "5a", "5a", "7", "7"},
        {"typing 12", [](TuningLogic& t) { t.Type("cmbsz", "12"); }, "12", "12", "7", "7"},
        {"fine shows 7 again", [](TuningLogic& t) { t.Option("Optcgm"); }, "7", "12", "7", "7"},
    };
    Open();
    for (const auto& step : kSteps) {
        step.act(*this);
        EXPECT_EQ(View().Text("cmbsz"), step.combo) << step.what;
        EXPECT_EQ(View().Text("Labgs"), step.labgs) << step.what;
        EXPECT_EQ(View().Text("Labcgs"), step.labcgs) << step.what;
        EXPECT_EQ(View().Text("Labcgm"), step.labcgm) << step.what;
    }
    EXPECT_TRUE(View().Checked("Optcgm"));
    EXPECT_FALSE(View().Checked("Optgs"));
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(TuningLogic, EachKeystrokeReachesTheLabelOnce) {
    Open();
    std::vector<std::string> seen;
    for (const char* text : {"", "1", "12", "123"}) {
        Change("cmbsz", text);
        seen.push_back(View().Text("Labgs"));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"", "1", "12", "40"}));
    EXPECT_EQ(View().Text("cmbsz"), "40");  // the window wrote the clamped value back
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

TEST_F(TuningLogic, ARunLocksTheButtonsAndTheWatchEndsItAsDone) {
    for (const auto& run : kRuns) {
        m_spooler.ClearDocuments();
        m_pause.Clear();
        Open();
        Click(run.button);
        ASSERT_EQ(m_spooler.Documents().size(), run.documents) << run.button;
        EXPECT_EQ(SentHex()[0].substr(0, 6), "1B0140") << run.button;
        EXPECT_EQ(m_pause.Waits(), (std::vector<int>{2500, 2000, 2500, 2500, 5000})) << run.button;
        EXPECT_EQ(View().Text("Label8"), "正在设置....") << run.button;
        EXPECT_EQ(DisabledButtons(), RunButtons()) << run.button;

        // A locked button sends nothing.
        Click("Command1");
        EXPECT_EQ(m_spooler.Documents().size(), run.documents) << run.button;

        const char* kProgress[] = {"正在设置.", "正在设置..", "正在设置...", "正在设置....", "正在设置...."};
        for (int second = 1; second < run.endSecond; ++second) {
            Tick();
            EXPECT_EQ(View().Text("Label8"), kProgress[(second - 1) % 5])
                << run.button << " second " << second;
            ASSERT_EQ(DisabledButtons(), RunButtons()) << run.button << " second " << second;
        }
        Tick();
        EXPECT_EQ(View().Text("Label8"), "完成...") << run.button;
        EXPECT_TRUE(DisabledButtons().empty()) << run.button;
        EXPECT_TRUE(m_dialogs.Messages().empty()) << run.button;

        // Idle again: further ticks leave Label8 alone.
        Tick();
        EXPECT_EQ(View().Text("Label8"), "完成...") << run.button;
    }
}

TEST_F(TuningLogic, ADocumentStillWaitingAtTheCheckSecondFailsTheRun) {
    for (const auto& run : kRuns) {
        Open();
        m_dialogs.Clear();
        m_spooler.SetWaitingCount(1);
        Click(run.button);
        for (int second = 1; second < run.checkSecond; ++second) Tick();
        EXPECT_EQ(DisabledButtons(), RunButtons()) << run.button;
        EXPECT_TRUE(m_dialogs.Messages().empty()) << run.button;
        Tick();
        EXPECT_EQ(View().Text("Label8"), "设置失败...") << run.button;
        EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{kMsgOffline})) << run.button;
        EXPECT_TRUE(DisabledButtons().empty()) << run.button;
        // The watch has ended: the waiting document changes nothing more.
        Tick();
        EXPECT_EQ(View().Text("Label8"), "设置失败...") << run.button;
        EXPECT_EQ(m_dialogs.Messages().size(), 1u) << run.button;
        m_spooler.SetWaitingCount(0);
    }
}

TEST_F(TuningLogic, RestEndsTheWatchAtOnceWithoutAMessage) {
    Open();
    m_spooler.SetWaitingCount(1);
    Click("Command3");
    Tick();
    Tick();
    Click("Command15");
    EXPECT_EQ(View().Text("Label8"), "完成...");
    EXPECT_TRUE(DisabledButtons().empty());
    for (int second = 3; second <= 6; ++second) Tick();  // past the check second: nothing is watched
    EXPECT_EQ(View().Text("Label8"), "完成...");
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(TuningLogic, TheRunReadsTheValuesFromThePanelAndThePauseFromText1) {
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
        m_spooler.ClearDocuments();
        m_pause.Clear();
        Open();
        Option("Optcgm");
        Type("cmbsz", "9");
        Type("Text1", c.text1);
        Click("Command8");
        EXPECT_EQ(m_pause.Waits(), c.waits) << c.text1;
        ASSERT_EQ(m_spooler.Documents().size(), 2u) << c.text1;
        // The store job carries 16, 18 and the typed 9 for the three modes.
        const std::string store = SentHex()[0];
        ASSERT_EQ(store.size(), 88u);
        EXPECT_EQ(store.substr(16, 4), "0A10") << c.text1;
        EXPECT_EQ(store.substr(42, 4), "0B12") << c.text1;
        EXPECT_EQ(store.substr(68, 4), "0C09") << c.text1;
        EXPECT_EQ(store.substr(78), kSaveCommand) << c.text1;
    }
}

TEST_F(TuningLogic, AValueThatIsNoWholeNumberIsRefusedBeforeAnythingIsSent) {
    Open();
    Type("cmbsz", "5a");
    for (const char* button : {"Command3", "Command8"}) {
        m_dialogs.Clear();
        Click(button);
        EXPECT_EQ(m_dialogs.Messages().size(), 1u) << button;
        EXPECT_TRUE(m_spooler.Documents().empty()) << button;
        EXPECT_TRUE(m_pause.Waits().empty()) << button;
        EXPECT_EQ(DisabledButtons(), (std::set<std::string>{"Command9"})) << button;
        EXPECT_EQ(View().Text("Label8"), "完成.....") << button;
    }
}

// A pause that notes what the window shows in Label8 while the run waits.
class Label8Pause final : public Pause {
  public:
    void Wait(int) override { captions.push_back(view->Text("Label8")); }
    RecordingView* view = nullptr;
    std::vector<std::string> captions;
};

TEST_F(TuningLogic, Label8ShowsEachCaptionOfTheRunWhileItPauses) {
    Label8Pause pause;
    OpenWith(pause);
    pause.view = &View();
    Click("Command3");
    EXPECT_EQ(pause.captions, (std::vector<std::string>{"正在设置...", "正在设置....", "正在设置..",
                                                        "正在设置...", "正在设置..."}));
}

// ---- Console ----

TEST_F(TuningLogic, DisallowedConsoleCharactersAreRemovedWithOneMessageEach) {
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
        {"a pasted line break", true, "0A\r\n0C", "0A0C", 2},
        {"a Chinese character", true, "0A打0C", "0A0C", 1},
        {"typing goes on at the end after a removal", false, "1B z4A", "1B 4A", 1},
    };
    for (const auto& c : kCases) {
        Open();
        m_dialogs.Clear();
        if (c.paste) {
            Change("Text2", c.input);
        } else {
            Type("Text2", c.input);
        }
        EXPECT_EQ(View().Text("Text2"), c.kept) << c.what;
        EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>(c.messages, kMsgNotHex)) << c.what;
        EXPECT_TRUE(m_spooler.Documents().empty()) << c.what;
    }
}

TEST_F(TuningLogic, SendSendsTheTypedBytesAndEmptiesTheConsole) {
    Open();
    Click("Command6");  // empty: nothing
    EXPECT_TRUE(m_spooler.Documents().empty());
    Type("Text2", "1B 4A 15");
    Click("Command6");
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B4A15"}));
    EXPECT_EQ(View().Text("Text2"), "");
    EXPECT_TRUE(m_pause.Waits().empty());
}

TEST_F(TuningLogic, TableModeImportsTheFactoryTextAndFramesItWithSave) {
    Open();
    ClickBox("Check1");
    ASSERT_TRUE(View().Checked("Check1"));
    EXPECT_TRUE(View().Enabled("Command9"));
    Type("Text2", "FF");
    Click("Command9");
    Click("Command9");  // one copy, not two
    EXPECT_EQ(View().Text("Text2"), kFactoryConsoleText);
    EXPECT_TRUE(m_spooler.Documents().empty());

    Click("Command6");
    EXPECT_EQ(SentHex(), (std::vector<std::string>{kSaveCommand, kFactoryTable, kSaveCommand}));
    EXPECT_EQ(m_pause.Waits(), (std::vector<int>{2500, 1000}));
    EXPECT_FALSE(View().Checked("Check1"));
    EXPECT_FALSE(View().Enabled("Command9"));
    EXPECT_EQ(View().Text("Text2"), "");
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(TuningLogic, TheUnlockEnablesTheImportWhateverCheck1) {
    Open();
    Click("Command3");
    Click("Command15");
    EXPECT_FALSE(View().Checked("Check1"));
    EXPECT_TRUE(View().Enabled("Command9"));
    ClickBox("Check1");
    ClickBox("Check1");
    EXPECT_FALSE(View().Enabled("Command9"));
}

// ---- Single buttons ----

TEST_F(TuningLogic, EachSingleButtonSendsItsFixedDocuments) {
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
    Open();
    for (const auto& c : kCases) {
        m_spooler.ClearDocuments();
        m_pause.Clear();
        Click(c.button);
        EXPECT_EQ(SentHex(), c.documents) << c.button;
        EXPECT_EQ(m_pause.Waits(), c.waits) << c.button;
        for (const auto& document : m_spooler.Documents()) EXPECT_EQ(document.printer, "QV640_Virtual");
    }
    EXPECT_EQ(View().Text("Labgs"), "16");  // the factory restore leaves the panel alone
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(TuningLogic, ThePinTestSendsEighteenDocuments) {
    Open();
    Click("Command13");
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

TEST_F(TuningLogic, AnUnopenablePrinterShowsTheChannelsMessagePerDocument) {
    Open();
    m_spooler.SetCannotOpen("QV640_Virtual");
    Click("Command13");
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_EQ(m_dialogs.Messages().size(), 18u);
}

}  // namespace
}  // namespace qvset::forms::testing
