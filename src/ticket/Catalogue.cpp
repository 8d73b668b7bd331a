#include "ticket/Catalogue.h"

#include <array>

#include "ticket/TicketGeometry.h"

namespace qvset {
namespace {

constexpr std::array<SwitchChoice, 21> kSwitchChoices{{
    {0x01, kItemThreshold, 99, "重新标定", "自动检测", "threshold", "recalibrate"},
    {0x02, kItemBlackMark, 99, "打开", "打开", "black-mark", "on"},
    {0x03, kItemBlackMark, 88, "关闭", "关闭", "black-mark", "off"},
    {0x04, kItemPaperWidth, 99, "76mm纸", "76mm", "paper", "76"},
    {0x05, kItemPaperWidth, 88, "58mm纸", "58mm", "paper", "58"},
    {0x06, kItemStartPositioning, 99, "开启", "打印开始进退纸到打印起始位置", "start-position", "on"},
    {0x07, kItemStartPositioning, 88, "关闭", "打印开始不走纸", "start-position", "off"},
    {0x08, kItemEndPositioning, 99, "开启", "打印结束进退纸到撕纸位置", "end-position", "on"},
    {0x09, kItemEndPositioning, 88, "关闭", "打印结束不走纸", "end-position", "off"},
    {0x0A, kItemPrintHead, 99, "标准头", "标准打印头", "head", "standard"},
    {0x0B, kItemPrintHead, 88, "降噪头", "降噪打印头", "head", "quiet"},
    {0x0C, kItemTearEdge, 99, "高QV640", "QV640", "edge", "high"},
    {0x0D, kItemTearEdge, 88, "低QV650", "QV650", "edge", "low"},
    {0x0E, kItemBaudRate, 1, "1倍", "9600*1", "baud", "1"},
    {0x0F, kItemBaudRate, 2, "2倍", "9600*2", "baud", "2"},
    {0x10, kItemBaudRate, 3, "4倍", "9600*4", "baud", "4"},
    {0x11, kItemBaudRate, 4, "12倍", "9600*12", "baud", "12"},
    {0x12, kItemBaudRate, 5, "24倍", "9600*24", "baud", "24"},
    {0x13, kItemBaudRate, 6, "30倍", "9600*30", "baud", "30"},
    {0x14, kItemBaudRate, 7, "36倍", "9600*36", "baud", "36"},
    {0x15, kItemBaudRate, 8, "42倍", "9600*42", "baud", "42"},
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

constexpr std::array<TicketDistance, 3> kTicketDistances{{
    {kItemTicketLength, kFnTicketLength, "152", "152", "length", "ticket length", "票据长度"},
    {kItemStartOffset, kFnStartOffset, "0", "35", "start", "print-start offset", "起始打印位置"},
    {kItemBlackMarkOffset, kFnBlackMarkOffset, "0", "27", "mark", "black-mark offset", "黑标位置"},
}};

}  // namespace

std::span<const SwitchChoice> SwitchChoices() {
    return kSwitchChoices;
}

const SwitchChoice* FindSwitchChoice(int item, std::int16_t code) {
    for (const auto& choice : kSwitchChoices) {
        if (choice.item == item && choice.code == code) return &choice;
    }
    return nullptr;
}

const SwitchChoice* FindSwitchChoice(std::string_view itemWord, std::string_view choiceWord) {
    for (const auto& choice : kSwitchChoices) {
        if (choice.itemWord == itemWord && choice.choiceWord == choiceWord) return &choice;
    }
    return nullptr;
}

std::string_view ItemCaption(int item) {
    if (item < kFirstItem || item > kLastItem) return {};
    return kItemCaptions[static_cast<std::size_t>(item)];
}

std::span<const TicketDistance> TicketDistances() {
    return kTicketDistances;
}

const TicketDistance* FindDistance(int item) {
    for (const auto& distance : kTicketDistances) {
        if (distance.item == item) return &distance;
    }
    return nullptr;
}

const TicketDistance* FindDistanceByWord(std::string_view word) {
    for (const auto& distance : kTicketDistances) {
        if (distance.word == word) return &distance;
    }
    return nullptr;
}

}  // namespace qvset
