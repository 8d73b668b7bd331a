#include "forms/CheckBoxPanel.h"

#include <optional>

namespace qvset::forms {
namespace {

constexpr std::string_view kBaudRateBox = "PrinterBaudrate";

const std::array<CheckBoxRow, CheckBoxPanel::kCount> kRows{{
    {"PrinterBlack", "黑标设置", "ComBlack", "打开"},
    {"PrinterPaper", "纸张设置", "ComPaper", "76mm"},
    {"PrinterStart", "打印开始定位", "ComStart", "打印开始进退纸到打印起始位置"},
    {"PrinterEnd", "打印结束定位", "ComEnd", "打印结束进退纸到撕纸位置"},
    {"PrinterWay", "打印方式选择", "ComWay", "标准打印头"},
    {"PrinterStyle", "打印机型号选择", "ComStyle", "QV640"},
    {"PrinterDoor", "黑标门槛", "ComDoor", "自动检测"},
    {"PrinterBaudrate", "串口波特率", "ComBaudrate", "9600*1"},
    {"PrinterLong", "票据长度(单位：mm)", "Text3", ""},
    {"PrinterStartPosition", "起始打印位置相对发票顶部的偏移量(单位：mm)", "Text4", ""},
    {"PrinterBlackPosition", "黑标位置相对于发票顶部的偏移量(单位：mm)", "Text5", ""},
}};

std::optional<std::size_t> IndexOf(std::string_view name) {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].name == name) return i;
    }
    return std::nullopt;
}

}  // namespace

const std::array<CheckBoxRow, CheckBoxPanel::kCount>& CheckBoxPanel::Rows() {
    return kRows;
}

bool CheckBoxPanel::Click(std::string_view checkBox) {
    const auto index = IndexOf(checkBox);
    if (!index) return false;
    const bool ticked = !m_ticked[*index];
    m_ticked[*index] = ticked;
    if (ticked) {
        m_enabled[*index] = true;
    } else if (checkBox == kBaudRateBox) {
        m_enabled[*index] = false;
    }
    return true;
}

bool CheckBoxPanel::IsTicked(std::string_view checkBox) const {
    const auto index = IndexOf(checkBox);
    return index && m_ticked[*index];
}

bool CheckBoxPanel::IsPartnerEnabled(std::string_view checkBox) const {
    const auto index = IndexOf(checkBox);
    return index && m_enabled[*index];
}

}  // namespace qvset::forms
