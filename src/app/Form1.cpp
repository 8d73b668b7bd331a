#include "app/Form1.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/CaptionLabel.h"
#include "app/Clock.h"
#include "app/Form1Layout.h"
#include "app/Form2.h"
#include "app/LitButton.h"
#include "app/Twips.h"
#include "app/WindowFont.h"
#include "printer/PrinterSelection.h"
// settings and ticket description
#include "settings/BatchSend.h"
#include "settings/FlagCommands.h"
#include "settings/PanelButtons.h"
#include "settings/SettingsClicks.h"
#include "ticket/GeometryClicks.h"
#include "ticket/TicketFiles.h"
// tuning, console and job watch
#include "console/TestPrints.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"
#include "tuning/TuningRuns.h"

namespace qvset::app {

namespace {

constexpr const char* kCaption = "设置";
constexpr int kTimer1Interval = 1000;
// The clock's date-and-time form, as the Simplified Chinese system writes it.
constexpr const char* kClockFormat = "yyyy/M/d H:mm:ss";

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* CreateControl(const ControlSpec& layoutEntry, QWidget* container) {
    const QString caption = QString::fromUtf8(layoutEntry.caption);
    switch (layoutEntry.kind) {
        case ControlKind::Frame:
            return new QGroupBox(caption, container);
        case ControlKind::Label: {
            return new CaptionLabel(caption, container);
        }
        case ControlKind::Button:
            return new QPushButton(caption, container);
        case ControlKind::TextBox:
            return new QLineEdit(caption, container);
        case ControlKind::MultiLineText:
            return new QPlainTextEdit(caption, container);
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
    }
    return nullptr;
}

// Creation order is stacking order: frames first, then the windowless controls (labels, pictures),
// which therefore lie beneath any text box or button they overlap, then the rest.
int CreationPass(ControlKind kind) {
    if (kind == ControlKind::Frame) return 0;
    if (kind == ControlKind::Label || kind == ControlKind::Picture) return 1;
    return 2;
}

// settings and ticket description: the text box of geometry item 7, 8 or 9.
const char* GeometryTextBox(int item) {
    return item == kItemTicketLength ? "Text3" : item == kItemStartOffset ? "Text4" : "Text5";
}

}  // namespace

Form1::Form1(Spooler& spooler, Dialogs& dialogs, Pause& pause, Clock& clock,
             std::filesystem::path programFolder, QWidget* parent)
    : QWidget(parent),
      m_spooler(spooler),
      m_dialogs(dialogs),
      m_pause(pause),
      m_clock(clock),
      m_channel(spooler, dialogs, std::move(programFolder)) {
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(kCaption));
    ApplyWindowFont(this);
    setFixedSize(TwipsToPixels(kClientWidthTwips, logicalDpiX()),
                 TwipsToPixels(kClientHeightTwips, logicalDpiY()));

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName("Timer1");
    m_timer1->setInterval(kTimer1Interval);

    BuildControls();
    ConnectHandlers();
    Form_Load();
}

Form1::~Form1() = default;

Form2* Form1::HelpWindow() const {
    return m_form2;
}

QWidget* Form1::FindControl(std::string_view name) const {
    const auto found = m_controls.find(name);
    if (found == m_controls.end()) throw std::logic_error("no control named " + std::string(name));
    return found->second;
}

void Form1::BuildControls() {
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    std::map<QWidget*, QButtonGroup*> optionGroups;
    for (int pass = 0; pass <= 2; ++pass) {
        for (const auto& layoutEntry : Form1Layout()) {
            if (CreationPass(layoutEntry.kind) != pass) continue;
            QWidget* container = layoutEntry.container == nullptr ? this : FindControl(layoutEntry.container);
            QWidget* control = CreateControl(layoutEntry, container);
            control->setObjectName(layoutEntry.name);
            control->setGeometry(TwipsRect(layoutEntry.left, layoutEntry.top, layoutEntry.width,
                                           layoutEntry.height, dpiX, dpiY));
            m_controls.emplace(layoutEntry.name, control);
            if (layoutEntry.kind == ControlKind::Option) {
                // The options of one container form one group, and only those.
                QButtonGroup*& group = optionGroups[container];
                if (group == nullptr) group = new QButtonGroup(container);
                group->addButton(qobject_cast<QRadioButton*>(control));
            }
        }
    }
}

