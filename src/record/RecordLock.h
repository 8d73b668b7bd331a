#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace qvset {

// An exclusive lock on a file of its own (made when missing), held for the object's lifetime: flock on
// POSIX, LockFileEx on Windows. It waits for another holder at most `wait`, and is not held after that.
class RecordLock {
  public:
    RecordLock(const std::filesystem::path& path, std::chrono::milliseconds wait);
    ~RecordLock();
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

    bool Held() const { return m_held; }

  private:
    std::intptr_t m_handle = -1;
    bool m_held = false;
};

}  // namespace qvset
