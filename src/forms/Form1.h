#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "forms/CheckBoxPanel.h"
#include "forms/FormLogic.h"
#include "forms/HexConsole.h"
#include "forms/PaintingDialogs.h"
#include "forms/PaintingPause.h"
#include "forms/SpeedQualityPanel.h"
#include "forms/TicketSelection.h"
#include "printer/PrintChannel.h"
#include "printer/Spooler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"
#include "tuning/JobWatch.h"

namespace qvset::forms {

inline constexpr int kTimer1IntervalMs = 1000;

// The main window "设置" without a toolkit: every handler of its controls, over the core's models (the
// ticket selection, the check-box panel, the speed and quality panel, the hex console, the job watch)
// and the print channel. After each event, and before each message box, file dialog and pause, the
// window shows the models' state, so whatever a handler has done before it blocks is on screen.
//
// Timer1 ticks between handlers drive the clock and the job watch. A tick that arrives while a handler
// is still running (during its pauses or a message box) only updates the clock, and once a handler that
// blocked has returned Timer1 starts its interval afresh: a tuning run's seconds are counted from one
// full second after its handler returned, as the command line counts them.
class Form1 final : public FormLogic {
  public:
    // `printFileFolders`: where "Windows" (Command14) looks for file.prn, the program's folder first.
    Form1(Spooler& spooler, Dialogs& dialogs, Pause& pause, const Clock& clock,
          std::vector<std::filesystem::path> printFileFolders);

    const TicketSelection& Selection() const { return m_selection; }
    const CheckBoxPanel& CheckBoxes() const { return m_checkBoxes; }
    const SpeedQualityPanel& SpeedQuality() const { return m_panel; }
    const HexConsole& Console() const { return m_console; }
    const JobWatch& Watch() const { return m_watch; }
    // The one file dialog (CommonDialog1) shared by "保存票样" and "打开票样".
    const FileDialogState& FileDialog() const { return m_fileDialog; }
    // The window's message boxes and file dialogs: before one opens, the window shows all that the
    // running handler has done.
    Dialogs& WindowDialogs() { return m_dialogs; }
    // The 125 GB2312 characters 0xB0A1 to 0xB1BF ("啊" to "笨"), set at start-up.
    const std::string& SampleText() const { return m_sampleText; }

  private:
    using Handler = void (Form1::*)(const FormEvent&);
    struct Route {
        EventKind kind;
        std::string_view control;
        Handler handler;
    };
    static const std::vector<Route>& Routes();

    void Load() override;
    void Dispatch(const FormEvent& event) override;
    void DispatchNested(const FormEvent& event) override;
    void Paint() override;
    void HandlerReturned() override;
    void BeforeDialog();
    void BeforePause();
    void AfterPause();

    void FillPrinterList();
    void PickMakerPrinter();
    bool ApplyPrinterChoice();

    // Start-up, printer list and shell.
    void Form_Unload(const FormEvent&);
    void Combo1_Click(const FormEvent& event);
    void Command2_Click(const FormEvent&);
    void Command14_Click(const FormEvent&);
    void Command18_Click(const FormEvent&);
    void Command22_Click(const FormEvent&);
    void Timer1_Timer(const FormEvent&);
    void Text1_Change(const FormEvent& event);

    // Settings panel, geometry, batch and ticket description files.
    void SettingsButton_Click(const FormEvent& event);
    void GeometryButton_Click(const FormEvent& event);
    void GeometryText_Change(const FormEvent& event);
    void CheckBox_Click(const FormEvent& event);
    void Option1_Click(const FormEvent&);
    void Option2_Click(const FormEvent&);
    void Command49_Click(const FormEvent&);
    void Command16_Click(const FormEvent&);
    void Command19_Click(const FormEvent&);
    void Command20_Click(const FormEvent&);
    void Command21_Click(const FormEvent&);

    // Speed and quality panel, tuning runs, job watch, console and test prints.
    void Optgs_Click(const FormEvent&);
    void Optcgs_Click(const FormEvent&);
    void Optcgm_Click(const FormEvent&);
    void cmbsz_Change(const FormEvent& event);
    void cmbsz_Click(const FormEvent& event);
    void Command3_Click(const FormEvent&);
    void Command8_Click(const FormEvent&);
    void Command15_Click(const FormEvent&);
    void Command7_Click(const FormEvent&);
    void Text2_Change(const FormEvent& event);
    void Check1_Click(const FormEvent& event);
    void Command9_Click(const FormEvent&);
    void Command6_Click(const FormEvent&);
    void Command4_Click(const FormEvent&);
    void Command1_Click(const FormEvent&);
    void Command17_Click(const FormEvent&);
    void Command5_Click(const FormEvent&);
    void Command10_Click(const FormEvent&);
    void Command11_Click(const FormEvent&);
    void Command12_Click(const FormEvent&);
    void Command13_Click(const FormEvent&);

    void PaintSelection();
    void PaintCheckBoxes();
    void PaintSpeedQuality();
    void PaintConsoleAndRun();

    Spooler& m_spooler;
    const Clock& m_clock;
    PaintingDialogs m_dialogs;
    PaintingPause m_pause;
    PrintChannel m_channel;

    std::string m_sampleText;
    std::string m_labtime;
    std::string m_text1;
    std::vector<std::string> m_printerEntries;
    int m_printerIndex = -1;
    std::vector<std::string> m_modeValueEntries;

    TicketSelection m_selection;
    CheckBoxPanel m_checkBoxes;
    FileDialogState m_fileDialog;  // CommonDialog1
    SpeedQualityPanel m_panel;
    JobWatch m_watch;
    HexConsole m_console;

    bool m_blocked = false;  // the running handler paused, or a tick came while it ran
};

}  // namespace qvset::forms