void Form1::ConnectHandlers() {
    using Handler = void (Form1::*)();
    static const std::pair<const char*, Handler> kButtons[] = {
        {"Command2", &Form1::Command2_Click},   {"Command14", &Form1::Command14_Click},
        {"Command18", &Form1::Command18_Click}, {"Command22", &Form1::Command22_Click},
        {"Command28", &Form1::Command28_Click}, {"Command29", &Form1::Command29_Click},
        {"Command30", &Form1::Command30_Click}, {"Command31", &Form1::Command31_Click},
        {"Command32", &Form1::Command32_Click}, {"Command33", &Form1::Command33_Click},
        {"Command34", &Form1::Command34_Click}, {"Command35", &Form1::Command35_Click},
        {"Command36", &Form1::Command36_Click}, {"Command37", &Form1::Command37_Click},
        {"Command38", &Form1::Command38_Click}, {"Command39", &Form1::Command39_Click},
        {"Command40", &Form1::Command40_Click}, {"Command41", &Form1::Command41_Click},
        {"Command42", &Form1::Command42_Click}, {"Command43", &Form1::Command43_Click},
        {"Command44", &Form1::Command44_Click}, {"Command45", &Form1::Command45_Click},
        {"Command46", &Form1::Command46_Click}, {"Command47", &Form1::Command47_Click},
        {"Command48", &Form1::Command48_Click}, {"Command49", &Form1::Command49_Click},
        {"Command16", &Form1::Command16_Click}, {"Command23", &Form1::Command23_Click},
        {"Command24", &Form1::Command24_Click}, {"Command25", &Form1::Command25_Click},
        {"Command19", &Form1::Command19_Click}, {"Command20", &Form1::Command20_Click},
        {"Command21", &Form1::Command21_Click}, {"Command3", &Form1::Command3_Click},
        {"Command8", &Form1::Command8_Click},   {"Command15", &Form1::Command15_Click},
        {"Command7", &Form1::Command7_Click},   {"Command9", &Form1::Command9_Click},
        {"Command6", &Form1::Command6_Click},   {"Command4", &Form1::Command4_Click},
        {"Command1", &Form1::Command1_Click},   {"Command17", &Form1::Command17_Click},
        {"Command5", &Form1::Command5_Click},   {"Command10", &Form1::Command10_Click},
        {"Command11", &Form1::Command11_Click}, {"Command12", &Form1::Command12_Click},
        {"Command13", &Form1::Command13_Click},
    };
    for (const auto& [name, handler] : kButtons) {
        connect(Control<QPushButton>(name), &QPushButton::clicked, this, handler);
    }

    // A check box's Click follows every change of its tick, by the user or by the program.
    static const std::pair<const char*, Handler> kCheckBoxes[] = {
        {"PrinterBlack", &Form1::PrinterBlack_Click},
        {"PrinterPaper", &Form1::PrinterPaper_Click},
        {"PrinterStart", &Form1::PrinterStart_Click},
        {"PrinterEnd", &Form1::PrinterEnd_Click},
        {"PrinterWay", &Form1::PrinterWay_Click},
        {"PrinterStyle", &Form1::PrinterStyle_Click},
        {"PrinterDoor", &Form1::PrinterDoor_Click},
        {"PrinterBaudrate", &Form1::PrinterBaudrate_Click},
        {"PrinterLong", &Form1::PrinterLong_Click},
        {"PrinterStartPosition", &Form1::PrinterStartPosition_Click},
        {"PrinterBlackPosition", &Form1::PrinterBlackPosition_Click},
        {"Check1", &Form1::Check1_Click},
    };
    for (const auto& [name, handler] : kCheckBoxes) {
        connect(Control<QCheckBox>(name), &QCheckBox::toggled, this, handler);
    }

    // settings and ticket description: the geometry texts and the black-mark style go into the model
    // as they change, whether typed or set by the program.
    for (int item = kItemTicketLength; item <= kItemBlackMarkOffset; ++item) {
        connect(Control<QLineEdit>(GeometryTextBox(item)), &QLineEdit::textChanged, this,
                [this, item](const QString& text) { TakeGeometryText(item, text); });
    }
    for (int style : {1, 2}) {
        connect(Control<QRadioButton>(style == 1 ? "Option1" : "Option2"), &QRadioButton::toggled, this,
                [this, style](bool on) {
                    if (on) m_selection.SetBlackMarkStyle(style);
                });
    }

    // An option's Click follows its switching on, by the user or by the program.
    static const std::pair<const char*, Handler> kOptions[] = {
        {"Optgs", &Form1::Optgs_Click},
        {"Optcgs", &Form1::Optcgs_Click},
        {"Optcgm", &Form1::Optcgm_Click},
    };
    for (const auto& [name, handler] : kOptions) {
        connect(Control<QRadioButton>(name), &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) (this->*handler)();
        });
    }

    // Combo1: every pick of an entry by the user applies it, even a pick of the entry already shown
    // (the default may have been changed outside the program); PickMakerPrinter raises it by program.
    connect(Control<QComboBox>("Combo1"), &QComboBox::activated, this, &Form1::Combo1_Click);
    // cmbsz: every change of its text (typing or set by the program), and every pick from its list.
    connect(Control<QComboBox>("cmbsz"), &QComboBox::editTextChanged, this, &Form1::cmbsz_Change);
    connect(Control<QComboBox>("cmbsz"), &QComboBox::activated, this, &Form1::cmbsz_Click);
    connect(Control<QPlainTextEdit>("Text2"), &QPlainTextEdit::textChanged, this, &Form1::Text2_Change);
    ConnectWatchAndConsole();
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

