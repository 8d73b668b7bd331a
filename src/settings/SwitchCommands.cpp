#include "settings/SwitchCommands.h"

#include "settings/FlagCommands.h"

namespace qvset {

SendOutcome SendSwitch(PrintChannel& channel, const SwitchChoice& choice) {
    channel.SendHex(BuildFlagCommand(choice.item, choice.code));
    return SendOutcome{1, {}, choice.item == kItemBaudRate ? kMsgBaudRateSet : std::string_view()};
}

}  // namespace qvset
