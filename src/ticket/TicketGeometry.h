#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvset {

// The checks of the format set, in the order they are made.
inline constexpr std::string_view kMsgTicketLengthEmpty = "票长不能为空";
inline constexpr std::string_view kMsgTicketTooShort = "票长也太短了吧!";
inline constexpr std::string_view kMsgLengthBelowSum = "票长不能小于设置长度之和，请选择样式二或者更改参数";
inline constexpr std::string_view kMsgStartBeyondTear = "打印起始位置不能超过撕纸位置，请更改参数";
inline constexpr std::string_view kMsgStartBeyondLength = "打印起始位置不能超过票长，请更改参数";
inline constexpr std::string_view kMsgTearBeyondLength = "撕纸位置不能超过票长，请更改参数";
// A millimetre value whose motion count does not fit the command's two bytes.
inline constexpr std::string_view kMsgValueOutOfRange = "数值超出范围，未发送";

// Function bytes of the geometry command 1D 28 46 04 00 fn m nL nH.
inline constexpr std::uint8_t kFnFormatStart = 0x01;
inline constexpr std::uint8_t kFnFormatBlackMark = 0x02;
inline constexpr std::uint8_t kFnFormatLength = 0x03;
inline constexpr std::uint8_t kFnTicketLength = 0x04;
inline constexpr std::uint8_t kFnStartOffset = 0x05;
inline constexpr std::uint8_t kFnBlackMarkOffset = 0x06;

// Thousandths of a millimetre per motion count: 0.176 mm in the format-set encoding, 0.175 mm in the
// item encoding.
inline constexpr std::int32_t kFormatSetUnit = 176;
inline constexpr std::int32_t kItemUnit = 175;

// Format-set encoding: the thousandths of a millimetre (half-even) in units of 0.176 mm, as the four
// hex digits nL nH. nullopt when the value is not finite, its thousandths do not fit 32 bits, or the
// count is negative or does not fit 16 bits (from 11534.336 mm).
std::optional<std::string> EncodeFormatSetValue(std::string_view millimetres);

// Item encoding: the count is in units of 0.175 mm and a non-zero low byte is sent one higher (the
// printer counts that byte from 1). A low byte of 255 would become 256, so it carries instead: nL 00
// and nH + 1, the bytes of the next count up (44.625 mm gives 00 01, as 44.8 mm does). nullopt as for
// EncodeFormatSetValue, here from 11468.625 mm on.
std::optional<std::string> EncodeItemValue(std::string_view millimetres);

// The checks of the format set on the texts of L, P and B for black-mark style 1 or 2: nullopt when
// they pass, otherwise the message of the first failing one. Equal values pass every comparison.
std::optional<std::string_view> CheckTicketFormat(int style, std::string_view length, std::string_view start,
                                                  std::string_view blackMark);

// The single-item normalisation: a negative value becomes the item's default text ("152" for the ticket
// length, "0" for the offsets); anything else (an empty text too) is kept.
std::string NormaliseItemText(std::string_view text, std::string_view defaultText);

// The format-set normalisation: an empty text or a value of 0 or below becomes "0".
std::string NormaliseFormatSetText(std::string_view text);

// The three format-set commands fn 01 (m 01 in style 1, 00 in style 2), 02 and 03 for the normalised
// texts, 54 hex digits; nullopt when a value is out of range.
std::optional<std::string> BuildTicketFormatCommand(int style, std::string_view length,
                                                    std::string_view start, std::string_view blackMark);

// One geometry command with the item encoding, 18 hex digits: 1D28460400, fn, 00, EncodeItemValue.
// nullopt when the value is out of range.
std::optional<std::string> BuildGeometryCommand(std::uint8_t fn, std::string_view millimetres);

}  // namespace qvset
