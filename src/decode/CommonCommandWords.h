#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "decode/CommonCommand.h"
#include "decode/DecodedCommand.h"

namespace qvset {

// The meanings of whole common receipt-printer commands, the describers of the table's rows. Each takes
// the command's bytes (its opening and all its parameters and data), adds the fields the listing and
// the picture read, and returns the meaning in words. A describer is only given a command its row's
// length rule has framed whole, so every byte it reads is there.

// '#' in the row's meaning replaced by the last parameter byte (field "n").
std::string DescribeNumber(const CommonCommand& row, std::span<const std::uint8_t> command,
                           DecodedCommand& entry);
// '#' replaced by the two bytes nL nH after the opening (field "n").
std::string DescribeWord(const CommonCommand& row, std::span<const std::uint8_t> command,
                         DecodedCommand& entry);
// The row's meaning and "on" or "off" by the low bit of n (field "on").
std::string DescribeOnOff(const CommonCommand& row, std::span<const std::uint8_t> command,
                          DecodedCommand& entry);
std::string DescribeUnderline(const CommonCommand& row, std::span<const std::uint8_t> command,
                              DecodedCommand& entry);
// ESC !: font, bold, double height, double width, underline.
std::string DescribePrintMode(const CommonCommand& row, std::span<const std::uint8_t> command,
                              DecodedCommand& entry);
// GS !: width and height multipliers.
std::string DescribeCharacterSize(const CommonCommand& row, std::span<const std::uint8_t> command,
                                  DecodedCommand& entry);
std::string DescribeAlignment(const CommonCommand& row, std::span<const std::uint8_t> command,
                              DecodedCommand& entry);
std::string DescribeFont(const CommonCommand& row, std::span<const std::uint8_t> command,
                         DecodedCommand& entry);
std::string DescribeCodeTable(const CommonCommand& row, std::span<const std::uint8_t> command,
                              DecodedCommand& entry);
std::string DescribePulse(const CommonCommand& row, std::span<const std::uint8_t> command,
                          DecodedCommand& entry);
std::string DescribeCut(const CommonCommand& row, std::span<const std::uint8_t> command,
                        DecodedCommand& entry);
std::string DescribeTextPosition(const CommonCommand& row, std::span<const std::uint8_t> command,
                                 DecodedCommand& entry);
std::string DescribeRaster(const CommonCommand& row, std::span<const std::uint8_t> command,
                           DecodedCommand& entry);
// GS ( L and GS 8 L: the graphics functions.
std::string DescribeGraphics(const CommonCommand& row, std::span<const std::uint8_t> command,
                             DecodedCommand& entry);
// GS ( k: QR code, PDF417 and the other two-dimensional symbols.
std::string DescribeSymbol(const CommonCommand& row, std::span<const std::uint8_t> command,
                           DecodedCommand& entry);
std::string DescribeBarcode(const CommonCommand& row, std::span<const std::uint8_t> command,
                            DecodedCommand& entry);
// DLE EOT, DLE DC4, ESC c: the function byte picks the meaning.
std::string DescribeStatus(const CommonCommand& row, std::span<const std::uint8_t> command,
                           DecodedCommand& entry);
std::string DescribeRealTime(const CommonCommand& row, std::span<const std::uint8_t> command,
                             DecodedCommand& entry);
std::string DescribeSensors(const CommonCommand& row, std::span<const std::uint8_t> command,
                            DecodedCommand& entry);
// Counted commands whose function letter (and, after pL pH, function byte) is all there is to say.
std::string DescribeCounted(const CommonCommand& row, std::span<const std::uint8_t> command,
                            DecodedCommand& entry);

// The symbology of a GS k m: "CODE128", "EAN13"; empty for an m no reference gives.
std::string_view BarcodeSymbology(std::uint8_t m);
// A byte string as printable ASCII, other bytes as \xNN.
std::string PrintableBytes(std::span<const std::uint8_t> bytes);

}  // namespace qvset
