#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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
//
// A run of identical commands is one entry with its count; a run of unknown bytes is one entry of at
// most kMostUnknownRun bytes.
std::vector<DecodedCommand> DecodeDocument(std::span<const std::uint8_t> document);

// Reads more of a document into `buffer`: the number of bytes put there, 0 at its end, -1 when it
// could not be read.
using DocumentReader = std::function<std::ptrdiff_t(std::span<std::uint8_t> buffer)>;
// Takes one entry, in the document's order.
using EntryTaker = std::function<void(DecodedCommand&& entry)>;

// Decodes a document piece by piece as DecodeDocument does, handing each entry to `take` as soon as it
// is complete: it holds at most kDecodeWindow bytes of the document and one entry at a time, whatever
// the document's length. The number of bytes decoded; false in `read` when reading failed. A caller
// that knows the document's size gives it as `knownSize`, so that a short document is not read through
// a buffer of the window's size.
std::uint64_t DecodeStream(const DocumentReader& read, const EntryTaker& take, bool* readFailed = nullptr,
                           std::optional<std::uint64_t> knownSize = std::nullopt);

// The longest command is far shorter than the window, so a window never cuts a command off; only a
// run of text longer than the window is split into several entries.
inline constexpr std::size_t kDecodeWindow = 1 << 20;
inline constexpr std::size_t kMostUnknownRun = std::size_t{64} * 1024;

}  // namespace qvset
