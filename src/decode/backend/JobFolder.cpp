#include "decode/backend/JobFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "decode/VirtualPrinterFolder.h"
#include "files/WriteAll.h"

namespace qvset {
namespace {

// The user CUPS runs backends as; its group may share the folder.
constexpr const char* kSpoolerUser = "lp";

std::optional<gid_t> SpoolerGroup() {
    const passwd* user = ::getpwnam(kSpoolerUser);
    if (user != nullptr) return user->pw_gid;
    const group* named = ::getgrnam(kSpoolerUser);
    if (named != nullptr) return named->gr_gid;
    return std::nullopt;
}

std::string Reason() {
    return std::strerror(errno);
}

// The process id a temporary file's name carries (".qv-<pid>-<name>.tmp"); 0 for any other name.
pid_t TemporaryOwner(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    pid_t pid = 0;
    std::size_t digits = 0;
    for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && digits < 9; ++digits) {
        pid = pid * 10 + (name[digits] - '0');
    }
    if (digits == 0 || digits >= name.size() || name[digits] != '-') return 0;
    return pid;
}

}  // namespace

bool IsJobNumber(std::string_view id) {
    if (id.empty() || id.size() > 10) return false;
    for (const char c : id) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

JobFolder::JobFolder(std::filesystem::path path, int fd) : m_path(std::move(path)), m_fd(fd) {}

JobFolder::JobFolder(JobFolder&& other) noexcept : m_path(std::move(other.m_path)), m_fd(other.m_fd) {
    other.m_fd = -1;
}

JobFolder::~JobFolder() {
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<JobFolder> JobFolder::Open(const std::filesystem::path& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            error = "the virtual printer's folder " + path.string() + " is a symbolic link; refusing it";
        } else if (errno == ENOENT) {
            error = "the virtual printer's folder " + path.string() + " is missing";
        } else {
            error = "cannot open the virtual printer's folder " + path.string() + ": " + Reason();
        }
        return std::nullopt;
    }
    struct stat info {};
    const auto group = SpoolerGroup();
    std::string refusal;
    if (::fstat(fd, &info) != 0) {
        refusal = "cannot inspect the virtual printer's folder " + path.string() + ": " + Reason();
    } else if ((info.st_mode & S_IWOTH) != 0) {
        refusal = "the virtual printer's folder " + path.string() +
                  " may be written by every user; refusing it (make it mode 0755, owned by lp)";
    } else if ((info.st_mode & S_IWGRP) != 0 && (!group || info.st_gid != *group)) {
        refusal =
            "the virtual printer's folder " + path.string() +
            " may be written by its group, which is not lp's; refusing it (make it mode 0755, owned by lp)";
    }
    if (!refusal.empty()) {
        ::close(fd);
        error = refusal;
        return std::nullopt;
    }
    return JobFolder(path, fd);
}

std::optional<JobFolder> OpenVirtualPrinterFolder(const std::filesystem::path& path, std::string& error) {
    if (const std::string problem = FolderProblem(path); !problem.empty()) {
        error = "the virtual printer's folder " + path.string() + ' ' + problem;
        return std::nullopt;
    }
    return JobFolder::Open(path, error);
}

std::string JobFolder::Name(std::string_view file) const {
    return (m_path / std::string(file)).string();
}

JobFolder::NewFile::NewFile(int folder, std::string name, std::string temporary, int fd)
    : m_folder(folder), m_name(std::move(name)), m_temporary(std::move(temporary)), m_fd(fd) {}

JobFolder::NewFile::NewFile(NewFile&& other) noexcept
    : m_folder(other.m_folder),
      m_name(std::move(other.m_name)),
      m_temporary(std::move(other.m_temporary)),
      m_fd(other.m_fd),
      m_failed(other.m_failed) {
    other.m_fd = -1;
}

JobFolder::NewFile::~NewFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlinkat(m_folder, m_temporary.c_str(), 0);
    }
}

