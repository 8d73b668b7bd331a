#include "app/PlainTextBox.h"

#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextCursor>

namespace qvset::app {

PlainTextBox::PlainTextBox(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {}

QString PlainTextBox::Text() const {
    return m_isInserting ? m_inserting : toPlainText();
}

void PlainTextBox::SetText(const QString& text) {
    m_isInserting = false;  // what the program writes replaces a paste being inserted
    setPlainText(text);
}

void PlainTextBox::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText() || isReadOnly()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Cursor positions count one character per paragraph break, as toPlainText writes it.
    const QTextCursor cursor = textCursor();
    const QString before = toPlainText();
    const qsizetype start = cursor.selectionStart();
    const qsizetype end = cursor.selectionEnd();
    const QScopedValueRollback<bool> inserting(m_isInserting, true);
    m_inserting = before.left(start) + source->text() + before.mid(end);
    QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace qvset::app
