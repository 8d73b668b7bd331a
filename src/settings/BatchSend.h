#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "printer/PrintChannel.h"
#include "settings/TicketSelection.h"

namespace qvset {

inline constexpr std::string_view kMsgNothingToSet = "您没有要设置的项目，请确认";

// The batch: the part of every item 1 to 11 in item order, joined without separators. Items 1 to 6,
// 10 and 11 give BuildFlagCommand of their code; items 7, 8, 9 recorded as 99 give BuildGeometryCommand
// (fn 04, 05, 06) of Text3, Text4, Text5, which the caller has already normalised. Codes that build
// nothing give nothing. nullopt when a recorded geometry value is out of range: then nothing of the
// batch may be sent.
std::optional<std::string> BuildBatchCommand(
    const std::array<std::int16_t, TicketSelection::kSlots>& itemState, std::string_view text3,
    std::string_view text4, std::string_view text5);

// "设置票样": sends every recorded item as one document. With no item recorded, or when every recorded
// code builds nothing, shows kMsgNothingToSet and sends nothing. The texts of the recorded geometry
// items are normalised (a negative value becomes its default) and stay so; a value out of range shows
// kMsgValueOutOfRange and sends nothing. A recorded baud rate shows kMsgBaudRateSet before the send.
// Lights nothing and records nothing. True when the batch was handed to the channel.
bool Command19_Click(TicketSelection& selection, PrintChannel& channel);

}  // namespace qvset
