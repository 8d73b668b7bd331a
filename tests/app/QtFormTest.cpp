// The Qt face: it builds every control of the layout as its Qt counterpart, forwards the user's events
// to the window's logic by name, applies the logic's view calls, and takes the focus only where the
// layout says. The window's rules themselves are tested without Qt.
#include <QApplication>
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
#include <set>

#include "WindowFixture.h"
#include "app/FaceButton.h"
#include "forms/FormLayout.h"
#include "support/DocumentsAsHex.h"

namespace qvset::app::testing {
namespace {

using forms::ControlKind;
using QtFace = WindowFixture;

const char* QtClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
            return "QGroupBox";
        case ControlKind::Label:
        case ControlKind::Picture:
            return "QLabel";
        case ControlKind::Button:
            return "QPushButton";
        case ControlKind::TextBox:
            return "QLineEdit";
        case ControlKind::MultiLineText:
            return "QPlainTextEdit";
        case ControlKind::CheckBox:
            return "QCheckBox";
        case ControlKind::Option:
            return "QRadioButton";
        case ControlKind::ComboList:
        case ControlKind::ComboEdit:
            return "QComboBox";
        case ControlKind::Drawing:
            return "QWidget";
    }
    return "";
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

TEST_F(QtFace, EveryControlOfTheLayoutIsBuiltWithItsNameKindContainerAndTwipsRectangle) {
    QtForm& form = Open();
    const forms::FormLayout& layout = forms::Form1Layout();
    for (const auto& layoutControl : layout.controls) {
        QWidget* widget = form.findChild<QWidget*>(layoutControl.name);
        ASSERT_NE(widget, nullptr) << layoutControl.name;
        EXPECT_TRUE(widget->inherits(QtClassOf(layoutControl.kind))) << layoutControl.name;
        const QString container = layoutControl.container == nullptr ? "Form1" : layoutControl.container;
        EXPECT_EQ(widget->parentWidget()->objectName(), container) << layoutControl.name;
        const QRect whole(widget->mapTo(&form, QPoint(0, 0)), widget->size());
        EXPECT_EQ(ShownPart(form, widget) == whole, layout.IsShown(layoutControl.name)) << layoutControl.name;
        EXPECT_EQ(ShownPart(form, widget).isEmpty(), !layout.IsShown(layoutControl.name))
            << layoutControl.name;
    }
    EXPECT_EQ(form.windowTitle().toStdString(), "设置");
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    if (form.logicalDpiX() == 96) {
        EXPECT_EQ(form.size(), QSize(695, 485));
        EXPECT_EQ(form.Widget("Command22")->geometry(), QRect(480, 424, 81, 49));  // 7200, 6360, 1215 × 735
        EXPECT_EQ(form.Widget("Text5")->geometry(), QRect(32, 48, 73, 25));        // in Frame7, 480, 720
    }
    EXPECT_THROW(form.Widget("Command50"), std::logic_error);
    EXPECT_THROW(form.Control<QPushButton>("Text3"), std::logic_error);
}

TEST_F(QtFace, APointInsideAShownControlFindsThatControl) {
    QtForm& form = Open();
    for (const auto& layoutControl : forms::Form1Layout().controls) {
        if (layoutControl.kind == ControlKind::Frame || !forms::Form1Layout().IsShown(layoutControl.name))
            continue;
        QWidget* control = form.Widget(layoutControl.name);
        const QRect whole(control->mapTo(&form, QPoint(0, 0)), control->size());
        QWidget* hit = form.childAt(whole.center());
        EXPECT_TRUE(hit == control || control->isAncestorOf(hit))
            << layoutControl.name << " hit " << (hit ? hit->objectName().toStdString() : "");
    }
}

// Each kind of control forwards what the user does with it, and the logic's answer is applied.
TEST_F(QtFace, UserEventsReachTheLogicAndItsAnswerIsShown) {
    QtForm& form = Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(form.Control<QPushButton>("Command28"), Qt::LeftButton);  // a click
    EXPECT_EQ(qvset::testing::DocumentsAsHex(m_spooler), std::vector<std::string>{"1B4202"});
    EXPECT_TRUE(form.Control<FaceButton>("Command28")->IsLit());

    auto* text3 = form.Control<QLineEdit>("Text3");  // typing
    text3->selectAll();
    QTest::keyClicks(text3, "44.8");
    EXPECT_EQ(Logic().Selection().Text3(), "44.8");

    auto* check = form.Control<QCheckBox>("PrinterBaudrate");  // a tick, and the partner it enables
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
    EXPECT_FALSE(check->isChecked());
    EXPECT_FALSE(form.Widget("ComBaudrate")->isEnabled());

    auto* fine = form.Control<QRadioButton>("Optcgm");  // an option switched on
    QTest::mouseClick(fine, Qt::LeftButton, Qt::NoModifier, QPoint(6, fine->height() / 2));
    EXPECT_EQ(Logic().SpeedQuality().SelectedMode(), TuningMode::Fine);
    EXPECT_EQ(form.Control<QComboBox>("cmbsz")->currentText(), "20");
    EXPECT_TRUE(form.Control<QRadioButton>("Option2")->isChecked());  // a group of its own

    auto* cmbsz = form.Control<QComboBox>("cmbsz");  // a pick from the list
    cmbsz->setCurrentIndex(44);
    emit cmbsz->activated(44);
    EXPECT_EQ(form.Control<QLabel>("Labcgm")->text(), "40");
    EXPECT_EQ(cmbsz->currentText(), "40");

    auto* text2 = form.Control<QPlainTextEdit>("Text2");  // the logic rewrites a text being typed
    QTest::keyClicks(text2, "1B z4A");
    EXPECT_EQ(text2->toPlainText(), "1B 4A");
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{"请输入的数据是16进制的范围"});

