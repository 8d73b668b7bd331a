#pragma once

// The platform's calls that reading and replacing files are made of: POSIX descriptors or Windows
// handles. Only FileContents.cpp uses them; it holds the one sequence of steps for both platforms.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "files/FileReadResult.h"

namespace qvset {

// What stands at a path (its links already followed).
struct FileFacts {
    bool exists = false;
    bool regular = false;
    bool hardLinked = false;  // a file of more than one name
    // POSIX: its owner, group and mode, for a file that replaces it.
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;
};

// An open file, closed when it goes out of scope.
class NativeFile {
  public:
    NativeFile() = default;
    ~NativeFile() { Close(); }
    NativeFile(NativeFile&& other) noexcept : m_handle(other.m_handle) { other.m_handle = kNone; }
    NativeFile& operator=(NativeFile&& other) noexcept {
        if (this != &other) {
            Close();
            m_handle = other.m_handle;
            other.m_handle = kNone;
        }
        return *this;
    }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    static FileFacts Inspect(const std::filesystem::path& path);
    // Reads as ReadFileContents (`whole`) or ReadFileStart say.
    static FileReadResult ReadRegular(const std::filesystem::path& path, std::size_t limit, bool whole);
    // An existing regular file, open for reading and writing; not open otherwise.
    static NativeFile OpenExisting(const std::filesystem::path& path);
    // A new file made exclusively for writing (private where it is to replace an existing one, else
    // with the mode a plain create gives); not open otherwise, with `taken` set when the name was in use.
    static NativeFile CreateNew(const std::filesystem::path& path, bool replacing, bool& taken);
    static void Remove(const std::filesystem::path& path);
    // Puts `temporary` in the place of `target` and makes that last: a rename and the folder flushed
    // (POSIX); ReplaceFileW, which keeps the target's attributes and security, or a move (Windows).
    static bool MoveOver(const std::filesystem::path& temporary, const std::filesystem::path& target,
                         bool exists);

    bool IsOpen() const { return m_handle != kNone; }
    // POSIX: this new file takes the owner, group and mode of the one it replaces (Windows: MoveOver keeps
    // them).
    bool TakeOwnerAndMode(const FileFacts& replaced);
    // All of the file's bytes, read from its start.
    bool ReadAll(std::vector<std::uint8_t>& bytes);
    // Room for `newSize` bytes where the file holds `oldSize`; the length stays as it was when refused.
    bool Reserve(std::uint64_t oldSize, std::uint64_t newSize);
    // Writes all of `bytes` from the file's start.
    bool WriteFromStart(std::span<const std::uint8_t> bytes);
    bool SetLength(std::uint64_t length);
    // Puts the bytes written on the disk.
    bool Flush();
    // Closes now; false when the close reported an error (a write that failed late).
    bool Close();

  private:
    static constexpr std::intptr_t kNone = -1;
    explicit NativeFile(std::intptr_t handle) : m_handle(handle) {}

    std::intptr_t m_handle = kNone;
};

}  // namespace qvset
