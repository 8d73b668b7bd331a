#include "decode/Listing.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"

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

// Pads to a width counted in characters, not bytes (the cut mark is one character of three bytes).
std::string Padded(std::string text, std::size_t width) {
    std::size_t characters = 0;
    for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    if (characters < width) text.append(width - characters, ' ');
    return text;
}

}  // namespace

std::string RenderListingLine(const DecodedCommand& entry) {
    char position[32];
    std::snprintf(position, sizeof position, "%6zu %5zu  ", entry.offset, entry.Length());
    return position + Padded(ShownBytes(entry.bytes), 3 * kShownBytes) + " " + Padded(entry.mnemonic, 15) +
           " " + entry.meaning + "\n";
}

std::string RenderEntries(const std::vector<DecodedCommand>& entries) {
    std::string listing;
    for (const auto& entry : entries) listing += RenderListingLine(entry);
    return listing;
}

std::string RenderListing(std::span<const std::uint8_t> document) {
    return RenderEntries(DecodeDocument(document));
}

std::string RenderListingJson(std::span<const std::uint8_t> document) {
    nlohmann::ordered_json commands = nlohmann::ordered_json::array();
    for (const auto& entry : DecodeDocument(document)) {
        nlohmann::ordered_json fields = nlohmann::ordered_json::object();
        for (const auto& field : entry.fields) {
            std::visit([&](const auto& value) { fields[field.name] = value; }, field.value);
        }
        commands.push_back({{"offset", entry.offset},
                            {"length", entry.Length()},
                            {"kind", CommandKindName(entry.kind)},
                            {"mnemonic", entry.mnemonic},
                            {"bytes", EncodeHex(entry.bytes)},
                            {"truncated", entry.truncated},
                            {"meaning", entry.meaning},
                            {"fields", std::move(fields)}});
    }
    const nlohmann::ordered_json listing = {{"length", document.size()}, {"commands", std::move(commands)}};
    return listing.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace qvset
