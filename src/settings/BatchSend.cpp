#include "settings/BatchSend.h"

#include "settings/FlagCommands.h"
#include "settings/SettingsClicks.h"
#include "ticket/GeometryClicks.h"
#include "ticket/TicketGeometry.h"

namespace qvset {

std::optional<std::string> BuildBatchCommand(
    const std::array<std::int16_t, TicketSelection::kSlots>& itemState, std::string_view text3,
    std::string_view text4, std::string_view text5) {
    const std::array<std::string_view, 3> texts{text3, text4, text5};
    std::string batch;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const std::int16_t code = itemState[static_cast<std::size_t>(item)];
        const GeometryButton* geometry = FindGeometryButtonOfItem(item);
        if (geometry == nullptr) {
            batch += BuildFlagCommand(item, code);
            continue;
        }
        if (code != kCodeFirst) continue;
        const auto part =
            BuildGeometryCommand(geometry->fn, texts[static_cast<std::size_t>(item - kItemTicketLength)]);
        if (!part) return std::nullopt;
        batch += *part;
    }
    return batch;
}

bool Command19_Click(TicketSelection& selection, PrintChannel& channel) {
    Dialogs& dialogs = channel.GetDialogs();
    std::int16_t recorded = 0;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        if (selection.ItemState(item) != kCodeNone) ++recorded;
    }
    if (recorded == 0) {
        dialogs.Message(kMsgNothingToSet);
        return false;
    }
    for (int item = kItemTicketLength; item <= kItemBlackMarkOffset; ++item) {
        if (selection.ItemState(item) != kCodeFirst) continue;
        const GeometryButton* geometry = FindGeometryButtonOfItem(item);
        selection.SetGeometryText(item,
                                  NormaliseItemText(selection.GeometryText(item), geometry->defaultText));
    }
    const auto batch =
        BuildBatchCommand(selection.ItemStates(), selection.Text3(), selection.Text4(), selection.Text5());
    if (!batch) {
        dialogs.Message(kMsgValueOutOfRange);
        return false;
    }
    if (batch->empty()) {
        // Only codes that no button records (from an edited file): there is nothing to send.
        dialogs.Message(kMsgNothingToSet);
        return false;
    }
    if (!BuildFlagCommand(kItemBaudRate, selection.ItemState(kItemBaudRate)).empty()) {
        dialogs.Message(kMsgBaudRateSet);
    }
    channel.SendHex(*batch);
    return true;
}

}  // namespace qvset
