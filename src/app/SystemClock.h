#pragma once

#include "app/Clock.h"

namespace qvset::app {

// The machine's local clock.
class SystemClock final : public Clock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace qvset::app
