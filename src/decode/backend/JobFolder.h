#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "files/FileLock.h"

namespace qvset {

// A lock on a file of a virtual printer's folder: a regular file only, waited for as long as another
// holds it.
inline constexpr FileLockOptions kFolderFileLock{.wait = std::nullopt, .mode = 0644, .regularOnly = true};

// A virtual printer's folder, opened once. Every file in it is opened relative to the folder's
// descriptor and never through a symbolic link: a file is written to a fresh temporary file of the
// folder (made exclusively) and renamed over its name, so that a link planted at the name is replaced,
// not followed; a file is read or appended to only when it is a regular file (a FIFO, socket, device
// or folder in its place is refused at once, without blocking).
class JobFolder {
  public:
    // Opens the folder. Refused, with the reason: a symbolic link, not a folder, or a folder that
    // others than its owner and the spooler's user (lp) may write in.
    static std::optional<JobFolder> Open(const std::filesystem::path& path, std::string& error);

    JobFolder(JobFolder&& other) noexcept;
    JobFolder& operator=(JobFolder&&) = delete;
    JobFolder(const JobFolder&) = delete;
    JobFolder& operator=(const JobFolder&) = delete;
    ~JobFolder();

    const std::filesystem::path& Path() const { return m_path; }
    int Descriptor() const { return m_fd; }
    // The path of a file of the folder, for messages.
    std::string Name(std::string_view file) const;

    // A new file of the folder, written to a temporary ".qv-<pid>-<name>.tmp" and put in place under
    // its name by Commit; removed when not committed.
    class NewFile {
      public:
        NewFile(NewFile&& other) noexcept;
        NewFile& operator=(NewFile&&) = delete;
        NewFile(const NewFile&) = delete;
        NewFile& operator=(const NewFile&) = delete;
        ~NewFile();

        bool Open() const { return m_fd >= 0; }
        // Appends bytes; false (and every later Write and Commit false) when they could not be written.
        bool Write(std::string_view bytes);
        // Flushes the file and renames it over its name. False when anything failed.
        bool Commit();
        // The same under another name of the folder, chosen once the bytes are all there.
        bool CommitAs(std::string_view name);

      private:
        friend class JobFolder;
        NewFile(int folder, std::string name, std::string temporary, int fd);
        int m_folder;
        std::string m_name;
        std::string m_temporary;
        int m_fd;
        bool m_failed = false;
    };
    NewFile Create(std::string_view file) const;

    // Replaces a file's contents whole or not at all (Create, Write, Commit).
    bool Replace(std::string_view file, std::string_view bytes) const;

    // Opens a regular file of the folder with the flags (O_RDONLY, O_RDWR | O_APPEND | O_CREAT, ...)
    // plus no-follow and non-blocking; -1 with the reason when it is missing, a link or no regular file.
    int OpenRegular(std::string_view file, int flags, std::string& error) const;

    // The whole of a regular file of the folder, up to `limit` bytes; nullopt when it is missing
    // (`missing` set) or cannot be read (the reason in `error`).
    std::optional<std::string> Read(std::string_view file, std::size_t limit, std::string& error,
                                    bool* missing = nullptr) const;

    // Appends a line to a regular file of the folder (made when missing), whole or not at all: what a
    // short write left is cut off again.
    bool AppendLine(std::string_view file, std::string_view line, std::string& error) const;

    // Renames a file of the folder (a link is renamed itself); false when that failed.
    bool Rename(std::string_view from, std::string_view to) const;

    // Removes the temporary files that processes which are gone left behind (a cancelled job's).
    void RemoveStaleTemporaries() const;

  private:
    JobFolder(std::filesystem::path path, int fd);
    std::filesystem::path m_path;
    int m_fd;
};

// Opens a virtual printer's folder as every way in does before it takes a job: refused, with the reason
// (beginning "the virtual printer's folder"), when it is missing, no folder, cannot be reached, or is
// refused by JobFolder::Open.
std::optional<JobFolder> OpenVirtualPrinterFolder(const std::filesystem::path& path, std::string& error);

// True when a spooler's job id is a job number: digits only, at most ten.
bool IsJobNumber(std::string_view id);

// The prefix and suffix of the folder's temporary files.
inline constexpr std::string_view kTemporaryPrefix = ".qv-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";

}  // namespace qvset
