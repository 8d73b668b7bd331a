// What the window shows while it blocks, and how a tuning run is timed: whatever a handler has done
// before a message box or a pause is on screen while it lasts; the clock goes on during pauses; a
// run's seconds are counted from a full second after its handler returned.
#include <fstream>
#include <functional>
#include <map>

#include "WindowLogicFixture.h"

namespace qvset::forms::testing {
namespace {

// ---- What is on screen while a message box is open ----

// The window as it was when a dialog opened: what each control showed, how many documents had been
// sent and whether the window had been repainted since the handler began.
struct AtDialog {
    std::map<std::string, ControlState, std::less<>> states;
    std::size_t documents = 0;
    bool repainted = false;
};

class OnScreen : public WindowLogic {
  public:
    // Runs `act` and notes the window at every dialog it opens.
    std::vector<AtDialog> Watch(const std::function<void()>& act) {
        std::vector<AtDialog> seen;
        const int repaintsBefore = View().Repaints();
        m_dialogs.OnShow([&] {
            seen.push_back(
                {View().States(), m_spooler.Documents().size(), View().Repaints() > repaintsBefore});
        });
        act();
        m_dialogs.OnShow(nullptr);
        return seen;
    }
};

struct Shown {
    const char* control;
    const char* text;  // nullptr: not checked
    int lit;           // -1: not checked
};

TEST_F(OnScreen, EachMessageBoxOpensOverWhatTheHandlerHasAlreadyDone) {
    struct Case {
        const char* what;
        std::function<void(OnScreen&)> setUp;
        std::function<void(OnScreen&)> act;
        std::size_t documentsAtBox;
        std::vector<Shown> shown;
    };
    const Case kCases[] = {
        {"the baud message after the baud button lit and sent",
         [](OnScreen&) {},
         [](OnScreen& t) { t.Click("Command41"); },
         1,
         {{"Command41", nullptr, 1}}},
        {"an unreachable printer: the settings button is lit before the send",
         [](OnScreen& t) { t.m_spooler.SetCannotOpen("QV640_Virtual"); },
         [](OnScreen& t) { t.Click("Command33"); },
         0,
         {{"Command33", nullptr, 1}}},
        {"an unreachable printer: the geometry text replaced, its button lit only after the send",
         [](OnScreen& t) {
             t.m_spooler.SetCannotOpen("QV640_Virtual");
             t.Type("Text3", "-1");
         },
         [](OnScreen& t) { t.Click("Command23"); },
         0,
         {{"Text3", "152", 0}}},
        {"the batch's baud message with the replaced ticket length, before the batch",
         [](OnScreen& t) {
             t.Click("Command23");
             t.Click("Command42");
             t.Type("Text3", "-5");
             t.m_spooler.ClearDocuments();
         },
         [](OnScreen& t) { t.Click("Command19"); },
         0,
         {{"Text3", "152", -1}, {"Command23", nullptr, 1}, {"Command42", nullptr, 1}}},
        {"a refused file: its name in Label12, the panel cleared, Text1 emptied",
         [](OnScreen& t) {
             t.Click("Command28");
             std::ofstream(t.m_folder / "wrong.txt", std::ios::binary) << "KQ605USET2\r\n";
             t.m_dialogs.QueueFileName((t.m_folder / "wrong.txt").string());
         },
         [](OnScreen& t) { t.Click("Command21"); },
         1,
         {{"Label12", "wrong.txt", -1}, {"Command28", nullptr, 0}, {"Text1", "", -1}}},
        {"the offline message after the buttons unlocked and Label8 says so",
         [](OnScreen& t) {
             t.m_spooler.SetWaitingCount(1);
             t.Click("Command3");
             for (int second = 1; second < 5; ++second) t.Tick();
         },
         [](OnScreen& t) { t.Tick(); },
         37,
         {{"Label8", "设置失败...", -1}}},
        {"a wrong console character is shown until its message is closed",
         [](OnScreen&) {},
         [](OnScreen& t) { t.Change("Text2", "1Bx"); },
         0,
         {{"Text2", "1Bx", -1}}},
    };
    for (const auto& c : kCases) {
        m_spooler.ClearDocuments();
        m_spooler.SetCannotOpen("QV640_Virtual", false);
        m_spooler.SetWaitingCount(0);
        Open();
        c.setUp(*this);
        const std::vector<AtDialog> seen = Watch([&] { c.act(*this); });
        ASSERT_FALSE(seen.empty()) << c.what;
        const AtDialog& box = seen.back();  // the message box, after any file dialog
        EXPECT_TRUE(box.repainted) << c.what;
        EXPECT_EQ(box.documents, c.documentsAtBox) << c.what;
        for (const Shown& expected : c.shown) {
            const ControlState& state = box.states.at(expected.control);
            if (expected.text != nullptr) {
                EXPECT_EQ(state.text, expected.text) << c.what << ": " << expected.control;
            }
            if (expected.lit >= 0) {
                EXPECT_EQ(state.lit, expected.lit == 1) << c.what << ": " << expected.control;
            }
        }
    }
}

TEST_F(OnScreen, TheOpenDialogShowsOverTheClearedPanelAndTheEmptiedPause) {
    Open();
    Click("Command28");
    Click("Command30");
    const std::vector<AtDialog> seen = Watch([&] { Click("Command21"); });  // cancelled: "Please select file"
    ASSERT_EQ(seen.size(), 2u);
    for (const AtDialog& at : seen) {
        EXPECT_FALSE(at.states.at("Command28").lit);
        EXPECT_FALSE(at.states.at("Command30").lit);
        EXPECT_EQ(at.states.at("Label12").text, "无");
        EXPECT_EQ(at.states.at("Text1").text, "");
    }
}

TEST_F(OnScreen, EveryPauseOfARunShowsTheRunsCaptionAndTheBusyCursor) {
    // A pause that notes what the window shows as each wait begins.
    struct Noting final : Pause {
        void Wait(int) override { seen.push_back({view->Text("Label8"), view->WaitCursor()}); }
        RecordingView* view = nullptr;
        std::vector<std::pair<std::string, bool>> seen;
    } pause;
    OpenWith(pause);
    pause.view = &View();
    Click("Command7");  // the factory restore: two pauses
    Click("Command8");
    const std::vector<std::pair<std::string, bool>> expected = {
        {"完成.....", true},  {"完成.....", true},   {"正在设置...", true}, {"正在设置....", true},
        {"正在设置..", true}, {"正在设置...", true}, {"正在设置...", true}};
    EXPECT_EQ(pause.seen, expected);
    EXPECT_FALSE(View().WaitCursor());  // off again after each wait
    std::vector<bool> onAndOff;
    for (std::size_t i = 0; i < expected.size(); ++i) onAndOff.insert(onAndOff.end(), {true, false});
    EXPECT_EQ(View().CursorChanges(), onAndOff);
}

// ---- Timer1 around a blocking handler ----

// Virtual time for Timer1 and the printer: the timer ticks every second from its last start; a pause
// lets time pass and delivers the ticks that come due meanwhile, as the face's pause does; the printer
// takes each document `printMs` after it arrived.
class Timeline {
  public:
    void Start() { m_timerStart = m_now; }
    // Lets `ms` pass, raising every tick that comes due on the way.
    void Advance(long ms) {
        const long end = m_now + ms;
        for (long next = NextTick(); next <= end; next = NextTick()) {
            m_now = next;
            m_lastTick = next;
            if (m_form != nullptr) m_form->OnEvent(FormEvent::Tick("Timer1"));
        }
        m_now = end;
    }
    long Now() const { return m_now; }
    void SetForm(FormLogic* form) { m_form = form; }

