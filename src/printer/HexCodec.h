#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvset {

// Decodes a hex command string: each two characters are one byte, upper or lower case.
//
// The byte count is round(L / 2 - 1) + 1 with ties to even, which is how the printer tool has always
// read texts of odd length: for L = 1, 5, 9, ... the last character is a byte of its own (read as one
// digit); for L = 3, 7, 11, ... the last character is ignored. Blanks around a digit inside a pair are
// trimmed, so "A " and " A" both read as 0x0A.
//
// Returns nullopt when a pair is empty after trimming or is not a hexadecimal number, and for the
// empty text: nothing of such a text may reach the printer.
std::optional<std::vector<std::uint8_t>> DecodeHex(std::string_view hex);

// Where DecodeHex fails: the 0-based index of the first pair it refuses (its characters are
// hex.substr(2 * index, 2)); nullopt when it reads the whole text, and for the empty text.
std::optional<std::size_t> FirstBadHexPair(std::string_view hex);

// The byte count DecodeHex gives a text of `length` characters (0 for the empty text).
std::size_t HexByteCount(std::size_t length);

// Two upper-case hex digits per byte.
std::string EncodeHex(const std::vector<std::uint8_t>& bytes);

// The two upper-case hex digits of one byte ("0A").
std::string HexPair(std::uint8_t byte);

// The two lower-case hex digits of one byte ("0a"), as JSON writes its escapes.
std::string LowerHexPair(std::uint8_t byte);

// Two hex digits per byte (upper or lower case) and nothing else: nullopt for an odd length, a blank or
// any other character. The empty text is no bytes. For texts the program wrote itself and reads back
// exactly as written (unlike DecodeHex, which reads what a user typed).
std::optional<std::vector<std::uint8_t>> DecodeStrictHex(std::string_view hex);

}  // namespace qvset
