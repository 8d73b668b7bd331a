#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qvset {

struct FileLockOptions {
    // How long to wait while another holds the lock; none: for as long as it holds it.
    std::optional<std::chrono::milliseconds> wait;
    // POSIX: the permissions a lock file made here is given (less the umask).
    unsigned mode = 0644;
    // POSIX: a symbolic link, FIFO or anything else but a regular file in the lock file's place is
    // refused at once (not held): the open neither follows a link nor waits for a FIFO's writer.
    bool regularOnly = false;
};

// An exclusive lock on a file of its own (made when missing), held for the object's lifetime: flock on
// POSIX, LockFileEx on Windows. Another process, or another FileLock of this one, that asks for the same
// file waits as the options say; when the wait ends, or the file cannot be opened, it is not held.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& path, const FileLockOptions& options = {});
    // POSIX: the file `name` of the folder open as `folder` (a descriptor, or AT_FDCWD).
    FileLock(int folder, const std::string& name, const FileLockOptions& options = {});
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return m_held; }
    // POSIX: the lock file's descriptor, open for reading and writing while the lock is held.
    int Descriptor() const { return static_cast<int>(m_handle); }

  private:
    std::intptr_t m_handle = -1;
    bool m_held = false;
};

}  // namespace qvset
