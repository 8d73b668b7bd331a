#pragma once

#include <chrono>
#include <thread>

#include "seams/Pause.h"

namespace qvset {

// A real blocking wait, for the command line.
class SleepPause final : public Pause {
  public:
    void Wait(int milliseconds) override {
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

}  // namespace qvset
