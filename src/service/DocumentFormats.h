#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qvset {

// The document format of a QV6 command stream, handed to the printer byte for byte.
inline constexpr std::string_view kQv6Format = "application/vnd.qvset.qv6";
// CUPS' raw format, taken as the same where a client names it.
inline constexpr std::string_view kCupsRawFormat = "application/vnd.cups-raw";
// What a client sends when it does not know the format: typed by its first bytes.
inline constexpr std::string_view kOctetStreamFormat = "application/octet-stream";

// Whether the first bytes of a document are a QV6 command stream: after any text and line ends, the
// first thing in it is a command the decoder knows (the program's own, or a common receipt-printer
// command). Text alone, or bytes that open no command, are not.
bool LooksLikeQv6Stream(std::span<const std::uint8_t> header);

}  // namespace qvset
