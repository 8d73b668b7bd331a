#pragma once

#include <string>

#include "seams/Clock.h"

namespace qvset::testing {

// A clock that shows what the test sets.
class FixedClock final : public Clock {
  public:
    std::string Now() const override { return m_now; }
    void Set(std::string now) { m_now = std::move(now); }

  private:
    std::string m_now = "2024/5/3 14:07:09";
};

}  // namespace qvset::testing
