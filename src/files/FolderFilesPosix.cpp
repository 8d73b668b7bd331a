// The files of one folder by name, POSIX: openat with O_NOFOLLOW and O_NONBLOCK, fstat, renameat.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/FolderFiles.h"
#include "files/TemporaryNames.h"
#include "files/WriteAll.h"

namespace qvset {
namespace {

constexpr int kFileFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

int DescriptorOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int m_fd;
};

// What an open (or failed open) at a name is: a regular file, or why not.
FolderFiles::Status Check(int fd, int openError) {
    if (fd < 0) {
        if (openError == ENOENT) return FolderFiles::Status::Missing;
        // O_NOFOLLOW on a link gives ELOOP; a FIFO opened for writing without a reader ENXIO.
        if (openError == ELOOP || openError == ENXIO || openError == EISDIR || openError == ENOTDIR)
            return FolderFiles::Status::NotRegular;
        return FolderFiles::Status::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) return FolderFiles::Status::Failed;
    return S_ISREG(info.st_mode) ? FolderFiles::Status::Done : FolderFiles::Status::NotRegular;
}

}  // namespace

FolderFiles::FolderFiles(std::filesystem::path folder) : m_folder(std::move(folder)) {
    std::error_code code;
    std::filesystem::create_directories(m_folder, code);
    const int fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_problem = m_folder.string() + ": " + std::strerror(errno);
        return;
    }
    m_handle = fd;
    m_open = true;
}

FolderFiles::~FolderFiles() {
    if (m_handle >= 0) ::close(DescriptorOf(m_handle));
}

bool FolderFiles::IsOpen() const {
    return m_open;
}

FolderFiles::Status FolderFiles::Append(const std::string& name, std::string_view text) {
    if (!m_open) return Status::Failed;
    const Descriptor file(
        ::openat(DescriptorOf(m_handle), name.c_str(), O_RDWR | O_APPEND | O_CREAT | kFileFlags, 0644));
    if (const Status status = Check(file.Get(), errno); status != Status::Done) {
        if (status == Status::Failed) m_problem = std::strerror(errno);
        return status;
    }
    struct stat info {};
    ::fstat(file.Get(), &info);
    std::string whole;
    if (info.st_size > 0) {
        char last = '\n';
        if (::pread(file.Get(), &last, 1, info.st_size - 1) == 1 && last != '\n') whole = "\n";
    }
    whole.append(text);
    if (!WriteAll(file.Get(), whole)) {
        m_problem = std::strerror(errno);
        return Status::Failed;
    }
    return Status::Done;
}

FolderFiles::Status FolderFiles::Read(const std::string& name, std::string& text, std::size_t limit) {
    text.clear();
    if (!m_open) return Status::Failed;
    const Descriptor file(::openat(DescriptorOf(m_handle), name.c_str(), O_RDONLY | kFileFlags));
    if (const Status status = Check(file.Get(), errno); status != Status::Done) return status;
    struct stat info {};
    ::fstat(file.Get(), &info);
    if (static_cast<std::uint64_t>(info.st_size) > limit) return Status::TooLarge;
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::read(file.Get(), text.data() + done, text.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            m_problem = std::strerror(errno);
            return Status::Failed;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    text.resize(done);
    return Status::Done;
}

std::optional<std::uint64_t> FolderFiles::Size(const std::string& name) {
    if (!m_open) return std::nullopt;
    struct stat info {};
    if (::fstatat(DescriptorOf(m_handle), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool FolderFiles::Exists(const std::string& name) {
    struct stat info {};
    return m_open && ::fstatat(DescriptorOf(m_handle), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

FolderFiles::Status FolderFiles::Replace(const std::string& name, std::string_view text) {
    if (!m_open) return Status::Failed;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string temporary = TemporaryFileName();
        Descriptor file(::openat(DescriptorOf(m_handle), temporary.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | kFileFlags, 0644));
        if (file.Get() < 0 && errno == EEXIST) continue;
        if (file.Get() < 0) {
            m_problem = std::strerror(errno);
            return Status::Failed;
        }
        const bool written = WriteAll(file.Get(), text) && ::fsync(file.Get()) == 0 && file.Close();
        if (!written || ::renameat(DescriptorOf(m_handle), temporary.c_str(), DescriptorOf(m_handle),
                                   name.c_str()) != 0) {
            m_problem = std::strerror(errno);
            ::unlinkat(DescriptorOf(m_handle), temporary.c_str(), 0);
            return Status::Failed;
        }
        ::fsync(DescriptorOf(m_handle));
        return Status::Done;
    }
    m_problem = "no free temporary name";
    return Status::Failed;
}

void FolderFiles::Remove(const std::string& name) {
    if (m_open) ::unlinkat(DescriptorOf(m_handle), name.c_str(), 0);
}

std::unique_ptr<FileLock> FolderFiles::Lock(const std::string& name, std::chrono::milliseconds wait) {
    if (!m_open)
        return std::make_unique<FileLock>(m_folder / name,
                                          FileLockOptions{.wait = wait, .regularOnly = true});
    return std::make_unique<FileLock>(DescriptorOf(m_handle), name,
                                      FileLockOptions{.wait = wait, .regularOnly = true});
}

}  // namespace qvset
