#pragma once

#include "forms/Drawing.h"

namespace qvset::forms {

// The preview window's picture: a ticket headed "发 票 联" on a millimetre scale (broken between 65 and
// 135 mm), with its black mark and first print line and the three distances from the ticket's top edge:
// B (黑标距离) 27, P (起始打印距离) 35 and L (票长) 152; scale figures 20 to 60 and 140 to 160 and the
// unit "mm". Sized for the 5,160 × 6,720 twips of its picture box.
const Drawing& TicketDrawing();

}  // namespace qvset::forms
