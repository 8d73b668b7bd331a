#include <windows.h>

#include <thread>

#include "record/RecordLock.h"

namespace qvset {

RecordLock::RecordLock(const std::filesystem::path& path, std::chrono::milliseconds wait) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    m_handle = reinterpret_cast<std::intptr_t>(file);
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        OVERLAPPED whole{};
        if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                         &whole)) {
            m_held = true;
            return;
        }
        if (std::chrono::steady_clock::now() >= until) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

RecordLock::~RecordLock() {
    // Closing the handle releases the lock.
    if (m_handle != -1) ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace qvset
