#include "forms/Form1.h"

#include "console/TestPrints.h"
#include "forms/PanelButtons.h"
#include "forms/RunButtons.h"
#include "forms/SelectionHandlers.h"
#include "printer/PrinterSelection.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"
#include "tuning/TuningRuns.h"

namespace qvset::forms {

namespace {

constexpr std::string_view kTimer1 = "Timer1";

constexpr std::pair<TuningMode, std::string_view> kModeOptions[] = {
    {TuningMode::HighSpeed, "Optgs"}, {TuningMode::Standard, "Optcgs"}, {TuningMode::Fine, "Optcgm"}};

}  // namespace

Form1::Form1(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
             std::vector<std::filesystem::path> printFileFolders)
    : FormLogic(Form1Layout()),
      m_spooler(spooler),
      m_clock(clock),
      m_dialogs(dialogs, [this] { BeforeDialog(); }),
      m_pause(
          pause, [this] { BeforePause(); }, [this] { AfterPause(); }),
      m_channel(spooler, m_dialogs, std::move(printFileFolders)),
      m_text1(kInitialExtraPause),
      m_watch(spooler, m_dialogs),
      m_console(m_channel, m_pause, m_dialogs) {
    // Label8 is repainted at once whenever the watch gives it a caption.
    m_watch.OnCaption([this](const std::string&) {
        if (Attached()) PaintNow();
    });
    // The lock disables Command9 with the other run buttons; the unlock enables it whatever Check1.
    m_watch.OnRunButtons([this](bool enabled) { m_console.SetCommand9Enabled(enabled); });
}

// Which handler takes which event of which control: written once, for every face.
const std::vector<Form1::Route>& Form1::Routes() {
    static const std::vector<Route> kRoutes = [] {
        using enum EventKind;
        std::vector<Route> routes = {
            {Close, "Form1", &Form1::Form_Unload},         {Tick, kTimer1, &Form1::Timer1_Timer},
            {Pick, "Combo1", &Form1::Combo1_Click},        {Click, "Command2", &Form1::Command2_Click},
            {Click, "Command14", &Form1::Command14_Click}, {Click, "Command18", &Form1::Command18_Click},
            {Click, "Command22", &Form1::Command22_Click}, {Change, "Text1", &Form1::Text1_Change},
            {OptionOn, "Option1", &Form1::Option1_Click},  {OptionOn, "Option2", &Form1::Option2_Click},
            {Click, "Command49", &Form1::Command49_Click}, {Click, "Command16", &Form1::Command16_Click},
            {Click, "Command19", &Form1::Command19_Click}, {Click, "Command20", &Form1::Command20_Click},
            {Click, "Command21", &Form1::Command21_Click}, {OptionOn, "Optgs", &Form1::Optgs_Click},
            {OptionOn, "Optcgs", &Form1::Optcgs_Click},    {OptionOn, "Optcgm", &Form1::Optcgm_Click},
            {Change, "cmbsz", &Form1::cmbsz_Change},       {Pick, "cmbsz", &Form1::cmbsz_Click},
            {Click, "Command3", &Form1::Command3_Click},   {Click, "Command8", &Form1::Command8_Click},
            {Click, "Command15", &Form1::Command15_Click}, {Click, "Command7", &Form1::Command7_Click},
            {Change, "Text2", &Form1::Text2_Change},       {Click, "Check1", &Form1::Check1_Click},
            {Click, "Command9", &Form1::Command9_Click},   {Click, "Command6", &Form1::Command6_Click},
            {Click, "Command4", &Form1::Command4_Click},   {Click, "Command1", &Form1::Command1_Click},
            {Click, "Command17", &Form1::Command17_Click}, {Click, "Command5", &Form1::Command5_Click},
            {Click, "Command10", &Form1::Command10_Click}, {Click, "Command11", &Form1::Command11_Click},
            {Click, "Command12", &Form1::Command12_Click}, {Click, "Command13", &Form1::Command13_Click},
        };
        // The buttons that record a choice: the settings buttons and the geometry buttons.
        for (const PanelButton& button : PanelButtons()) {
            routes.push_back(
                {Click, button.name,
                 button.textBox.empty() ? &Form1::SettingsButton_Click : &Form1::GeometryButton_Click});
            if (!button.textBox.empty())
                routes.push_back({Change, button.textBox, &Form1::GeometryText_Change});
        }
        for (const CheckBoxRow& row : CheckBoxPanel::Rows())
            routes.push_back({Click, row.name, &Form1::CheckBox_Click});
        return routes;
    }();
    return kRoutes;
}

void Form1::Dispatch(const FormEvent& event) {
    for (const Route& route : Routes()) {
        if (route.kind == event.kind && route.control == event.control) {
            (this->*route.handler)(event);
            return;
        }
    }
}

// A tick while a handler still runs: the clock goes on, the watch waits for the handler to return.
void Form1::DispatchNested(const FormEvent& event) {
    if (event.kind != EventKind::Tick || event.control != kTimer1) return;
    m_labtime = m_clock.Now();
    m_blocked = true;
}

void Form1::BeforeDialog() {
    if (Attached()) PaintNow();
}

// The busy cursor shows for each pause, and only then: a message box between two pauses of a handler
// opens under the normal cursor.
void Form1::BeforePause() {
    if (!Attached()) return;
    m_blocked = true;
    Paint();
    TheView().SetWaitCursor(true);
    TheView().RepaintNow();
}

void Form1::AfterPause() {
    if (Attached()) TheView().SetWaitCursor(false);
}

void Form1::HandlerReturned() {
    if (m_blocked) {
        // The next tick the watch counts is a full interval after the handler returned.
        TheView().StartTimer(kTimer1, kTimer1IntervalMs);
        m_blocked = false;
    }
}

// ---- Start-up, printer list and shell ----

void Form1::Load() {
    m_sampleText = qvset::SampleText();
    TheView().StartTimer(kTimer1, kTimer1IntervalMs);
    m_modeValueEntries = ModeValueEntries();
    m_selection.SetBlackMarkStyle(2);
    // The panel's start-up: the captions 16, 18, 20, high speed on (raising its click) and "16" in the
    // combo box (raising its change).
    m_panel = SpeedQualityPanel();
    m_console.SetCommand9Enabled(false);
    FillPrinterList();
    PickMakerPrinter();  // raises Combo1_Click for every entry it selects
    m_selection.ResetSelection();
}

void Form1::FillPrinterList() {
    // Filling selects nothing: the list starts with an empty text.
    m_printerEntries = qvset::FillPrinterList(m_spooler);
    m_printerIndex = -1;
}

void Form1::PickMakerPrinter() {
    qvset::PickMakerPrinter(m_printerEntries, [this](std::size_t index) {
        m_printerIndex = static_cast<int>(index);
        ApplyPrinterChoice();
    });
}

bool Form1::ApplyPrinterChoice() {
    if (m_printerIndex < 0 || static_cast<std::size_t>(m_printerIndex) >= m_printerEntries.size())
        return false;
    return m_spooler.ApplyPrinterChoice(m_printerEntries[static_cast<std::size_t>(m_printerIndex)]);
}

// A pick that could not become the default says why when the spooler knows (a device is the current
// printer of this run only); the start-up search says nothing.
void Form1::Combo1_Click(const FormEvent& event) {
    m_printerIndex = event.index;
    if (ApplyPrinterChoice()) return;
    if (const std::string note = m_spooler.LastProblem(); !note.empty()) m_dialogs.Message(note);
}

// Closing the window and the hidden Command2 end the program at once, without a question.
void Form1::Form_Unload(const FormEvent&) {
    TheView().EndProgram();
}

void Form1::Command2_Click(const FormEvent&) {
    TheView().EndProgram();
}

// "退出": ends at once without changes; with changes asks, and ends only on an explicit No.
void Form1::Command18_Click(const FormEvent&) {
    if (MayDiscardSelection(m_selection, m_dialogs)) TheView().EndProgram();
}

void Form1::Command22_Click(const FormEvent&) {
    TheView().ShowForm("Form2");
}

void Form1::Command14_Click(const FormEvent&) {
    m_channel.SendPrintFile();
}

void Form1::Timer1_Timer(const FormEvent&) {
    m_labtime = m_clock.Now();
    m_watch.Tick();
}

void Form1::Text1_Change(const FormEvent& event) {
    m_text1 = event.text;
}

// ---- Settings panel, geometry, batch and ticket description files ----

void Form1::SettingsButton_Click(const FormEvent& event) {
    ClickSettingsButton(m_selection, m_channel, event.control);
}

void Form1::GeometryButton_Click(const FormEvent& event) {
    ClickGeometryButton(m_selection, m_channel, event.control);
}

void Form1::GeometryText_Change(const FormEvent& event) {
    for (const PanelButton& button : PanelButtons()) {
        if (button.textBox == event.control) m_selection.SetGeometryText(button.item, event.text);
    }
}

// The box has already changed its tick when its click arrives; the panel takes the same click.
void Form1::CheckBox_Click(const FormEvent& event) {
    if (m_checkBoxes.IsTicked(event.control) != event.checked) m_checkBoxes.Click(event.control);
}

void Form1::Option1_Click(const FormEvent&) {
    m_selection.SetBlackMarkStyle(1);
}

void Form1::Option2_Click(const FormEvent&) {
    m_selection.SetBlackMarkStyle(2);
}

void Form1::Command49_Click(const FormEvent&) {
    forms::Command49_Click(m_selection, m_dialogs);
}

void Form1::Command16_Click(const FormEvent&) {
    forms::Command16_Click(m_selection, m_channel);
}

void Form1::Command19_Click(const FormEvent&) {
    forms::Command19_Click(m_selection, m_channel);
}

void Form1::Command20_Click(const FormEvent&) {
    forms::Command20_Click(m_selection, m_dialogs, m_fileDialog);
}

void Form1::Command21_Click(const FormEvent&) {
    forms::Command21_Click(m_selection, m_dialogs, m_fileDialog, m_text1);
}

// ---- Speed and quality panel, tuning runs, job watch, console and test prints ----

void Form1::Optgs_Click(const FormEvent&) {
    m_panel.SelectMode(TuningMode::HighSpeed);
}

void Form1::Optcgs_Click(const FormEvent&) {
    m_panel.SelectMode(TuningMode::Standard);
}

void Form1::Optcgm_Click(const FormEvent&) {
    m_panel.SelectMode(TuningMode::Fine);
}

void Form1::cmbsz_Change(const FormEvent& event) {
    m_panel.SetComboText(event.text);
}

void Form1::cmbsz_Click(const FormEvent& event) {
    const bool inList = event.index >= 0 && static_cast<std::size_t>(event.index) < m_modeValueEntries.size();
    m_panel.PickComboEntry(inList ? m_modeValueEntries[static_cast<std::size_t>(event.index)]
                                  : m_panel.ComboText());
}

void Form1::Command3_Click(const FormEvent&) {
    TuningSession session{m_channel, m_pause, m_dialogs, m_watch};
    SingleModeRun(session, {m_panel.Labgs(), m_panel.Labcgs(), m_panel.Labcgm()}, m_text1);
}

void Form1::Command8_Click(const FormEvent&) {
    TuningSession session{m_channel, m_pause, m_dialogs, m_watch};
    AllModesRun(session, {m_panel.Labgs(), m_panel.Labcgs(), m_panel.Labcgm()}, m_text1);
}

void Form1::Command15_Click(const FormEvent&) {
    m_watch.Rest();
}

void Form1::Command7_Click(const FormEvent&) {
    RestoreFactoryParameters(m_channel, m_pause);
}

void Form1::Text2_Change(const FormEvent& event) {
    m_console.SetText(event.text);
}

void Form1::Check1_Click(const FormEvent& event) {
    m_console.SetCheck1(event.checked);
}

void Form1::Command9_Click(const FormEvent&) {
    m_console.Command9_Click();
}

void Form1::Command6_Click(const FormEvent&) {
    m_console.Command6_Click();
}

void Form1::Command4_Click(const FormEvent&) {
    m_console.Command4_Click();
}

void Form1::Command1_Click(const FormEvent&) {
    PrintSelfTest(m_channel);
}

void Form1::Command17_Click(const FormEvent&) {
    PrintSelfTest(m_channel);
}

void Form1::Command5_Click(const FormEvent&) {
    FeedLine(m_channel);
}

void Form1::Command10_Click(const FormEvent&) {
    FeedForward(m_channel);
}

void Form1::Command11_Click(const FormEvent&) {
    FeedBack(m_channel);
}

void Form1::Command12_Click(const FormEvent&) {
    FeedPage(m_channel);
}

void Form1::Command13_Click(const FormEvent&) {
    PrintPinTest(m_channel);
}

// ---- Painting: every control shows its model ----

void Form1::Paint() {
    ShownControls& controls = Controls();
    controls.ShowText("Labtime", m_labtime);
    controls.ShowText("Text1", m_text1);
    controls.ShowEntries("Combo1", m_printerEntries);
    controls.ShowSelected("Combo1", m_printerIndex);
    PaintSelection();
    PaintCheckBoxes();
    PaintSpeedQuality();
    PaintConsoleAndRun();
}

// Every button that records a choice (and Command26, which ResetSelection unlights), Label12, the
// geometry texts and the black-mark style.
void Form1::PaintSelection() {
    ShownControls& controls = Controls();
    for (const PanelButton& button : PanelButtons())
        controls.ShowLit(button.name, m_selection.IsLit(button.name));
    controls.ShowLit("Command26", m_selection.IsLit("Command26"));
    controls.ShowText("Label12", m_selection.Label12());
    for (const PanelButton& button : PanelButtons()) {
        if (!button.textBox.empty()) controls.ShowText(button.textBox, m_selection.GeometryText(button.item));
    }
    controls.ShowChecked("Option1", m_selection.BlackMarkStyle() == 1);
    controls.ShowChecked("Option2", m_selection.BlackMarkStyle() == 2);
}

void Form1::PaintCheckBoxes() {
    ShownControls& controls = Controls();
    for (const CheckBoxRow& row : CheckBoxPanel::Rows()) {
        controls.ShowChecked(row.name, m_checkBoxes.IsTicked(row.name));
        controls.ShowEnabled(row.partner, m_checkBoxes.IsPartnerEnabled(row.name));
    }
}

void Form1::PaintSpeedQuality() {
    ShownControls& controls = Controls();
    controls.ShowText("Labgs", m_panel.Labgs());
    controls.ShowText("Labcgs", m_panel.Labcgs());
    controls.ShowText("Labcgm", m_panel.Labcgm());
    for (const auto& [mode, option] : kModeOptions)
        controls.ShowChecked(option, m_panel.SelectedMode() == mode);
    controls.ShowEntries("cmbsz", m_modeValueEntries);
    controls.ShowText("cmbsz", m_panel.ComboText());
}

void Form1::PaintConsoleAndRun() {
    ShownControls& controls = Controls();
    controls.ShowText("Text2", m_console.Text2());
    controls.ShowChecked("Check1", m_console.Check1());
    controls.ShowText("Label8", m_watch.Caption());
    for (std::string_view name : kRunButtonNames) {
        controls.ShowEnabled(name,
                             name == "Command9" ? m_console.Command9Enabled() : m_watch.RunButtonsEnabled());
    }
}

}  // namespace qvset::forms
