#pragma once

#include <string>

namespace qvset::testing {

// The typical description: black mark on, 58 mm, head not recorded, high edge, start positioning on,
// end positioning off, length 152 and black-mark offset 27 recorded, baud x4. Its twelve lines as the
// description builder makes them; a saved file ends with one more CR LF.
inline const std::string kTypicalTicket =
    "KQ605USET1\r\n"
    "A99黑标设置    打开\r\n"
    "A88纸张类型设置    58mm纸\r\n"
    "B0\r\n"
    "A99撕纸口位置选择    高QV640\r\n"
    "A99打印开始定位    开启\r\n"
    "A88打印结束定位    关闭\r\n"
    "A99152\r\n"
    "B0\r\n"
    "A9927\r\n"
    "B0\r\n"
    "A3串口波特率    9600*4\r\n";

inline const std::string kTypicalTicketFile = kTypicalTicket + "\r\n";

}  // namespace qvset::testing
