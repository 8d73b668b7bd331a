// The main window's start-up, printer list, clock, exit rules and help, without a toolkit.
#include <fstream>

#include "Version.h"
#include "WindowLogicFixture.h"
#include "printer/PrintChannel.h"

namespace qvset::forms::testing {
namespace {

using Form1StartUp = WindowLogic;
using Form1Printers = WindowLogic;
using Form1Shell = WindowLogic;

std::string Entry(const std::string& name) {
    return name + ",Generic,usb://" + name;
}

TEST_F(Form1StartUp, CaptionsAndInitialTextsAreThoseOfTheSystem) {
    Open();
    EXPECT_STREQ(Form1Layout().caption, "设置");
    const std::pair<const char*, const char*> kTexts[] = {
        {"Label12", "无"},
        {"Label13", "当前票样："},
        {"Label8", "完成....."},
        {"Text5", "27"},
        {"Text3", "152"},
        {"Text4", "35"},
        {"Text1", "5000"},
        {"Text2", ""},
        {"Frame1", "打印机选择"},
        {"Frame16", "串口波特率 9600*n"},
        {"Frame7", "票据格式设置"},
        {"Frame6", "成列度设置"},
        {"Frame3", "功能选择"},
        {"Frame2", "参数"},
        {"Frame5", "发送指令区"},
        {"Frame8", "票据标志位设置"},
        {"Command49", "取消选定"},
        {"Command17", "测试"},
        {"Command19", "设置票样"},
        {"Command20", "保存票样"},
        {"Command21", "打开票样"},
        {"Command22", "帮助"},
        {"Command18", "退出"},
        {"Command35", "高QV640"},
        {"Command48", "42倍"},
        {"Command30", "重新标定"},
        {"Command16", "设置"},
        {"Command9", "导入出厂值"},
        {"Command14", "Windows"},
        {"Command2", "退出"},
        {"Command15", "Rest"},
        {"Command26", "黑标打开"},
        {"Command27", "Command27"},
        {"Check1", "选择"},
        {"Option1", "黑标样式1"},
        {"Option2", "黑标样式2"},
        {"Optgs", "高速"},
        {"Optcgs", "标准"},
        {"Optcgm", "精细"},
        {"Labgs", "16"},
        {"Labcgs", "18"},
        {"Labcgm", "20"},
        {"cmbsz", "16"},
        {"ComStart", "打印开始进退纸到打印起始位置"},
        {"ComBaudrate", "9600*1"},
        {"ComPaper", "76mm"},
        {"Label11", "黑标上边沿相对于发票顶部的距离(单位：mm)"},
        {"Label16", "B"},
        {"PrinterStartPosition", "起始打印位置相对发票顶部的偏移量(单位：mm)"},
    };
    for (const auto& [name, text] : kTexts) EXPECT_EQ(View().Text(name), text) << name;
    // The version label carries the programs' one version, the project's.
    EXPECT_EQ(View().Text("Label1"), "Quelvane   V" + std::string(kVersion));
}

TEST_F(Form1StartUp, ControlsStartInTheirInitialState) {
    Open();
    std::vector<std::string> values;
    for (int i = 1; i <= 50; ++i) values.push_back(std::to_string(i));
    EXPECT_EQ(View().Of("cmbsz").entries, values);
    EXPECT_TRUE(View().Checked("Optgs"));
    EXPECT_FALSE(View().Checked("Optcgs"));
    EXPECT_FALSE(View().Checked("Optcgm"));
    EXPECT_TRUE(View().Checked("Option2"));
    EXPECT_FALSE(View().Checked("Option1"));
    EXPECT_FALSE(View().Enabled("Command9"));
    EXPECT_FALSE(View().Checked("Check1"));
    EXPECT_EQ(View().TimerStarts(), (std::vector<std::pair<std::string, int>>{{"Timer1", 1000}}));
    EXPECT_TRUE(View().Lit().empty());
    for (const auto& layoutControl : Form1Layout().controls) {
        if (layoutControl.kind == ControlKind::CheckBox) {
            EXPECT_FALSE(View().Checked(layoutControl.name)) << layoutControl.name;
        }
        if (layoutControl.kind == ControlKind::ComboEdit) {
            EXPECT_TRUE(View().Enabled(layoutControl.name)) << layoutControl.name;
        }
    }
    // Choosing a tuning mode leaves the black-mark style alone: two separate option groups.
    Option("Optcgm");
    EXPECT_TRUE(View().Checked("Option2"));
    EXPECT_FALSE(View().Checked("Optgs"));
    Option("Option1");
    EXPECT_FALSE(View().Checked("Option2"));
    EXPECT_TRUE(View().Checked("Optcgm"));
}

TEST_F(Form1StartUp, SampleTextIsTheFirst125CharactersOfRow16) {
    Form1& form = Open();
    const std::string& sample = form.SampleText();
    ASSERT_EQ(sample.size(), 125u * 3);  // three UTF-8 bytes a character
    EXPECT_EQ(sample.substr(0, 21), "啊阿埃挨哎唉哀");
    EXPECT_EQ(sample.substr(93 * 3, 6), "剥薄");  // last of row 16, first of row 17
    EXPECT_EQ(sample.substr(124 * 3), "笨");
}

TEST_F(Form1StartUp, StartUpSendsNothingAndAsksNothing) {
    Open();
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_TRUE(m_pause.Waits().empty());
    EXPECT_TRUE(View().CursorChanges().empty());
}

TEST_F(Form1Printers, StartUpAppliesEachEntryUpToTheFirstMakerPrinter) {
    Open({"A", "QV640 M", "B"});
    EXPECT_EQ(m_spooler.AppliedChoices(), (std::vector<std::string>{Entry("A"), Entry("QV640 M")}));
    EXPECT_EQ(View().Of("Combo1").entries,
              (std::vector<std::string>{Entry("A"), Entry("QV640 M"), Entry("B")}));
    EXPECT_EQ(View().Of("Combo1").selected, 1);
    EXPECT_EQ(View().Text("Combo1"), Entry("QV640 M"));
    EXPECT_EQ(m_spooler.CurrentPrinter(), "QV640 M");
}

TEST_F(Form1Printers, WithoutAMakerPrinterTheLastEntryStays) {
    Open({"A", "qv640 lower", "B"});
    EXPECT_EQ(m_spooler.AppliedChoices(),
              (std::vector<std::string>{Entry("A"), Entry("qv640 lower"), Entry("B")}));
    EXPECT_EQ(View().Text("Combo1"), Entry("B"));
}

TEST_F(Form1Printers, OnePrinterIsListedButNotSelectedAndNoneLeavesAnEmptyList) {
    Open({"QV640_Virtual"});
    EXPECT_EQ(View().Of("Combo1").entries.size(), 1u);
    EXPECT_EQ(View().Of("Combo1").selected, -1);
    EXPECT_EQ(View().Text("Combo1"), "");
    EXPECT_TRUE(m_spooler.AppliedChoices().empty());
    Open({});
    EXPECT_TRUE(View().Of("Combo1").entries.empty());
    EXPECT_TRUE(m_spooler.AppliedChoices().empty());
}

TEST_F(Form1Printers, PickingAnEntryMakesItTheDefaultEvenWhenItIsTheOneShown) {
    Open({"A", "QV640 M", "B"});
    Pick("Combo1", 2);
    EXPECT_EQ(m_spooler.AppliedChoices().back(), Entry("B"));
    EXPECT_EQ(m_spooler.CurrentPrinter(), "B");
    m_spooler.SetCurrentPrinter("A");  // changed outside the program
    Pick("Combo1", 2);
    EXPECT_EQ(m_spooler.AppliedChoices(),
              (std::vector<std::string>{Entry("A"), Entry("QV640 M"), Entry("B"), Entry("B")}));
    EXPECT_EQ(m_spooler.CurrentPrinter(), "B");
}

TEST_F(Form1Shell, Command14SendsThePrintFileOfTheProgramFolder) {
    Open();
    {
        std::ofstream file(m_folder / "file.prn", std::ios::binary);
        file << std::string("\x1b@print\x00\x0c", 9);
    }
    Click("Command14");
    ASSERT_EQ(m_spooler.Documents().size(), 1u);
    EXPECT_EQ(m_spooler.Documents()[0].printer, "QV640_Virtual");
    EXPECT_EQ(m_spooler.Documents()[0].name, "AAAAAA");
    EXPECT_EQ(SentHex(), std::vector<std::string>{"1B407072696E74000C"});
}

TEST_F(Form1Shell, Command14WithoutAPrintFileSendsNothingAndSaysSo) {
    Open();
    Click("Command14");
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_EQ(m_dialogs.MessageTexts(),
              std::vector<std::string>{MsgPrintFileMissing((m_folder / "file.prn").string())});
}

TEST_F(Form1Shell, HelpShowsTheHelpWindowOnEveryClick) {
    Open();
    Click("Command22");
    Click("Command22");
    EXPECT_EQ(View().ShownForms(), (std::vector<std::string>{"Form2", "Form2"}));
    EXPECT_EQ(View().Endings(), 0);
}

TEST_F(Form1Shell, TheClockShowsTheLocalDateAndTimeEverySecond) {
    Open();
    Tick();
    EXPECT_EQ(View().Text("Labtime"), "2024/5/3 14:07:09");
    m_clock.Set("2025/12/31 9:00:05");
    Tick();
    EXPECT_EQ(View().Text("Labtime"), "2025/12/31 9:00:05");
    EXPECT_EQ(View().Text("Label8"), "完成.....");
    EXPECT_EQ(m_form->Watch().RunTicks(), 0);
}

TEST_F(Form1Shell, ClosingTheWindowAndTheHiddenExitEndAtOnceWithoutAQuestion) {
    Open();
    Click("Command28");  // a change that 退出 would ask about
    CloseWindow();
    EXPECT_EQ(View().Endings(), 1);
    Click("Command2");
    EXPECT_EQ(View().Endings(), 2);
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(Form1Shell, AnEventOfAnUnknownOrDisabledControlDoesNothing) {
    Open();
    Change("Text2", "FF");
    // Straight to the logic, as a face that forwarded too much would: Command9 is disabled until
    // Check1 is ticked, and a locked run button sends nothing.
    m_form->OnEvent(FormEvent::Click("Command50"));
    m_form->OnEvent(FormEvent::Click("Command9"));
    EXPECT_EQ(View().Text("Text2"), "FF");
    Click("Command3");
    m_spooler.ClearDocuments();
    m_form->OnEvent(FormEvent::Click("Command1"));
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

}  // namespace
}  // namespace qvset::forms::testing
