#include "settings/BatchSend.h"

#include "settings/FlagCommands.h"
#include "settings/SwitchCommands.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketGeometry.h"

namespace qvset {

std::optional<std::string> BuildItemCommand(const TicketDescription& description, int item) {
    const std::int16_t code = description.Code(item);
    const TicketDistance* distance = FindDistance(item);
    if (distance == nullptr) return BuildFlagCommand(item, code);
    if (code != kCodeFirst) return std::string();
    return BuildGeometryCommand(distance->fn, description.DistanceText(item));
}

std::optional<std::string> BuildBatchCommand(const TicketDescription& description) {
    std::string batch;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const auto part = BuildItemCommand(description, item);
        if (!part) return std::nullopt;
        batch += *part;
    }
    return batch;
}

void NormaliseDistances(TicketDescription& description) {
    for (const TicketDistance& distance : TicketDistances()) {
        if (description.Code(distance.item) != kCodeFirst) continue;
        description.SetDistanceText(
            distance.item, NormalisedDistanceText(distance, description.DistanceText(distance.item)));
    }
}

SendOutcome SendTicket(PrintChannel& channel, TicketDescription& description) {
    if (description.RecordedCount() == 0) return Refusal(kMsgNothingToSet);
    NormaliseDistances(description);
    const auto batch = BuildBatchCommand(description);
    if (!batch) return Refusal(kMsgValueOutOfRange);
    // Only codes that no choice records (from an edited file): there is nothing to send.
    if (batch->empty()) return Refusal(kMsgNothingToSet);
    if (!BuildFlagCommand(kItemBaudRate, description.Code(kItemBaudRate)).empty()) {
        channel.GetDialogs().Message(kMsgBaudRateSet);
    }
    channel.SendHex(*batch);
    return SendOutcome{1, {}, {}};
}

}  // namespace qvset