// ---- Start-up and shutdown ----

void Form1::Form_Load() {
    m_sampleText = qvset::SampleText();
    m_timer1->start();
    FillModeValueList();
    Control<QRadioButton>("Option2")->setChecked(true);
    StartSpeedQualityPanel();  // the captions, Optgs (raising Optgs_Click), "16" (raising cmbsz_Change)
    PaintConsole();            // Command9 starts disabled
    FillPrinterList();
    PickMakerPrinter();  // raises Combo1_Click for every entry it selects
    ResetSelection();
}

void Form1::FillPrinterList() {
    m_printerEntries = qvset::FillPrinterList(m_spooler);
    auto* combo = Control<QComboBox>("Combo1");
    // Filling selects nothing: the list starts with an empty text.
    const QSignalBlocker blocker(combo);
    for (const auto& entry : m_printerEntries) combo->addItem(ToQString(entry));
    combo->setCurrentIndex(-1);
}

void Form1::PickMakerPrinter() {
    auto* combo = Control<QComboBox>("Combo1");
    qvset::PickMakerPrinter(m_printerEntries, [this, combo](std::size_t index) {
        combo->setCurrentIndex(static_cast<int>(index));
        Combo1_Click();
    });
}

void Form1::Combo1_Click() {
    const int index = Control<QComboBox>("Combo1")->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_printerEntries.size()) return;
    m_spooler.ApplyPrinterChoice(m_printerEntries[static_cast<std::size_t>(index)]);
}

void Form1::ResetSelection() {
    m_selection.ResetSelection();
    PaintSelection();
}

void Form1::EndProgram() {
    if (m_endProgram) {
        m_endProgram();
        return;
    }
    // At once: no further events, questions or documents. Every document was already closed by the
    // send that wrote it, so nothing is left half-written.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    EndProgram();
}

void Form1::Command2_Click() {
    EndProgram();
}

void Form1::ExitAfterCheck(bool hasUnsavedChanges) {
    if (hasUnsavedChanges) {
        const MessageAnswer answer =
            m_dialogs.ShowMessage({std::string(kMsgUnsavedChanges), std::string(kTitleUnsavedChanges),
                                   MessageButtons::YesNo, MessageIcon::Question});
        if (answer == MessageAnswer::Yes) return;
    }
    EndProgram();
}

void Form1::Command18_Click() {
    ExitAfterCheck(m_selection.HasUnsavedChanges());
}

void Form1::Command22_Click() {
    if (m_form2 == nullptr) m_form2 = new Form2(this);
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
}

void Form1::Command14_Click() {
    m_channel.SendPrintFile();
}

void Form1::Timer1_Timer() {
    SetText("Labtime", m_clock.Now().toString(QString::fromUtf8(kClockFormat)).toStdString());
    WatchTick();
}

void Form1::WatchTick() {
    // Label8 and the run buttons are painted through the watch's listeners; a failure shows its
    // message through the dialogs.
    m_watch.Tick();
}

// ---- Run buttons and progress ----

