#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <set>

#include "WindowFixture.h"
#include "app/Form1Layout.h"
#include "app/Form2.h"
#include "app/LitButton.h"
#include "app/Twips.h"
#include "printer/PrintChannel.h"

namespace qvset::app::testing {
namespace {

using Form1StartUp = WindowFixture;
using Form1Layouts = WindowFixture;
using Form1Printers = WindowFixture;
using Form1Shell = WindowFixture;
using Form1Panels = WindowFixture;

std::string Entry(const std::string& name) {
    return name + ",Generic,usb://" + name;
}

TEST_F(Form1StartUp, CaptionsAndInitialTextsAreThoseOfTheSystem) {
    Form1& form = Open();
    EXPECT_EQ(form.windowTitle().toStdString(), "设置");
    const std::pair<const char*, const char*> kTexts[] = {
        {"Label1", "Quelvane   V3.1"},
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
    for (const auto& [name, text] : kTexts) EXPECT_EQ(form.Text(name), text) << name;
}

TEST_F(Form1StartUp, ControlsStartInTheirInitialState) {
    Form1& form = Open();
    auto* cmbsz = form.Control<QComboBox>("cmbsz");
    ASSERT_EQ(cmbsz->count(), 50);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(cmbsz->itemText(i), QString::number(i + 1));
    EXPECT_TRUE(cmbsz->isEditable());
    EXPECT_TRUE(form.Control<QRadioButton>("Optgs")->isChecked());
    EXPECT_FALSE(form.Control<QRadioButton>("Optcgs")->isChecked());
    EXPECT_TRUE(form.Control<QRadioButton>("Option2")->isChecked());
    EXPECT_FALSE(form.Control<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(form.Control<QPushButton>("Command9")->isEnabled());
    EXPECT_FALSE(form.Control<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(form.Control<QComboBox>("Combo1")->isEditable());
    EXPECT_TRUE(form.Timer1()->isActive());
    EXPECT_EQ(form.Timer1()->interval(), 1000);
    for (const auto& layoutEntry : Form1Layout()) {
        if (layoutEntry.kind == ControlKind::CheckBox) {
            EXPECT_FALSE(form.Control<QCheckBox>(layoutEntry.name)->isChecked()) << layoutEntry.name;
        } else if (layoutEntry.kind == ControlKind::Button) {
            EXPECT_FALSE(form.IsLit(layoutEntry.name)) << layoutEntry.name;
        } else if (layoutEntry.kind == ControlKind::ComboEdit) {
            EXPECT_TRUE(form.Control<QComboBox>(layoutEntry.name)->isEnabled()) << layoutEntry.name;
        }
    }
    // Choosing a tuning mode leaves the black-mark style alone: two separate option groups.
    form.Control<QRadioButton>("Optcgm")->setChecked(true);
    EXPECT_TRUE(form.Control<QRadioButton>("Option2")->isChecked());
    EXPECT_FALSE(form.Control<QRadioButton>("Optgs")->isChecked());
    form.Control<QRadioButton>("Option1")->setChecked(true);
    EXPECT_FALSE(form.Control<QRadioButton>("Option2")->isChecked());
}

TEST_F(Form1StartUp, SampleTextIsTheFirst125CharactersOfRow16) {
    Form1& form = Open();
    const QString sample = QString::fromStdString(form.SampleText());
    ASSERT_EQ(sample.size(), 125);
    EXPECT_TRUE(sample.startsWith(QString::fromUtf8("啊阿埃挨哎唉哀")));
    EXPECT_EQ(sample.mid(93, 2), QString::fromUtf8("剥薄"));  // last of row 16, first of row 17
    EXPECT_TRUE(sample.endsWith(QString::fromUtf8("笨")));
}

TEST_F(Form1StartUp, StartUpSendsNothingAndAsksNothing) {
    Open();
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_TRUE(m_pause.Waits().empty());
}

TEST_F(Form1Layouts, EveryControlExistsWithItsNameAndKind) {
    Form1& form = Open();
    for (const auto& layoutEntry : Form1Layout()) {
        QWidget* widget = form.findChild<QWidget*>(layoutEntry.name);
        ASSERT_NE(widget, nullptr) << layoutEntry.name;
        const char* expected = nullptr;
        switch (layoutEntry.kind) {
            case ControlKind::Frame:
                expected = "QGroupBox";
                break;
            case ControlKind::Label:
                expected = "QLabel";
                break;
            case ControlKind::Button:
                expected = "QPushButton";
                break;
            case ControlKind::TextBox:
                expected = "QLineEdit";
                break;
            case ControlKind::MultiLineText:
                expected = "QPlainTextEdit";
                break;
            case ControlKind::CheckBox:
                expected = "QCheckBox";
                break;
            case ControlKind::Option:
                expected = "QRadioButton";
                break;
            case ControlKind::ComboList:
            case ControlKind::ComboEdit:
                expected = "QComboBox";
                break;
            case ControlKind::Picture:
                expected = "QLabel";
                break;
        }
        EXPECT_TRUE(widget->inherits(expected)) << layoutEntry.name;
        const QString container = layoutEntry.container == nullptr ? "Form1" : layoutEntry.container;
        EXPECT_EQ(widget->parentWidget()->objectName(), container) << layoutEntry.name;
    }
}

TEST_F(Form1Layouts, ClientAreaIs10425By7275TwipsAtTheScreensDpi) {
    Form1& form = Open();
    EXPECT_EQ(TwipsToPixels(10425, 96), 695);
    EXPECT_EQ(TwipsToPixels(7275, 96), 485);
    EXPECT_EQ(TwipsToPixels(10425, 144), 1043);
    EXPECT_EQ(form.size(),
              QSize(TwipsToPixels(10425, form.logicalDpiX()), TwipsToPixels(7275, form.logicalDpiY())));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    if (form.logicalDpiX() == 96) {
        EXPECT_EQ(form.size(), QSize(695, 485));
        // Command22 at 7200, 6360, 1215 × 735 twips.
        EXPECT_EQ(form.Control<QPushButton>("Command22")->geometry(), QRect(480, 424, 81, 49));
        // Text5 inside Frame7 (7680, 2040) at 480, 720.
        EXPECT_EQ(form.Control<QLineEdit>("Text5")->geometry(), QRect(32, 48, 73, 25));
    }
}

// The part of a control that its window shows: its rectangle clipped by every container and the window.
QRect ShownPart(const QWidget& form, const QWidget* control) {
    QRect shown(control->mapTo(&form, QPoint(0, 0)), control->size());
    for (const QWidget* up = control->parentWidget(); up != nullptr; up = up->parentWidget()) {
        shown &= QRect(up->mapTo(&form, QPoint(0, 0)), up->size());
        if (up == &form) break;
    }
    return shown;
}

TEST_F(Form1Layouts, VisibleControlsLieInsideTheClientAreaAndTheOthersOutside) {
    Form1& form = Open();
    // Laid out below the client area, or below the inner height of their frame.
    const std::set<std::string> kHidden = {"Text1",
                                           "Command16",
                                           "PrinterLong",
                                           "PrinterStartPosition",
                                           "PrinterBlackPosition",
                                           "Option1",
                                           "Option2",
                                           "Frame6",
                                           "Frame8",
                                           "Frame5",
                                           "Command1",
                                           "Command4",
                                           "Command5",
                                           "Command7",
                                           "Command10",
                                           "Command11",
                                           "Command12",
                                           "Command13",
                                           "Command14",
                                           "Command2",
                                           "Image1",
                                           "Image2",
                                           "Image3",
                                           "Image4"};
    int visible = 0;
    for (const auto& layoutEntry : Form1Layout()) {
        const QWidget* control = form.findChild<QWidget*>(layoutEntry.name);
        bool hidden = false;
        for (const QWidget* up = control; up != &form; up = up->parentWidget()) {
            hidden = hidden || kHidden.count(up->objectName().toStdString()) != 0;
        }
        const QRect whole(control->mapTo(&form, QPoint(0, 0)), control->size());
        if (hidden) {
            EXPECT_TRUE(ShownPart(form, control).isEmpty()) << layoutEntry.name;
        } else {
            EXPECT_EQ(ShownPart(form, control), whole) << layoutEntry.name;
            ++visible;
        }
    }
    EXPECT_EQ(visible, 56);
}

TEST_F(Form1Layouts, APointInsideAVisibleControlFindsThatControl) {
    Form1& form = Open();
    for (const auto& layoutEntry : Form1Layout()) {
        if (layoutEntry.kind == ControlKind::Frame) continue;
        QWidget* control = form.findChild<QWidget*>(layoutEntry.name);
        const QRect whole(control->mapTo(&form, QPoint(0, 0)), control->size());
        if (ShownPart(form, control) != whole) continue;
        QWidget* hit = form.childAt(whole.center());
        EXPECT_TRUE(hit == control || control->isAncestorOf(hit))
            << layoutEntry.name << " hit " << (hit ? hit->objectName().toStdString() : "");
    }
}

TEST_F(Form1Layouts, ClicksWhereTheLayoutPutsAButtonReachIt) {
    Form1& form = Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QPushButton* help = form.Control<QPushButton>("Command22");
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      help->mapTo(&form, help->rect().center()));
    ASSERT_NE(form.HelpWindow(), nullptr);
    EXPECT_TRUE(form.HelpWindow()->isVisible());

    const QRect exit(TwipsRect(8880, 6360, 1335, 735, form.logicalDpiX(), form.logicalDpiY()));
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, exit.center());
    EXPECT_EQ(m_endings, 1);
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(Form1Printers, StartUpAppliesEachEntryUpToTheFirstMakerPrinter) {
    Form1& form = Open({"A", "QV640 M", "B"});
    EXPECT_EQ(m_spooler.AppliedChoices(), (std::vector<std::string>{Entry("A"), Entry("QV640 M")}));
    auto* combo = form.Control<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2).toStdString(), Entry("B"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(form.Text("Combo1"), Entry("QV640 M"));
    EXPECT_EQ(m_spooler.CurrentPrinter(), "QV640 M");
}

TEST_F(Form1Printers, WithoutAMakerPrinterTheLastEntryStays) {
    Form1& form = Open({"A", "qv640 lower", "B"});
    EXPECT_EQ(m_spooler.AppliedChoices(),
              (std::vector<std::string>{Entry("A"), Entry("qv640 lower"), Entry("B")}));
    EXPECT_EQ(form.Text("Combo1"), Entry("B"));
}

TEST_F(Form1Printers, OnePrinterIsListedButNotSelected) {
    Form1& form = Open({"QV640_Virtual"});
    auto* combo = form.Control<QComboBox>("Combo1");
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(form.Text("Combo1"), "");
    EXPECT_TRUE(m_spooler.AppliedChoices().empty());
}

TEST_F(Form1Printers, NoPrinterLeavesAnEmptyList) {
    Form1& form = Open({});
    EXPECT_EQ(form.Control<QComboBox>("Combo1")->count(), 0);
    EXPECT_TRUE(m_spooler.AppliedChoices().empty());
}

TEST_F(Form1Printers, PickingAnEntryMakesItTheDefault) {
    Form1& form = Open({"A", "QV640 M", "B"});
    auto* combo = form.Control<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);  // the next entry, as the keyboard picks it
    EXPECT_EQ(m_spooler.AppliedChoices().back(), Entry("B"));
    EXPECT_EQ(m_spooler.CurrentPrinter(), "B");
}

TEST_F(Form1Printers, PickingTheShownEntryAgainAppliesItAgain) {
    Form1& form = Open({"A", "QV640 M", "B"});
    m_spooler.SetCurrentPrinter("A");  // changed outside the program
    auto* combo = form.Control<QComboBox>("Combo1");
    emit combo->activated(combo->currentIndex());  // the user picks "QV640 M", already shown
    EXPECT_EQ(m_spooler.AppliedChoices(),
              (std::vector<std::string>{Entry("A"), Entry("QV640 M"), Entry("QV640 M")}));
    EXPECT_EQ(m_spooler.CurrentPrinter(), "QV640 M");
}

TEST_F(Form1Shell, Command14SendsThePrintFileOfTheProgramFolder) {
    Form1& form = Open();
    {
        std::ofstream file(m_folder / "file.prn", std::ios::binary);
        file << std::string("\x1b@print\x00\x0c", 9);
    }
    form.Control<QPushButton>("Command14")->click();
    ASSERT_EQ(m_spooler.Documents().size(), 1u);
    EXPECT_EQ(m_spooler.Documents()[0].printer, "QV640_Virtual");
    EXPECT_EQ(m_spooler.Documents()[0].name, "AAAAAA");
    const std::vector<std::uint8_t> expected = {0x1B, '@', 'p', 'r', 'i', 'n', 't', 0x00, 0x0C};
    EXPECT_EQ(m_spooler.Documents()[0].bytes, expected);
}

TEST_F(Form1Shell, Command14WithoutAPrintFileSendsNothingAndSaysSo) {
    Form1& form = Open();
    form.Control<QPushButton>("Command14")->click();
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_EQ(m_dialogs.MessageTexts(),
              std::vector<std::string>{MsgPrintFileMissing((m_folder / "file.prn").string())});
}

TEST_F(Form1Shell, HelpIsOneWindowShownAgainOnEveryClick) {
    Form1& form = Open();
    form.Control<QPushButton>("Command22")->click();
    Form2* first = form.HelpWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    first->close();
    EXPECT_FALSE(first->isVisible());
    form.Control<QPushButton>("Command22")->click();
    EXPECT_EQ(form.HelpWindow(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(form.findChildren<Form2*>().size(), 1);
    EXPECT_EQ(m_endings, 0);
}

TEST_F(Form1Shell, TheClockShowsTheLocalDateAndTime) {
    Form1& form = Open();
    QMetaObject::invokeMethod(&form, "Timer1_Timer");
    EXPECT_EQ(form.Text("Labtime"), "2024/5/3 14:07:09");
    m_clock.Set(QDateTime(QDate(2025, 12, 31), QTime(9, 0, 5)));
    QMetaObject::invokeMethod(&form, "Timer1_Timer");
    EXPECT_EQ(form.Text("Labtime"), "2025/12/31 9:00:05");
    EXPECT_EQ(form.Text("Label8"), "完成.....");
}

TEST_F(Form1Shell, ClosingTheWindowAndTheHiddenExitEndAtOnceWithoutAQuestion) {
    Form1& form = Open();
    form.close();
    EXPECT_EQ(m_endings, 1);
    form.Control<QPushButton>("Command2")->click();
    EXPECT_EQ(m_endings, 2);
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(Form1Shell, ExitWithChangesAsksAndEndsOnlyOnNo) {
    Form1& form = Open();
    form.ExitAfterCheck(false);
    EXPECT_EQ(m_endings, 1);
    EXPECT_TRUE(m_dialogs.Messages().empty());

    m_dialogs.QueueAnswer(MessageAnswer::Yes);
    form.ExitAfterCheck(true);
    EXPECT_EQ(m_endings, 1);
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    const MessageRequest& question = m_dialogs.Messages()[0];
    EXPECT_EQ(question.text, "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出");
    EXPECT_EQ(question.title, "退出");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.icon, MessageIcon::Question);

    m_dialogs.QueueAnswer(MessageAnswer::No);
    form.ExitAfterCheck(true);
    EXPECT_EQ(m_endings, 2);
    EXPECT_EQ(m_dialogs.Messages().size(), 2u);
}

TEST_F(Form1Panels, TickingACheckBoxEnablesItsPartnerOnlyTheBaudRateUntickDisables) {
    Form1& form = Open();
    const std::tuple<const char*, const char*, bool> kPairs[] = {
        {"PrinterBlack", "ComBlack", false},      {"PrinterPaper", "ComPaper", false},
        {"PrinterStart", "ComStart", false},      {"PrinterEnd", "ComEnd", false},
        {"PrinterWay", "ComWay", false},          {"PrinterStyle", "ComStyle", false},
        {"PrinterDoor", "ComDoor", false},        {"PrinterBaudrate", "ComBaudrate", true},
        {"PrinterLong", "Text3", false},          {"PrinterStartPosition", "Text4", false},
        {"PrinterBlackPosition", "Text5", false},
    };
    for (const auto& [box, partner, untickDisables] : kPairs) {
        auto* check = form.Control<QCheckBox>(box);
        QWidget* other = form.findChild<QWidget*>(partner);
        other->setEnabled(false);
        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_TRUE(check->isChecked()) << box;
        EXPECT_TRUE(other->isEnabled()) << box;
        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_FALSE(check->isChecked()) << box;
        EXPECT_EQ(other->isEnabled(), !untickDisables) << box;
    }
    EXPECT_TRUE(m_spooler.Documents().empty());
}

TEST_F(Form1Panels, Check1EnablesTheFactoryImport) {
    Form1& form = Open();
    auto* check = form.Control<QCheckBox>("Check1");
    check->setChecked(true);
    EXPECT_TRUE(form.Control<QPushButton>("Command9")->isEnabled());
    check->setChecked(false);
    EXPECT_FALSE(form.Control<QPushButton>("Command9")->isEnabled());
}

TEST_F(Form1Panels, RunButtonsLockAndUnlockTogether) {
    Form1& form = Open();
    ASSERT_EQ(Form1::RunButtonNames().size(), 13u);
    form.LockRunButtons();
    for (const char* name : Form1::RunButtonNames())
        EXPECT_FALSE(form.Control<QPushButton>(name)->isEnabled()) << name;
    EXPECT_TRUE(form.Control<QPushButton>("Command17")->isEnabled());
    EXPECT_TRUE(form.Control<QPushButton>("Command15")->isEnabled());
    form.UnlockRunButtons();
    for (const char* name : Form1::RunButtonNames())
        EXPECT_TRUE(form.Control<QPushButton>(name)->isEnabled()) << name;
}

TEST_F(Form1Panels, ProgressTextIsShownAtOnce) {
    Form1& form = Open();
    form.ShowProgress("正在设置..");
    EXPECT_EQ(form.Text("Label8"), "正在设置..");
}

TEST_F(Form1Panels, LitButtonsShowTheLitColourAndUnlitTheSystemFace) {
    Form1& form = Open();
    QPushButton* button = form.Control<QPushButton>("Command28");
    const QColor face = QApplication::palette(button).color(QPalette::Button);
    form.SetLit("Command28", true);
    EXPECT_TRUE(form.IsLit("Command28"));
    EXPECT_EQ(button->palette().color(QPalette::Button), QColor(255, 224, 192));
    EXPECT_FALSE(form.IsLit("Command29"));
    EXPECT_EQ(form.Control<QPushButton>("Command29")->palette().color(QPalette::Button), face);

    // The rendered face carries the colour: warm where the unlit face is grey.
    auto warmth = [](QPushButton* shown) {
        const QImage image = shown->grab().toImage();
        const QColor sample = image.pixelColor(4, image.height() / 2);
        return sample.red() - sample.blue();
    };
    EXPECT_GE(warmth(button), 20);
    EXPECT_LE(std::abs(warmth(form.Control<QPushButton>("Command29"))), 8);

    form.SetLit("Command28", false);
    EXPECT_FALSE(form.IsLit("Command28"));
    EXPECT_EQ(button->palette().color(QPalette::Button), face);
}

TEST_F(Form1Panels, ControlLookupRefusesUnknownNamesAndOtherKinds) {
    Form1& form = Open();
    EXPECT_THROW(form.Control<QPushButton>("Command50"), std::logic_error);
    EXPECT_THROW(form.Control<QPushButton>("Text3"), std::logic_error);
    EXPECT_THROW(form.SetText("Frame1", "x"), std::logic_error);
    form.SetText("Text3", "44.8");
    EXPECT_EQ(form.Control<QLineEdit>("Text3")->text(), "44.8");
}

}  // namespace
}  // namespace qvset::app::testing
