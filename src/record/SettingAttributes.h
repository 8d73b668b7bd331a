#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/PrinterState.h"

namespace qvset {

// How a setting's values are written over IPP.
enum class SettingSyntax {
    Keyword,  // the catalogue's choice words ("on", "off", "high", "quiet")
    Integer,  // the catalogue's choice words that are numbers (paper 76 / 58, baud multiple 1 to 42)
    Range,    // a ticket distance in whole millimetres
};

// One printer setting as an IPP printer attribute of the printer application, made from the catalogue:
// each stored switch with more than one choice and each ticket distance. The attribute NAME has
// NAME-supported (the choices) and NAME-default (what the printer holds now, as far as the documents it
// was sent say; absent while unknown); setting NAME-default sends the setting's command.
struct SettingAttribute {
    std::string name;  // "qvset-black-mark", "qvset-ticket-length"
    int item = 0;
    SettingSyntax syntax = SettingSyntax::Keyword;
    std::vector<std::string> keywords;  // Keyword: in catalogue order
    std::vector<int> integers;          // Integer: in catalogue order
    int lowest = 0;                     // Range
    int highest = 0;                    // Range
};

// Every setting attribute, in item order.
std::span<const SettingAttribute> SettingAttributes();
// The setting of an attribute's name, with or without "-default"; nullptr for any other name.
const SettingAttribute* FindSettingAttribute(std::string_view name);

// The document a value of a setting sends: exactly the bytes qvctl sends for it (`qvctl switch ...`,
// `qvctl ticket length ...`). nullopt, with the reason, for a value the catalogue does not have; then
// nothing may be sent.
std::optional<std::vector<std::uint8_t>> SettingCommand(const SettingAttribute& setting,
                                                        std::string_view value, std::string& problem);

// The value the printer holds for a setting, as its attribute writes it ("on", "76", "152"); nullopt
// while no document has set it (or a distance whose count no whole millimetre gives).
std::optional<std::string> SettingValue(const SettingAttribute& setting, const PrinterState& state);

// The job label of the document that last set a setting; empty while unknown.
std::string SettingJob(const SettingAttribute& setting, const PrinterState& state);

// The largest distance the item encoding carries in 16 bits, in whole millimetres.
inline constexpr int kMostDistanceMillimetres = 11468;

}  // namespace qvset
