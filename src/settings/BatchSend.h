#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "printer/PrintChannel.h"
#include "printer/SendOutcome.h"
#include "ticket/TicketDescription.h"

namespace qvset {

inline constexpr std::string_view kMsgNothingToSet = "您没有要设置的项目，请确认";

// The part of one item in the batch, as hex text: BuildFlagCommand of its code for items 1 to 6, 10 and
// 11; for a distance recorded as 99, BuildGeometryCommand of its text; empty when its code builds
// nothing. nullopt for a recorded distance out of range.
std::optional<std::string> BuildItemCommand(const TicketDescription& description, int item);

// The batch: the part of every item 1 to 11 in item order, joined without separators. Items 1 to 6,
// 10 and 11 give BuildFlagCommand of their code; distances recorded as 99 give BuildGeometryCommand of
// their text, which the caller has already normalised. Codes that build nothing give nothing. nullopt
// when a recorded distance is out of range: then nothing of the batch may be sent.
std::optional<std::string> BuildBatchCommand(const TicketDescription& description);

// The texts of the recorded distances as sending them records them: a negative value becomes its default.
void NormaliseDistances(TicketDescription& description);

// Sends every item a description records as one document ("设置票样"). Nothing recorded, or only codes
// that build nothing, refuses with kMsgNothingToSet. The texts of the recorded distances are normalised
// in the description first (a negative value becomes its default) and stay so; a value out of range
// then refuses with kMsgValueOutOfRange. A recorded baud rate shows kMsgBaudRateSet through the
// channel's dialogs before the document is sent.
SendOutcome SendTicket(PrintChannel& channel, TicketDescription& description);

}  // namespace qvset
