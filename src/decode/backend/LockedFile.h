#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace qvset {

// Holds an exclusive flock on a regular file (made when missing) for its lifetime; waits while another
// process holds it. A symbolic link, FIFO or any other file in its place is refused (not held), without
// blocking.
class LockedFile {
  public:
    // The file `name` of the folder open as `folder` (a descriptor, or AT_FDCWD for a path).
    LockedFile(int folder, const std::string& name)
        : m_fd(::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644)) {
        struct stat info {};
        if (m_fd >= 0 &&
            (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(m_fd, LOCK_EX) != 0)) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    explicit LockedFile(const std::filesystem::path& path) : LockedFile(AT_FDCWD, path.string()) {}
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
