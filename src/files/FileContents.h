#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "files/FileReadResult.h"

namespace qvset {

// Reads all of a regular file of at most `limit` bytes. Anything but a regular file is refused at
// once, without reading from it or waiting for it (a FIFO without a writer, /dev/zero).
FileReadResult ReadFileContents(const std::filesystem::path& path, std::size_t limit);

// Reads the first `limit` bytes of a regular file (all of it when it is shorter); never TooLarge.
FileReadResult ReadFileStart(const std::filesystem::path& path, std::size_t limit);

// Replaces the contents of a file with `bytes`, so that a failure leaves the earlier contents as they
// were. Where the file exists its mode, owner and group stay, a symbolic link is written through to its
// target, and a file with several hard links is changed for all of them.
//
// The new bytes are written to a short-named temporary file in the target's folder, flushed to the disk
// and renamed over the target: a full disk, a size limit, an I/O error or a crash before the rename
// leave the old file untouched. Where that cannot be done (a hard-linked file, a folder that takes no new
// file, an owner the temporary file cannot be given) the file is overwritten in place after the space
// for the new size was reserved; a failure while writing then puts the old bytes back, but a crash or
// power loss in the middle of that write can leave a mixture.
//
// Returns false, having written nothing that stays, when the file could not be replaced.
bool ReplaceFileContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace qvset
