#include "decode/StateListing.h"

#include <map>
#include <string_view>

namespace qvset {
namespace {

constexpr std::string_view kNothingRecorded = "  (nothing recorded)\n";
constexpr std::size_t kWordWidth = 18;

std::string SettingLine(std::string word, const StoredCommand& stored) {
    if (word.size() < kWordWidth) word.append(kWordWidth - word.size(), ' ');
    return "  " + word + " " + stored.Decoded().meaning + "  (job " + stored.job + ")\n";
}

std::string RenderPart(std::string_view heading, const std::map<int, StoredCommand>& settings,
                       std::string_view wordField) {
    std::string text = std::string(heading) + ":\n";
    for (const auto& [key, stored] : settings) {
        text += SettingLine(stored.Decoded().Text(wordField).value_or(""), stored);
    }
    if (settings.empty()) text += kNothingRecorded;
    return text;
}

}  // namespace

std::string RenderPrinterState(const PrinterState& state) {
    std::string text = RenderPart("stored switches", state.Switches(), "switch") +
                       RenderPart("ticket distances", state.Distances(), "distance") +
                       RenderPart("mode values", state.ModeValues(), "modeWord") + "parameter table:\n";
    if (state.ParameterTable()) {
        text += SettingLine(state.HasFactoryTable() ? "factory" : "other", *state.ParameterTable());
    } else {
        text += kNothingRecorded;
    }
    return text;
}

}  // namespace qvset
