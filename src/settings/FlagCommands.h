#pragma once

#include <cstdint>
#include <string>

#include "ticket/Catalogue.h"

namespace qvset {

// The hex command of an item's recorded code: "1B42" and the choice's n in two upper-case digits for
// items 1 to 6 (99, 88), 10 (99) and 11 (1 to 8); the empty text for any other item or code. The
// ticket distances 7 to 9 are built by BuildGeometryCommand.
std::string BuildFlagCommand(int item, std::int16_t code);

}  // namespace qvset
