#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "seams/Pause.h"

namespace qvset::cli {

// The one line a long command keeps rewritten in place on a terminal: what it is doing, the seconds
// gone and the seconds it is expected to take, "tune all: watching the queue  12 s of about 83 s".
// Not shown (nothing written at all) when `shown` is false: standard error is no terminal, or the
// output is JSON. The line is cleared when the progress ends, so that only the result stays.
class ProgressLine {
  public:
    using Clock = std::function<double()>;  // seconds, from any start

    ProgressLine(std::ostream& err, bool shown, std::string what, double expectedSeconds, Clock clock = {});
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Rewrites the line with what is being done now (the last step given when `doing` is empty).
    void Show(std::string_view doing = {});
    // A new estimate of the whole time (a fleet run learns it as printers finish); 0 or less: not known
    // yet, and the line shows the seconds gone alone.
    void SetExpected(double seconds) { m_expected = seconds; }
    // Clears the line (again a no-op once cleared, until the next Show).
    void Clear();
    bool Shown() const { return m_shown; }
    bool Writes(const std::ostream& err) const { return &m_err == &err; }

  private:
    std::ostream& m_err;
    bool m_shown;
    std::string m_what;
    double m_expected;
    Clock m_clock;
    double m_started;
    std::string m_doing;
    bool m_onScreen = false;
};

// Clears the progress line shown on `err`, if one is, so that a message written next stands on a line
// of its own; the line comes back with its next Show. (ConsoleDialogs calls it before each message.)
void ClearProgressOn(std::ostream& err);

// A pause that keeps a progress line current while it waits: the wait is cut into steps of at most
// kProgressStepMs, and the line rewritten after each. Without a shown line it is the inner pause alone.
inline constexpr int kProgressStepMs = 250;
class ProgressPause final : public Pause {
  public:
    ProgressPause(Pause& inner, ProgressLine& line) : m_inner(inner), m_line(line) {}
    void Wait(int milliseconds) override;

  private:
    Pause& m_inner;
    ProgressLine& m_line;
};

// The seconds of a duration as the line shows them: a tenth below ten ("0.0", "3.5"), whole above ("83").
std::string SecondsText(double seconds);

}  // namespace qvset::cli
