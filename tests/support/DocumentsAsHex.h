#pragma once

#include <string>
#include <vector>

#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"

namespace qvset::testing {

// Every document the spooler received so far, each as upper-case hex.
inline std::vector<std::string> DocumentsAsHex(const MemorySpooler& spooler) {
    std::vector<std::string> hex;
    for (const auto& document : spooler.Documents()) hex.push_back(EncodeHex(document.bytes));
    return hex;
}

}  // namespace qvset::testing
