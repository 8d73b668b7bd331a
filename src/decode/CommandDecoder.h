#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "decode/DecodedCommand.h"

namespace qvset {

// Splits one printer document into the commands the program's builders write, in order. Every byte
// belongs to exactly one entry: the entries' bytes joined give the document back. The commands are
// recognised by the bytes the builders themselves produce (the flag table, the geometry and parameter
// commands, the test prints), never by a second copy of them. Printable ASCII and GBK characters form
// Text entries (decoded to UTF-8); bytes that are neither form Unknown entries; a command cut off by
// the end of the document is marked truncated and keeps the bytes that are there.
std::vector<DecodedCommand> DecodeDocument(std::span<const std::uint8_t> document);

}  // namespace qvset
