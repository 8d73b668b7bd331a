#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "printer/Dialogs.h"
#include "printer/Pause.h"
#include "printer/PrintChannel.h"
#include "printer/Spooler.h"
// settings and ticket description
#include "settings/CheckBoxPanel.h"
#include "settings/TicketSelection.h"

// tuning, console and job watch
#include "console/HexConsole.h"
#include "printer/JobWatch.h"
#include "tuning/SpeedQualityPanel.h"

class QPushButton;
class QTimer;

namespace qvset::app {

class Clock;
class Form2;

// The main window "设置". Every control of the layout (Form1Layout) exists from construction on, with
// its name as object name, at its twips position; those laid out below the client area exist and are
// wired but are never shown. The start-up sequence (Form_Load) runs in the constructor, before the
// window is first shown.
//
// Handlers are private slots named after their control and event (Command22_Click, Timer1_Timer);
// each control's signal is connected to its handler once, in ConnectHandlers.
class Form1 final : public QWidget {
    Q_OBJECT

  public:
    Form1(Spooler& spooler, Dialogs& dialogs, Pause& pause, Clock& clock, std::filesystem::path programFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The control `name` as a T (QPushButton, QLabel, QLineEdit, QComboBox, QCheckBox, QRadioButton,
    // QPlainTextEdit, QGroupBox). Throws std::logic_error for a name not in the layout or another type.
    template <class T>
    T* Control(std::string_view name) const {
        T* control = qobject_cast<T*>(FindControl(name));
        if (control == nullptr) throw std::logic_error("control of another kind: " + std::string(name));
        return control;
    }

    // The text of a control as UTF-8: a label's or button's caption, a text box's or combo box's text.
    std::string Text(std::string_view name) const;
    void SetText(std::string_view name, std::string_view text);

    // Lights or unlights the settings button `name` (see LitButton.h).
    void SetLit(std::string_view name, bool lit);
    bool IsLit(std::string_view name) const;

    // The tuning panel's progress text: sets Label8's caption and repaints it at once.
    void ShowProgress(std::string_view text);

    // The thirteen buttons that send to the printer, disabled and enabled together while a tuning run
    // is watched, in their fixed order.
    static const std::vector<const char*>& RunButtonNames();
    void LockRunButtons();
    void UnlockRunButtons();

    // The 125 GB2312 characters 0xB0A1 to 0xB1BF ("啊" to "笨"), UTF-8, set at start-up.
    const std::string& SampleText() const { return m_sampleText; }

    PrintChannel& Channel() { return m_channel; }
    QTimer* Timer1() const { return m_timer1; }
    // The help window, or nullptr before the first "帮助".
    Form2* HelpWindow() const;

    // How the program ends at once (closing the window, Command2, Command18 without changes). The
    // default stops the process immediately; tests replace it.
    void SetEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

    // Command18's rule: without changes end at once; with changes ask the exit question, and end only
    // when the answer is No.
    void ExitAfterCheck(bool hasUnsavedChanges);

    // settings and ticket description: the models the window paints (read-only for callers).
    const TicketSelection& Selection() const { return m_selection; }
    const CheckBoxPanel& CheckBoxes() const { return m_checkBoxPanel; }
    // The one file dialog (CommonDialog1) shared by "保存票样" and "打开票样".
    const FileDialogState& FileDialog() const { return m_fileDialog; }

  protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload

  private slots:
    // Start-up, printer list, shell.
    void Combo1_Click();
    void Command2_Click();
    void Command14_Click();
    void Command18_Click();
    void Command22_Click();
    void Timer1_Timer();

    // Check-box panel: ticking enables the partner control.
    void PrinterBlack_Click();
    void PrinterPaper_Click();
    void PrinterStart_Click();
    void PrinterEnd_Click();
    void PrinterWay_Click();
    void PrinterStyle_Click();
    void PrinterDoor_Click();
    void PrinterBaudrate_Click();
    void PrinterLong_Click();
    void PrinterStartPosition_Click();
    void PrinterBlackPosition_Click();

    // Settings panel, geometry, batch and ticket files: each a call of the settings and ticket core.
    void Command28_Click();
    void Command29_Click();
    void Command30_Click();
    void Command31_Click();
    void Command32_Click();
    void Command33_Click();
    void Command34_Click();
    void Command35_Click();
    void Command36_Click();
    void Command37_Click();
    void Command38_Click();
    void Command39_Click();
    void Command40_Click();
    void Command41_Click();
    void Command42_Click();
    void Command43_Click();
    void Command44_Click();
    void Command45_Click();
    void Command46_Click();
    void Command47_Click();
    void Command48_Click();
    void Command49_Click();
    void Command16_Click();
    void Command23_Click();
    void Command24_Click();
    void Command25_Click();
    void Command19_Click();
    void Command20_Click();
    void Command21_Click();

    // Tuning panel, runs, console and test prints: each a call of the tuning and console core.
    void Optgs_Click();
    void Optcgs_Click();
    void Optcgm_Click();
    void cmbsz_Change();
    void cmbsz_Click();
    void Command3_Click();
    void Command8_Click();
    void Command15_Click();
    void Command7_Click();
    void Command9_Click();
    void Command6_Click();
    void Command4_Click();
    void Text2_Change();
    void Check1_Click();
    void Command1_Click();
    void Command17_Click();
    void Command5_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();

  private:
    QWidget* FindControl(std::string_view name) const;
    void BuildControls();
    void ConnectHandlers();

    void Form_Load();
    void FillPrinterList();
    void PickMakerPrinter();
    void ResetSelection();
    void WatchTick();
    void EndProgram();

    // tuning, console and job watch: the window forwards each event to one model call, then paints the
    // controls from the model. While it paints, the signals its own writes raise are not handled again.
    void ConnectWatchAndConsole();
    void FillModeValueList();
    void StartSpeedQualityPanel();
    void PaintSpeedQualityPanel();
    void PaintConsole();
    void PaintRunButtons();

    Spooler& m_spooler;
    Dialogs& m_dialogs;
    Pause& m_pause;
    Clock& m_clock;
    PrintChannel m_channel;
    std::map<std::string, QWidget*, std::less<>> m_controls;
    std::vector<std::string> m_printerEntries;
    std::string m_sampleText;
    QTimer* m_timer1 = nullptr;
    QPointer<Form2> m_form2;
    std::function<void()> m_endProgram;

    // settings and ticket description: every click is one call of the core on these models, after
    // which the window repaints from them.
    void ClickSettings(std::string_view button);
    void ClickGeometry(std::string_view button);
    void ClickCheckBox(std::string_view checkBox);
    void PaintSelection();
    void PaintCheckBoxPanel();
    void TakeGeometryText(int item, const QString& text);
    TicketSelection m_selection;
    CheckBoxPanel m_checkBoxPanel;
    FileDialogState m_fileDialog;  // CommonDialog1

    // tuning, console and job watch
    SpeedQualityPanel m_panel;
    JobWatch m_watch{m_spooler, m_dialogs};
    HexConsole m_console{m_channel, m_pause, m_dialogs};
    bool m_paintingFromModel = false;
};

}  // namespace qvset::app
