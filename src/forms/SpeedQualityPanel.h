#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/ParameterCommands.h"

namespace qvset::forms {

// The speed and quality panel as state: which option button is on (Optgs, Optcgs, Optcgm), the three
// value captions (Labgs, Labcgs, Labcgm) and the text of the combo box cmbsz. The window paints this
// state and forwards its events; nothing here sends to the printer.
//
// Setting the combo text raises cmbsz_Change inside the setting call, as the control does, so a value
// above 40 is replaced by "40" through one nested change before it reaches the label.
class SpeedQualityPanel {
  public:
    // The start-up state: captions "16", "18", "20", high speed on, "16" in the combo box.
    SpeedQualityPanel();

    // Switches a mode's option button on (by click or by code) and raises its click handler.
    void SelectMode(TuningMode mode);
    // The combo text changes (typing, or set by code); raises cmbsz_Change when the text differs.
    void SetComboText(std::string_view text);
    // An entry of the list is picked: the text becomes the entry, then cmbsz_Click.
    void PickComboEntry(std::string_view entry);

    void Optgs_Click() { ShowModeValue(TuningMode::HighSpeed); }
    void Optcgs_Click() { ShowModeValue(TuningMode::Standard); }
    void Optcgm_Click() { ShowModeValue(TuningMode::Fine); }
    void cmbsz_Change() { TakeComboValue(); }
    void cmbsz_Click() { TakeComboValue(); }

    // When the mode's option button is on, the combo text becomes the mode's caption.
    void ShowModeValue(TuningMode mode);
    // Clamps the combo text to "40" (through a nested change), then copies it into the caption of the
    // selected mode.
    void TakeComboValue();

    TuningMode SelectedMode() const { return m_selected; }
    const std::string& Caption(TuningMode mode) const;
    const std::string& Labgs() const { return Caption(TuningMode::HighSpeed); }
    const std::string& Labcgs() const { return Caption(TuningMode::Standard); }
    const std::string& Labcgm() const { return Caption(TuningMode::Fine); }
    const std::string& ComboText() const { return m_comboText; }
    // Sets a caption directly, as the window's start-up does.
    void SetCaption(TuningMode mode, std::string_view caption);

  private:
    TuningMode m_selected = TuningMode::HighSpeed;
    std::array<std::string, 3> m_captions;
    std::string m_comboText;
};

}  // namespace qvset::forms
