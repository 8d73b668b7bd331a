#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/QtDialogs.h"
#include "app/QtPause.h"
#include "support/TestFolder.h"

namespace qvset::app {
namespace {

TEST(QtFileFilter, WindowsFiltersBecomeQtFilters) {
    const std::pair<std::string, QString> kCases[] = {
        {"txt(*.txt)|*.txt|AllFile(*.*)|*.*|", "txt(*.txt) (*.txt);;AllFile(*.*) (*)"},
        {"Text files|*.txt;*.log", "Text files (*.txt *.log)"},
        {"Everything", "Everything (*)"},
        {"", ""},
    };
    for (const auto& [windows, qt] : kCases) EXPECT_EQ(ToQtFileFilter(windows), qt) << windows;
}

// Runs `inspect` on the modal dialog that the next exec() opens.
void WhenModalOpens(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        inspect(modal);
    });
}

TEST(QtMessages, QuestionShowsItsTitleIconAndChineseYesNo) {
    QtDialogs dialogs;
    QString text, title, yes, no;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        yes = box->button(QMessageBox::Yes)->text();
        no = box->button(QMessageBox::No)->text();
        EXPECT_FALSE(box->button(QMessageBox::Cancel)->isVisible());
        box->button(QMessageBox::No)->click();
    });
    const MessageAnswer answer =
        dialogs.ShowMessage({"你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出", "退出",
                             MessageButtons::YesNo, MessageIcon::Question});
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(text.toStdString(), "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出");
    EXPECT_EQ(title.toStdString(), "退出");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_TRUE(yes.startsWith(QString::fromUtf8("是"))) << yes.toStdString();
    EXPECT_TRUE(no.startsWith(QString::fromUtf8("否"))) << no.toStdString();
}

TEST(QtMessages, EscapeOrTheCloseBoxOnAQuestionAnswersNeitherYesNorNo) {
    QtDialogs dialogs;
    const MessageRequest question{"?", "退出", MessageButtons::YesNo, MessageIcon::Question};
    WhenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.ShowMessage(question), MessageAnswer::Dismissed);
    WhenModalOpens([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(dialogs.ShowMessage(question), MessageAnswer::Dismissed);
    WhenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });  // Yes is the default
    EXPECT_EQ(dialogs.ShowMessage(question), MessageAnswer::Yes);
}

TEST(QtMessages, PlainMessageHasTheApplicationsNameAndAChineseOk) {
    QtDialogs dialogs;
    QString title;
    QString ok;
    QMessageBox::StandardButtons buttons;
    WhenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        buttons = box->standardButtons();
        ok = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.Message("保存成功");
    EXPECT_EQ(title, "qvset");
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_TRUE(ok.startsWith(QString::fromUtf8("确定"))) << ok.toStdString();
}

// Each test in a folder of its own: ctest runs tests of this fixture side by side.
class QtFileDialogs : public ::testing::Test {
  protected:
    void SetUp() override { std::ofstream(m_folder / "ticket.txt") << "KQ605USET1\r\n"; }
    qvset::testing::TestFolder m_testFolder{"qvset-qtdialogs-"};
    const std::filesystem::path& m_folder = m_testFolder.Path();
};

TEST_F(QtFileDialogs, OpenStartsAtTheLastNameAndReturnsTheChosenFile) {
    QtDialogs dialogs;
    FileDialogState state{"Open txt File SA", "txt(*.txt)|*.txt|AllFile(*.*)|*.*|",
                          (m_folder / "ticket.txt").string()};
    QString title;
    QStringList filters;
    QStringList startedWith;
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        startedWith = dialog->selectedFiles();
        static_cast<QDialog*>(dialog)->accept();
    });
    dialogs.ShowOpen(state);
    EXPECT_EQ(title, "Open txt File SA");
    EXPECT_EQ(filters, (QStringList{"txt(*.txt) (*.txt)", "AllFile(*.*) (*)"}));
    ASSERT_EQ(startedWith.size(), 1);
    EXPECT_EQ(startedWith.front().toStdString(), (m_folder / "ticket.txt").string());
    EXPECT_EQ(state.fileName, (m_folder / "ticket.txt").string());
    EXPECT_EQ(state.title, "Open txt File SA");
}

TEST_F(QtFileDialogs, CancelledSaveEmptiesTheFileName) {
    QtDialogs dialogs;
    FileDialogState state{"", "txt(*.txt)|*.txt|AllFile(*.*)|*.*|", "old.txt"};
    bool confirmsOverwrite = true;
    QString title;
    QString acceptLabel;
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        acceptLabel = dialog->labelText(QFileDialog::Accept);
        dialog->reject();
    });
    dialogs.ShowSave(state);
    EXPECT_EQ(state.fileName, "");
    EXPECT_FALSE(confirmsOverwrite);
    EXPECT_EQ(title, QString::fromUtf8("另存为"));
    EXPECT_TRUE(acceptLabel.contains(QString::fromUtf8("保存"))) << acceptLabel.toStdString();
}

TEST_F(QtFileDialogs, SaveReturnsTheTypedNameWithoutAddingAnExtension) {
    QtDialogs dialogs;
    FileDialogState state{"Open txt File SA", "txt(*.txt)|*.txt|AllFile(*.*)|*.*|", ""};
    const std::string target = (m_folder / "mine").string();
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QString::fromStdString(target));
        static_cast<QDialog*>(dialog)->accept();
    });
    dialogs.ShowSave(state);
    EXPECT_EQ(state.fileName, target);
}

TEST(QtPauses, AWaitKeepsTheTimersTickingAndLastsItsTime) {
    QtPause pause;
    QTimer timer;
    timer.setInterval(100);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    QElapsedTimer clock;
    clock.start();
    pause.Wait(450);
    EXPECT_GE(clock.elapsed(), 440);
    EXPECT_GE(ticks, 3);  // the window's logic decides what a tick during a wait does
    clock.restart();
    pause.Wait(0);
    pause.Wait(-5);
    EXPECT_LT(clock.elapsed(), 100);
}

}  // namespace
}  // namespace qvset::app
