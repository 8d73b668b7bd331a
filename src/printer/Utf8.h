#pragma once

#include <cstddef>

namespace qvset {

// Length of the UTF-8 sequence that starts with `lead`; a byte that cannot start one (a stray
// continuation byte, 0xF8 and above) counts as a sequence of its own.
inline std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace qvset
