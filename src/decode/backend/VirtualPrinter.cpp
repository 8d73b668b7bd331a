#include "decode/backend/VirtualPrinter.h"

#include <fstream>
#include <system_error>

#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/TextFile.h"
#include "decode/backend/JobPicture.h"

namespace qvset {
namespace {

constexpr std::string_view kBrokenSuffix = ".broken-";

// A title on one line: the index holds one line per job.
std::string OneLine(std::string title) {
    for (char& c : title) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return title;
}

}  // namespace

bool RecordVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error,
                      std::string& warning) {
    const auto file = [&](std::string_view suffix) { return folder / (job.id + std::string(suffix)); };
    const std::string_view bytes(reinterpret_cast<const char*>(job.bytes.data()), job.bytes.size());
    if (!ReplaceFileText(file(".prn"), bytes)) {
        error = "cannot write " + file(".prn").string();
        return false;
    }
    const auto entries = DecodeDocument(job.bytes);
    if (!ReplaceFileText(file(".txt"), RenderEntries(entries))) {
        error = "cannot write " + file(".txt").string();
        return false;
    }
    if (!ReplaceFileText(file(".png"), RenderJobPng(entries))) {
        error = "cannot write " + file(".png").string();
        return false;
    }
    const auto statePath = folder / std::string(kPrinterStateFile);
    std::string reason;
    auto state = PrinterState::Load(statePath, &reason);
    if (!state) {
        const std::filesystem::path broken = statePath.string() + std::string(kBrokenSuffix) + job.id;
        std::error_code code;
        std::filesystem::rename(statePath, broken, code);
        warning = reason + "; kept as " + broken.string() + ", a new state begins";
        state = PrinterState{};
    }
    state->Apply(entries, job.id);
    if (!state->Save(statePath)) {
        error = "cannot write " + statePath.string();
        return false;
    }
    std::ofstream index(folder / std::string(kIndexFile), std::ios::binary | std::ios::app);
    index << job.id << '\t' << OneLine(job.title) << '\n';
    index.close();
    if (!index) {
        error = "cannot append to " + (folder / std::string(kIndexFile)).string();
        return false;
    }
    return true;
}

}  // namespace qvset
