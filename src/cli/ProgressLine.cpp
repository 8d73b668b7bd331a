#include "cli/ProgressLine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <ostream>
#include <sstream>

namespace qvset::cli {
namespace {

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Back to the line's start and the rest of the line erased (VT100, which every terminal reads).
constexpr std::string_view kRewrite = "\r\x1B[K";

// The line on the screen now, if any (one command runs at a time where a line is shown).
std::mutex onScreenLock;
ProgressLine* onScreen = nullptr;

}  // namespace

std::string SecondsText(double seconds) {
    std::ostringstream text;
    if (std::round(seconds * 10) / 10 >= 10) {
        text << std::lround(seconds);
    } else {
        text.setf(std::ios::fixed);
        text.precision(1);
        text << seconds;
    }
    return text.str();
}

ProgressLine::ProgressLine(std::ostream& err, bool shown, std::string what, double expectedSeconds,
                           Clock clock)
    : m_err(err),
      m_shown(shown),
      m_what(std::move(what)),
      m_expected(expectedSeconds),
      m_clock(clock ? std::move(clock) : Clock(SteadySeconds)),
      m_started(m_clock()) {}

ProgressLine::~ProgressLine() {
    Clear();
    const std::lock_guard guard(onScreenLock);
    if (onScreen == this) onScreen = nullptr;
}

void ClearProgressOn(std::ostream& err) {
    const std::lock_guard guard(onScreenLock);
    if (onScreen != nullptr && onScreen->Writes(err)) onScreen->Clear();
}

void ProgressLine::Show(std::string_view doing) {
    if (!m_shown) return;
    if (!doing.empty()) m_doing = doing;
    const double elapsed = std::max(0.0, m_clock() - m_started);
    m_err << kRewrite << m_what << (m_doing.empty() ? "" : ": " + m_doing) << "  " << SecondsText(elapsed)
          << (m_expected > 0 ? " s of about " + SecondsText(m_expected) + " s" : std::string(" s"))
          << std::flush;
    m_onScreen = true;
    const std::lock_guard guard(onScreenLock);
    onScreen = this;
}

void ProgressLine::Clear() {
    if (!m_onScreen) return;
    m_err << kRewrite << std::flush;
    m_onScreen = false;
}

void ProgressPause::Wait(int milliseconds) {
    if (!m_line.Shown()) {
        m_inner.Wait(milliseconds);
        return;
    }
    m_line.Show();
    for (int left = milliseconds; left > 0; left -= kProgressStepMs) {
        m_inner.Wait(std::min(left, kProgressStepMs));
        m_line.Show();
    }
}

}  // namespace qvset::cli
