// The settings panel, the ticket geometry, the batch and the description files, driven by the events a
// face raises: each click must reach the printer, the recorded description and what the window shows.
#include <fstream>
#include <iterator>
#include <set>

#include "WindowLogicFixture.h"
#include "printer/AnsiText.h"
#include "support/FileBytes.h"
#include "support/TypicalTicket.h"

using qvset::testing::ReadFileBytes;

namespace qvset::forms::testing {
namespace {

constexpr const char* kBaudMessage = "您设置了波特率，完成后需要重启打印机";
constexpr const char* kUnsavedQuestion = "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出";
constexpr const char* kRefused = "文件不符合要求，不能打开";

class SettingsLogic : public WindowLogic {
  protected:
    // The lit buttons the window shows, each checked against the recorded description.
    std::set<std::string> Lit() {
        const std::set<std::string> lit = View().Lit();
        for (int number = 23; number <= 48; ++number) {
            const std::string name = "Command" + std::to_string(number);
            EXPECT_EQ(lit.count(name) == 1, m_form->Selection().IsLit(name)) << name;
        }
        return lit;
    }

    void ChooseStyle(int style) { Option(style == 1 ? "Option1" : "Option2"); }

    std::string WriteFile(const std::string& name, const std::string& utf8Text) {
        const auto path = m_folder / name;
        std::ofstream(path, std::ios::binary) << ToAnsi(utf8Text);
        return path.string();
    }
};

// ---- Settings buttons ----

TEST_F(SettingsLogic, EachPairButtonSendsRecordsAndLightsItselfAndUnlightsItsPartner) {
    struct Pair {
        const char* first;
        const char* second;
        int item;
        const char* firstHex;
        const char* secondHex;
    };
    const Pair kPairs[] = {
        {"Command28", "Command29", 1, "1B4202", "1B4203"}, {"Command31", "Command32", 2, "1B4204", "1B4205"},
        {"Command33", "Command34", 3, "1B420A", "1B420B"}, {"Command35", "Command36", 4, "1B420C", "1B420D"},
        {"Command37", "Command38", 5, "1B4206", "1B4207"}, {"Command39", "Command40", 6, "1B4208", "1B4209"},
    };
    Open();
    for (const auto& pair : kPairs) {
        m_spooler.ClearDocuments();
        Click(pair.first);
        EXPECT_EQ(m_form->Selection().ItemState(pair.item), 99) << pair.first;
        EXPECT_EQ(Lit(), (std::set<std::string>{pair.first})) << pair.first;
        Click(pair.second);
        EXPECT_EQ(m_form->Selection().ItemState(pair.item), 88) << pair.second;
        EXPECT_EQ(Lit(), (std::set<std::string>{pair.second})) << pair.second;
        Click(pair.second);  // again: the same command again, nothing else changes
        EXPECT_EQ(SentHex(), (std::vector<std::string>{pair.firstHex, pair.secondHex, pair.secondHex}))
            << pair.first;
        EXPECT_EQ(Lit(), (std::set<std::string>{pair.second}));
        Click("Command49");  // no description open: clears at once
    }
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(SettingsLogic, EachBaudButtonLightsAloneInItsGroupAndThenShowsTheRestartMessage) {
    const char* kCommands[] = {"1B420E", "1B420F", "1B4210", "1B4211",
                               "1B4212", "1B4213", "1B4214", "1B4215"};
    Open();
    Click("Command44");
    for (int index = 1; index <= 8; ++index) {
        const std::string name = "Command" + std::to_string(40 + index);
        m_spooler.ClearDocuments();
        m_dialogs.Clear();
        Click(name);
        EXPECT_EQ(SentHex(), (std::vector<std::string>{kCommands[index - 1]})) << name;
        EXPECT_EQ(m_form->Selection().ItemState(11), index) << name;
        EXPECT_EQ(Lit(), (std::set<std::string>{name})) << name;
        ASSERT_EQ(m_dialogs.Messages().size(), 1u) << name;
        EXPECT_EQ(m_dialogs.Messages()[0].text, kBaudMessage);
        EXPECT_EQ(m_dialogs.Messages()[0].title, "");
        EXPECT_EQ(m_dialogs.Messages()[0].buttons, MessageButtons::Ok);
    }
}

TEST_F(SettingsLogic, ThresholdRecalibrationStaysLitThroughOtherClicks) {
    Open();
    for (const char* name : {"Command30", "Command28", "Command29", "Command42", "Command23", "Command19"}) {
        Click(name);
    }
    EXPECT_EQ(Lit(), (std::set<std::string>{"Command30", "Command29", "Command42", "Command23"}));
    EXPECT_EQ(Items(), (std::vector<std::int16_t>{88, 0, 0, 0, 0, 0, 99, 0, 0, 99, 2}));
}

TEST_F(SettingsLogic, AnUnreachablePrinterStillRecordsAndLightsTheChoice) {
    Open();
    m_spooler.SetCannotOpen(m_spooler.CurrentPrinter());
    Click("Command36");
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_EQ(m_dialogs.MessageTexts(),
              (std::vector<std::string>{"The Printer Name you typed wasn't recognized."}));
    EXPECT_EQ(m_form->Selection().ItemState(4), 88);
    EXPECT_EQ(Lit(), (std::set<std::string>{"Command36"}));
}

// ---- Ticket geometry ----

TEST_F(SettingsLogic, GeometryButtonsSendTheTypedValueRecordAndLight) {
    struct Case {
        const char* button;
        const char* box;
        const char* typed;
        const char* hex;  // empty: nothing may be sent
        const char* textAfter;
        int item;
        const char* message;
    };
    const Case kCases[] = {
        {"Command23", "Text3", "152", "1D2846040004006503", "152", 7, nullptr},
        {"Command24", "Text4", "35", "1D284604000500C900", "35", 8, nullptr},
        {"Command25", "Text5", "27", "1D2846040006009B00", "27", 9, nullptr},
        {"Command25", "Text5", "44.8", "1D2846040006000001", "44.8", 9, nullptr},
        {"Command23", "Text3", "-1", "1D2846040004006503", "152", 7, nullptr},
        {"Command24", "Text4", "-5", "1D2846040005000000", "0", 8, nullptr},
        {"Command24", "Text4", "", "1D2846040005000000", "", 8, nullptr},
        {"Command23", "Text3", "20000", "", "20000", 7, "数值超出范围，未发送"},
    };
    Open();
    for (const auto& c : kCases) {
        Click("Command49");
        m_spooler.ClearDocuments();
        m_dialogs.Clear();
        Type(c.box, c.typed);
        Click(c.button);
        const bool sent = !std::string(c.hex).empty();
        EXPECT_EQ(SentHex(), sent ? std::vector<std::string>{c.hex} : std::vector<std::string>{})
            << c.button << " " << c.typed;
        EXPECT_EQ(View().Text(c.box), c.textAfter) << c.button << " " << c.typed;
        EXPECT_EQ(m_form->Selection().ItemState(c.item), sent ? 99 : 0) << c.button << " " << c.typed;
        EXPECT_EQ(Lit(), sent ? std::set<std::string>{c.button} : std::set<std::string>{}) << c.typed;
        EXPECT_EQ(m_dialogs.MessageTexts(),
                  c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
            << c.button << " " << c.typed;
    }
}

TEST_F(SettingsLogic, FormatSetChecksWithTheChosenStyleAndSendsThreeCommandsInOneDocument) {
    struct Case {
        int style;
        const char* length;
        const char* start;
        const char* blackMark;
        const char* message;  // nullptr: passes and sends `hex`
        const char* hex;
        const char* startAfter;
    };
    const Case kCases[] = {
        {2, "152", "35", "27", "打印起始位置不能超过撕纸位置，请更改参数", "", "35"},
        {1, "152", "35", "27", "打印起始位置不能超过撕纸位置，请更改参数", "", "35"},
        {2, "", "20", "27", "票长不能为空", "", "20"},
        {2, "9.5", "20", "27", "票长也太短了吧!", "", "20"},
        {1, "abc", "20", "27", "票长也太短了吧!", "", "20"},
        {1, "50", "30", "40", "票长不能小于设置长度之和，请选择样式二或者更改参数", "", "30"},
        {2, "152", "160", "170", "打印起始位置不能超过票长，请更改参数", "", "160"},
        {2, "152", "20", "160", "撕纸位置不能超过票长，请更改参数", "", "20"},
        {2, "152", "20", "27", nullptr, "1D28460400010071001D28460400020099001D2846040003005F03", "20"},
        {1, "152", "20", "27", nullptr, "1D28460400010171001D28460400020099001D2846040003005F03", "20"},
        {1, "47", "20", "27", nullptr, "1D28460400010171001D28460400020099001D2846040003000B01", "20"},
        {2, "152", "-3", "27", nullptr, "1D28460400010000001D28460400020099001D2846040003005F03", "0"},
    };
    Open();
    for (const auto& c : kCases) {
        m_spooler.ClearDocuments();
        m_dialogs.Clear();
        ChooseStyle(c.style);
        Type("Text3", c.length);
        Type("Text4", c.start);
        Type("Text5", c.blackMark);
        Click("Command16");
        const std::string label =
            std::to_string(c.style) + " " + c.length + " " + c.start + " " + c.blackMark;
        if (c.message != nullptr) {
            EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{c.message})) << label;
            EXPECT_TRUE(m_spooler.Documents().empty()) << label;
        } else {
            EXPECT_TRUE(m_dialogs.Messages().empty()) << label;
            EXPECT_EQ(SentHex(), (std::vector<std::string>{c.hex})) << label;
        }
        EXPECT_EQ(View().Text("Text4"), c.startAfter) << label;
        EXPECT_EQ(View().Text("Text3"), c.length) << label;
        EXPECT_TRUE(Lit().empty()) << label;
        EXPECT_EQ(Items(), std::vector<std::int16_t>(11, 0)) << label;
    }
}

// ---- Batch ----

TEST_F(SettingsLogic, BatchSendsEveryRecordedItemAsOneDocument) {
    struct Case {
        std::vector<std::string> clicks;
        std::vector<std::pair<std::string, std::string>> typedAfter;  // box, text, typed after the clicks
        std::vector<std::string> messages;
        const char* hex;  // empty: no document
        const char* text3After;
    };
    const Case kCases[] = {
        {{}, {}, {"您没有要设置的项目，请确认"}, "", "152"},
        // The worked example: black mark on, 58 mm paper, ticket length 152, baud rate 9600*4.
        {{"Command28", "Command32", "Command23", "Command44"},
         {},
         {kBaudMessage},
         "1B42021B42051D28460400040065031B4211",
         "152"},
        {{"Command30"}, {}, {}, "1B4201", "152"},
        {{"Command29", "Command32"}, {}, {}, "1B42031B4205", "152"},
        {{"Command23"}, {{"Text3", "-5"}}, {}, "1D2846040004006503", "152"},
        {{"Command24"}, {{"Text4", ""}}, {}, "1D2846040005000000", "152"},
    };
    Open();
    for (const auto& c : kCases) {
        Click("Command49");
        Type("Text3", "152");
        Type("Text4", "35");
        for (const auto& name : c.clicks) Click(name);
        for (const auto& [box, text] : c.typedAfter) Type(box, text);
        const auto litBefore = Lit();
        const auto itemsBefore = Items();
        m_spooler.ClearDocuments();
        m_dialogs.Clear();
        Click("Command19");
        const std::string label = c.hex;
        EXPECT_EQ(m_dialogs.MessageTexts(), c.messages) << label;
        if (std::string(c.hex).empty()) {
            EXPECT_TRUE(m_spooler.Documents().empty()) << label;
        } else {
            ASSERT_EQ(m_spooler.Documents().size(), 1u) << label;
            EXPECT_EQ(SentHex()[0], c.hex);
            EXPECT_EQ(m_spooler.Documents()[0].name, "AAAAAA");
        }
        EXPECT_EQ(View().Text("Text3"), c.text3After) << label;
        EXPECT_EQ(m_form->Selection().Text3(), c.text3After) << label;
        EXPECT_EQ(Lit(), litBefore) << label;
        EXPECT_EQ(Items(), itemsBefore) << label;
    }
}

// ---- Ticket description files ----

using qvset::testing::kTypicalTicketFile;

const std::set<std::string> kTypicalLit = {"Command28", "Command32", "Command35", "Command37",
                                           "Command40", "Command23", "Command25", "Command43"};
const std::vector<std::int16_t> kTypicalItems = {99, 88, 0, 99, 99, 88, 99, 0, 99, 0, 3};

TEST_F(SettingsLogic, SavingWritesTheDescriptionAndOpeningRestoresIt) {
    Open();
    for (const char* name : {"Command28", "Command32", "Command35", "Command37", "Command40", "Command23",
                             "Command25", "Command43"}) {
        Click(name);
    }
    const std::string path = (m_folder / "typical.txt").string();
    m_dialogs.Clear();
    m_dialogs.QueueFileName(path);
    Click("Command20");
    ASSERT_EQ(m_dialogs.SaveDialogs().size(), 1u);
    EXPECT_EQ(m_dialogs.SaveDialogs()[0].fileName, "");
    EXPECT_EQ(m_dialogs.SaveDialogs()[0].filter, "txt(*.txt)|*.txt|AllFile(*.*)|*.*|");
    EXPECT_EQ(m_dialogs.SaveDialogs()[0].title, "");
    EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{"保存成功"}));
    EXPECT_EQ(ReadFileBytes(path), ToAnsi(kTypicalTicketFile));
    EXPECT_EQ(View().Text("Label12"), "无");
    EXPECT_FALSE(m_form->Selection().HasUnsavedChanges());

