#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qvset::forms {

// One check box of the hidden flag panel (Frame8) and the control it enables.
struct CheckBoxRow {
    std::string_view name;
    std::string_view caption;
    std::string_view partner;
    std::string_view partnerText;  // the combo box's initial text; empty for the geometry text boxes
};

// The check boxes of Frame8 and of the three geometry items, which lie outside the window's visible
// area. Ticking a box enables its partner; removing the tick disables only ComBaudrate. Nothing else
// reads them: they take no part in the batch or the description file.
class CheckBoxPanel {
  public:
    static constexpr std::size_t kCount = 11;
    static const std::array<CheckBoxRow, kCount>& Rows();

    // A click toggles the tick and applies the partner rule. Returns false for an unknown name.
    bool Click(std::string_view checkBox);

    bool IsTicked(std::string_view checkBox) const;
    bool IsPartnerEnabled(std::string_view checkBox) const;

  private:
    std::array<bool, kCount> m_ticked{};
    std::array<bool, kCount> m_enabled{true, true, true, true, true, true, true, true, true, true, true};
};

}  // namespace qvset::forms
