#include "tuning/JobWatch.h"

namespace qvset {
namespace {

constexpr std::int16_t kQueueOneWaiting = 1;
constexpr std::int16_t kQueueOther = 99;

constexpr std::string_view kProgressCaptions[] = {"正在设置.", "正在设置..", "正在设置...", "正在设置...."};
constexpr std::int16_t kLastPhase = 5;

struct RunSeconds {
    std::int16_t check;
    std::int16_t end;
};

RunSeconds SecondsOf(std::int16_t kind) {
    return kind == kRunAllModes ? RunSeconds{10, 68} : RunSeconds{5, 27};
}

}  // namespace

JobWatch::JobWatch(Spooler& spooler, Dialogs& dialogs) : m_spooler(spooler), m_dialogs(dialogs) {}

void JobWatch::ClearQueueEntry(std::size_t index) {
    if (index >= kQueueEntries) return;
    m_queueState[index] = 0;
    m_queueSeen[index] = 0;
}

void JobWatch::SetCaption(std::string_view caption) {
    m_caption = std::string(caption);
    if (m_captionListener) m_captionListener(m_caption);
}

void JobWatch::LockRunButtons() {
    m_buttonsEnabled = false;
    if (m_buttonsListener) m_buttonsListener(false);
}

void JobWatch::UnlockRunButtons() {
    m_buttonsEnabled = true;
    if (m_buttonsListener) m_buttonsListener(true);
}

void JobWatch::InspectQueue(std::size_t index) {
    if (index >= kQueueEntries) return;
    const int waiting = m_spooler.WaitingDocuments(m_spooler.CurrentPrinter());
    if (waiting == kReportedButNoneListed) {
        // Documents were reported, none listed: gone once the watch had seen one, else unexplained.
        if (m_queueSeen[index] == 1) {
            m_queueState[index] = 0;
            m_queueSeen[index] = 0;
        } else {
            m_queueState[index] = kQueueOther;
        }
        return;
    }
    if (waiting <= 0) {
        // The tracked document has left the queue.
        if (m_queueState[index] == kQueueOneWaiting && m_queueSeen[index] == 1) {
            m_queueState[index] = 0;
            m_queueSeen[index] = 0;
        }
        return;
    }
    m_queueState[index] = waiting == 1 ? kQueueOneWaiting : kQueueOther;
}

void JobWatch::EndRun(std::string_view caption) {
    m_runPhase = 0;
    m_runTicks = 0;
    m_runKind = kRunNone;
    UnlockRunButtons();
    SetCaption(caption);
}

WatchOutcome JobWatch::Tick() {
    if (m_runKind != kRunSingleMode && m_runKind != kRunAllModes) {
        m_runTicks = 0;
        return WatchOutcome::Idle;
    }
    ++m_runTicks;
    ++m_runPhase;
    if (m_runPhase >= kLastPhase) m_runPhase = 0;
    // Phases 1 to 4 have their own caption; phase 5 wraps to 0 and repeats the longest one.
    const std::size_t step = m_runPhase == 0 ? 3 : static_cast<std::size_t>(m_runPhase - 1);
    SetCaption(kProgressCaptions[step]);

    InspectQueue(kRunQueueIndex);
    const RunSeconds seconds = SecondsOf(m_runKind);
    if (m_queueState[kRunQueueIndex] != 0 || m_queueSeen[kRunQueueIndex] != 0) {
        m_queueSeen[kRunQueueIndex] = 1;
        if (m_runTicks == seconds.check) {
            EndRun(kWatchCaptionFailed);
            m_dialogs.Message(kMsgPrinterOffline);
            return WatchOutcome::Failed;
        }
    }
    if (m_runTicks == seconds.end) {
        EndRun(kWatchCaptionDone);
        return WatchOutcome::Done;
    }
    return WatchOutcome::Watching;
}

void JobWatch::Rest() {
    EndRun(kWatchCaptionDone);
}

}  // namespace qvset
