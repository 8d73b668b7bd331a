#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace qvset {

inline constexpr std::string_view kLabel12None = "无";
inline constexpr std::string_view kInitialText3 = "152";
inline constexpr std::string_view kInitialText4 = "35";
inline constexpr std::string_view kInitialText5 = "27";

// The ticket description (票样) the window shows: the recorded code of every flag item (ItemState),
// its snapshot at the last reset, open or save (SavedItemState), the lit buttons, the three geometry
// texts, the black-mark style and the name of the opened description (Label12).
//
// The window only paints this model: after any operation it repaints each button from IsLit(name) and
// the text boxes and Label12 from their texts, and writes a typed geometry text back with SetText3/4/5.
// A new selection is in its start-up state: nothing recorded, nothing lit, Label12 "无", the geometry
// texts "152", "35", "27" and black-mark style 2.
class TicketSelection {
  public:
    static constexpr std::size_t kSlots = 21;  // slots 0 to 20; only 1 to 11 are used

    TicketSelection();

    // The code recorded for item 1 to 11 (slots 0 to 20 are readable; every loop runs 1 to 11).
    std::int16_t ItemState(int item) const;
    void SetItemState(int item, std::int16_t code);
    const std::array<std::int16_t, kSlots>& ItemStates() const { return m_itemState; }

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
    void Light(std::string_view button);
    void Unlight(std::string_view button);

    const std::string& Label12() const { return m_label12; }
    void SetLabel12(std::string caption) { m_label12 = std::move(caption); }

    const std::string& Text3() const { return m_texts[0]; }
    const std::string& Text4() const { return m_texts[1]; }
    const std::string& Text5() const { return m_texts[2]; }
    void SetText3(std::string text) { m_texts[0] = std::move(text); }
    void SetText4(std::string text) { m_texts[1] = std::move(text); }
    void SetText5(std::string text) { m_texts[2] = std::move(text); }
    // The text of a geometry item: 7 is Text3, 8 is Text4, 9 is Text5.
    const std::string& GeometryText(int item) const;
    void SetGeometryText(int item, std::string text);

    // The black-mark style chosen with Option1 (1) or Option2 (2); other values are ignored.
    int BlackMarkStyle() const { return m_blackMarkStyle; }
    void SetBlackMarkStyle(int style);

  private:
    std::array<std::int16_t, kSlots> m_itemState{};
    std::array<std::string, kSlots> m_savedItemState;
    std::set<std::string, std::less<>> m_lit;
    std::string m_label12;
    std::array<std::string, 3> m_texts;
    int m_blackMarkStyle = 2;
};

}  // namespace qvset
