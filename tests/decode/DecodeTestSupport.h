#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "settings/BatchSend.h"
#include "support/RecordingDialogs.h"
#include "tuning/ParameterCommands.h"

namespace qvset::testing {

// Decodes a document and checks that its entries cover every byte once, in order.
inline std::vector<DecodedCommand> DecodeCovering(const std::vector<std::uint8_t>& document) {
    auto entries = DecodeDocument(document);
    std::size_t offset = 0;
    std::vector<std::uint8_t> joined;
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.offset, offset) << entry.mnemonic;
        EXPECT_FALSE(entry.bytes.empty()) << "an empty entry at offset " << offset;
        EXPECT_GE(entry.count, 1u) << entry.mnemonic;
        offset += entry.Length();
        for (std::size_t i = 0; i < entry.count; ++i)
            joined.insert(joined.end(), entry.bytes.begin(), entry.bytes.end());
    }
    EXPECT_EQ(joined, document);
    return entries;
}

inline std::vector<DecodedCommand> DecodeHexCovering(const std::string& hex) {
    return DecodeCovering(DecodeHex(hex).value());
}

// A printer channel to a memory spooler, for running the builders' senders.
struct RecordingPrinter {
    RecordingPrinter() : spooler({{"QV640", "QV6", "USB001"}}), channel(spooler, dialogs, ".") {
        spooler.SetCurrentPrinter("QV640");
    }
    std::vector<std::vector<std::uint8_t>> Documents() const {
        std::vector<std::vector<std::uint8_t>> documents;
        for (const auto& document : spooler.Documents()) documents.push_back(document.bytes);
        return documents;
    }

    MemorySpooler spooler;
    RecordingDialogs dialogs;
    PrintChannel channel;
};

// The kinds of a decoded document, in order.
inline std::vector<CommandKind> KindsOf(const std::vector<DecodedCommand>& entries) {
    std::vector<CommandKind> kinds;
    for (const auto& entry : entries) kinds.push_back(entry.kind);
    return kinds;
}

// The batch of the typical description: black mark on, 58 mm, high edge, start positioning on, end
// positioning off, ticket length 152 and black-mark offset 27, baud x4; print head, start offset and
// threshold not recorded.
inline std::vector<std::uint8_t> TypicalBatch() {
    RecordingPrinter printer;
    TicketDescription description;
    for (auto [item, code] : std::initializer_list<std::pair<int, std::int16_t>>{
             {1, 99}, {2, 88}, {4, 99}, {5, 99}, {6, 88}, {7, 99}, {9, 99}, {11, 3}}) {
        description.SetCode(item, code);
    }
    description.SetDistanceText(kItemTicketLength, "152");
    description.SetDistanceText(kItemBlackMarkOffset, "27");
    EXPECT_FALSE(SendTicket(printer.channel, description).Refused());
    return printer.Documents().at(0);
}

// The three documents of the factory restore.
inline std::vector<std::vector<std::uint8_t>> FactoryRestoreDocuments() {
    RecordingPrinter printer;
    RecordingPause pause;
    RestoreFactoryParameters(printer.channel, pause);
    return printer.Documents();
}

}  // namespace qvset::testing