  private:
    long NextTick() const {
        long next = m_timerStart + 1000;
        while (next <= m_lastTick || next <= m_timerStart) next += 1000;
        return next;
    }
    long m_now = 0;
    long m_timerStart = 0;
    long m_lastTick = -1;
    FormLogic* m_form = nullptr;
};

class TimelinePause final : public Pause {
  public:
    explicit TimelinePause(Timeline& timeline) : m_timeline(timeline) {}
    void Wait(int milliseconds) override { m_timeline.Advance(milliseconds); }

  private:
    Timeline& m_timeline;
};

// A printer that prints every document `printMs` after it arrived; the queue holds what it has not
// printed yet.
class PrintingSpooler final : public Spooler {
  public:
    PrintingSpooler(MemorySpooler& spooler, const Timeline& timeline, long printMs)
        : m_spooler(spooler), m_timeline(timeline), m_printMs(printMs) {}
    std::vector<PrinterInfo> ListPrinters() override { return m_spooler.ListPrinters(); }
    std::string CurrentPrinter() override { return m_spooler.CurrentPrinter(); }
    bool ApplyPrinterChoice(const std::string& entry) override { return m_spooler.ApplyPrinterChoice(entry); }
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        m_arrivals.push_back(m_timeline.Now());
        return m_spooler.WriteRawDocument(deviceName, documentName, payload);
    }
    int WaitingDocuments(const std::string&) override {
        int waiting = 0;
        for (long arrival : m_arrivals) waiting += arrival + m_printMs > m_timeline.Now() ? 1 : 0;
        return waiting;
    }

