#include "forms/SpeedQualityPanel.h"

#include "tuning/TuningRuns.h"

namespace qvset::forms {
namespace {

std::size_t IndexOf(TuningMode mode) {
    return static_cast<std::size_t>(mode);
}

}  // namespace

SpeedQualityPanel::SpeedQualityPanel() {
    const ModeCaptions initial = InitialModeCaptions();
    SetCaption(TuningMode::HighSpeed, initial.highSpeed);
    SetCaption(TuningMode::Standard, initial.standard);
    SetCaption(TuningMode::Fine, initial.fine);
    SelectMode(TuningMode::HighSpeed);
    SetComboText(initial.highSpeed);
}

void SpeedQualityPanel::SelectMode(TuningMode mode) {
    m_selected = mode;
    switch (mode) {
        case TuningMode::HighSpeed:
            Optgs_Click();
            break;
        case TuningMode::Standard:
            Optcgs_Click();
            break;
        case TuningMode::Fine:
            Optcgm_Click();
            break;
    }
}

void SpeedQualityPanel::SetComboText(std::string_view text) {
    if (text == m_comboText) return;
    m_comboText = std::string(text);
    cmbsz_Change();
}

void SpeedQualityPanel::PickComboEntry(std::string_view entry) {
    m_comboText = std::string(entry);
    cmbsz_Click();
}

void SpeedQualityPanel::ShowModeValue(TuningMode mode) {
    if (m_selected != mode) return;
    SetComboText(Caption(mode));
}

void SpeedQualityPanel::TakeComboValue() {
    const std::string clamped = ClampModeValue(m_comboText);
    if (clamped != m_comboText) SetComboText(clamped);
    m_captions[IndexOf(m_selected)] = m_comboText;
}

const std::string& SpeedQualityPanel::Caption(TuningMode mode) const {
    return m_captions[IndexOf(mode)];
}

void SpeedQualityPanel::SetCaption(TuningMode mode, std::string_view caption) {
    m_captions[IndexOf(mode)] = std::string(caption);
}

}  // namespace qvset::forms
