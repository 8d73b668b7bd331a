// The report of a fleet run: one row per printer, as a table or one JSON document.
#include "cli/FleetReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/TerminalText.h"
#include "text/Utf8.h"

namespace qvset::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string_view ResultWord(const FleetRow& row) {
    switch (row.status) {
        case kExitOk:
            return row.unchanged ? "unchanged" : "ok";
        case kExitRefused:
            return "refused";
        default:
            return "failed";
    }
}

// Seconds with three decimals and a decimal point, whatever the locale.
std::string Seconds(double seconds) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 3);
    return std::string(text, written.ptr);
}

double RoundedToMilliseconds(double seconds) {
    return std::round(seconds * 1000) / 1000;
}

std::string JoinMessages(const std::vector<std::string>& messages) {
    std::string joined;
    for (const auto& message : messages) {
        if (message.empty()) continue;
        joined += (joined.empty() ? "" : "; ") + message;
    }
    return joined;
}

// The columns a cell takes on a terminal: two for the wide characters of East Asian scripts (a CJK
// printer name), one for every other character.
std::size_t ReportColumns(std::string_view text) {
    std::size_t columns = 0;
    while (!text.empty()) {
        const Utf8Character character = ReadUtf8Character(text);
        const std::size_t span = std::max<std::size_t>(1, character.span);
        const char32_t c = character.code.value_or(U'?');
        const bool wide =
            (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
            (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
            (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
            (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        columns += wide ? 2 : 1;
        text.remove_prefix(std::min(span, text.size()));
    }
    return columns;
}

std::string PadCell(std::string text, std::size_t width) {
    const std::size_t columns = ReportColumns(text);
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

Json ReportJson(const std::string& commandName, const std::vector<FleetRow>& rows, double seconds,
                bool dryRun, bool jsonOutput) {
    Json printers = Json::array();
    std::map<std::string, int> counts{{"ok", 0}, {"unchanged", 0}, {"failed", 0}, {"refused", 0}};
    int documents = 0;
    for (const FleetRow& row : rows) {
        Json entry = {{"server", row.server},
                      {"printer", row.printer},
                      {"result", ResultWord(row)},
                      {"status", row.status},
                      {"documents", row.documents},
                      {"messages", row.messages},
                      {"seconds", RoundedToMilliseconds(row.seconds)}};
        if (!row.output.empty()) {
            Json parsed(Json::value_t::discarded);
            if (jsonOutput) parsed = Json::parse(row.output, nullptr, false);
            entry["output"] = parsed.is_discarded() ? Json(row.output) : std::move(parsed);
        }
        printers.push_back(std::move(entry));
        ++counts[std::string(ResultWord(row))];
        documents += row.documents;
    }
    return {{"command", commandName},
            {"dryRun", dryRun},
            {"printers", std::move(printers)},
            {"summary",
             {{"printers", rows.size()},
              {"ok", counts["ok"]},
              {"unchanged", counts["unchanged"]},
              {"failed", counts["failed"]},
              {"refused", counts["refused"]},
              {"documents", documents},
              {"seconds", RoundedToMilliseconds(seconds)}}},
            {"status", FleetStatus(rows)}};
}

}  // namespace

// Each line of an error stream's text as a message of its own.
void AddLines(std::vector<std::string>& messages, const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) messages.push_back(line);
    }
}

// The status of a whole fleet: failed when any printer failed, else refused when any refused.
int FleetStatus(const std::vector<FleetRow>& rows) {
    int status = kExitOk;
    for (const FleetRow& row : rows) {
        if (row.status == kExitPrinterFailed) return kExitPrinterFailed;
        if (row.status != kExitOk) status = row.status;
    }
    return status;
}

void PrintReport(const std::string& commandName, const std::vector<FleetRow>& rows, double seconds,
                 std::ostream& out) {
    const std::vector<std::string> heading{"server", "printer", "documents", "result", "time"};
    std::vector<std::vector<std::string>> cells;
    for (const FleetRow& row : rows) {
        cells.push_back(
            {row.device ? std::string("device") : TerminalSafe(row.server.empty() ? "-" : row.server),
             TerminalSafe(row.printer.empty() ? "-" : row.printer), std::to_string(row.documents),
             std::string(ResultWord(row)), Seconds(row.seconds) + " s"});
    }
    std::vector<std::size_t> widths;
    for (const auto& title : heading) widths.push_back(title.size());
    for (const auto& line : cells) {
        for (std::size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], ReportColumns(line[i]));
    }
    std::string line;
    for (std::size_t i = 0; i < heading.size(); ++i) line += PadCell(heading[i], widths[i] + 2);
    out << line << "message\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        line.clear();
        for (std::size_t i = 0; i < cells[r].size(); ++i) line += PadCell(cells[r][i], widths[i] + 2);
        line += TerminalSafe(JoinMessages(rows[r].messages));
        out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
    }
    std::map<std::string_view, int> counts;
    int documents = 0;
    for (const FleetRow& row : rows) {
        ++counts[ResultWord(row)];
        documents += row.documents;
    }
    out << commandName << ": " << rows.size() << (rows.size() == 1 ? " printer" : " printers") << ": "
        << counts["ok"] << " ok, " << counts["unchanged"] << " unchanged, " << counts["failed"] << " failed, "
        << counts["refused"] << " refused; " << documents << (documents == 1 ? " document" : " documents")
        << " in " << Seconds(seconds) << " s\n";
}

std::string ReportJsonText(const std::string& commandName, const std::vector<FleetRow>& rows, double seconds,
                           bool dryRun, bool jsonOutput,
                           const std::vector<std::pair<std::string, std::string>>& sameServers) {
    Json report = ReportJson(commandName, rows, seconds, dryRun, jsonOutput);
    Json same = Json::array();
    for (const auto& [kept, also] : sameServers) same.push_back({{"server", kept}, {"sameAs", also}});
    report["sameServers"] = std::move(same);
    return TerminalSafeJson(report.dump(2, ' ', false, Json::error_handler_t::replace));
}

}  // namespace qvset::cli
