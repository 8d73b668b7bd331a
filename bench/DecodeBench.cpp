// Decoding speed: the largest documents the program writes (the test page, a bar row, a pin-test
// line), a 1 MB print file made of them, and the listing and picture-free state update on top.
#include <benchmark/benchmark.h>

#include "console/TestPrints.h"
#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "printer/HexCodec.h"
#include "tuning/TuningJobs.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes TestPage() {
    return qvset::BuildTestPage({16, 18, 20});
}
Bytes BarRow() {
    return qvset::DecodeHex(qvset::AlignmentBarRow()).value();
}
Bytes PinLine() {
    return qvset::DecodeHex(qvset::BuildPinTestLine(3)).value();
}
// A receipt from another program: a 576 × 200 logo, lines of text in two sizes, a QR code, a CODE128
// barcode and the cut, in common receipt-printer commands.
Bytes Receipt() {
    Bytes receipt = qvset::DecodeHex("1B401C2E1B61011D7630004800C800").value();
    for (int i = 0; i < 72 * 200; ++i) receipt.push_back(static_cast<std::uint8_t>(i * 37));
    const std::string lines =
        "1D2111"
        "5155454C56414E45"
        "1D21000A0D"
        "1B6100"
        "466C61742077686974652020312020332E3830"
        "0A0D";
    for (int i = 0; i < 20; ++i) {
        const Bytes line = qvset::DecodeHex(lines).value();
        receipt.insert(receipt.end(), line.begin(), line.end());
    }
    const Bytes codes = qvset::DecodeHex(
                            "1D286B040031413200"
                            "1D286B0300314306"
                            "1D286B0E00315030"
                            "68747470733A2F2F612E62"
                            "1D286B0300315130"
                            "1D68501D77021D48021D6B49077B42303034322D"
                            "1D564110")
                            .value();
    receipt.insert(receipt.end(), codes.begin(), codes.end());
    return receipt;
}

Bytes PrintFile() {
    Bytes file;
    while (file.size() < (1u << 20)) {
        for (const Bytes& part : {TestPage(), BarRow(), PinLine()})
            file.insert(file.end(), part.begin(), part.end());
    }
    return file;
}

void Decode(benchmark::State& state, Bytes (*make)()) {
    const Bytes document = make();
    for (auto _ : state) benchmark::DoNotOptimize(qvset::DecodeDocument(document));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document.size()));
}

void Listing(benchmark::State& state) {
    const Bytes document = TestPage();
    for (auto _ : state) benchmark::DoNotOptimize(qvset::RenderListing(document));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document.size()));
}

void ApplyAndWriteState(benchmark::State& state) {
    const auto entries = qvset::DecodeDocument(qvset::BuildStoreJob({16, 18, 20}));
    qvset::PrinterState printer;
    for (auto _ : state) {
        printer.Apply(entries, "1");
        benchmark::DoNotOptimize(printer.ToJson());
    }
}

}  // namespace

BENCHMARK_CAPTURE(Decode, TestPage, TestPage);
BENCHMARK_CAPTURE(Decode, BarRow, BarRow);
BENCHMARK_CAPTURE(Decode, PinLine, PinLine);
BENCHMARK_CAPTURE(Decode, Receipt, Receipt);
BENCHMARK_CAPTURE(Decode, PrintFileOneMegabyte, PrintFile)->Unit(benchmark::kMillisecond);
BENCHMARK(Listing);
BENCHMARK(ApplyAndWriteState);
BENCHMARK_MAIN();
