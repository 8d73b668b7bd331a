#include "settings/FlagCommands.h"

#include <array>
#include <cstdio>

namespace qvset {
namespace {

constexpr std::array<FlagCommandRow, 21> kFlagCommands{{
    {0x01, kItemThreshold, 99, "Command30", "重新标定", "自动检测"},
    {0x02, kItemBlackMark, 99, "Command28", "打开", "打开"},
    {0x03, kItemBlackMark, 88, "Command29", "关闭", "关闭"},
    {0x04, kItemPaperWidth, 99, "Command31", "76mm纸", "76mm"},
    {0x05, kItemPaperWidth, 88, "Command32", "58mm纸", "58mm"},
    {0x06, kItemStartPositioning, 99, "Command37", "开启", "打印开始进退纸到打印起始位置"},
    {0x07, kItemStartPositioning, 88, "Command38", "关闭", "打印开始不走纸"},
    {0x08, kItemEndPositioning, 99, "Command39", "开启", "打印结束进退纸到撕纸位置"},
    {0x09, kItemEndPositioning, 88, "Command40", "关闭", "打印结束不走纸"},
    {0x0A, kItemPrintHead, 99, "Command33", "标准头", "标准打印头"},
    {0x0B, kItemPrintHead, 88, "Command34", "降噪头", "降噪打印头"},
    {0x0C, kItemTearEdge, 99, "Command35", "高QV640", "QV640"},
    {0x0D, kItemTearEdge, 88, "Command36", "低QV650", "QV650"},
    {0x0E, kItemBaudRate, 1, "Command41", "1倍", "9600*1"},
    {0x0F, kItemBaudRate, 2, "Command42", "2倍", "9600*2"},
    {0x10, kItemBaudRate, 3, "Command43", "4倍", "9600*4"},
    {0x11, kItemBaudRate, 4, "Command44", "12倍", "9600*12"},
    {0x12, kItemBaudRate, 5, "Command45", "24倍", "9600*24"},
    {0x13, kItemBaudRate, 6, "Command46", "30倍", "9600*30"},
    {0x14, kItemBaudRate, 7, "Command47", "36倍", "9600*36"},
    {0x15, kItemBaudRate, 8, "Command48", "42倍", "9600*42"},
}};

constexpr std::array<std::string_view, 12> kItemCaptions{"",
                                                         "黑标设置",
                                                         "纸张类型设置",
                                                         "打印头选择",
                                                         "撕纸口位置选择",
                                                         "打印开始定位",
                                                         "打印结束定位",
                                                         "票据格式设置",
                                                         "票据格式设置",
                                                         "票据格式设置",
                                                         "黑标门槛",
                                                         "串口波特率 9600*n"};

}  // namespace

std::span<const FlagCommandRow> FlagCommandTable() {
    return kFlagCommands;
}

const FlagCommandRow* FindFlagRow(int item, std::int16_t code) {
    for (const auto& row : kFlagCommands) {
        if (row.item == item && row.code == code) return &row;
    }
    return nullptr;
}

std::string_view FlagItemCaption(int item) {
    if (item < kFirstItem || item > kLastItem) return {};
    return kItemCaptions[static_cast<std::size_t>(item)];
}

std::string BuildFlagCommand(int item, std::int16_t code) {
    const FlagCommandRow* row = FindFlagRow(item, code);
    if (row == nullptr) return {};
    char hex[8];
    std::snprintf(hex, sizeof hex, "1B42%02X", static_cast<unsigned>(row->n));
    return hex;
}

}  // namespace qvset
