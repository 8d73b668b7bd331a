#include <windows.h>

#include <thread>

#include "files/FileLock.h"

namespace qvset {
namespace {

// How often a bounded wait asks again.
constexpr std::chrono::milliseconds kRetry{2};

}  // namespace

FileLock::FileLock(const std::filesystem::path& path, const FileLockOptions& options) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    m_handle = reinterpret_cast<std::intptr_t>(file);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (options.wait ? LOCKFILE_FAIL_IMMEDIATELY : 0);
    const auto until = std::chrono::steady_clock::now() + options.wait.value_or(std::chrono::milliseconds(0));
    for (;;) {
        OVERLAPPED whole{};
        if (::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
            m_held = true;
            return;
        }
        if (!options.wait || std::chrono::steady_clock::now() >= until) return;
        std::this_thread::sleep_for(kRetry);
    }
}

FileLock::~FileLock() {
    // Closing the handle releases the lock.
    if (m_handle != -1) ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace qvset
