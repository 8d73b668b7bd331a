#pragma once

namespace qvset {

// A blocking wait between printer documents. The window keeps repainting during it but handles no
// input and no timer tick until the waiting handler returns.
class Pause {
  public:
    virtual ~Pause() = default;
    virtual void Wait(int milliseconds) = 0;
};

}  // namespace qvset