bool JobFolder::NewFile::Write(std::string_view bytes) {
    if (m_fd < 0 || m_failed) return false;
    if (!WriteAll(m_fd, bytes)) m_failed = true;
    return !m_failed;
}

bool JobFolder::NewFile::Commit() {
    return CommitAs(m_name);
}

bool JobFolder::NewFile::CommitAs(std::string_view name) {
    if (m_fd < 0) return false;
    m_name = std::string(name);
    const bool written = !m_failed && ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (written && closed && ::renameat(m_folder, m_temporary.c_str(), m_folder, m_name.c_str()) == 0) {
        return true;
    }
    ::unlinkat(m_folder, m_temporary.c_str(), 0);
    return false;
}

JobFolder::NewFile JobFolder::Create(std::string_view file) const {
    std::string temporary = std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
                            std::string(file) + std::string(kTemporarySuffix);
    // A leftover of this very process id (one long gone) is no one's: make the name free first.
    ::unlinkat(m_fd, temporary.c_str(), 0);
    const int fd = ::openat(m_fd, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    return NewFile(m_fd, std::string(file), std::move(temporary), fd);
}

bool JobFolder::Replace(std::string_view file, std::string_view bytes) const {
    NewFile made = Create(file);
    return made.Write(bytes) && made.Commit();
}

int JobFolder::OpenRegular(std::string_view file, int flags, std::string& error) const {
    const std::string name(file);
    const int fd = ::openat(m_fd, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        const int reason = errno;
        if (reason == ELOOP) {
            error = Name(file) + " is a symbolic link; refusing it";
        } else if (reason == ENXIO || reason == EISDIR || reason == ENODEV) {
            error = Name(file) + " is not a regular file; refusing it";  // a FIFO, folder or device
        } else {
            error = "cannot open " + Name(file) + ": " + Reason();
        }
        errno = reason;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = Name(file) + " is not a regular file; refusing it";
        return -1;
    }
    return fd;
}

std::optional<std::string> JobFolder::Read(std::string_view file, std::size_t limit, std::string& error,
                                           bool* missing) const {
    if (missing != nullptr) *missing = false;
    const int fd = OpenRegular(file, O_RDONLY, error);
    if (fd < 0) {
        if (missing != nullptr && errno == ENOENT) *missing = true;
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
        if (got < 0) continue;
        if (text.size() + static_cast<std::size_t>(got) > limit) {
            ::close(fd);
            error = Name(file) + " is larger than " + std::to_string(limit) + " bytes";
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    const bool read = got == 0;
    if (!read) error = "cannot read " + Name(file) + ": " + Reason();
    ::close(fd);
    if (!read) return std::nullopt;
    return text;
}

bool JobFolder::AppendLine(std::string_view file, std::string_view line, std::string& error) const {
    const int fd = OpenRegular(file, O_WRONLY | O_APPEND | O_CREAT, error);
    if (fd < 0) return false;
    struct stat before {};
    bool appended = ::fstat(fd, &before) == 0 && WriteAll(fd, line) && ::fsync(fd) == 0;
    if (!appended) {
        error = "cannot append to " + Name(file) + ": " + Reason();
        if (before.st_size >= 0) (void)::ftruncate(fd, before.st_size);
    }
    if (::close(fd) != 0 && appended) {
        error = "cannot append to " + Name(file) + ": " + Reason();
        appended = false;
    }
    return appended;
}

bool JobFolder::Rename(std::string_view from, std::string_view to) const {
    return ::renameat(m_fd, std::string(from).c_str(), m_fd, std::string(to).c_str()) == 0;
}

void JobFolder::RemoveStaleTemporaries() const {
    const int listing = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(entries)) {
        const pid_t owner = TemporaryOwner(entry->d_name);
        if (owner <= 0 || owner == ::getpid()) continue;
        if (::kill(owner, 0) != 0 && errno == ESRCH) stale.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    for (const auto& name : stale) ::unlinkat(m_fd, name.c_str(), 0);
}

}  // namespace qvset
