#pragma once

#include <vector>

namespace qvset::app {

enum class ControlKind {
    Frame,          // QGroupBox; its caption is the group's title (none for the top bar)
    Label,          // CaptionLabel (a QLabel that wraps tightly)
    Button,         // QPushButton
    TextBox,        // QLineEdit; the caption is its initial text
    MultiLineText,  // QPlainTextEdit (the hex console)
    CheckBox,       // QCheckBox, unticked
    Option,         // QRadioButton; the options of one container form one group
    ComboList,      // QComboBox, drop-down list without typing
    ComboEdit,      // QComboBox, editable; the caption is its initial text
    Picture,        // an empty picture box (QLabel with a sunken frame)
};

// One control of the main window: its name (also its Qt object name), kind, container (nullptr for
// the window itself), position and size in twips relative to the container's outer corner, and caption.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* container;
    int left;
    int top;
    int width;
    int height;
    const char* caption;
};

// The whole main window, containers before what they hold. The client area is kClientWidthTwips ×
// kClientHeightTwips; everything at a top of 9,000 twips or more lies below it and is never shown.
inline constexpr int kClientWidthTwips = 10425;
inline constexpr int kClientHeightTwips = 7275;
const std::vector<ControlSpec>& Form1Layout();

}  // namespace qvset::app
