// The console box of the Qt face hands the window's logic the characters as they were pasted: a CR
// and an LF are two different characters the console refuses, one message each, whatever the box's
// document makes of line ends.
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>

#include "WindowFixture.h"

namespace qvset::app::testing {
namespace {

using PastedLineEnds = WindowFixture;

const std::string kNotHex = "请输入的数据是16进制的范围";

TEST_F(PastedLineEnds, EachLineEndCharacterIsRefusedOnItsOwn) {
    const struct {
        const char* typed;  // typed first
        int selectFrom;     // then the cursor or the selection, -1: all of it
        int selectTo;
        const char* pasted;
        std::size_t messages;
        const char* left;  // what the box and the logic hold afterwards
    } cases[] = {
        {"", 0, 0, "1B\r\n4A", 2, "1B4A"},      // CR LF: two characters, two messages
        {"", 0, 0, "1B\n\r4A\r\n", 2, "1B4A"},  // LF CR: two as well
        {"", 0, 0, "1B\r4A\r", 1, "1B4A"},      // lone CRs: one character
        {"", 0, 0, "1B\n4A", 1, "1B4A"},        // lone LF
        {"1B4A", 2, 2, "\r\n20", 2, "1B204A"},  // pasted in the middle
        {"1B 4A", 3, 5, "0A\r\n", 2, "1B 0A"},  // over a selection
        {"1B 4A", -1, -1, "\r\n", 2, ""},       // over all of it
        {"1B", 2, 2, "4A", 0, "1B4A"},          // nothing refused
    };
    QtForm& form = Open();
    auto* text2 = form.Control<QPlainTextEdit>("Text2");
    for (const auto& c : cases) {
        form.SetText("Text2", "");
        QTest::keyClicks(text2, c.typed);
        QTextCursor cursor = text2->textCursor();
        if (c.selectFrom < 0) {
            cursor.select(QTextCursor::Document);
        } else {
            cursor.setPosition(c.selectFrom);
            cursor.setPosition(c.selectTo, QTextCursor::KeepAnchor);
        }
        text2->setTextCursor(cursor);
        m_dialogs.Clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
        QTest::keyClick(text2, Qt::Key_V, Qt::ControlModifier);
        const auto shown = m_dialogs.MessageTexts();
        EXPECT_EQ(shown, std::vector<std::string>(c.messages, kNotHex)) << c.pasted;
        EXPECT_EQ(text2->toPlainText().toStdString(), c.left) << c.pasted;
        EXPECT_EQ(Logic().Console().Text2(), c.left) << c.pasted;
    }
}

}  // namespace
}  // namespace qvset::app::testing