    // Cleared, a geometry text changed, then opened: the file's items, texts and lit buttons return;
    // the text of an item the file does not record stays; Text1 is emptied.
    Click("Command49");
    Type("Text4", "77");
    Type("Text3", "99");
    m_dialogs.Clear();
    m_dialogs.QueueFileName(path);
    Click("Command21");
    ASSERT_EQ(m_dialogs.OpenDialogs().size(), 1u);
    EXPECT_EQ(m_dialogs.OpenDialogs()[0].title, "Open txt File SA");
    EXPECT_EQ(m_dialogs.OpenDialogs()[0].filter, "txt(*.txt)|*.txt|AllFile(*.*)|*.*|");
    EXPECT_EQ(m_dialogs.OpenDialogs()[0].fileName, path);  // the one dialog keeps the last name
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_EQ(View().Text("Label12"), "typical.txt");
    EXPECT_EQ(Items(), kTypicalItems);
    EXPECT_EQ(Lit(), kTypicalLit);
    EXPECT_EQ(View().Text("Text3"), "152");
    EXPECT_EQ(View().Text("Text4"), "77");
    EXPECT_EQ(View().Text("Text5"), "27");
    EXPECT_EQ(View().Text("Text1"), "");
    EXPECT_FALSE(m_form->Selection().HasUnsavedChanges());

