#include "app/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace qvset::app {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString ToQtFileFilter(const std::string& filter) {
    QStringList parts = FromUtf8(filter).split('|');
    while (!parts.isEmpty() && parts.back().isEmpty()) parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        QStringList qtPatterns;
        for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            qtPatterns << (trimmed == "*.*" ? QString("*") : trimmed);
        }
        if (qtPatterns.isEmpty()) qtPatterns << "*";
        filters << parts[i] + " (" + qtPatterns.join(' ') + ")";
    }
    return filters.join(";;");
}

QWidget* QtDialogs::Parent() const {
    if (m_parent != nullptr) return m_parent;
    return QApplication::activeWindow();
}

MessageAnswer QtDialogs::ShowMessage(const MessageRequest& request) {
    const QString title =
        request.title.empty() ? QString::fromUtf8(kApplicationTitle) : FromUtf8(request.title);
    QMessageBox box(ToQtIcon(request.icon), title, FromUtf8(request.text), QMessageBox::NoButton, Parent());
    if (request.buttons != MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    // Escape and the close box answer neither Yes nor No: they press this button, which is never shown.
    QPushButton* dismiss = box.addButton(QMessageBox::Cancel);
    dismiss->hide();
    box.setEscapeButton(dismiss);
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes) return MessageAnswer::Yes;
    if (box.clickedButton() == no) return MessageAnswer::No;
    return MessageAnswer::Dismissed;
}

void QtDialogs::ShowOpen(FileDialogState& dialog) {
    ShowFileDialog(dialog, false);
}

void QtDialogs::ShowSave(FileDialogState& dialog) {
    ShowFileDialog(dialog, true);
}

void QtDialogs::ShowFileDialog(FileDialogState& dialog, bool save) {
    QString title = FromUtf8(dialog.title);
    if (title.isEmpty()) title = save ? QFileDialog::tr("Save As") : QFileDialog::tr("Open");
    QFileDialog fileDialog(Parent(), title);
    fileDialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fileDialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The descriptions are shown as written ("txt(*.txt)"); the patterns Qt needs stay hidden.
    fileDialog.setOption(QFileDialog::HideNameFilterDetails);
    if (save) fileDialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString filter = ToQtFileFilter(dialog.filter);
    if (!filter.isEmpty()) fileDialog.setNameFilters(filter.split(";;"));
    if (!dialog.fileName.empty()) fileDialog.selectFile(FromUtf8(dialog.fileName));

    if (fileDialog.exec() == QDialog::Accepted && !fileDialog.selectedFiles().isEmpty()) {
        dialog.fileName = fileDialog.selectedFiles().front().toStdString();
    } else {
        dialog.fileName.clear();
    }
}

}  // namespace qvset::app
