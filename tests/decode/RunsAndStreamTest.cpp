// Long documents: a run of identical commands is one entry with its count, and a document read piece by
// piece decodes exactly as the whole of it does, wherever the pieces end.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "DecodeTestSupport.h"
#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

using testing::DecodeCovering;
using testing::DecodeHexCovering;

std::string Repeated(const std::string& hex, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += hex;
    return text;
}

// Each entry as "mnemonic@offset+length".
std::vector<std::string> RunShape(const std::vector<DecodedCommand>& entries) {
    std::vector<std::string> shape;
    for (const auto& entry : entries) {
        shape.push_back(entry.mnemonic + "@" + std::to_string(entry.offset) + "+" +
                        std::to_string(entry.Length()));
    }
    return shape;
}

TEST(Runs, IdenticalCommandsInARowAreOneEntryWithTheirCount) {
    struct Row {
        std::string hex;
        std::vector<std::string> shape;
    };
    const Row rows[] = {
        {"0A", {"LF@0+1"}},
        {Repeated("0A", 5), {"LF × 5@0+5"}},
        {Repeated("0A", 3) + "0D" + Repeated("0A", 2), {"LF × 3@0+3", "CR@3+1", "LF × 2@4+2"}},
        {Repeated("1B4202", 4), {"ESC B 02 × 4@0+12"}},
        // another choice of the same switch is another command
        {"1B42021B42031B4203", {"ESC B 02@0+3", "ESC B 03 × 2@3+6"}},
        {Repeated("1B4A05", 3) + "1B4A06", {"ESC J 05 × 3@0+9", "ESC J 06@9+3"}},
        // texts are never counted, nor a command cut off by the end
        {"41420A41420A", {"text@0+2", "LF@2+1", "text@3+2", "LF@5+1"}},
        {"1B42021B42", {"ESC B 02@0+3", "ESC B@3+2"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RunShape(DecodeHexCovering(row.hex)), row.shape) << row.hex;
    }
}

TEST(Runs, UnknownBytesAreOneEntryPer65536) {
    const std::vector<std::uint8_t> zeros(2 * kMostUnknownRun + 10, 0x00);
    const auto entries = DecodeCovering(zeros);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Length(), kMostUnknownRun);
    EXPECT_EQ(entries[1].offset, kMostUnknownRun);
    EXPECT_EQ(entries[2].Length(), 10u);
    EXPECT_EQ(entries[2].meaning, "unknown: 10 bytes that no command of this program writes");
}

TEST(Runs, ARunIsListedOnceWithItsCountInTextAndJson) {
    const auto document = DecodeHex(Repeated("0A", 1000) + "1B4202").value();
    EXPECT_EQ(
        RenderListing(document),
        "     0  1000  0A                          LF × 1000       line feed\n"
        "  1000     3  1B 42 02                    ESC B 02        black mark on (黑标设置: 打开, item 1, "
        "code 99)\n");
    const std::string json = RenderListingJson(document);
    EXPECT_NE(json.find("\"offset\": 0,\n      \"length\": 1000,\n      \"count\": 1000,\n      \"kind\": "
                        "\"line-feed\",\n      \"mnemonic\": \"LF × 1000\",\n      \"bytes\": \"0A\""),
              std::string::npos)
        << json;
}

TEST(DecodeStream, ADocumentReadInPiecesDecodesAsTheWholeOfIt) {
    // Commands of every shape, runs, texts with GBK characters and unknown bytes, long enough to cross
    // the decoder's window several times.
    std::mt19937 random(7);
    // (long texts and bit images, so that the window is crossed with few entries)
    const std::string pieces[] = {"1B4202",
                                  "0A0A0A",
                                  Repeated("B0A1", 3000) + "B0",
                                  Repeated("41", 5000),
                                  Repeated("00FF", 3000),
                                  "1B2A01C800" + Repeated("81", 200),
                                  "1D2846040004006503",
                                  "1B4A05",
                                  "0D0C"};
    std::string hex;
    while (hex.size() < 2 * 2 * kDecodeWindow + 1000) hex += pieces[random() % std::size(pieces)];
    const auto document = DecodeHex(hex).value();
    const auto whole = DecodeDocument(document);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4099}, kDecodeWindow + 3}) {
        std::size_t at = 0;
        std::vector<DecodedCommand> streamed;
        const std::uint64_t length = DecodeStream(
            [&](std::span<std::uint8_t> buffer) {
                const std::size_t count = std::min({buffer.size(), piece, document.size() - at});
                std::copy_n(document.begin() + static_cast<std::ptrdiff_t>(at), count, buffer.begin());
                at += count;
                return static_cast<std::ptrdiff_t>(count);
            },
            [&](DecodedCommand&& entry) { streamed.push_back(std::move(entry)); });
        EXPECT_EQ(length, document.size()) << piece;
        EXPECT_EQ(RunShape(streamed), RunShape(whole)) << "pieces of " << piece << " bytes";
        EXPECT_EQ(RenderEntries(streamed), RenderEntries(whole)) << "pieces of " << piece << " bytes";
    }
}

TEST(DecodeStream, NoCommandIsCutWhereTheDecodersBufferEnds) {
    // A text as long as the buffer holds but one byte, then a command across the buffer's end.
    const std::size_t text = 2 * kDecodeWindow - 1;
    const auto entries = DecodeCovering(DecodeHex(Repeated("41", text) + "1B4202").value());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().mnemonic, "ESC B 02");
    EXPECT_EQ(entries.back().offset, text);
    EXPECT_FALSE(entries.back().truncated);
}

}  // namespace
}  // namespace qvset
