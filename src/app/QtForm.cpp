#include "app/QtForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

#include "app/CaptionLabel.h"
#include "app/DrawingWidget.h"
#include "app/FaceButton.h"
#include "app/PlainTextBox.h"
#include "app/WindowFont.h"

namespace qvset::app {

namespace {

using forms::ControlKind;
using forms::FormEvent;

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect PixelRect(const forms::TwipsRect& twips, int dpiX, int dpiY) {
    return {forms::TwipsToPixels(twips.left, dpiX), forms::TwipsToPixels(twips.top, dpiY),
            forms::TwipsToPixels(twips.width, dpiX), forms::TwipsToPixels(twips.height, dpiY)};
}

QWidget* CreateControl(const forms::ControlSpec& layoutControl, const forms::FormLogic& logic,
                       QWidget* container) {
    const QString caption = QString::fromUtf8(layoutControl.caption);
    switch (layoutControl.kind) {
        case ControlKind::Frame:
            return new QGroupBox(caption, container);
        case ControlKind::Label: {
            auto* label = new CaptionLabel(caption, container);
            if (layoutControl.align == forms::TextAlign::Centre)
                label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            return label;
        }
        case ControlKind::Button:
            return new FaceButton(caption, container);
        case ControlKind::TextBox:
            return new QLineEdit(caption, container);
        case ControlKind::MultiLineText: {
            auto* edit = new PlainTextBox(caption, container);
            edit->setTabChangesFocus(true);
            return edit;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(caption, container);
        case ControlKind::Option:
            return new QRadioButton(caption, container);
        case ControlKind::ComboList:
            return new QComboBox(container);
        case ControlKind::ComboEdit: {
            auto* combo = new QComboBox(container);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setEditText(caption);
            return combo;
        }
        case ControlKind::Picture: {
            auto* picture = new QLabel(container);
            picture->setFrameShape(QFrame::Panel);
            picture->setFrameShadow(QFrame::Sunken);
            return picture;
        }
        case ControlKind::Drawing:
            return new DrawingWidget(logic.DrawingOf(layoutControl.name), container);
    }
    return nullptr;
}

// Creation order is stacking order: frames first, then the windowless controls (labels, pictures),
// which therefore lie beneath any text box or button they overlap, then the rest.
int CreationPass(ControlKind kind) {
    if (kind == ControlKind::Frame) return 0;
    if (kind == ControlKind::Label || kind == ControlKind::Picture || kind == ControlKind::Drawing) return 1;
    return 2;
}

}  // namespace

QtForm::QtForm(forms::FormLogic& logic, FormHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), m_logic(logic), m_host(host) {
    const forms::FormLayout& layout = logic.Layout();
    setObjectName(layout.name);
    setWindowTitle(QString::fromUtf8(layout.caption));
    // A fixed window: it can be moved, minimised and closed, not resized or maximised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    ApplyWindowFont(this);
    setFixedSize(forms::TwipsToPixels(layout.clientWidth, logicalDpiX()),
                 forms::TwipsToPixels(layout.clientHeight, logicalDpiY()));
    BuildControls();
    ApplyTabOrder();
    m_logic.Attach(*this);
}

QtForm::~QtForm() {
    if (m_waitCursor) QApplication::restoreOverrideCursor();
}

QWidget* QtForm::Widget(std::string_view name) const {
    const auto found = m_controls.find(name);
    if (found == m_controls.end()) throw std::logic_error("no control named " + std::string(name));
    return found->second;
}

QTimer* QtForm::Timer(std::string_view name) const {
    const auto found = m_timers.find(name);
    return found == m_timers.end() ? nullptr : found->second;
}

void QtForm::BuildControls() {
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    const forms::FormLayout& layout = m_logic.Layout();
    std::map<QWidget*, QButtonGroup*> optionGroups;
    for (int pass = 0; pass <= 2; ++pass) {
        for (const forms::ControlSpec& layoutControl : layout.controls) {
            if (CreationPass(layoutControl.kind) != pass) continue;
            QWidget* container = layoutControl.container == nullptr ? this : Widget(layoutControl.container);
            QWidget* control = CreateControl(layoutControl, m_logic, container);
            control->setObjectName(layoutControl.name);
            control->setGeometry(PixelRect(layoutControl.Rect(), dpiX, dpiY));
            if (layoutControl.fontPoints > 0 || layoutControl.bold) {
                QFont font = control->font();
                if (layoutControl.fontPoints > 0) font.setPointSize(layoutControl.fontPoints);
                font.setBold(layoutControl.bold);
                control->setFont(font);
            }
            m_controls.emplace(layoutControl.name, control);
            if (layoutControl.kind == ControlKind::Option) {
                // The options of one container form one group, and only those.
                QButtonGroup*& group = optionGroups[container];
                if (group == nullptr) group = new QButtonGroup(container);
                group->addButton(qobject_cast<QRadioButton*>(control));
            }
            ConnectControl(layoutControl, control);
        }
    }
}

void QtForm::ConnectControl(const forms::ControlSpec& layoutControl, QWidget* control) {
    const std::string name = layoutControl.name;
    switch (layoutControl.kind) {
        case ControlKind::Button:
            connect(qobject_cast<QPushButton*>(control), &QPushButton::clicked, this,
                    [this, name] { Forward(FormEvent::Click(name)); });
            break;
        case ControlKind::CheckBox:
            connect(qobject_cast<QCheckBox*>(control), &QCheckBox::clicked, this,
                    [this, name](bool checked) { Forward(FormEvent::Click(name, checked)); });
            break;
        case ControlKind::Option:
            connect(qobject_cast<QRadioButton*>(control), &QRadioButton::toggled, this,
                    [this, name](bool on) {
                        if (on) Forward(FormEvent::OptionOn(name));
                    });
            break;
        case ControlKind::TextBox:
            connect(
                qobject_cast<QLineEdit*>(control), &QLineEdit::textChanged, this,
                [this, name](const QString& text) { Forward(FormEvent::Change(name, text.toStdString())); });
            break;
        case ControlKind::MultiLineText: {
            auto* edit = qobject_cast<PlainTextBox*>(control);
            connect(edit, &QPlainTextEdit::textChanged, this,
                    [this, name, edit] { Forward(FormEvent::Change(name, edit->Text().toStdString())); });
            break;
        }
        case ControlKind::ComboEdit: {
            auto* combo = qobject_cast<QComboBox*>(control);
            connect(combo, &QComboBox::editTextChanged, this, [this, name](const QString& text) {
                Forward(FormEvent::Change(name, text.toStdString()));
            });
            connect(combo, &QComboBox::activated, this,
                    [this, name](int index) { Forward(FormEvent::Pick(name, index)); });
            break;
        }
        case ControlKind::ComboList:
            connect(qobject_cast<QComboBox*>(control), &QComboBox::activated, this,
                    [this, name](int index) { Forward(FormEvent::Pick(name, index)); });
            break;
        case ControlKind::Frame:
        case ControlKind::Label:
        case ControlKind::Picture:
        case ControlKind::Drawing:
            break;
    }
}

// Only the controls of the Tab order take the focus, in that order; no other control, shown or not,
// can be reached with Tab, Shift+Tab or a click that would move the focus to it.
void QtForm::ApplyTabOrder() {
    const forms::FormLayout& layout = m_logic.Layout();
    for (const forms::ControlSpec& layoutControl : layout.controls) {
        const bool inOrder = std::any_of(
            layout.tabOrder.begin(), layout.tabOrder.end(),
            [&layoutControl](const char* name) { return std::string_view(name) == layoutControl.name; });
        QWidget* control = Widget(layoutControl.name);
        control->setFocusPolicy(inOrder ? Qt::StrongFocus : Qt::NoFocus);
        if (auto* combo = qobject_cast<QComboBox*>(control);
            combo != nullptr && combo->lineEdit() != nullptr) {
            combo->lineEdit()->setFocusPolicy(inOrder ? Qt::StrongFocus : Qt::NoFocus);
        }
    }
    for (std::size_t i = 1; i < layout.tabOrder.size(); ++i) {
        setTabOrder(Widget(layout.tabOrder[i - 1]), Widget(layout.tabOrder[i]));
    }
}

void QtForm::Forward(const FormEvent& event) {
    if (m_applying > 0) return;
    m_logic.OnEvent(event);
}

void QtForm::closeEvent(QCloseEvent* event) {
    // The logic decides: the main window ends the program, the others are hidden.
    event->ignore();
    Forward(FormEvent::Close(m_logic.Layout().name));
}

void QtForm::SetText(std::string_view name, std::string_view text) {
    const QScopedValueRollback<int> applying(m_applying, m_applying + 1);
    QWidget* control = Widget(name);
    const QString value = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(control); combo != nullptr && combo->isEditable()) {
        combo->setEditText(value);
    } else if (auto* plain = qobject_cast<PlainTextBox*>(control)) {
        plain->SetText(value);
        plain->moveCursor(QTextCursor::End);  // typing goes on at the end
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        frame->setTitle(value);
    }
}

void QtForm::SetLit(std::string_view name, bool lit) {
    Control<FaceButton>(name)->SetLit(lit);
}

void QtForm::SetEnabled(std::string_view name, bool enabled) {
    const QScopedValueRollback<int> applying(m_applying, m_applying + 1);
    Widget(name)->setEnabled(enabled);
}

void QtForm::SetChecked(std::string_view name, bool checked) {
    const QScopedValueRollback<int> applying(m_applying, m_applying + 1);
    Control<QAbstractButton>(name)->setChecked(checked);
}

void QtForm::SetEntries(std::string_view name, const std::vector<std::string>& entries) {
    const QScopedValueRollback<int> applying(m_applying, m_applying + 1);
    auto* combo = Control<QComboBox>(name);
    const QString text = combo->currentText();
    combo->clear();
    for (const auto& entry : entries) combo->addItem(ToQString(entry));
    combo->setCurrentIndex(-1);  // a list filled anew selects nothing
    if (combo->isEditable()) combo->setEditText(text);
}

void QtForm::SetSelectedIndex(std::string_view name, int index) {
    const QScopedValueRollback<int> applying(m_applying, m_applying + 1);
    Control<QComboBox>(name)->setCurrentIndex(index);
}

void QtForm::StartTimer(std::string_view name, int intervalMs) {
    QTimer*& timer = m_timers[std::string(name)];
    if (timer == nullptr) {
        timer = new QTimer(this);
        timer->setObjectName(ToQString(name));
        connect(timer, &QTimer::timeout, this,
                [this, timerName = std::string(name)] { Forward(FormEvent::Tick(timerName)); });
    }
    timer->start(intervalMs);
}

void QtForm::RepaintNow() {
    repaint();
}

void QtForm::SetWaitCursor(bool on) {
    if (on == m_waitCursor) return;
    m_waitCursor = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace qvset::app