const std::vector<const char*>& Form1::RunButtonNames() {
    static const std::vector<const char*> kNames = {
        "Command3",  "Command8",  "Command1", "Command14", "Command12", "Command5", "Command10",
        "Command11", "Command13", "Command7", "Command4",  "Command9",  "Command6"};
    return kNames;
}

void Form1::LockRunButtons() {
    m_watch.LockRunButtons();
}

void Form1::UnlockRunButtons() {
    m_watch.UnlockRunButtons();
}

void Form1::ShowProgress(std::string_view text) {
    auto* label = Control<QLabel>("Label8");
    label->setText(ToQString(text));
    label->repaint();
}

// ---- Control access ----

std::string Form1::Text(std::string_view name) const {
    QWidget* control = FindControl(name);
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText().toStdString();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->toPlainText().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text().toStdString();
    if (auto* frame = qobject_cast<QGroupBox*>(control)) return frame->title().toStdString();
    throw std::logic_error("control without text: " + std::string(name));
}

void Form1::SetText(std::string_view name, std::string_view text) {
    QWidget* control = FindControl(name);
    const QString value = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(control); combo != nullptr && combo->isEditable()) {
        combo->setEditText(value);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        plain->setPlainText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
    } else {
        throw std::logic_error("control whose text cannot be set: " + std::string(name));
    }
}

void Form1::SetLit(std::string_view name, bool lit) {
    app::SetLit(Control<QPushButton>(name), lit);
}

bool Form1::IsLit(std::string_view name) const {
    return app::IsLit(Control<QPushButton>(name));
}

// ---- Check-box panel ----

void Form1::PrinterBlack_Click() {
    ClickCheckBox("PrinterBlack");
}
void Form1::PrinterPaper_Click() {
    ClickCheckBox("PrinterPaper");
}
void Form1::PrinterStart_Click() {
    ClickCheckBox("PrinterStart");
}
void Form1::PrinterEnd_Click() {
    ClickCheckBox("PrinterEnd");
}
void Form1::PrinterWay_Click() {
    ClickCheckBox("PrinterWay");
}
void Form1::PrinterStyle_Click() {
    ClickCheckBox("PrinterStyle");
}
void Form1::PrinterDoor_Click() {
    ClickCheckBox("PrinterDoor");
}
void Form1::PrinterBaudrate_Click() {
    ClickCheckBox("PrinterBaudrate");
}
void Form1::PrinterLong_Click() {
    ClickCheckBox("PrinterLong");
}
void Form1::PrinterStartPosition_Click() {
    ClickCheckBox("PrinterStartPosition");
}
void Form1::PrinterBlackPosition_Click() {
    ClickCheckBox("PrinterBlackPosition");
}

// The box has already changed its tick when its Click arrives; the panel model takes the same click
// and the box and its partner are then painted from the model.
void Form1::ClickCheckBox(std::string_view checkBox) {
    m_checkBoxPanel.Click(checkBox);
    PaintCheckBoxPanel();
}

void Form1::PaintCheckBoxPanel() {
    for (const CheckBoxRow& row : CheckBoxPanel::Rows()) {
        auto* box = Control<QCheckBox>(row.name);
        if (box->isChecked() != m_checkBoxPanel.IsTicked(row.name)) {
            const QSignalBlocker blocker(box);
            box->setChecked(m_checkBoxPanel.IsTicked(row.name));
        }
        FindControl(row.partner)->setEnabled(m_checkBoxPanel.IsPartnerEnabled(row.name));
    }
}

// ---- Settings panel, geometry, batch and ticket files ----

void Form1::ClickSettings(std::string_view button) {
    ClickSettingsButton(m_selection, m_channel, button);
    PaintSelection();
}

void Form1::ClickGeometry(std::string_view button) {
    ClickGeometryButton(m_selection, m_channel, button);
    PaintSelection();
}

void Form1::TakeGeometryText(int item, const QString& text) {
    std::string utf8 = text.toStdString();
    if (utf8 != m_selection.GeometryText(item)) m_selection.SetGeometryText(item, std::move(utf8));
}