    // A later save starts with an empty name but keeps the open dialog's title.
    m_dialogs.Clear();
    Click("Command20");
    ASSERT_EQ(m_dialogs.SaveDialogs().size(), 1u);
    EXPECT_EQ(m_dialogs.SaveDialogs()[0].title, "Open txt File SA");
    EXPECT_EQ(m_dialogs.SaveDialogs()[0].fileName, "");
    EXPECT_TRUE(m_dialogs.Messages().empty());  // cancelled: nothing written, nothing shown
    EXPECT_EQ(m_form->FileDialog().title, "Open txt File SA");
}

TEST_F(SettingsLogic, OpeningAFileThatIsRefusedOrMissingLeavesWhatTheRulesSay) {
    struct Case {
        const char* fileName;                                       // nullptr: the dialog is cancelled
        const char* content;                                        // nullptr: no such file
        std::vector<std::pair<std::string, std::string>> messages;  // text, title
        const char* label12;
        std::vector<std::int16_t> items;
        const char* text3;
    };
    const std::vector<std::int16_t> none(11, 0);
    const Case kCases[] = {
        {nullptr, nullptr, {{"Please select file", "Tips"}}, "无", none, "152"},
        {"missing.txt", nullptr, {{"文件无法打开", ""}}, "无", none, "152"},
        {"blank.txt", "KQ605USET1 \r\nA99黑标设置    打开\r\n", {{kRefused, ""}}, "blank.txt", none, "152"},
        {"lower.txt", "kq605uset1\r\n", {{kRefused, ""}}, "lower.txt", none, "152"},
        {"third.txt",
         "KQ605USET1\r\nA99x\r\nA88y\r\nC0\r\n",
         {{kRefused, ""}},
         "third.txt",
         {99, 88, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "152"},
        {"short.txt",
         "KQ605USET1\r\nB0\r\nB0\r\nB0\r\nB0\r\nB0\r\nB0\r\nA9960\r\n",
         {},
         "short.txt",
         {0, 0, 0, 0, 0, 0, 99, 0, 0, 0, 0},
         "60"},
    };
    Open();
    for (const auto& c : kCases) {
        const std::string label = c.fileName ? c.fileName : "cancelled";
        // Each open starts from a recorded, saved-looking panel: the open must clear it first.
        Click("Command49");
        Type("Text3", "152");
        Click("Command28");
        Click("Command30");
        Type("Text1", "5000");
        m_dialogs.Clear();
        const std::size_t sentBefore = m_spooler.Documents().size();
        if (c.fileName != nullptr) {
            const std::string path = (m_folder / c.fileName).string();
            if (c.content != nullptr) WriteFile(c.fileName, c.content);
            m_dialogs.QueueFileName(path);
        }
        Click("Command21");
        ASSERT_EQ(m_dialogs.Messages().size(), c.messages.size()) << label;
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(m_dialogs.Messages()[i].text, c.messages[i].first) << label;
            EXPECT_EQ(m_dialogs.Messages()[i].title, c.messages[i].second) << label;
            EXPECT_EQ(m_dialogs.Messages()[i].buttons, MessageButtons::Ok) << label;
        }
        EXPECT_EQ(View().Text("Label12"), c.label12) << label;
        EXPECT_EQ(Items(), c.items) << label;
        EXPECT_TRUE(Lit().empty()) << label;  // no complete file: nothing is lit
        EXPECT_EQ(View().Text("Text3"), c.text3) << label;
        EXPECT_EQ(View().Text("Text1"), "") << label;
        EXPECT_FALSE(m_form->Selection().HasUnsavedChanges()) << label;
        EXPECT_EQ(m_spooler.Documents().size(), sentBefore) << label;  // opening sends nothing
    }
}

