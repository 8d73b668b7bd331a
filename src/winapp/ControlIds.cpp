#include "winapp/ControlIds.h"

namespace qvset::winapp {

int ControlId(const forms::FormLayout& layout, std::string_view name) {
    for (std::size_t row = 0; row < layout.controls.size(); ++row) {
        if (name == layout.controls[row].name) return kFirstControlId + static_cast<int>(row);
    }
    return 0;
}

const forms::ControlSpec* ControlOfId(const forms::FormLayout& layout, int id) {
    const int row = id - kFirstControlId;
    if (row < 0 || static_cast<std::size_t>(row) >= layout.controls.size()) return nullptr;
    return &layout.controls[static_cast<std::size_t>(row)];
}

}  // namespace qvset::winapp
