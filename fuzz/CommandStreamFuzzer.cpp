// The command-stream decoder over arbitrary documents: every byte lands in exactly one entry, in order
// (the entries' offsets and lengths tile the document and their bytes joined give it back); the listing
// and its JSON are written for every document; the state the entries leave is read back from its own
// JSON unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/StateListing.h"

namespace {
constexpr std::size_t kLongestJsonListing = 256;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qvset;
    const std::span<const std::uint8_t> document(data, size);
    const auto entries = DecodeDocument(document);
    std::size_t offset = 0;
    for (const auto& entry : entries) {
        if (entry.offset != offset || entry.bytes.empty() || entry.count == 0 ||
            entry.offset + entry.Length() > size)
            std::abort();
        // a run of identical commands: `count` copies of its bytes
        for (std::size_t i = 0; i < entry.Length(); ++i) {
            if (entry.bytes[i % entry.bytes.size()] != data[offset + i]) std::abort();
        }
        offset += entry.Length();
    }
    if (offset != size) std::abort();

    static_cast<void>(RenderEntries(entries));
    // The JSON writer costs most of a run on long documents; what it meets (odd bytes in texts and
    // fields) short ones hold too.
    if (size <= kLongestJsonListing) static_cast<void>(RenderListingJson(document));
    PrinterState state;
    state.Apply(entries, "1");
    static_cast<void>(RenderPrinterState(state));
    const std::string json = state.ToJson();
    const auto again = PrinterState::FromJson(json);
    if (!again || again->ToJson() != json) std::abort();
    return 0;
}
