#pragma once

#include <string_view>

#include "printer/PrintChannel.h"
#include "printer/SendOutcome.h"
#include "ticket/Catalogue.h"

namespace qvset {

inline constexpr std::string_view kMsgBaudRateSet = "您设置了波特率，完成后需要重启打印机";

// Sends one stored-switch choice as one ESC 'B' document. A baud-rate choice carries kMsgBaudRateSet
// as its notice, to be shown once the choice is recorded.
SendOutcome SendSwitch(PrintChannel& channel, const SwitchChoice& choice);

}  // namespace qvset
