#pragma once

#include <cstddef>
#include <string_view>

namespace qvset {

// The bytes at the start of a GBK `text` that one replacement character stands for (see
// Utf8ReplacedSpan): a lead byte 81 to FE takes the byte after it only when that can be a trail byte
// (40 to 7E, 80 to FE).
inline std::size_t GbkReplacedSpan(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x81 || lead == 0xFF || text.size() < 2) return 1;
    const auto trail = static_cast<unsigned char>(text[1]);
    return trail >= 0x40 && trail != 0x7F && trail != 0xFF ? 2 : 1;
}

}  // namespace qvset
