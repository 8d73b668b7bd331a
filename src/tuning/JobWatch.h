#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "printer/Spooler.h"
#include "seams/Dialogs.h"

namespace qvset {

// RunKind values: nothing watched, a single-mode run, an all-modes run.
inline constexpr std::int16_t kRunNone = 0;
inline constexpr std::int16_t kRunSingleMode = 88;
inline constexpr std::int16_t kRunAllModes = 99;

// The run's caption: at start-up, once a run is done, once it failed.
inline constexpr std::string_view kWatchCaptionInitial = "完成.....";
inline constexpr std::string_view kWatchCaptionDone = "完成...";
inline constexpr std::string_view kWatchCaptionFailed = "设置失败...";
inline constexpr std::string_view kMsgPrinterOffline = "请检查打印机是否脱机,请重启打印机";

// What one tick found.
enum class WatchOutcome {
    Idle,      // no run is watched
    Watching,  // a run is watched and goes on
    Failed,    // the run failed at its check second: documents were still waiting
    Done,      // the run reached its end second
};

// Follows a tuning run through the current printer's queue, one Tick() a second. A run sets RunKind
// (88 or 99), clears the queue entries at index 1 and locks the run buttons (every button that sends to
// the printer); the watch then animates the run's caption, inspects the queue and, at the check second
// (5 or 10), fails the run when a document is waiting or was seen and not cleared; otherwise the run
// is done at the end second (27 or 68). Either way the buttons are unlocked. Rest() ends a watch at
// once as done.
class JobWatch {
  public:
    static constexpr std::size_t kQueueEntries = 11;
    static constexpr std::size_t kRunQueueIndex = 1;

    JobWatch(Spooler& spooler, Dialogs& dialogs);

    // Called whenever the run's caption is set, so that the window repaints it at once.
    void OnCaption(std::function<void(const std::string&)> listener) {
        m_captionListener = std::move(listener);
    }
    // Called after the run buttons were disabled (false) or enabled (true) together.
    void OnRunButtons(std::function<void(bool enabled)> listener) { m_buttonsListener = std::move(listener); }

    // One second of the watch (the window's timer tick; the window shows the clock itself).
    WatchOutcome Tick();
    // "Rest": ends the watch at once as done, without a message.
    void Rest();

    // Counts the documents waiting on the current printer and updates QueueState/QueueSeen[index]:
    // one document -> state 1; several -> state 99; none -> both cleared when both were 1; documents
    // reported but none listed -> both cleared once seen, else state 99.
    void InspectQueue(std::size_t index);

    // Used by the tuning runs when they start.
    void SetRunKind(std::int16_t kind) { m_runKind = kind; }
    void ClearQueueEntry(std::size_t index);
    void SetCaption(std::string_view caption);
    void LockRunButtons();
    void UnlockRunButtons();

    std::int16_t RunKind() const { return m_runKind; }
    std::int16_t RunTicks() const { return m_runTicks; }
    std::int16_t RunPhase() const { return m_runPhase; }
    const std::array<std::int16_t, kQueueEntries>& QueueState() const { return m_queueState; }
    const std::array<std::int16_t, kQueueEntries>& QueueSeen() const { return m_queueSeen; }
    const std::string& Caption() const { return m_caption; }
    bool RunButtonsEnabled() const { return m_buttonsEnabled; }

  private:
    void EndRun(std::string_view caption);

    Spooler& m_spooler;
    Dialogs& m_dialogs;
    std::function<void(const std::string&)> m_captionListener;
    std::function<void(bool)> m_buttonsListener;
    std::int16_t m_runKind = kRunNone;
    std::int16_t m_runTicks = 0;
    std::int16_t m_runPhase = 0;
    std::array<std::int16_t, kQueueEntries> m_queueState{};
    std::array<std::int16_t, kQueueEntries> m_queueSeen{};
    std::string m_caption{kWatchCaptionInitial};
    bool m_buttonsEnabled = true;
};

}  // namespace qvset