TEST_F(SettingsLogic, ASaveThatCannotBeWrittenSaysSoAndKeepsTheChangesUnsaved) {
    Open();
    Click("Command31");
    m_dialogs.QueueFileName((m_folder / "no-such-folder" / "t.txt").string());
    Click("Command20");
    EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{"保存失败"}));
    EXPECT_TRUE(m_form->Selection().HasUnsavedChanges());
    EXPECT_FALSE(std::filesystem::exists(m_folder / "no-such-folder"));
}

// ---- 取消选定 and 退出 ----

TEST_F(SettingsLogic, CancelSelectionAsksOnlyWhenAnOpenDescriptionWasChanged) {
    struct Case {
        bool openFirst;
        bool changeAfterOpen;
        std::vector<MessageAnswer> answers;
        bool asked;
        bool reset;
    };
    const Case kCases[] = {
        {false, true, {}, false, true},                         // nothing open: clears without asking
        {true, false, {}, false, true},                         // open, unchanged: clears without asking
        {true, true, {MessageAnswer::Yes}, true, false},        // open, changed, Yes: keeps everything
        {true, true, {MessageAnswer::Dismissed}, true, false},  // Escape or the close box: keeps too
        {true, true, {MessageAnswer::No}, true, true},          // open, changed, No: clears
    };
    const std::string path = WriteFile("typical.txt", kTypicalTicketFile);
    for (const auto& c : kCases) {
        Open();
        if (c.openFirst) {
            m_dialogs.QueueFileName(path);
            Click("Command21");
        }
        if (c.changeAfterOpen) Click("Command31");
        const auto litBefore = Lit();
        const auto itemsBefore = Items();
        const std::string label12Before = View().Text("Label12");
        m_dialogs.Clear();
        for (MessageAnswer answer : c.answers) m_dialogs.QueueAnswer(answer);
        Click("Command49");
        if (c.asked) {
            ASSERT_EQ(m_dialogs.Messages().size(), 1u);
            EXPECT_EQ(m_dialogs.Messages()[0].text, kUnsavedQuestion);
            EXPECT_EQ(m_dialogs.Messages()[0].title, "退出");
            EXPECT_EQ(m_dialogs.Messages()[0].buttons, MessageButtons::YesNo);
            EXPECT_EQ(m_dialogs.Messages()[0].icon, MessageIcon::Question);
        } else {
            EXPECT_TRUE(m_dialogs.Messages().empty());
        }
        if (c.reset) {
            EXPECT_EQ(Items(), std::vector<std::int16_t>(11, 0));
            EXPECT_TRUE(Lit().empty());
            EXPECT_EQ(View().Text("Label12"), "无");
            EXPECT_FALSE(m_form->Selection().HasUnsavedChanges());
        } else {
            EXPECT_EQ(Items(), itemsBefore);
            EXPECT_EQ(Lit(), litBefore);
            EXPECT_EQ(View().Text("Label12"), label12Before);
        }
        EXPECT_EQ(View().Endings(), 0);
    }
}

