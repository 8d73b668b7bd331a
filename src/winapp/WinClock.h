#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <string>

#include "seams/Clock.h"

namespace qvset::winapp {

// The local date and time in the user's short date and time formats ("2024/5/3 14:07:09" on a Chinese
// system).
class WinClock final : public Clock {
  public:
    std::string Now() const override;

    // A moment as a locale writes it: its short date, a blank, its time.
    static std::string Format(const SYSTEMTIME& moment, LCID locale);
};

}  // namespace qvset::winapp
