#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "decode/DecodedCommand.h"

namespace qvset {

// The listing of a document: one line per entry of DecodeDocument, each "offset length bytes command
// meaning", the bytes shown up to nine and then cut with "…". Every line ends with "\n".
std::string RenderListing(std::span<const std::uint8_t> document);
std::string RenderEntries(const std::vector<DecodedCommand>& entries);
std::string RenderListingLine(const DecodedCommand& entry);

// The same as JSON for scripts: {"length": N, "commands": [{"offset", "length", "kind", "mnemonic",
// "bytes" (hex), "truncated", "meaning", "fields": {...}}, ...]}, indented by two blanks.
std::string RenderListingJson(std::span<const std::uint8_t> document);

}  // namespace qvset
