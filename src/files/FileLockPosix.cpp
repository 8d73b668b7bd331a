#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "files/FileLock.h"

namespace qvset {
namespace {

// How often a bounded wait asks again.
constexpr std::chrono::milliseconds kRetry{2};

bool Lock(int fd, const std::optional<std::chrono::milliseconds>& wait) {
    if (!wait) {
        while (::flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) return false;
        }
        return true;
    }
    const auto until = std::chrono::steady_clock::now() + *wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(kRetry);
    }
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& path, const FileLockOptions& options)
    : FileLock(AT_FDCWD, path.string(), options) {}

FileLock::FileLock(int folder, const std::string& name, const FileLockOptions& options) {
    const int flags = O_RDWR | O_CREAT | O_CLOEXEC | (options.regularOnly ? O_NOFOLLOW | O_NONBLOCK : 0);
    const int fd = ::openat(folder, name.c_str(), flags, static_cast<mode_t>(options.mode));
    if (fd < 0) return;
    m_handle = fd;
    struct stat info {};
    if (options.regularOnly && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) return;
    m_held = Lock(fd, options.wait);
}

FileLock::~FileLock() {
    if (m_handle >= 0) ::close(static_cast<int>(m_handle));
}

}  // namespace qvset