// Every button that records a choice (and Command26, which ResetSelection unlights) shows the model's
// lit state; Label12 and the geometry texts show the model's texts. A text box is only written when
// its text differs, so the user's cursor stays where it was.
void Form1::PaintSelection() {
    for (const PanelButton& button : PanelButtons()) SetLit(button.name, m_selection.IsLit(button.name));
    SetLit("Command26", m_selection.IsLit("Command26"));
    SetText("Label12", m_selection.Label12());
    for (int item = kItemTicketLength; item <= kItemBlackMarkOffset; ++item) {
        const char* box = GeometryTextBox(item);
        if (Text(box) != m_selection.GeometryText(item)) SetText(box, m_selection.GeometryText(item));
    }
}

void Form1::Command28_Click() {
    ClickSettings("Command28");
}
void Form1::Command29_Click() {
    ClickSettings("Command29");
}
void Form1::Command30_Click() {
    ClickSettings("Command30");
}
void Form1::Command31_Click() {
    ClickSettings("Command31");
}
void Form1::Command32_Click() {
    ClickSettings("Command32");
}
void Form1::Command33_Click() {
    ClickSettings("Command33");
}
void Form1::Command34_Click() {
    ClickSettings("Command34");
}
void Form1::Command35_Click() {
    ClickSettings("Command35");
}
void Form1::Command36_Click() {
    ClickSettings("Command36");
}
void Form1::Command37_Click() {
    ClickSettings("Command37");
}
void Form1::Command38_Click() {
    ClickSettings("Command38");
}
void Form1::Command39_Click() {
    ClickSettings("Command39");
}
void Form1::Command40_Click() {
    ClickSettings("Command40");
}
void Form1::Command41_Click() {
    ClickSettings("Command41");
}
void Form1::Command42_Click() {
    ClickSettings("Command42");
}
void Form1::Command43_Click() {
    ClickSettings("Command43");
}
void Form1::Command44_Click() {
    ClickSettings("Command44");
}
void Form1::Command45_Click() {
    ClickSettings("Command45");
}
void Form1::Command46_Click() {
    ClickSettings("Command46");
}
void Form1::Command47_Click() {
    ClickSettings("Command47");
}
void Form1::Command48_Click() {
    ClickSettings("Command48");
}

void Form1::Command49_Click() {
    qvset::Command49_Click(m_selection, m_dialogs);
    PaintSelection();
}

void Form1::Command16_Click() {
    qvset::Command16_Click(m_selection, m_channel);
    PaintSelection();
}

void Form1::Command23_Click() {
    ClickGeometry("Command23");
}
void Form1::Command24_Click() {
    ClickGeometry("Command24");
}
void Form1::Command25_Click() {
    ClickGeometry("Command25");
}

void Form1::Command19_Click() {
    qvset::Command19_Click(m_selection, m_channel);
    PaintSelection();
}

void Form1::Command20_Click() {
    qvset::Command20_Click(m_selection, m_dialogs, m_fileDialog);
    PaintSelection();
}

void Form1::Command21_Click() {
    std::string text1 = Text("Text1");
    qvset::Command21_Click(m_selection, m_dialogs, m_fileDialog, text1);
    SetText("Text1", text1);
    PaintSelection();
}

// ---- Tuning, console and job watch ----

namespace {

ModeCaptions CaptionsOf(const SpeedQualityPanel& panel) {
    return {panel.Labgs(), panel.Labcgs(), panel.Labcgm()};
}

}  // namespace

void Form1::ConnectWatchAndConsole() {
    m_watch.OnLabel8([this](const std::string& caption) { ShowProgress(caption); });
    // The console keeps Command9's state: the lock disables it, the unlock enables it whatever Check1.
    m_watch.OnRunButtons([this](bool enabled) {
        m_console.SetCommand9Enabled(enabled);
        PaintRunButtons();
    });
}

void Form1::FillModeValueList() {
    // Filling the list is no change of the panel's text.
    const QScopedValueRollback<bool> painting(m_paintingFromModel, true);
    auto* cmbsz = Control<QComboBox>("cmbsz");
    for (const auto& entry : ModeValueEntries()) cmbsz->addItem(ToQString(entry));
}

void Form1::StartSpeedQualityPanel() {
    // The panel's own start-up runs the captions, the switch to high speed and the combo text "16"
    // with their nested events.
    m_panel = SpeedQualityPanel();
    PaintSpeedQualityPanel();
}

