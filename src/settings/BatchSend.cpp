#include "settings/BatchSend.h"

#include "settings/FlagCommands.h"
#include "settings/SwitchCommands.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketGeometry.h"

namespace qvset {

std::optional<std::string> BuildBatchCommand(const TicketDescription& description) {
    std::string batch;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const std::int16_t code = description.Code(item);
        const TicketDistance* distance = FindDistance(item);
        if (distance == nullptr) {
            batch += BuildFlagCommand(item, code);
            continue;
        }
        if (code != kCodeFirst) continue;
        const auto part = BuildGeometryCommand(distance->fn, description.DistanceText(item));
        if (!part) return std::nullopt;
        batch += *part;
    }
    return batch;
}

SendOutcome SendTicket(PrintChannel& channel, TicketDescription& description) {
    if (description.RecordedCount() == 0) return Refusal(kMsgNothingToSet);
    for (const TicketDistance& distance : TicketDistances()) {
        if (description.Code(distance.item) != kCodeFirst) continue;
        description.SetDistanceText(distance.item,
                                    NormalisedDistanceText(distance, description.DistanceText(distance.item)));
    }
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
