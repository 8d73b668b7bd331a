#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "ticket/TicketDescription.h"

namespace qvset::forms {

inline constexpr std::string_view kLabel12None = "无";

// The ticket description (票样) as the window holds it: the description itself (ItemState, the recorded
// code of every item, and the three geometry texts), its snapshot at the last reset, open or save
// (SavedItemState), the lit buttons, the black-mark style and the name of the opened description
// (Label12).
//
// The window only paints this model: after any operation it repaints each button from IsLit(name) and
// the text boxes and Label12 from their texts, and writes a typed geometry text back with SetText3/4/5.
// A new selection is in its start-up state: nothing recorded, nothing lit, Label12 "无", the geometry
// texts "152", "35", "27" and black-mark style 2.
class TicketSelection {
  public:
    TicketSelection();

    // The code recorded for item 1 to 11.
    std::int16_t ItemState(int item) const { return m_description.Code(item); }
    void SetItemState(int item, std::int16_t code) { m_description.SetCode(item, code); }
    // The recorded codes and the geometry texts as one description.
    const TicketDescription& Description() const { return m_description; }
    TicketDescription& Description() { return m_description; }

    // The snapshot text of an item ("0" after a reset).
    const std::string& SavedItemState(int item) const;
    // SavedItemState of items 1 to 11 becomes the decimal text of ItemState.
    void TakeSnapshot();

    // Yes when for some item 1 to 11 the numeric value of SavedItemState differs from ItemState.
    bool HasUnsavedChanges() const;

    // Label12 to "无", every button unlit, items 1 to 11 to 0 and their snapshots to "0". The geometry
    // texts and the style are kept.
    void ResetSelection();

    // Lights the buttons of the recorded codes: a code a button records lights it (and unlights the
    // rest of its frame); a 0 unlights the lone buttons Command23 to Command25 and Command30; any
    // other code leaves the item's buttons as they are.
    void ShowItemStates();

    // Whether the button of that name has the lit back colour.
    bool IsLit(std::string_view button) const;
    // Lights a button of the panel and unlights the others of its frame where it has partners.
    // Unknown names are ignored.
    void Light(std::string_view name);
    void Unlight(std::string_view button);

    const std::string& Label12() const { return m_label12; }
    void SetLabel12(std::string caption) { m_label12 = std::move(caption); }

    const std::string& Text3() const { return GeometryText(kItemTicketLength); }
    const std::string& Text4() const { return GeometryText(kItemStartOffset); }
    const std::string& Text5() const { return GeometryText(kItemBlackMarkOffset); }
    void SetText3(std::string text) { SetGeometryText(kItemTicketLength, std::move(text)); }
    void SetText4(std::string text) { SetGeometryText(kItemStartOffset, std::move(text)); }
    void SetText5(std::string text) { SetGeometryText(kItemBlackMarkOffset, std::move(text)); }
    // The text of a geometry item: 7 is Text3, 8 is Text4, 9 is Text5.
    const std::string& GeometryText(int item) const { return m_description.DistanceText(item); }
    void SetGeometryText(int item, std::string text) { m_description.SetDistanceText(item, std::move(text)); }

    // The black-mark style chosen with Option1 (1) or Option2 (2); other values are ignored.
    int BlackMarkStyle() const { return m_blackMarkStyle; }
    void SetBlackMarkStyle(int style);

  private:
    TicketDescription m_description;
    std::array<std::string, kLastItem + 1> m_savedItemState;
    std::set<std::string, std::less<>> m_lit;
    std::string m_label12;
    int m_blackMarkStyle = 2;
};

}  // namespace qvset::forms
