#include "decode/backend/VirtualPrinter.h"

#include <fstream>
#include <system_error>

#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/backend/JobPicture.h"

namespace qvset {
namespace {

constexpr std::string_view kScheme = "qvprinter:";
constexpr std::string_view kEmptyAuthority = "//";
constexpr std::string_view kPartSuffix = ".part";
constexpr std::string_view kBrokenSuffix = ".broken-";

// Writes a file whole or not at all: the bytes go to a temporary file that is renamed over it.
bool WriteWhole(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path part = path.string() + std::string(kPartSuffix);
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(part, ignored);
            return false;
        }
    }
    std::error_code code;
    std::filesystem::rename(part, path, code);
    return !code;
}

// A title on one line: the index holds one line per job.
std::string OneLine(std::string title) {
    for (char& c : title) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return title;
}

}  // namespace

std::optional<std::filesystem::path> VirtualPrinterFolder(std::string_view deviceUri) {
    if (!deviceUri.starts_with(kScheme)) return std::nullopt;
    std::string_view path = deviceUri.substr(kScheme.size());
    if (path.starts_with(kEmptyAuthority)) path.remove_prefix(kEmptyAuthority.size());
    if (path.empty() || path.front() != '/') return std::nullopt;
    return std::filesystem::path(std::string(path));
}

bool RecordVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error,
                      std::string& warning) {
    const auto file = [&](std::string_view suffix) { return folder / (job.id + std::string(suffix)); };
    const std::string_view bytes(reinterpret_cast<const char*>(job.bytes.data()), job.bytes.size());
    if (!WriteWhole(file(".prn"), bytes)) {
        error = "cannot write " + file(".prn").string();
        return false;
    }
    const auto entries = DecodeDocument(job.bytes);
    if (!WriteWhole(file(".txt"), RenderEntries(entries))) {
        error = "cannot write " + file(".txt").string();
        return false;
    }
    const auto png = file(".png");
    const std::filesystem::path pngPart = png.string() + std::string(kPartSuffix);
    std::error_code code;
    if (!RenderJobPicture(entries).save(QString::fromStdString(pngPart.string()), "PNG") ||
        (std::filesystem::rename(pngPart, png, code), code)) {
        std::filesystem::remove(pngPart, code);
        error = "cannot write " + png.string();
        return false;
    }
    const auto statePath = folder / std::string(kPrinterStateFile);
    std::string reason;
    auto state = PrinterState::Load(statePath, &reason);
    if (!state) {
        const std::filesystem::path broken = statePath.string() + std::string(kBrokenSuffix) + job.id;
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
