#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "decode/CommandDecoder.h"
#include "decode/DecodedCommand.h"

namespace qvset {

// The listing of a document: one line per entry of DecodeDocument, each "offset length bytes command
// meaning", the bytes shown up to nine and then cut with "…". Every line ends with "\n".
std::string RenderListing(std::span<const std::uint8_t> document);
std::string RenderEntries(const std::vector<DecodedCommand>& entries);
std::string RenderListingLine(const DecodedCommand& entry);

// The same as JSON for scripts: {"length": N, "commands": [{"offset", "length", "kind", "mnemonic",
// "bytes" (hex), "truncated", "meaning", "fields": {...}}, ...]}, indented by two blanks.
// An entry that is a run of identical commands also has "count" (after "length"); its "bytes" are one
// command's.
std::string RenderListingJson(std::span<const std::uint8_t> document);

// The listing (or with `json` the JSON listing) of a document `length` bytes long read piece by piece
// from `read`, written to `out` as it is decoded: in memory bounded by the decoder's window, whatever
// the document's length. False when the document could not be read to its end (the listing stops there).
bool WriteListing(const DocumentReader& read, std::uint64_t length, bool json, std::ostream& out);

}  // namespace qvset
