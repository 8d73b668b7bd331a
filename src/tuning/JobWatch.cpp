#include "tuning/JobWatch.h"

#include <algorithm>

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

void JobWatch::SetLabel8(std::string_view caption) {
    m_label8 = std::string(caption);
    if (m_label8Listener) m_label8Listener(m_label8);
}

void JobWatch::LockRunButtons() {
    m_buttonsEnabled = false;
    if (m_buttonsListener) m_buttonsListener(false);
}

void JobWatch::UnlockRunButtons() {
    m_buttonsEnabled = true;
    if (m_buttonsListener) m_buttonsListener(true);
}

bool JobWatch::IsButtonEnabled(std::string_view name) const {
    const bool isRunButton =
        std::find(kRunButtonNames.begin(), kRunButtonNames.end(), name) != kRunButtonNames.end();
    return !isRunButton || m_buttonsEnabled;
}

void JobWatch::InspectQueue(std::size_t index) {
    if (index >= kQueueEntries) return;
    const int waiting = m_spooler.WaitingDocuments(m_spooler.CurrentPrinter());
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
    SetLabel8(caption);
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
    SetLabel8(kProgressCaptions[step]);

    InspectQueue(kRunQueueIndex);
    const RunSeconds seconds = SecondsOf(m_runKind);
    if (m_queueState[kRunQueueIndex] != 0 || m_queueSeen[kRunQueueIndex] != 0) {
        m_queueSeen[kRunQueueIndex] = 1;
        if (m_runTicks == seconds.check) {
            EndRun(kLabel8Failed);
            m_dialogs.Message(kMsgPrinterOffline);
            return WatchOutcome::Failed;
        }
    }
    if (m_runTicks == seconds.end) {
        EndRun(kLabel8Done);
        return WatchOutcome::Done;
    }
    return WatchOutcome::Watching;
}

void JobWatch::Command15_Click() {
    EndRun(kLabel8Done);
}

}  // namespace qvset
