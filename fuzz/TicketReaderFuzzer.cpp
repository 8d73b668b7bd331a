// The ticket description reader over arbitrary file bytes: the lines it applies, then the description
// it gives back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ticket/TicketDescription.h"
#include "ticket/TicketFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qvset;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TicketDescription description;
    ReadTicketBytes(bytes, description);
    const std::string text = BuildTicketDescription(description);
    // What the reader applied can always be written again and read once more.
    TicketDescription again;
    ReadTicketBytes(text, again);
    static_cast<void>(again.RecordedCount());
    return 0;
}
