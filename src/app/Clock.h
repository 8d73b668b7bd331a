#pragma once

#include <QDateTime>

namespace qvset::app {

// The current local date and time, shown once a second by the main window's clock.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
};

}  // namespace qvset::app
