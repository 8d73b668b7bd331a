#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/PrinterState.h"
#include "ticket/TicketDescription.h"

namespace qvset {

// Why an item of a description would be sent to a printer, or not.
enum class ItemPlanReason {
    NotRecorded,  // nothing the printer was sent sets this item: it is sent
    Differs,      // the printer was last sent another value for it: it is sent
    Same,         // the printer was last sent exactly this: it is left alone
    Unknown,      // what the printer holds for it is not known (`why` says why): it is sent
};
std::string_view ItemPlanReasonWord(ItemPlanReason reason);  // "no record", "differs", "same", "unknown"

// One item a description records, against what a printer's record implies.
struct ItemPlan {
    int item = 0;
    ItemPlanReason reason = ItemPlanReason::NotRecorded;
    std::vector<std::uint8_t> wanted;       // the item's command as the batch builds it
    std::optional<StoredCommand> recorded;  // what the printer was last sent for it
    std::string why = {};                   // for Unknown: why the record cannot say
};

// Every item the description records that builds a command, in item order, compared with the stored
// switches and distances of `state`, command bytes against command bytes. The distance texts are
// normalised first, as sending does. nullopt when a recorded distance is out of range.
std::optional<std::vector<ItemPlan>> PlanTicket(const TicketDescription& description,
                                                const PrinterState& state);
// The same, where the items in `unknown` are Unknown, with the reason given there.
std::optional<std::vector<ItemPlan>> PlanTicket(const TicketDescription& description,
                                                const PrinterState& state,
                                                const std::map<int, std::string>& unknown);

// The description with only the items the plan sends (every other item not recorded).
TicketDescription ChangedItems(const TicketDescription& description, const std::vector<ItemPlan>& plan);

// What a plan sends: the commands of its items that are not the same, in item order, as one document
// (empty: nothing to send), and whether the baud rate is among them, when the notice that the baud rate
// was set is shown before the document goes.
struct PlannedBatch {
    std::vector<std::uint8_t> bytes;
    bool baudNotice = false;
};
PlannedBatch BatchOfPlan(const std::vector<ItemPlan>& plan);

}  // namespace qvset
