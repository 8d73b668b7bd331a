// The POSIX calls of reading and replacing files (open without blocking, fstat, fsync, rename).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "files/NativeFile.h"

namespace qvset {
namespace {

constexpr std::size_t kReadChunk = 1 << 16;

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// Checks that an open file is a regular file and takes its size.
FileReadResult CheckRegular(int fd, int openError) {
    FileReadResult result;
    if (fd < 0) {
        result.status = openError == ENOENT || openError == ENOTDIR || openError == ENXIO
                            ? FileReadStatus::NotAFile
                            : FileReadStatus::Unreadable;
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.status = FileReadStatus::Unreadable;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = FileReadStatus::NotAFile;
        return result;
    }
    result.status = FileReadStatus::Read;
    result.size = static_cast<std::uintmax_t>(info.st_size);
    return result;
}

// Reads until the end of the file or until `most` bytes are in; false on a read error.
bool ReadUpTo(int fd, std::size_t most, std::vector<std::uint8_t>& bytes) {
    while (bytes.size() < most) {
        const std::size_t want = std::min(kReadChunk, most - bytes.size());
        const std::size_t at = bytes.size();
        bytes.resize(at + want);
        const ssize_t got = ::read(fd, bytes.data() + at, want);
        if (got < 0) {
            bytes.resize(at);
            if (errno == EINTR) continue;
            return false;
        }
        bytes.resize(at + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    return true;
}

// Writes all of `bytes` at `offset`; false on any error.
bool WriteAllAt(int fd, std::span<const std::uint8_t> bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (put == 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Flushes a folder's entries, so that a rename inside it survives a crash. Best effort: not every file
// system can.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

FileFacts NativeFile::Inspect(const std::filesystem::path& path) {
    FileFacts facts;
    struct stat info {};
    facts.exists = ::stat(path.c_str(), &info) == 0;
    if (!facts.exists) return facts;
    facts.regular = S_ISREG(info.st_mode);
    facts.hardLinked = info.st_nlink > 1;
    facts.owner = info.st_uid;
    facts.group = info.st_gid;
    facts.mode = info.st_mode;
    return facts;
}

FileReadResult NativeFile::ReadRegular(const std::filesystem::path& path, std::size_t limit, bool whole) {
    // Opened without waiting for a FIFO's writer or a device.
    const NativeFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    FileReadResult result = CheckRegular(Fd(file.m_handle), errno);
    if (result.status != FileReadStatus::Read) return result;
    if (whole && result.size > limit) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    try {
        result.bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(result.size, limit)));
        // One byte more than the limit tells a file that grew past it while it was read.
        if (!ReadUpTo(Fd(file.m_handle), whole ? limit + 1 : limit, result.bytes)) {
            result.bytes.clear();
            result.status = FileReadStatus::Unreadable;
        } else if (whole && result.bytes.size() > limit) {
            result.bytes.clear();
            result.size = std::max<std::uintmax_t>(result.size, limit + 1);
            result.status = FileReadStatus::TooLarge;
        }
    } catch (const std::bad_alloc&) {
        result.bytes = {};
        result.status = FileReadStatus::TooLarge;
    }
    return result;
}

NativeFile NativeFile::OpenExisting(const std::filesystem::path& path) {
    NativeFile file(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (file.IsOpen() && (::fstat(Fd(file.m_handle), &info) != 0 || !S_ISREG(info.st_mode))) file.Close();
    return file;
}

NativeFile NativeFile::CreateNew(const std::filesystem::path& path, bool replacing, bool& taken) {
    // A new file gets the mode a plain create would give it (0666 less the umask).
    NativeFile file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, replacing ? 0600 : 0666));
    taken = !file.IsOpen() && errno == EEXIST;
    return file;
}

void NativeFile::Remove(const std::filesystem::path& path) {
    ::unlink(path.c_str());
}

bool NativeFile::MoveOver(const std::filesystem::path& temporary, const std::filesystem::path& target, bool) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) return false;
    SyncFolder(target.has_parent_path() ? target.parent_path() : ".");
    return true;
}

bool NativeFile::TakeOwnerAndMode(const FileFacts& replaced) {
    // The owner first: a change of owner clears the set-id bits the mode then restores.
    const bool ownerKept = (replaced.owner == ::geteuid() && replaced.group == ::getegid()) ||
                           ::fchown(Fd(m_handle), replaced.owner, replaced.group) == 0;
    return ownerKept && ::fchmod(Fd(m_handle), static_cast<mode_t>(replaced.mode & 07777)) == 0;
}

bool NativeFile::ReadAll(std::vector<std::uint8_t>& bytes) {
    struct stat info {};
    if (::fstat(Fd(m_handle), &info) != 0) return false;
    return ReadUpTo(Fd(m_handle), static_cast<std::size_t>(info.st_size), bytes);
}

bool NativeFile::Reserve(std::uint64_t oldSize, std::uint64_t newSize) {
    if (::posix_fallocate(Fd(m_handle), static_cast<off_t>(oldSize), static_cast<off_t>(newSize - oldSize)) ==
        0)
        return true;
    // Nothing was changed: the reserved part lay beyond the old end, and a failed reservation leaves at
    // most zero bytes there, which the truncation removes.
    SetLength(oldSize);
    return false;
}

bool NativeFile::WriteFromStart(std::span<const std::uint8_t> bytes) {
    return WriteAllAt(Fd(m_handle), bytes, 0);
}

bool NativeFile::SetLength(std::uint64_t length) {
    return ::ftruncate(Fd(m_handle), static_cast<off_t>(length)) == 0;
}

bool NativeFile::Flush() {
    return ::fsync(Fd(m_handle)) == 0;
}

bool NativeFile::Close() {
    if (m_handle == kNone) return true;
    const int fd = Fd(m_handle);
    m_handle = kNone;
    return ::close(fd) == 0;
}

}  // namespace qvset
