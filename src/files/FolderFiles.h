#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/FileLock.h"

namespace qvset {

// The regular files of one folder, each reached by its name relative to the folder, which is opened
// once (POSIX: openat on the folder's descriptor). Whatever is planted at a file's name, nothing is
// followed, waited for or written through: a symbolic link (POSIX: O_NOFOLLOW), a FIFO or a device
// (opened without blocking and refused) is "not a regular file", and the file behind a link is never
// touched. The folder itself is made when it is missing.
class FolderFiles {
  public:
    enum class Status {
        Done,
        Missing,     // no file of that name
        NotRegular,  // a link, a FIFO, a device, a folder ... at that name
        TooLarge,    // Read: larger than the limit
        Failed,      // an error of the system (a full disk, no permission); `Problem` says which
    };

    explicit FolderFiles(std::filesystem::path folder);
    ~FolderFiles();
    FolderFiles(const FolderFiles&) = delete;
    FolderFiles& operator=(const FolderFiles&) = delete;

    // Whether the folder could be made and opened; when not, every call fails.
    bool IsOpen() const;
    const std::string& Problem() const { return m_problem; }

    // Appends `text` with one write to the file, made when missing (mode 0644 less the umask). When the
    // file does not end in a line end (a line cut off by a full disk or a crash), one is written first.
    Status Append(const std::string& name, std::string_view text);
    // The whole file, when it holds at most `limit` bytes.
    Status Read(const std::string& name, std::string& text, std::size_t limit);
    // The file's size; nullopt when it is missing or no regular file.
    std::optional<std::uint64_t> Size(const std::string& name);
    bool Exists(const std::string& name);
    // Replaces the file whole: a temporary file in the folder, flushed and renamed over the name, so
    // that a failure leaves the old file and a link at the name is replaced, not written through.
    Status Replace(const std::string& name, std::string_view text);
    void Remove(const std::string& name);
    // An exclusive lock on the file `name` of the folder (made when missing, regular files only).
    std::unique_ptr<FileLock> Lock(const std::string& name, std::chrono::milliseconds wait);

  private:
    std::filesystem::path m_folder;
    std::intptr_t m_handle = -1;  // POSIX: the folder's descriptor
    bool m_open = false;
    std::string m_problem;
};

}  // namespace qvset
