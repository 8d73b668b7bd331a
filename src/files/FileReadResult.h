#pragma once

#include <cstdint>
#include <vector>

namespace qvset {

enum class FileReadStatus {
    Read,        // the bytes are in `bytes`
    NotAFile,    // missing, a folder, a device, a FIFO or a socket: nothing was read, nothing waited for
    Unreadable,  // a file that could not be opened or read to its end
    TooLarge,    // a file larger than the limit; `size` holds its size
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::NotAFile;
    std::vector<std::uint8_t> bytes;
    std::uintmax_t size = 0;
};

}  // namespace qvset
