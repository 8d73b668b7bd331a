// Which baud rate a document leaves a serial printer at, and the devices whose printer changed it.
#include <gtest/gtest.h>

#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "record/BaudFollowing.h"

namespace qvset {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& hex) {
    return DecodeHex(hex).value();
}

TEST(BaudRateSetBy, TheLastBaudSwitchOfADocumentAsTheDecoderFramesIt) {
    const std::vector<std::pair<std::string, std::optional<int>>> rows = {
        {"1B420E", 9600},
        {"1B420F", 19200},
        {"1B4210", 38400},
        {"1B4211", 115200},
        {"1B4212", 230400},
        {"1B4213", 288000},
        {"1B4214", 345600},
        {"1B4215", 403200},
        {"1B42021B42051B4210", 38400},         // a batch: its baud item among the others
        {"1B42111B420F", 19200},               // the last one wins
        {"1B4202", std::nullopt},              // another switch
        {"1B4216", std::nullopt},              // no switch of the printer
        {"1B2A010300001B4210", std::nullopt},  // the bytes of a baud switch inside a bit image's columns
    };
    for (const auto& [hex, rate] : rows) EXPECT_EQ(BaudRateSetBy(Bytes(hex)), rate) << hex;
    EXPECT_EQ(BaudRateSetBy({}), std::nullopt);
}

TEST(BaudFollowingSpooler, OnlyATakenDocumentThatMovesASerialPrinterAwayFromItsRateIsNoted) {
    MemorySpooler inner({{"QV640", "", ""}});
    BaudFollowingSpooler following(inner);
    const std::string serial = "serial:/dev/ttyUSB0?baud=9600";
    const std::string other = "serial:COM3?baud=19200&flow=rtscts";
    following.WriteRawDocument("QV640", "AAAAAA", Bytes("1B4210"));                    // a queue
    following.WriteRawDocument("socket://192.0.2.7:9100", "AAAAAA", Bytes("1B4210"));  // no serial line
    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B420E"));                     // the rate it has
    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B4202"));                     // no rate
    EXPECT_TRUE(following.TakeChanges().empty());

    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B4210"));
    following.WriteRawDocument(other, "AAAAAA", Bytes("1B4211"));
    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B420F"));  // a later rate replaces the earlier
    const std::vector<BaudChange> expected = {{serial, 19200, "serial:/dev/ttyUSB0?baud=19200"},
                                              {other, 115200, "serial:COM3?baud=115200&flow=rtscts"}};
    EXPECT_EQ(following.TakeChanges(), expected);
    EXPECT_TRUE(following.TakeChanges().empty());

    // Set back to the rate its URI has: nothing left to follow.
    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B4211"));
    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B420E"));
    EXPECT_TRUE(following.TakeChanges().empty());

    // A document the device did not take changed nothing on the printer.
    inner.SetCannotOpen(serial);
    following.WriteRawDocument(serial, "AAAAAA", Bytes("1B4211"));
    EXPECT_TRUE(following.TakeChanges().empty());
    EXPECT_EQ(inner.Documents().size(), 9u);
}

}  // namespace
}  // namespace qvset
