// The Windows calls of reading and replacing files (ReplaceFileW keeps the target's attributes and
// security, FlushFileBuffers puts the bytes on the disk before the switch).
#include <windows.h>

#include <fstream>
#include <string>

#include "files/NativeFile.h"

namespace qvset {
namespace {

constexpr std::size_t kReadChunk = 1 << 16;
constexpr DWORD kMostPerWrite = 1u << 30;

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
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

bool Rewind(HANDLE file) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != FALSE;
}

}  // namespace

FileFacts NativeFile::Inspect(const std::filesystem::path& path) {
    FileFacts facts;
    std::error_code error;
    facts.exists = std::filesystem::exists(path, error);
    if (!facts.exists) return facts;
    facts.regular = std::filesystem::is_regular_file(path, error);
    facts.hardLinked = std::filesystem::hard_link_count(path, error) > 1 && !error;
    return facts;
}

FileReadResult NativeFile::ReadRegular(const std::filesystem::path& path, std::size_t limit, bool whole) {
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

NativeFile NativeFile::OpenExisting(const std::filesystem::path& path) {
    return NativeFile(FromHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

NativeFile NativeFile::CreateNew(const std::filesystem::path& path, bool, bool& taken) {
    NativeFile file(FromHandle(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    taken = !file.IsOpen() && GetLastError() == ERROR_FILE_EXISTS;
    return file;
}

void NativeFile::Remove(const std::filesystem::path& path) {
    DeleteFileW(path.c_str());
}

bool NativeFile::MoveOver(const std::filesystem::path& temporary, const std::filesystem::path& target,
                          bool exists) {
    if (exists) {
        return ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                            nullptr, nullptr) != FALSE;
    }
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool NativeFile::TakeOwnerAndMode(const FileFacts&) {
    return true;
}

bool NativeFile::ReadAll(std::vector<std::uint8_t>& bytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(Handle(m_handle), &size) || size.QuadPart < 0) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(Handle(m_handle), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size());
}

bool NativeFile::Reserve(std::uint64_t oldSize, std::uint64_t newSize) {
    if (SetLength(newSize)) return true;
    SetLength(oldSize);
    return false;
}

bool NativeFile::WriteFromStart(std::span<const std::uint8_t> bytes) {
    return Rewind(Handle(m_handle)) && WriteAll(Handle(m_handle), bytes);
}

bool NativeFile::SetLength(std::uint64_t length) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(Handle(m_handle), position, nullptr, FILE_BEGIN) != FALSE &&
           SetEndOfFile(Handle(m_handle)) != FALSE;
}

bool NativeFile::Flush() {
    return FlushFileBuffers(Handle(m_handle)) != FALSE;
}

bool NativeFile::Close() {
    if (m_handle == kNone) return true;
    const HANDLE handle = Handle(m_handle);
    m_handle = kNone;
    return CloseHandle(handle) != FALSE;
}

}  // namespace qvset
