#pragma once

#include <string_view>

#include "forms/FormLayout.h"

namespace qvset::winapp {

// Every control of a window gets the ID of its row in the layout table, counted from kFirstControlId,
// so that GetDlgItem finds it by name. The IDs stay clear of IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Escape.
inline constexpr int kFirstControlId = 1000;

// The ID of the control of that name; 0 when the window has none.
int ControlId(const forms::FormLayout& layout, std::string_view name);

// The control with that ID, or nullptr.
const forms::ControlSpec* ControlOfId(const forms::FormLayout& layout, int id);

}  // namespace qvset::winapp