  private:
    MemorySpooler& m_spooler;
    const Timeline& m_timeline;
    long m_printMs;
    std::vector<long> m_arrivals;
};

TEST_F(WindowLogic, ARunOnAPrinterThatPrintsAtOnceEndsDoneAtItsEndSecondCountedFromTheReturn) {
    struct Run {
        const char* button;
        int endSecond;
        std::size_t documents;
    };
    for (const Run& run : {Run{"Command3", 27, 37}, Run{"Command8", 68, 2}}) {
        Timeline timeline;
        TimelinePause pause(timeline);
        PrintingSpooler printer(m_spooler, timeline, 800);
        m_spooler.SetPrinters(Printers({"Office_Laser", "QV640_Virtual"}));
        m_spooler.ClearDocuments();
        m_view = std::make_unique<RecordingView>(Form1Layout());
        m_view->OnStartTimer([&](const std::string&, int) { timeline.Start(); });
        m_form = std::make_unique<Form1>(printer, m_dialogs, pause, m_clock,
                                         std::vector<std::filesystem::path>{m_folder});
        m_form->Attach(*m_view);
        timeline.SetForm(m_form.get());
        m_dialogs.Clear();

        timeline.Advance(300);  // the user clicks somewhere in the middle of a second
        Click(run.button);
        ASSERT_EQ(m_spooler.Documents().size(), run.documents) << run.button;
        EXPECT_EQ(m_form->Watch().RunTicks(), 0) << run.button << ": ticks during the pauses are not counted";
        for (int second = 1; second < run.endSecond; ++second) {
            timeline.Advance(1000);
            ASSERT_EQ(View().Text("Label8").rfind("正在设置", 0), 0u) << run.button << " second " << second;
        }
        timeline.Advance(1000);
        EXPECT_EQ(View().Text("Label8"), "完成...") << run.button;
        EXPECT_TRUE(m_dialogs.Messages().empty()) << run.button;
    }
}

TEST_F(WindowLogic, TheClockGoesOnDuringAPauseAndTheTimerRestartsWhenTheHandlerReturns) {
    // A pause during which one tick comes due, at a new time of day.
    struct TickingPause final : Pause {
        void Wait(int) override {
            clock->Set("2024/5/3 14:07:" + std::to_string(10 + ticks));
            ++ticks;
            form->OnEvent(FormEvent::Tick("Timer1"));
            labtimes.push_back(view->Text("Labtime"));
        }
        FixedClock* clock = nullptr;
        FormLogic* form = nullptr;
        RecordingView* view = nullptr;
        int ticks = 0;
        std::vector<std::string> labtimes;
    } pause;
    pause.clock = &m_clock;
    OpenWith(pause);
    pause.form = m_form.get();
    pause.view = &View();
    const std::size_t startsBefore = View().TimerStarts().size();
    Click("Command3");
    EXPECT_EQ(pause.labtimes,
              (std::vector<std::string>{"2024/5/3 14:07:10", "2024/5/3 14:07:11", "2024/5/3 14:07:12",
                                        "2024/5/3 14:07:13", "2024/5/3 14:07:14"}));
    EXPECT_EQ(m_form->Watch().RunTicks(), 0);
    EXPECT_EQ(View().Text("Label8"), "正在设置....");
    ASSERT_EQ(View().TimerStarts().size(), startsBefore + 1);
    EXPECT_EQ(View().TimerStarts().back(), (std::pair<std::string, int>{"Timer1", 1000}));
    // A handler that did not block leaves the timer's rhythm alone.
    Click("Command5");
    EXPECT_EQ(View().TimerStarts().size(), startsBefore + 1);
}

}  // namespace
}  // namespace qvset::forms::testing