void Form1::PaintSpeedQualityPanel() {
    const QScopedValueRollback<bool> painting(m_paintingFromModel, true);
    SetText("Labgs", m_panel.Labgs());
    SetText("Labcgs", m_panel.Labcgs());
    SetText("Labcgm", m_panel.Labcgm());
    static const std::pair<TuningMode, const char*> kOptions[] = {
        {TuningMode::HighSpeed, "Optgs"}, {TuningMode::Standard, "Optcgs"}, {TuningMode::Fine, "Optcgm"}};
    for (const auto& [mode, name] : kOptions) {
        if (mode == m_panel.SelectedMode()) Control<QRadioButton>(name)->setChecked(true);
    }
    // Rewriting an unchanged text would move the cursor while the user types.
    if (Text("cmbsz") != m_panel.ComboText()) SetText("cmbsz", m_panel.ComboText());
}

void Form1::PaintConsole() {
    const QScopedValueRollback<bool> painting(m_paintingFromModel, true);
    auto* text2 = Control<QPlainTextEdit>("Text2");
    if (text2->toPlainText().toStdString() != m_console.Text2()) {
        text2->setPlainText(ToQString(m_console.Text2()));
        text2->moveCursor(QTextCursor::End);
    }
    Control<QCheckBox>("Check1")->setChecked(m_console.Check1());
    Control<QPushButton>("Command9")->setEnabled(m_console.Command9Enabled());
}

void Form1::PaintRunButtons() {
    for (const char* name : RunButtonNames()) {
        const bool enabled = std::string_view(name) == "Command9" ? m_console.Command9Enabled()
                                                                  : m_watch.IsButtonEnabled(name);
        Control<QPushButton>(name)->setEnabled(enabled);
    }
}

void Form1::Optgs_Click() {
    if (m_paintingFromModel) return;
    m_panel.SelectMode(TuningMode::HighSpeed);
    PaintSpeedQualityPanel();
}

void Form1::Optcgs_Click() {
    if (m_paintingFromModel) return;
    m_panel.SelectMode(TuningMode::Standard);
    PaintSpeedQualityPanel();
}

void Form1::Optcgm_Click() {
    if (m_paintingFromModel) return;
    m_panel.SelectMode(TuningMode::Fine);
    PaintSpeedQualityPanel();
}

void Form1::cmbsz_Change() {
    if (m_paintingFromModel) return;
    m_panel.SetComboText(Text("cmbsz"));
    PaintSpeedQualityPanel();
}

void Form1::cmbsz_Click() {
    if (m_paintingFromModel) return;
    auto* cmbsz = Control<QComboBox>("cmbsz");
    const int picked = cmbsz->currentIndex();
    m_panel.PickComboEntry(picked < 0 ? Text("cmbsz") : cmbsz->itemText(picked).toStdString());
    PaintSpeedQualityPanel();
}

void Form1::Command3_Click() {
    TuningSession session{m_channel, m_pause, m_dialogs, m_watch};
    SingleModeRun(session, CaptionsOf(m_panel), Text("Text1"));
}

void Form1::Command8_Click() {
    TuningSession session{m_channel, m_pause, m_dialogs, m_watch};
    AllModesRun(session, CaptionsOf(m_panel), Text("Text1"));
}

void Form1::Command15_Click() {
    m_watch.Command15_Click();
}

void Form1::Command7_Click() {
    RestoreFactoryParameters(m_channel, m_pause);
}

void Form1::Text2_Change() {
    if (m_paintingFromModel) return;
    m_console.SetText(Text("Text2"));
    PaintConsole();
}

void Form1::Check1_Click() {
    if (m_paintingFromModel) return;
    m_console.SetCheck1(Control<QCheckBox>("Check1")->isChecked());
    PaintConsole();
}

void Form1::Command9_Click() {
    m_console.Command9_Click();
    PaintConsole();
}

void Form1::Command6_Click() {
    m_console.Command6_Click();
    PaintConsole();
}

void Form1::Command4_Click() {
    m_console.Command4_Click();
}

void Form1::Command1_Click() {
    PrintSelfTest(m_channel);
}

void Form1::Command17_Click() {
    PrintSelfTest(m_channel);
}

void Form1::Command5_Click() {
    FeedLine(m_channel);
}

void Form1::Command10_Click() {
    FeedForward(m_channel);
}

void Form1::Command11_Click() {
    FeedBack(m_channel);
}

void Form1::Command12_Click() {
    FeedPage(m_channel);
}

void Form1::Command13_Click() {
    PrintPinTest(m_channel);
}

}  // namespace qvset::app
