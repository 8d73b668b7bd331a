#include "ticket/TicketGeometry.h"

#include "printer/HexCodec.h"
#include "ticket/NumericText.h"

namespace qvset {
namespace {

constexpr std::string_view kGeometryPrefix = "1D28460400";

std::optional<std::int32_t> Count(std::string_view millimetres, std::int32_t unit) {
    const auto thousandths = RoundToInt32(NumericValue(millimetres) * 1000.0);
    if (!thousandths) return std::nullopt;
    const std::int32_t count = *thousandths / unit;  // truncates toward zero
    if (count < 0) return std::nullopt;
    return count;
}

std::string Command(std::uint8_t fn, std::uint8_t mode, const std::string& counts) {
    return std::string(kGeometryPrefix) + HexPair(fn) + HexPair(mode) + counts;
}

}  // namespace

std::optional<std::string> EncodeFormatSetValue(std::string_view millimetres) {
    const auto count = Count(millimetres, kFormatSetUnit);
    if (!count) return std::nullopt;
    const auto low = static_cast<std::uint32_t>(*count % 256);
    const auto high = static_cast<std::uint32_t>(*count / 256);
    if (high > 255) return std::nullopt;
    return HexPair(static_cast<std::uint8_t>(low)) + HexPair(static_cast<std::uint8_t>(high));
}

std::optional<std::string> EncodeItemValue(std::string_view millimetres) {
    const auto count = Count(millimetres, kItemUnit);
    if (!count) return std::nullopt;
    auto low = static_cast<std::uint32_t>(*count % 256);
    auto high = static_cast<std::uint32_t>(*count / 256);
    if (low != 0) ++low;
    if (low == 256) {
        low = 0;
        ++high;
    }
    if (high > 255) return std::nullopt;
    return HexPair(static_cast<std::uint8_t>(low)) + HexPair(static_cast<std::uint8_t>(high));
}

std::optional<std::string_view> CheckTicketFormat(int style, std::string_view length, std::string_view start,
                                                  std::string_view blackMark) {
    if (length.empty()) return kMsgTicketLengthEmpty;
    const double l = NumericValue(length);
    if (l < 10) return kMsgTicketTooShort;
    const double p = NumericValue(start);
    const double b = NumericValue(blackMark);
    if (style == 1) {
        if (p + b > l) return kMsgLengthBelowSum;
        if (b < p) return kMsgStartBeyondTear;
    } else {
        if (b < p) return kMsgStartBeyondTear;
        if (p > l) return kMsgStartBeyondLength;
        if (b > l) return kMsgTearBeyondLength;
    }
    return std::nullopt;
}

std::string NormaliseItemText(std::string_view text, std::string_view defaultText) {
    if (NumericValue(text) < 0) return std::string(defaultText);
    return std::string(text);
}

std::string NormaliseFormatSetText(std::string_view text) {
    if (text.empty() || NumericValue(text) <= 0) return "0";
    return std::string(text);
}

std::optional<std::string> BuildTicketFormatCommand(int style, std::string_view length,
                                                    std::string_view start, std::string_view blackMark) {
    const auto startCount = EncodeFormatSetValue(start);
    const auto blackMarkCount = EncodeFormatSetValue(blackMark);
    const auto lengthCount = EncodeFormatSetValue(length);
    if (!startCount || !blackMarkCount || !lengthCount) return std::nullopt;
    const std::uint8_t startMode = style == 1 ? 0x01 : 0x00;
    return Command(kFnFormatStart, startMode, *startCount) +
           Command(kFnFormatBlackMark, 0x00, *blackMarkCount) + Command(kFnFormatLength, 0x00, *lengthCount);
}

std::optional<std::string> BuildGeometryCommand(std::uint8_t fn, std::string_view millimetres) {
    const auto count = EncodeItemValue(millimetres);
    if (!count) return std::nullopt;
    return Command(fn, 0x00, *count);
}

}  // namespace qvset
