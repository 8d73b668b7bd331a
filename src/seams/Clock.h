#pragma once

#include <string>

namespace qvset {

// The current local date and time, as the system writes it; shown once a second by the main window.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::string Now() const = 0;
};

}  // namespace qvset