TEST_F(SettingsLogic, ExitAsksOnlyWhenTheDescriptionChangedAndEndsOnlyOnNo) {
    struct Case {
        std::vector<std::string> clicks;
        bool saveAfter;
        MessageAnswer answer;
        bool asked;
        bool ended;
    };
    const Case kCases[] = {
        {{}, false, MessageAnswer::Yes, false, true},
        {{"Command28"}, false, MessageAnswer::Yes, true, false},
        {{"Command28"}, false, MessageAnswer::Dismissed, true, false},  // Escape or the close box
        {{"Command28"}, false, MessageAnswer::No, true, true},
        {{"Command24"}, true, MessageAnswer::Yes, false, true},
        {{"Command28", "Command49"}, false, MessageAnswer::Yes, false, true},
    };
    for (const auto& c : kCases) {
        Open();
        for (const auto& name : c.clicks) Click(name);
        if (c.saveAfter) {
            m_dialogs.QueueFileName((m_folder / "saved.txt").string());
            Click("Command20");
        }
        m_dialogs.Clear();
        if (c.asked) m_dialogs.QueueAnswer(c.answer);
        Click("Command18");
        EXPECT_EQ(m_dialogs.MessageTexts(),
                  c.asked ? std::vector<std::string>{kUnsavedQuestion} : std::vector<std::string>{});
        if (c.asked) {
            EXPECT_EQ(m_dialogs.Messages()[0].title, "退出");
            EXPECT_EQ(m_dialogs.Messages()[0].icon, MessageIcon::Question);
            EXPECT_EQ(m_dialogs.Messages()[0].buttons, MessageButtons::YesNo);
        }
        EXPECT_EQ(View().Endings(), c.ended ? 1 : 0);
        if (!c.ended) {
            EXPECT_EQ(Lit(), (std::set<std::string>{"Command28"}));
        }
    }
}

