#pragma once

#include <string>
#include <vector>

namespace qvset::testing {

// Every visible button of the main window that sends to the printer, where the window lays it out (in
// twips from the client area's top-left corner: its frame's position plus its own within the frame),
// and the one document it sends with the window's start-up texts (B 27, L 152, P 35). The baud buttons
// then show the restart message. Both windows, on Linux and on Windows, must deliver exactly these.
struct VisibleSendButton {
    const char* name;
    int left;
    int top;
    int width;
    int height;
    const char* hex;
    bool baudMessage;
};

inline const std::vector<VisibleSendButton>& VisibleSendButtons() {
    static const std::vector<VisibleSendButton> kButtons = {
        // 黑标设置 at 120, 2040
        {"Command28", 120 + 240, 2040 + 480, 615, 375, "1B4202", false},   // black mark on
        {"Command29", 120 + 1560, 2040 + 480, 615, 375, "1B4203", false},  // black mark off
        // 纸张类型设置 at 2880, 2040
        {"Command31", 2880 + 240, 2040 + 480, 735, 375, "1B4204", false},   // 76 mm paper
        {"Command32", 2880 + 1560, 2040 + 480, 735, 375, "1B4205", false},  // 58 mm paper
        // 黑标门槛 at 5640, 2040
        {"Command30", 5640 + 480, 2040 + 480, 1095, 375, "1B4201", false},  // recalibrate the threshold
        // 打印头选择 at 120, 3480
        {"Command33", 120 + 120, 3480 + 480, 975, 375, "1B420A", false},   // standard head
        {"Command34", 120 + 1440, 3480 + 480, 975, 375, "1B420B", false},  // noise-reduced head
        // 撕纸口位置选择 at 2880, 3480
        {"Command35", 2880 + 240, 3480 + 480, 855, 375, "1B420C", false},   // high tear-off edge, QV640
        {"Command36", 2880 + 1560, 3480 + 480, 855, 375, "1B420D", false},  // low tear-off edge, QV650
        // 打印开始定位 at 120, 4920 and 打印结束定位 at 2880, 4920
        {"Command37", 120 + 240, 4920 + 480, 615, 375, "1B4206", false},
        {"Command38", 120 + 1560, 4920 + 480, 615, 375, "1B4207", false},
        {"Command39", 2880 + 240, 4920 + 480, 615, 375, "1B4208", false},
        {"Command40", 2880 + 1560, 4920 + 480, 615, 375, "1B4209", false},
        // 串口波特率 9600*n at 5640, 3240: two columns, four rows
        {"Command41", 5640 + 240, 3240 + 360, 615, 375, "1B420E", true},    // 9600 x 1
        {"Command42", 5640 + 1200, 3240 + 360, 615, 375, "1B420F", true},   // 9600 x 2
        {"Command43", 5640 + 240, 3240 + 960, 615, 375, "1B4210", true},    // 9600 x 4
        {"Command44", 5640 + 1200, 3240 + 960, 615, 375, "1B4211", true},   // 9600 x 12
        {"Command45", 5640 + 240, 3240 + 1560, 615, 375, "1B4212", true},   // 9600 x 24
        {"Command46", 5640 + 1200, 3240 + 1560, 615, 375, "1B4213", true},  // 9600 x 30
        {"Command47", 5640 + 240, 3240 + 2160, 615, 375, "1B4214", true},   // 9600 x 36
        {"Command48", 5640 + 1200, 3240 + 2160, 615, 375, "1B4215", true},  // 9600 x 42
        // 票据格式设置 at 7680, 2040: the B, L and P rows (item encoding, 0.175 mm units)
        {"Command25", 7680 + 1920, 2040 + 720, 615, 375, "1D2846040006009B00", false},
        {"Command23", 7680 + 1920, 2040 + 2040, 615, 375, "1D2846040004006503", false},
        {"Command24", 7680 + 1920, 2040 + 3360, 615, 375, "1D284604000500C900", false},
        // 测试: the printer's self-test
        {"Command17", 120, 6360, 1335, 735, "1B3A000050", false},
    };
    return kButtons;
}

// The buttons left lit after every row above was clicked in order: the last choice of each item.
inline const std::vector<std::string>& LitAfterEveryVisibleSendButton() {
    static const std::vector<std::string> kLit = {"Command29", "Command32", "Command30", "Command34",
                                                  "Command36", "Command38", "Command40", "Command48",
                                                  "Command23", "Command24", "Command25"};
    return kLit;
}

// "设置票样" after every row above was clicked in order: the baud message first, then every recorded
// item as one document of 102 digits, in item order.
inline std::string BatchAfterEveryVisibleSendButton() {
    const char* kParts[] = {
        "1B4203",              // black mark off
        "1B4205",              // 58 mm paper
        "1B420B",              // noise-reduced head
        "1B420D",              // low tear-off edge
        "1B4207",              // print start positioning off
        "1B4209",              // print end positioning off
        "1D2846040004006503",  // L 152
        "1D284604000500C900",  // P 35
        "1D2846040006009B00",  // B 27
        "1B4201",              // threshold recalibration
        "1B4215",              // 9600 x 42
    };
    std::string batch;
    for (const char* part : kParts) batch += part;
    return batch;
}

// Where 设置票样 (Command19) and 取消选定 (Command49) are laid out.
inline constexpr VisibleSendButton kBatchButton{"Command19", 1920, 6360, 1335, 735, "", false};
inline constexpr VisibleSendButton kCancelSelectionButton{"Command49", 120 + 9120, 120 + 160, 975,
                                                          375,         "",         false};

}  // namespace qvset::testing
