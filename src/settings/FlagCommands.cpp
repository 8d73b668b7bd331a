#include "settings/FlagCommands.h"

#include <cstdio>

namespace qvset {

std::string BuildFlagCommand(int item, std::int16_t code) {
    const SwitchChoice* choice = FindSwitchChoice(item, code);
    if (choice == nullptr) return {};
    char hex[8];
    std::snprintf(hex, sizeof hex, "1B42%02X", static_cast<unsigned>(choice->n));
    return hex;
}

}  // namespace qvset
