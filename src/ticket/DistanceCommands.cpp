#include "ticket/DistanceCommands.h"

#include "ticket/TicketGeometry.h"

namespace qvset {

std::string NormalisedDistanceText(const TicketDistance& distance, std::string_view text) {
    return NormaliseItemText(text, distance.defaultText);
}

SendOutcome SendDistance(PrintChannel& channel, TicketDescription& description, int item) {
    const TicketDistance* distance = FindDistance(item);
    if (distance == nullptr) return Refusal(kMsgValueOutOfRange);
    description.SetDistanceText(item, NormalisedDistanceText(*distance, description.DistanceText(item)));
    const auto command = BuildGeometryCommand(distance->fn, description.DistanceText(item));
    if (!command) return Refusal(kMsgValueOutOfRange);
    channel.SendHex(*command);
    return SendOutcome{1, {}, {}};
}

SendOutcome SendTicketFormat(PrintChannel& channel, TicketDescription& description, int style) {
    const std::string& length = description.DistanceText(kItemTicketLength);
    const std::string& start = description.DistanceText(kItemStartOffset);
    const std::string& blackMark = description.DistanceText(kItemBlackMarkOffset);
    if (const auto problem = CheckTicketFormat(style, length, start, blackMark)) return Refusal(*problem);
    std::string normalStart = NormaliseFormatSetText(start);
    std::string normalBlackMark = NormaliseFormatSetText(blackMark);
    std::string normalLength = NormaliseFormatSetText(length);
    const auto command = BuildTicketFormatCommand(style, normalLength, normalStart, normalBlackMark);
    if (!command) return Refusal(kMsgValueOutOfRange);
    description.SetDistanceText(kItemStartOffset, std::move(normalStart));
    description.SetDistanceText(kItemBlackMarkOffset, std::move(normalBlackMark));
    description.SetDistanceText(kItemTicketLength, std::move(normalLength));
    channel.SendHex(*command);
    return SendOutcome{1, {}, {}};
}

}  // namespace qvset
