#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace qvset::app {

// A multi-line text box whose Text() holds exactly the characters the user typed or pasted. The
// document under a QPlainTextEdit turns every line end into one paragraph break, so a pasted CR LF,
// a lone CR and an LF would all read back as one LF; while a paste or drop is inserted, Text() gives
// the box's text with the inserted part as it came, each CR and LF kept.
class PlainTextBox final : public QPlainTextEdit {
    Q_OBJECT

  public:
    PlainTextBox(const QString& text, QWidget* parent);

    // The text as the user entered it (see above).
    QString Text() const;
    // Replaces the whole text, as the program does.
    void SetText(const QString& text);

  protected:
    void insertFromMimeData(const QMimeData* source) override;

  private:
    QString m_inserting;  // the text with the part being pasted as it came
    bool m_isInserting = false;
};

}  // namespace qvset::app
