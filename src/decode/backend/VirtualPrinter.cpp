#include "decode/backend/VirtualPrinter.h"

#include <fstream>
#include <system_error>

#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/TextFile.h"
#include "decode/backend/JobPicture.h"
#include "decode/backend/LockedFile.h"
#include "files/FileContents.h"
#include "printer/PrintChannel.h"

namespace qvset {
namespace {

constexpr std::string_view kBrokenSuffix = ".broken-";

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
    index << job.id << '\t' << OneLineTitle(job.title) << '\n';
    index.close();
    if (!index) {
        error = "cannot append to " + (folder / std::string(kIndexFile)).string();
        return false;
    }
    return true;
}

bool DrawQueuedJobs(const std::filesystem::path& folder, std::string& error, std::string& warning) {
    const LockedFile drawing(folder / std::string(kDrawingLockFile));
    if (!drawing.Held()) {
        error = "cannot lock " + (folder / std::string(kDrawingLockFile)).string();
        return false;
    }
    bool recorded = true;
    // A job listed while this drawer works is taken in the next round; one listed after the last round
    // found nothing waits for this lock and is drawn by its own drawer.
    for (auto jobs = TakeQueuedJobs(folder); !jobs.empty(); jobs = TakeQueuedJobs(folder)) {
        for (auto& [id, title] : jobs) {
            const auto prn = folder / (id + ".prn");
            FileReadResult file = ReadFileContents(prn, kMostPrintFileBytes);
            std::string jobError;
            std::string jobWarning;
            if (file.status != FileReadStatus::Read) {
                jobError = "cannot read " + prn.string();
            } else {
                RecordVirtualJob(folder, {id, title, std::move(file.bytes)}, jobError, jobWarning);
            }
            if (!jobWarning.empty()) warning += (warning.empty() ? "" : "; ") + jobWarning;
            if (!jobError.empty()) {
                error += (error.empty() ? "" : "; ") + jobError;
                recorded = false;
            }
        }
    }
    return recorded;
}

}  // namespace qvset
