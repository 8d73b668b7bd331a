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
#include <QSignalBlocker>
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
#include "printer/AnsiText.h"
#include "printer/PrinterSelection.h"
// tuning, console and job watch
#include <QScopedValueRollback>
#include <QTextCursor>

#include "console/TestPrints.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningRuns.h"

namespace qvset::app {

namespace {

constexpr const char* kCaption = "设置";
constexpr int kTimer1Interval = 1000;
// The clock's date-and-time form, as the Simplified Chinese system writes it.
constexpr const char* kClockFormat = "yyyy/M/d H:mm:ss";
constexpr const char* kNoTicketDescription = "无";
constexpr const char* kMsgExitUnsaved = "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出";
constexpr const char* kTitleExit = "退出";

// SampleText: GB2312 row 16 (0xB0A1 to 0xB0FE, all 94) and the first 31 of row 17 (0xB1A1 to 0xB1BF).
std::string BuildSampleText() {
    std::string ansi;
    for (int lead : {0xB0, 0xB1}) {
        const int last = lead == 0xB0 ? 0xFE : 0xBF;
        for (int trail = 0xA1; trail <= last; ++trail) {
            ansi.push_back(static_cast<char>(lead));
            ansi.push_back(static_cast<char>(trail));
        }
    }
    return FromAnsi(ansi);
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* CreateControl(const ControlSpec& spec, QWidget* container) {
    const QString caption = QString::fromUtf8(spec.caption);
    switch (spec.kind) {
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
        for (const auto& spec : Form1Layout()) {
            if (CreationPass(spec.kind) != pass) continue;
            QWidget* container = spec.container == nullptr ? this : FindControl(spec.container);
            QWidget* control = CreateControl(spec, container);
            control->setObjectName(spec.name);
            control->setGeometry(TwipsRect(spec.left, spec.top, spec.width, spec.height, dpiX, dpiY));
            m_controls.emplace(spec.name, control);
            if (spec.kind == ControlKind::Option) {
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

    // Combo1: selecting an entry, by the user or by the program, applies it.
    connect(Control<QComboBox>("Combo1"), &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    // cmbsz: every change of its text (typing or set by the program), and every pick from its list.
    connect(Control<QComboBox>("cmbsz"), &QComboBox::editTextChanged, this, &Form1::cmbsz_Change);
    connect(Control<QComboBox>("cmbsz"), &QComboBox::activated, this, &Form1::cmbsz_Click);
    connect(Control<QPlainTextEdit>("Text2"), &QPlainTextEdit::textChanged, this, &Form1::Text2_Change);
    ConnectWatchAndConsole();
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

// ---- Start-up and shutdown ----

void Form1::Form_Load() {
    m_sampleText = BuildSampleText();
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
    qvset::PickMakerPrinter(m_printerEntries,
                            [combo](std::size_t index) { combo->setCurrentIndex(static_cast<int>(index)); });
}

void Form1::Combo1_Click() {
    const int index = Control<QComboBox>("Combo1")->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_printerEntries.size()) return;
    m_spooler.ApplyPrinterChoice(m_printerEntries[static_cast<std::size_t>(index)]);
}

void Form1::ResetSelection() {
    SetText("Label12", kNoTicketDescription);
    for (int number = 23; number <= 48; ++number) {
        if (number == 26 || number == 27) continue;
        SetLit("Command" + std::to_string(number), false);
    }
    SetLit("Command26", false);
    // The settings core's ResetSelection() (ItemState to 0, SavedItemState to "0") is called here.
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
        const MessageAnswer answer = m_dialogs.ShowMessage(
            {kMsgExitUnsaved, kTitleExit, MessageButtons::YesNo, MessageIcon::Question});
        if (answer == MessageAnswer::Yes) return;
    }
    EndProgram();
}

void Form1::Command18_Click() {
    // The settings core's HasUnsavedChanges() is passed here; until then nothing counts as changed.
    ExitAfterCheck(false);
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

void Form1::EnablePartnerWhenTicked(const char* checkBox, const char* partner, bool disableWhenUnticked) {
    const bool ticked = Control<QCheckBox>(checkBox)->isChecked();
    if (ticked || disableWhenUnticked) FindControl(partner)->setEnabled(ticked);
}

void Form1::PrinterBlack_Click() {
    EnablePartnerWhenTicked("PrinterBlack", "ComBlack", false);
}
void Form1::PrinterPaper_Click() {
    EnablePartnerWhenTicked("PrinterPaper", "ComPaper", false);
}
void Form1::PrinterStart_Click() {
    EnablePartnerWhenTicked("PrinterStart", "ComStart", false);
}
void Form1::PrinterEnd_Click() {
    EnablePartnerWhenTicked("PrinterEnd", "ComEnd", false);
}
void Form1::PrinterWay_Click() {
    EnablePartnerWhenTicked("PrinterWay", "ComWay", false);
}
void Form1::PrinterStyle_Click() {
    EnablePartnerWhenTicked("PrinterStyle", "ComStyle", false);
}
void Form1::PrinterDoor_Click() {
    EnablePartnerWhenTicked("PrinterDoor", "ComDoor", false);
}
void Form1::PrinterBaudrate_Click() {
    EnablePartnerWhenTicked("PrinterBaudrate", "ComBaudrate", true);
}
void Form1::PrinterLong_Click() {
    EnablePartnerWhenTicked("PrinterLong", "Text3", false);
}
void Form1::PrinterStartPosition_Click() {
    EnablePartnerWhenTicked("PrinterStartPosition", "Text4", false);
}
void Form1::PrinterBlackPosition_Click() {
    EnablePartnerWhenTicked("PrinterBlackPosition", "Text5", false);
}

// ---- Handlers whose bodies come with the settings and ticket core ----

void Form1::Command28_Click() {}  // settings core: pair button, item 1 code 99 (black mark on)
void Form1::Command29_Click() {}  // settings core: pair button, item 1 code 88 (black mark off)
void Form1::Command30_Click() {}  // settings core: threshold recalibration, item 10 code 99
void Form1::Command31_Click() {}  // settings core: pair button, item 2 code 99 (76 mm)
void Form1::Command32_Click() {}  // settings core: pair button, item 2 code 88 (58 mm)
void Form1::Command33_Click() {}  // settings core: pair button, item 3 code 99 (standard head)
void Form1::Command34_Click() {}  // settings core: pair button, item 3 code 88 (low-noise head)
void Form1::Command35_Click() {}  // settings core: pair button, item 4 code 99 (high tear-off edge)
void Form1::Command36_Click() {}  // settings core: pair button, item 4 code 88 (low tear-off edge)
void Form1::Command37_Click() {}  // settings core: pair button, item 5 code 99
void Form1::Command38_Click() {}  // settings core: pair button, item 5 code 88
void Form1::Command39_Click() {}  // settings core: pair button, item 6 code 99
void Form1::Command40_Click() {}  // settings core: pair button, item 6 code 88
void Form1::Command41_Click() {}  // settings core: baud button, item 11 code 1, then the baud message
void Form1::Command42_Click() {}  // settings core: baud button, item 11 code 2
void Form1::Command43_Click() {}  // settings core: baud button, item 11 code 3
void Form1::Command44_Click() {}  // settings core: baud button, item 11 code 4
void Form1::Command45_Click() {}  // settings core: baud button, item 11 code 5
void Form1::Command46_Click() {}  // settings core: baud button, item 11 code 6
void Form1::Command47_Click() {}  // settings core: baud button, item 11 code 7
void Form1::Command48_Click() {}  // settings core: baud button, item 11 code 8
void Form1::Command49_Click() {}  // settings core: HasUnsavedChanges, the exit question, ResetSelection
void Form1::Command16_Click() {}  // ticket core: CheckTicketFormat, normalise, BuildTicketFormatCommand
void Form1::Command23_Click() {}  // ticket core: BuildGeometryCommand(04, Text3), lit, item 7
void Form1::Command24_Click() {}  // ticket core: BuildGeometryCommand(05, Text4), lit, item 8
void Form1::Command25_Click() {}  // ticket core: BuildGeometryCommand(06, Text5), lit, item 9
void Form1::Command19_Click() {}  // settings core: BuildBatchCommand with its two messages
void Form1::Command20_Click() {}  // ticket core: BuildTicketDescription, SaveTicketFile
void Form1::Command21_Click() {}  // ticket core: ResetSelection, OpenTicketFile, ShowItemStates

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
