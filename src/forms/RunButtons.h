#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace qvset::forms {

// The buttons that send to the printer, disabled while a tuning run is watched; in lock order.
inline constexpr std::array<std::string_view, 13> kRunButtonNames = {
    "Command3",  "Command8",  "Command1", "Command14", "Command12", "Command5", "Command10",
    "Command11", "Command13", "Command7", "Command4",  "Command9",  "Command6"};

inline bool IsRunButton(std::string_view name) {
    return std::find(kRunButtonNames.begin(), kRunButtonNames.end(), name) != kRunButtonNames.end();
}

}  // namespace qvset::forms
