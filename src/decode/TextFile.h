#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "files/FileContents.h"

namespace qvset {

// Replaces a file's contents with a text's bytes, whole or not at all (ReplaceFileContents).
inline bool ReplaceFileText(const std::filesystem::path& path, std::string_view text) {
    return ReplaceFileContents(path,
                               std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace qvset