// ---- Start-up, texts, check boxes ----

TEST_F(SettingsLogic, StartUpShowsAnEmptySelectionAndTypedTextsReachTheModel) {
    Open();
    EXPECT_TRUE(Lit().empty());
    EXPECT_EQ(Items(), std::vector<std::int16_t>(11, 0));
    EXPECT_EQ(View().Text("Label12"), "无");
    EXPECT_EQ(m_form->Selection().BlackMarkStyle(), 2);
    EXPECT_EQ(m_form->Selection().Text3(), "152");
    EXPECT_EQ(m_form->Selection().Text4(), "35");
    EXPECT_EQ(m_form->Selection().Text5(), "27");

    Type("Text5", "31.5");
    EXPECT_EQ(m_form->Selection().Text5(), "31.5");
    Change("Text4", "12");
    EXPECT_EQ(m_form->Selection().Text4(), "12");
    ChooseStyle(1);
    EXPECT_EQ(m_form->Selection().BlackMarkStyle(), 1);
    EXPECT_FALSE(View().Checked("Option2"));
    ChooseStyle(2);
    EXPECT_EQ(m_form->Selection().BlackMarkStyle(), 2);
    EXPECT_FALSE(View().Checked("Option1"));
}

TEST_F(SettingsLogic, TickingACheckBoxEnablesItsPartnerOnlyTheBaudRateUntickDisables) {
    const std::tuple<const char*, const char*, bool> kPairs[] = {
        {"PrinterBlack", "ComBlack", false},      {"PrinterPaper", "ComPaper", false},
        {"PrinterStart", "ComStart", false},      {"PrinterEnd", "ComEnd", false},
        {"PrinterWay", "ComWay", false},          {"PrinterStyle", "ComStyle", false},
        {"PrinterDoor", "ComDoor", false},        {"PrinterBaudrate", "ComBaudrate", true},
        {"PrinterLong", "Text3", false},          {"PrinterStartPosition", "Text4", false},
        {"PrinterBlackPosition", "Text5", false},
    };
    Open();
    for (const auto& [box, partner, untickDisables] : kPairs) {
        ClickBox(box);
        EXPECT_TRUE(View().Checked(box)) << box;
        EXPECT_TRUE(View().Enabled(partner)) << box;
        ClickBox(box);
        EXPECT_FALSE(View().Checked(box)) << box;
        EXPECT_EQ(View().Enabled(partner), !untickDisables) << box;
        EXPECT_EQ(m_form->CheckBoxes().IsPartnerEnabled(box), !untickDisables) << box;
    }
    ClickBox("PrinterBaudrate");
    EXPECT_TRUE(View().Enabled("ComBaudrate"));
    EXPECT_TRUE(m_spooler.Documents().empty());
}

}  // namespace
}  // namespace qvset::forms::testing
