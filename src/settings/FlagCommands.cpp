#include "settings/FlagCommands.h"

#include "printer/HexCodec.h"

namespace qvset {

std::string BuildFlagCommand(int item, std::int16_t code) {
    const SwitchChoice* choice = FindSwitchChoice(item, code);
    if (choice == nullptr) return {};
    return "1B42" + HexPair(choice->n);
}

}  // namespace qvset
