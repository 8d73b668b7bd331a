#include "decode/Listing.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "text/Utf8.h"

namespace qvset {
namespace {

constexpr std::size_t kShownBytes = 9;
constexpr std::string_view kCut = " …";

std::string ShownBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    const std::size_t shown = bytes.size() > kShownBytes ? kShownBytes - 1 : bytes.size();
    for (std::size_t i = 0; i < shown; ++i) {
        if (!text.empty()) text.push_back(' ');
        text += HexPair(bytes[i]);
    }
    if (shown < bytes.size()) text += kCut;
    return text;
}

}  // namespace

std::string RenderListingLine(const DecodedCommand& entry) {
    char position[32];
    std::snprintf(position, sizeof position, "%6zu %5zu  ", entry.offset, entry.Length());
    return position + PadToColumns(ShownBytes(entry.bytes), 3 * kShownBytes) + " " +
           PadToColumns(entry.mnemonic, 15) + " " + entry.meaning + "\n";
}

std::string RenderEntries(const std::vector<DecodedCommand>& entries) {
    std::string listing;
    for (const auto& entry : entries) listing += RenderListingLine(entry);
    return listing;
}

std::string RenderListing(std::span<const std::uint8_t> document) {
    return RenderEntries(DecodeDocument(document));
}

namespace {

nlohmann::ordered_json EntryJson(const DecodedCommand& entry) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    for (const auto& field : entry.fields) {
        std::visit([&](const auto& value) { fields[field.name] = value; }, field.value);
    }
    nlohmann::ordered_json json = {{"offset", entry.offset}, {"length", entry.Length()}};
    if (entry.count > 1) json["count"] = entry.count;
    json["kind"] = CommandKindName(entry.kind);
    json["mnemonic"] = entry.mnemonic;
    json["bytes"] = EncodeHex(entry.bytes);
    json["truncated"] = entry.truncated;
    json["meaning"] = entry.meaning;
    json["fields"] = std::move(fields);
    return json;
}

std::string Dump(const nlohmann::ordered_json& json) {
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// An entry as it stands in the listing's "commands": indented two levels.
std::string IndentedEntry(const DecodedCommand& entry) {
    std::string text = "    ";
    for (const char c : Dump(EntryJson(entry))) {
        text.push_back(c);
        if (c == '\n') text += "    ";
    }
    return text;
}

}  // namespace

std::string RenderListingJson(std::span<const std::uint8_t> document) {
    nlohmann::ordered_json commands = nlohmann::ordered_json::array();
    for (const auto& entry : DecodeDocument(document)) commands.push_back(EntryJson(entry));
    const nlohmann::ordered_json listing = {{"length", document.size()}, {"commands", std::move(commands)}};
    return Dump(listing) + "\n";
}

bool WriteListing(const DocumentReader& read, std::uint64_t length, bool json, std::ostream& out) {
    bool first = true;
    if (json) out << "{\n  \"length\": " << length << ",\n  \"commands\": [";
    bool failed = false;
    DecodeStream(
        read,
        [&](DecodedCommand&& entry) {
            if (json) {
                out << (first ? "\n" : ",\n") << IndentedEntry(entry);
            } else {
                out << RenderListingLine(entry);
            }
            first = false;
        },
        &failed);
    if (json) out << (first ? "]" : "\n  ]") << "\n}\n";
    return !failed;
}

}  // namespace qvset
