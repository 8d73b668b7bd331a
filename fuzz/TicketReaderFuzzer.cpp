// The ticket description reader over arbitrary file bytes: the lines it applies, then the description
// the selection gives back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ticket/TicketDescription.h"
#include "ticket/TicketFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qvset;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TicketSelection selection;
    ReadTicketBytes(bytes, selection);
    const std::string text = BuildTicketDescription(selection.ItemStates(), selection.Text3(),
                                                    selection.Text4(), selection.Text5());
    // What the reader applied can always be written again and read once more.
    TicketSelection again;
    ReadTicketBytes(text, again);
    static_cast<void>(selection.HasUnsavedChanges());
    return 0;
}
