#pragma once

#include "printer/PrintChannel.h"
#include "printer/SendOutcome.h"
#include "ticket/Catalogue.h"
#include "ticket/TicketDescription.h"

namespace qvset {

// The distance's text as it is sent: a negative value becomes the distance's default text ("152" for
// the ticket length, "0" for the offsets); anything else (an empty text too) is kept.
std::string NormalisedDistanceText(const TicketDistance& distance, std::string_view text);

// Sends one ticket distance of a description (item 7, 8 or 9) as one geometry command in the item
// encoding. Its text is normalised in the description first, and stays so even when the value is then
// refused as out of range (kMsgValueOutOfRange, nothing sent). Records nothing.
SendOutcome SendDistance(PrintChannel& channel, TicketDescription& description, int item);

// The ticket format: the three distances of the description checked together for black-mark style 1
// or 2 (CheckTicketFormat: its message refuses), normalised for the format set (0 or below, or empty,
// becomes "0"), and sent as the three format-set commands in one document. A value out of range
// refuses with kMsgValueOutOfRange. Only once nothing refuses do the print-start, black-mark and length
// texts of the description take their normalised values, in that order, before the send.
SendOutcome SendTicketFormat(PrintChannel& channel, TicketDescription& description, int style);

}  // namespace qvset
