// Reading and replacing files with the Windows calls (ReplaceFileW keeps the target's attributes and
// security, FlushFileBuffers puts the bytes on the disk before the switch).
#include <windows.h>

#include <fstream>
#include <string>

#include "files/FileContents.h"
#include "files/TemporaryNames.h"

namespace qvset {
namespace {

constexpr int kTemporaryAttempts = 16;
constexpr std::size_t kReadChunk = 1 << 16;
constexpr DWORD kMostPerWrite = 1u << 30;

// Closes a file handle when it goes out of scope.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle) {
        Close();
        m_handle = handle;
    }
    bool Close() {
        if (m_handle == INVALID_HANDLE_VALUE) return true;
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

  private:
    HANDLE m_handle;
};

FileReadResult Read(const std::filesystem::path& path, std::size_t limit, bool whole) {
    FileReadResult result;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return result;
    result.size = std::filesystem::file_size(path, error);
    if (error) {
        result.status = FileReadStatus::Unreadable;
        return result;
    }
    if (whole && result.size > limit) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.status = FileReadStatus::Unreadable;
        return result;
    }
    const std::size_t most = whole ? limit + 1 : limit;
    try {
        while (result.bytes.size() < most && file) {
            const std::size_t at = result.bytes.size();
            const std::size_t want = std::min(kReadChunk, most - at);
            result.bytes.resize(at + want);
            file.read(reinterpret_cast<char*>(result.bytes.data() + at), static_cast<std::streamsize>(want));
            result.bytes.resize(at + static_cast<std::size_t>(file.gcount()));
        }
    } catch (const std::bad_alloc&) {
        result.bytes = {};
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    if (file.bad()) {
        result.bytes.clear();
        result.status = FileReadStatus::Unreadable;
    } else if (whole && result.bytes.size() > limit) {
        result.bytes.clear();
        result.status = FileReadStatus::TooLarge;
    } else {
        result.status = FileReadStatus::Read;
    }
    return result;
}

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(kMostPerWrite, bytes.size() - done));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, want, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool SetLength(HANDLE file, std::uint64_t length) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE && SetEndOfFile(file) != FALSE;
}

bool Rewind(HANDLE file) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != FALSE;
}

// Overwrites an existing file in place: the new length is reserved first, and a write that fails
// part-way puts the old bytes back.
bool WriteInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    FileHandle file(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
    std::vector<std::uint8_t> old(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!old.empty() && (!ReadFile(file.Get(), old.data(), static_cast<DWORD>(old.size()), &got, nullptr) ||
                         got != old.size())) {
        return false;
    }
    if (bytes.size() > old.size() && !SetLength(file.Get(), bytes.size())) {
        SetLength(file.Get(), old.size());
        return false;
    }
    if (Rewind(file.Get()) && WriteAll(file.Get(), bytes) && SetLength(file.Get(), bytes.size()) &&
        FlushFileBuffers(file.Get())) {
        return file.Close();
    }
    if (Rewind(file.Get())) WriteAll(file.Get(), old);
    SetLength(file.Get(), old.size());
    FlushFileBuffers(file.Get());
    return false;
}

}  // namespace

FileReadResult ReadFileContents(const std::filesystem::path& path, std::size_t limit) {
    return Read(path, limit, true);
}

FileReadResult ReadFileStart(const std::filesystem::path& path, std::size_t limit) {
    return Read(path, limit, false);
}

bool ReplaceFileContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = FollowSymbolicLinks(path);
    std::error_code error;
    const bool exists = std::filesystem::exists(target, error);
    if (exists && !std::filesystem::is_regular_file(target, error)) return false;
    if (exists && std::filesystem::hard_link_count(target, error) > 1 && !error) {
        return WriteInPlace(target, bytes);
    }

    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::filesystem::path temporary;
    FileHandle file(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        temporary = folder / TemporaryFileName();
        const HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file.Reset(handle);
            break;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!file.IsOpen()) return exists && WriteInPlace(target, bytes);
    if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) || !file.Close()) {
        file.Close();
        DeleteFileW(temporary.c_str());
        return false;
    }
    if (exists) {
        if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr)) {
            return true;
        }
        DeleteFileW(temporary.c_str());
        return WriteInPlace(target, bytes);
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace qvset
