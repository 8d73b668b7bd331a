#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "printer/HexCodec.h"

namespace qvset::testing {

// ESC 01 '@' and the command signature "QV600" as hex.
inline const std::string kModePrefixHex =
    "1B0140"
    "5156363030";
inline const std::string kSaveHex = "1B3A000052";

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
    return EncodeHex(bytes);
}

}  // namespace qvset::testing
