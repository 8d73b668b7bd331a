#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

namespace qvset {

// Holds an exclusive flock on a file (made when missing) for its lifetime; waits while another process
// holds it.
class LockedFile {
  public:
    explicit LockedFile(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~LockedFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    bool Held() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

  private:
    int m_fd;
};

}  // namespace qvset
