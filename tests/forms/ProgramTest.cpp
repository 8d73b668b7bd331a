// The one program shell: which windows exist, when they are made, and when the program ends. The faces
// here are fakes that forward the logic's window calls to the program as a toolkit's face does.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/Program.h"
#include "printer/MemorySpooler.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"

namespace qvset::forms::testing {
namespace {

// A face without a toolkit: shown or not, and its life written to the program's log.
class FakeFace final : public FormFace, public View {
  public:
    FakeFace(std::string name, FormLogic& logic, FormHost& host, std::vector<std::string>& log)
        : m_name(std::move(name)), m_host(host), m_log(log) {
        m_log.push_back("make " + m_name);
        logic.Attach(*this);
    }
    ~FakeFace() override { m_log.push_back("destroy " + m_name); }

    void Show() override { m_shown = true; }
    void Hide() override { m_shown = false; }
    bool IsShown() const override { return m_shown; }

    void SetText(std::string_view, std::string_view) override {}
    void SetLit(std::string_view, bool) override {}
    void SetEnabled(std::string_view, bool) override {}
    void SetChecked(std::string_view, bool) override {}
    void SetEntries(std::string_view, const std::vector<std::string>&) override {}
    void SetSelectedIndex(std::string_view, int) override {}
    void StartTimer(std::string_view, int) override {}
    void RepaintNow() override {}
    void SetWaitCursor(bool) override {}
    void ShowForm(std::string_view form) override { m_host.ShowForm(form); }
    void HideForm(std::string_view form) override { m_host.HideForm(form); }
    void EndProgram() override { m_host.EndProgram(); }

  private:
    std::string m_name;
    FormHost& m_host;
    std::vector<std::string>& m_log;
    bool m_shown = false;
};

class ProgramShell : public ::testing::Test {
  protected:
    ProgramShell()
        : m_spooler(
              {{"QV640_Virtual", "Generic", "usb://QV640"}, {"Office_Laser", "Generic", "usb://Office"}}) {}

    Program& Start(const std::string& firstForm) {
        m_program = std::make_unique<Program>(
            m_spooler, m_dialogs, m_pause, m_clock, std::vector<std::filesystem::path>{},
            [this](std::string_view form, FormLogic& logic) {
                return std::make_unique<FakeFace>(std::string(form), logic, *m_program, m_log);
            },
            [this] { m_log.push_back("last window gone"); });
        m_program->OnEndProgram([this] { m_log.push_back("end at once"); });
        m_program->ShowForm(firstForm);
        return *m_program;
    }
    // What the user does on a window's face, as the face forwards it.
    void Click(const std::string& form, const std::string& control) {
        m_program->Logic(form).OnEvent(FormEvent::Click(control));
    }
    void CloseBox(const std::string& form) { m_program->Logic(form).OnEvent(FormEvent::Close(form)); }
    bool Shown(const std::string& form) const {
        const FormFace* face = m_program->ExistingFace(form);
        return face != nullptr && face->IsShown();
    }

    MemorySpooler m_spooler;
    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    qvset::testing::FixedClock m_clock;
    std::vector<std::string> m_log;
    std::unique_ptr<Program> m_program;
};

TEST_F(ProgramShell, WindowsAreMadeOnFirstUseOnceAndTheMainWindowsStartUpRunsOnce) {
    Start("Form3");
    EXPECT_EQ(m_program->ExistingFace("Form1"), nullptr);
    EXPECT_EQ(m_program->ExistingFace("Form2"), nullptr);
    Click("Form3", "Command19");  // 进入设置
    Click("Form3", "Command19");
    Click("Form1", "Command22");  // 帮助
    Click("Form1", "Command22");
    EXPECT_EQ(m_log, (std::vector<std::string>{"make Form3", "make Form1", "make Form2"}));
    EXPECT_EQ(m_spooler.AppliedChoices().size(), 1u) << "the main window's start-up ran once";
    EXPECT_TRUE(Shown("Form1"));
    EXPECT_TRUE(Shown("Form2"));
    EXPECT_TRUE(Shown("Form3"));
}

// Each row: the first window, then what the user does (click FORM CONTROL, close FORM), and the
// program's ends that follow, in order.
struct Sequence {
    const char* what;
    std::string first;
    std::vector<std::vector<std::string>> steps;
    std::vector<std::string> ends;
};

TEST_F(ProgramShell, TheProgramEndsWhenItsLastShownWindowClosesOrHides) {
    const Sequence sequences[] = {
        {"the preview alone, closed", "Form3", {{"close", "Form3"}}, {"last window gone"}},
        {"the preview closed while the main window is open",
         "Form3",
         {{"click", "Form3", "Command19"}, {"close", "Form3"}},
         {}},
        {"the help closed while the main window is open",
         "Form1",
         {{"click", "Form1", "Command22"}, {"close", "Form2"}},
         {}},
        {"the help closed twice",
         "Form1",
         {{"click", "Form1", "Command22"}, {"close", "Form2"}, {"close", "Form2"}},
         {}},
        {"the preview closed twice", "Form3", {{"close", "Form3"}, {"close", "Form3"}}, {"last window gone"}},
        {"the main window's close box ends at once", "Form1", {{"close", "Form1"}}, {"end at once"}},
        {"退出 with nothing changed ends at once",
         "Form1",
         {{"click", "Form1", "Command18"}},
         {"end at once"}},
        {"the main window closed from the preview's start",
         "Form3",
         {{"click", "Form3", "Command19"}, {"close", "Form3"}, {"close", "Form1"}},
         {"end at once"}},
    };
    for (const Sequence& sequence : sequences) {
        m_program.reset();
        m_log.clear();
        Start(sequence.first);
        for (const auto& step : sequence.steps) {
            if (step[0] == "click") Click(step[1], step[2]);
            if (step[0] == "close") CloseBox(step[1]);
        }
        std::vector<std::string> ends;
        for (const auto& entry : m_log) {
            if (entry.rfind("make ", 0) != 0) ends.push_back(entry);
        }
        EXPECT_EQ(ends, sequence.ends) << sequence.what;
    }
}

TEST_F(ProgramShell, AHiddenWindowThatWasNeverShownEndsNothing) {
    Start("Form1");
    m_program->Face("Form2");  // made, never shown
    m_program->HideForm("Form1");
    m_log.clear();
    m_program->HideForm("Form2");
    m_program->HideForm("Form3");  // never made
    EXPECT_EQ(m_log, std::vector<std::string>{});
    EXPECT_EQ(m_program->ExistingFace("Form3"), nullptr);
}

TEST_F(ProgramShell, FacesGoLastMadeFirstBeforeAnyLogic) {
    Start("Form3");
    Click("Form3", "Command19");
    Click("Form1", "Command22");
    m_log.clear();
    m_program.reset();
    EXPECT_EQ(m_log, (std::vector<std::string>{"destroy Form2", "destroy Form1", "destroy Form3"}));
}

TEST_F(ProgramShell, OnlyItsThreeWindowsExist) {
    Start("Form1");
    EXPECT_THROW(m_program->Face("Form4"), std::logic_error);
    EXPECT_THROW(m_program->ShowForm("form1"), std::logic_error);
}

}  // namespace
}  // namespace qvset::forms::testing
