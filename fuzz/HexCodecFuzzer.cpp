// The hex codec over arbitrary texts: whatever decodes has the byte count of its length and encodes
// back to a text that decodes to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "printer/HexCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qvset;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto bytes = DecodeHex(text);
    if (!bytes) return 0;
    if (bytes->size() != HexByteCount(text.size())) std::abort();
    const auto again = DecodeHex(EncodeHex(*bytes));
    if (!again || *again != *bytes) std::abort();
    return 0;
}
