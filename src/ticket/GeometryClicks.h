#pragma once

#include <cstdint>
#include <string_view>

#include "printer/PrintChannel.h"
#include "settings/TicketSelection.h"

namespace qvset {

// A geometry button: the item it records, the text box it reads, its function byte and the text that
// replaces a negative value.
struct GeometryButton {
    std::string_view name;
    int item;
    std::uint8_t fn;
    std::string_view defaultText;
};

// Command23 (ticket length, Text3), Command24 (print-start offset, Text4), Command25 (black-mark
// offset, Text5); nullptr for any other name.
const GeometryButton* FindGeometryButton(std::string_view name);
const GeometryButton* FindGeometryButtonOfItem(int item);

// A click on Command23, Command24 or Command25: a negative text becomes its default, the item's geometry
// command is sent as one document, the button is lit and its item recorded as 99 (whether or not the
// printer could be reached). A value out of range shows kMsgValueOutOfRange and sends, lights and
// records nothing. Returns false, doing nothing, for any other name.
bool ClickGeometryButton(TicketSelection& selection, PrintChannel& channel, std::string_view button);

// The format set (Command16) with the selection's black-mark style: CheckTicketFormat, then Text4,
// Text5 and Text3 normalised, then the three commands as one document. A failed check or a value out of
// range shows its message and leaves the texts as they were. Records and lights nothing. True when the
// commands were handed to the channel.
bool Command16_Click(TicketSelection& selection, PrintChannel& channel);

}  // namespace qvset