    auto* combo1 = form.Control<QComboBox>("Combo1");  // the printer list, picked with the keyboard
    EXPECT_EQ(combo1->count(), 2);
    EXPECT_EQ(combo1->currentIndex(), 1);
    combo1->setCurrentIndex(0);
    emit combo1->activated(0);
    EXPECT_EQ(m_spooler.CurrentPrinter(), "Office_Laser");

    form.close();  // the close box
    EXPECT_EQ(m_endings, 1);
}

TEST_F(QtFace, TheLogicsTextsAreNotTakenForTheUsersChanges) {
    QtForm& form = Open();
    // Start-up wrote "16" into cmbsz and the printer list: nothing of it came back as a change, so the
    // panel still shows its own start-up state and no printer was applied twice.
    EXPECT_EQ(form.Control<QComboBox>("cmbsz")->currentText(), "16");
    EXPECT_EQ(m_spooler.AppliedChoices().size(), 2u);
    form.SetText("Text2", "xyz");  // a view call: no console filter runs on it
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_EQ(Logic().Console().Text2(), "");
}

TEST_F(QtFace, ViewCallsChangeTheirControls) {
    QtForm& form = Open();
    form.SetText("Label12", "t.txt");
    EXPECT_EQ(form.Control<QLabel>("Label12")->text(), "t.txt");
    form.SetText("Frame1", "x");
    EXPECT_EQ(form.Control<QGroupBox>("Frame1")->title(), "x");
    form.SetEnabled("Command17", false);
    EXPECT_FALSE(form.Widget("Command17")->isEnabled());
    form.SetChecked("Check1", true);
    EXPECT_TRUE(form.Control<QCheckBox>("Check1")->isChecked());
    form.SetEntries("Combo1", {"a", "b", "c"});
    EXPECT_EQ(form.Control<QComboBox>("Combo1")->count(), 3);
    EXPECT_EQ(form.Control<QComboBox>("Combo1")->currentIndex(), -1);
    form.SetSelectedIndex("Combo1", 2);
    EXPECT_EQ(form.Control<QComboBox>("Combo1")->currentText(), "c");
    form.SetEntries("cmbsz", {"7", "8"});
    EXPECT_EQ(form.Control<QComboBox>("cmbsz")->currentText(), "16");  // an editable box keeps its text
    form.StartTimer("Timer1", 250);
    ASSERT_NE(form.Timer("Timer1"), nullptr);
    EXPECT_EQ(form.Timer("Timer1")->interval(), 250);
    EXPECT_TRUE(form.Timer("Timer1")->isActive());
    form.SetWaitCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    form.SetWaitCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtFace, TimerTicksReachTheLogic) {
    QtForm& form = Open();
    QTimer* timer = form.Timer("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    timer->setInterval(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Control<QLabel>("Labtime")->text().isEmpty(); }, 2000));
    EXPECT_EQ(form.Control<QLabel>("Labtime")->text(), "2024/5/3 14:07:09");
}

TEST_F(QtFace, ALitButtonIsPaintedFlatInTheLitColour) {
    QtForm& form = Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.SetLit("Command30", true);
    const QImage lit = form.Widget("Command30")->grab().toImage();
    for (const QPoint point :
         {QPoint(5, 5), QPoint(lit.width() - 6, lit.height() - 6), QPoint(8, lit.height() / 2)}) {
        EXPECT_EQ(lit.pixelColor(point), QColor(255, 224, 192)) << point.x() << "," << point.y();
    }
    form.SetLit("Command30", false);
    const QImage unlit = form.Widget("Command30")->grab().toImage();
    const QColor face = unlit.pixelColor(8, unlit.height() / 2);
    EXPECT_NE(face, QColor(255, 224, 192));
    EXPECT_LE(std::abs(face.red() - face.blue()), 8);  // the grey button face, not a warm one
}

TEST_F(QtFace, TabWalksTheShownControlsInReadingOrderAndNothingHiddenTakesTheFocus) {
    QtForm& form = Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    const auto& order = forms::Form1Layout().tabOrder;
    form.Widget(order.front())->setFocus();
    std::vector<std::string> walked;
    for (std::size_t i = 0; i <= order.size(); ++i) {
        walked.push_back(QApplication::focusWidget()->objectName().toStdString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    std::vector<std::string> expected(order.begin(), order.end());
    expected.push_back(order.front());  // and round again
    EXPECT_EQ(walked, expected);

    form.Widget("Command49")->setFocus();
    std::vector<std::string> back;
    for (std::size_t i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        back.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(back, (std::vector<std::string>{"Command18", "Command22", "Command21"}));

    for (const auto& layoutControl : forms::Form1Layout().controls) {
        if (!forms::Form1Layout().IsShown(layoutControl.name)) {
            EXPECT_EQ(form.Widget(layoutControl.name)->focusPolicy(), Qt::NoFocus) << layoutControl.name;
        }
    }
}

TEST_F(QtFace, EnterAndSpacePressTheFocusedButton) {
    QtForm& form = Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        m_spooler.ClearDocuments();
        form.Widget("Command17")->setFocus();
        QTest::keyClick(form.Widget("Command17"), key);
        EXPECT_EQ(qvset::testing::DocumentsAsHex(m_spooler), std::vector<std::string>{"1B3A000050"}) << key;
    }
}

TEST_F(QtFace, HelpIsOneWindowShownAgainOnEveryClickAndClosingItOnlyHidesIt) {
    QtForm& form = Open();
    form.show();
    QTest::mouseClick(form.Control<QPushButton>("Command22"), Qt::LeftButton);
    QtForm* help = m_program->Existing("Form2");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->windowTitle().toStdString(), "说明");
    help->close();
    EXPECT_FALSE(help->isVisible());
    QTest::mouseClick(form.Control<QPushButton>("Command22"), Qt::LeftButton);
    EXPECT_EQ(m_program->Existing("Form2"), help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(m_endings, 0);
}

TEST_F(QtFace, ThePreviewsButtonOpensTheMainWindow) {
    m_spooler.SetPrinters(Printers({"QV640_Virtual", "B"}));
    m_program = std::make_unique<QtProgram>(m_spooler, m_dialogs, m_pause, m_clock,
                                            std::vector<std::filesystem::path>{m_folder});
    m_program->SetEndProgram([this] { ++m_endings; });
    m_program->ShowForm("Form3");
    QtForm& preview = *m_program->Existing("Form3");
    EXPECT_EQ(preview.windowTitle().toStdString(), "设置预览页");
    EXPECT_EQ(m_program->Existing("Form1"), nullptr);
    QTest::mouseClick(preview.Control<QPushButton>("Command19"), Qt::LeftButton);
    ASSERT_NE(m_program->Existing("Form1"), nullptr);
    EXPECT_TRUE(m_program->Existing("Form1")->isVisible());
    EXPECT_EQ(m_spooler.AppliedChoices().size(), 1u);  // the main window's start-up ran once
    QTest::mouseClick(preview.Control<QPushButton>("Command19"), Qt::LeftButton);
    EXPECT_EQ(m_spooler.AppliedChoices().size(), 1u);
}

// The preview started alone and closed by its close box leaves no window: the event loop ends. With
// the main window still open it only hides.
TEST_F(QtFace, ClosingTheLastWindowOnScreenEndsTheEventLoop) {
    for (const bool mainWindowOpen : {false, true}) {
        m_spooler.SetPrinters(Printers({"QV640_Virtual", "B"}));
        m_program = std::make_unique<QtProgram>(m_spooler, m_dialogs, m_pause, m_clock,
                                                std::vector<std::filesystem::path>{m_folder});
        int gone = 0;
        m_program->SetEndProgram([this] { ++m_endings; });
        m_program->SetLastWindowGone([&gone] { ++gone; });
        m_program->ShowForm("Form3");
        QtForm& preview = *m_program->Existing("Form3");
        if (mainWindowOpen) QTest::mouseClick(preview.Control<QPushButton>("Command19"), Qt::LeftButton);
        preview.close();  // the close box
        EXPECT_FALSE(preview.isVisible());
        EXPECT_EQ(gone, mainWindowOpen ? 0 : 1) << "main window open: " << mainWindowOpen;
        EXPECT_EQ(m_endings, 0);
    }
}

}  // namespace
}  // namespace qvset::app::testing
