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
BENCHMARK_CAPTURE(Decode, PrintFileOneMegabyte, PrintFile)->Unit(benchmark::kMillisecond);
BENCHMARK(Listing);
BENCHMARK(ApplyAndWriteState);
BENCHMARK_MAIN();
