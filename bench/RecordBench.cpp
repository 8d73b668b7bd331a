// The record's cost beside a send: one append after a document was handed over (with the occasional
// fold a 1 MB bound brings, and without), and one fold of a record at its bound.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "console/TestPrints.h"
#include "printer/HexCodec.h"
#include "record/RecordBook.h"
#include "record/RecordFile.h"
#include "settings/FlagCommands.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes PinLine() {
    return qvset::DecodeHex(qvset::BuildPinTestLine(3)).value();
}
Bytes Switch() {
    return qvset::DecodeHex(qvset::BuildFlagCommand(2, 88)).value();
}

fs::path Folder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("qvset-record-bench-" + name);
    fs::remove_all(folder);
    return folder;
}

void Append(benchmark::State& state, Bytes (*make)(), std::size_t maxBytes) {
    const Bytes document = make();
    const fs::path folder = Folder(std::to_string(maxBytes));
    qvset::RecordBook book(folder, "localhost:631", nullptr,
                           qvset::RecordLimits{maxBytes, std::chrono::seconds(2)});
    for (auto _ : state) book.Add("QV640", "pin-test", true, document);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    fs::remove_all(folder);
}

// A record of 1 MB of pin-test lines and switches folded to half of it: the longest moment an append
// can take.
void FoldAtTheBound(benchmark::State& state) {
    qvset::Record full;
    std::size_t size = 0;
    for (std::size_t i = 0; size < (1u << 20); ++i) {
        full.entries.push_back({"2026-12-08T21:10:00.000Z", "localhost:631", "QV640", "pin-test", true,
                                i % 2 == 0 ? PinLine() : Switch()});
        size += qvset::RecordEntryLine(full.entries.back()).size();
    }
    const std::string text = qvset::RecordText(full);
    for (auto _ : state) {
        auto record = qvset::ParseRecord(text);
        qvset::FoldRecord(*record, 1u << 19);
        benchmark::DoNotOptimize(qvset::RecordText(*record));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

}  // namespace

BENCHMARK_CAPTURE(Append, SwitchNoFold, Switch, std::size_t{1} << 40);
BENCHMARK_CAPTURE(Append, PinLineNoFold, PinLine, std::size_t{1} << 40);
BENCHMARK_CAPTURE(Append, PinLineFoldingAt1MB, PinLine, std::size_t{1} << 20);
BENCHMARK(FoldAtTheBound)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
