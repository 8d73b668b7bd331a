// Reading and replacing files with the POSIX calls (open without blocking, fstat, fsync, rename).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "files/FileContents.h"
#include "files/TemporaryNames.h"

namespace qvset {
namespace {

// Names tried for the temporary file before giving up.
constexpr int kTemporaryAttempts = 16;
constexpr std::size_t kReadChunk = 1 << 16;

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    // Closes now; false when the close reported an error (a write that failed late).
    bool Close() {
        if (m_fd < 0) return true;
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

// Opens a file for reading without waiting for a FIFO's writer or a device, and checks that it is a
// regular file.
FileReadResult OpenRegular(const std::filesystem::path& path, Descriptor& fd, struct stat& info) {
    FileReadResult result;
    fd.Reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsOpen()) {
        result.status = errno == ENOENT || errno == ENOTDIR || errno == ENXIO ? FileReadStatus::NotAFile
                                                                              : FileReadStatus::Unreadable;
        return result;
    }
    if (::fstat(fd.Get(), &info) != 0) {
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

FileReadResult Read(const std::filesystem::path& path, std::size_t limit, bool whole) {
    Descriptor fd;
    struct stat info {};
    FileReadResult result = OpenRegular(path, fd, info);
    if (result.status != FileReadStatus::Read) return result;
    if (whole && result.size > limit) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    try {
        result.bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(result.size, limit)));
        // One byte more than the limit tells a file that grew past it while it was read.
        if (!ReadUpTo(fd.Get(), whole ? limit + 1 : limit, result.bytes)) {
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

// The file a path finally names once its symbolic links are followed (the path itself when it is none).
// Overwrites an existing file in place: the space for a longer text is reserved first, and a write that
// fails part-way puts the old bytes back.
bool WriteInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    Descriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsOpen()) return false;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::vector<std::uint8_t> old;
    if (!ReadUpTo(fd.Get(), static_cast<std::size_t>(info.st_size), old)) return false;
    if (bytes.size() > old.size() && ::posix_fallocate(fd.Get(), static_cast<off_t>(old.size()),
                                                       static_cast<off_t>(bytes.size() - old.size())) != 0) {
        // Nothing was changed: the reserved part lay beyond the old end, and a failed reservation
        // leaves at most zero bytes there, which the truncation below removes.
        const int ignored = ::ftruncate(fd.Get(), static_cast<off_t>(old.size()));
        static_cast<void>(ignored);
        return false;
    }
    if (WriteAllAt(fd.Get(), bytes, 0) && ::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) == 0 &&
        ::fsync(fd.Get()) == 0) {
        return fd.Close();
    }
    // Put the earlier bytes back as well as the disk allows.
    WriteAllAt(fd.Get(), old, 0);
    const int truncated = ::ftruncate(fd.Get(), static_cast<off_t>(old.size()));
    static_cast<void>(truncated);
    ::fsync(fd.Get());
    return false;
}

// Flushes a folder's entries, so that a rename inside it survives a crash. Best effort: not every file
// system can.
void SyncFolder(const std::filesystem::path& folder) {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) ::fsync(fd.Get());
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
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) return false;
    // A rename would cut the other names of a hard-linked file from the new text.
    if (exists && info.st_nlink > 1) return WriteInPlace(target, bytes);

    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::filesystem::path temporary;
    Descriptor fd;
    for (int attempt = 0; attempt < kTemporaryAttempts && !fd.IsOpen(); ++attempt) {
        temporary = folder / TemporaryFileName();
        // A new file gets the mode a plain create would give it (0666 less the umask).
        fd.Reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                        exists ? 0600 : 0666));
        if (!fd.IsOpen() && errno != EEXIST) break;
    }
    if (!fd.IsOpen()) return exists && WriteInPlace(target, bytes);

    auto discard = [&] {
        fd.Close();
        ::unlink(temporary.c_str());
    };
    if (exists) {
        // The owner first: a change of owner clears the set-id bits the mode then restores.
        const bool ownerKept = (info.st_uid == ::geteuid() && info.st_gid == ::getegid()) ||
                               ::fchown(fd.Get(), info.st_uid, info.st_gid) == 0;
        if (!ownerKept || ::fchmod(fd.Get(), info.st_mode & 07777) != 0) {
            discard();
            return WriteInPlace(target, bytes);
        }
    }
    if (!WriteAllAt(fd.Get(), bytes, 0) || ::fsync(fd.Get()) != 0 || !fd.Close()) {
        discard();
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        discard();
        return exists && WriteInPlace(target, bytes);
    }
    SyncFolder(folder);
    return true;
}

}  // namespace qvset
