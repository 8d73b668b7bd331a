// Reading and replacing files: the one sequence of steps, over the platform's calls (NativeFile).
#include "files/FileContents.h"

#include "files/NativeFile.h"
#include "files/TemporaryNames.h"

namespace qvset {
namespace {

// Names tried for the temporary file before giving up.
constexpr int kTemporaryAttempts = 16;

// Overwrites an existing file in place: the space for a longer text is reserved first, and a write that
// fails part-way puts the old bytes back.
bool WriteInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    NativeFile file = NativeFile::OpenExisting(target);
    if (!file.IsOpen()) return false;
    std::vector<std::uint8_t> old;
    if (!file.ReadAll(old)) return false;
    if (bytes.size() > old.size() && !file.Reserve(old.size(), bytes.size())) return false;
    if (file.WriteFromStart(bytes) && file.SetLength(bytes.size()) && file.Flush()) return file.Close();
    // Put the earlier bytes back as well as the disk allows.
    file.WriteFromStart(old);
    file.SetLength(old.size());
    file.Flush();
    return false;
}

}  // namespace

FileReadResult ReadFileContents(const std::filesystem::path& path, std::size_t limit) {
    return NativeFile::ReadRegular(path, limit, true);
}

FileReadResult ReadFileStart(const std::filesystem::path& path, std::size_t limit) {
    return NativeFile::ReadRegular(path, limit, false);
}

bool ReplaceFileContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = FollowSymbolicLinks(path);
    const FileFacts facts = NativeFile::Inspect(target);
    if (facts.exists && !facts.regular) return false;
    // A rename would cut the other names of a hard-linked file from the new text.
    if (facts.exists && facts.hardLinked) return WriteInPlace(target, bytes);

    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::filesystem::path temporary;
    NativeFile file;
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        temporary = folder / TemporaryFileName();
        bool taken = false;
        file = NativeFile::CreateNew(temporary, facts.exists, taken);
        if (file.IsOpen() || !taken) break;
    }
    if (!file.IsOpen()) return facts.exists && WriteInPlace(target, bytes);

    const auto discard = [&] {
        file.Close();
        NativeFile::Remove(temporary);
    };
    if (facts.exists && !file.TakeOwnerAndMode(facts)) {
        discard();
        return WriteInPlace(target, bytes);
    }
    if (!file.WriteFromStart(bytes) || !file.Flush() || !file.Close()) {
        discard();
        return false;
    }
    if (!NativeFile::MoveOver(temporary, target, facts.exists)) {
        NativeFile::Remove(temporary);
        return facts.exists && WriteInPlace(target, bytes);
    }
    return true;
}

}  // namespace qvset
