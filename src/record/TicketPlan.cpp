#include "record/TicketPlan.h"

#include "printer/HexCodec.h"
#include "settings/BatchSend.h"
#include "ticket/Catalogue.h"

namespace qvset {

std::string_view ItemPlanReasonWord(ItemPlanReason reason) {
    switch (reason) {
        case ItemPlanReason::NotRecorded:
            return "no record";
        case ItemPlanReason::Differs:
            return "differs";
        case ItemPlanReason::Same:
            return "same";
        case ItemPlanReason::Unknown:
            return "unknown";
    }
    return {};
}

std::optional<std::vector<ItemPlan>> PlanTicket(const TicketDescription& description,
                                                const PrinterState& state) {
    return PlanTicket(description, state, {});
}

std::optional<std::vector<ItemPlan>> PlanTicket(const TicketDescription& description,
                                                const PrinterState& state,
                                                const std::map<int, std::string>& unknown) {
    TicketDescription normalised = description;
    NormaliseDistances(normalised);
    std::vector<ItemPlan> plan;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const auto hex = BuildItemCommand(normalised, item);
        if (!hex) return std::nullopt;
        if (hex->empty()) continue;
        ItemPlan entry{
            item, ItemPlanReason::NotRecorded, DecodeHex(*hex).value_or(std::vector<std::uint8_t>{}), {}};
        const auto& stored = FindDistance(item) != nullptr ? state.Distances() : state.Switches();
        if (const auto found = stored.find(item); found != stored.end()) {
            entry.recorded = found->second;
            entry.reason =
                found->second.bytes == entry.wanted ? ItemPlanReason::Same : ItemPlanReason::Differs;
        }
        if (const auto doubt = unknown.find(item); doubt != unknown.end()) {
            entry.reason = ItemPlanReason::Unknown;
            entry.why = doubt->second;
        }
        plan.push_back(std::move(entry));
    }
    return plan;
}

TicketDescription ChangedItems(const TicketDescription& description, const std::vector<ItemPlan>& plan) {
    TicketDescription changed = description;
    changed.ClearCodes();
    for (const ItemPlan& entry : plan) {
        if (entry.reason != ItemPlanReason::Same) changed.SetCode(entry.item, description.Code(entry.item));
    }
    return changed;
}

PlannedBatch BatchOfPlan(const std::vector<ItemPlan>& plan) {
    PlannedBatch batch;
    for (const ItemPlan& entry : plan) {
        if (entry.reason == ItemPlanReason::Same) continue;
        batch.bytes.insert(batch.bytes.end(), entry.wanted.begin(), entry.wanted.end());
        if (entry.item == kItemBaudRate) batch.baudNotice = true;
    }
    return batch;
}

}  // namespace qvset
