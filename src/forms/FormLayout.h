#pragma once

#include <string_view>
#include <vector>

namespace qvset::forms {

// What a control of a window is; each face builds its own counterpart of each kind.
enum class ControlKind {
    Frame,          // a group box; its caption is the group's title (none for the top bar)
    Label,          // a caption that wraps onto further lines when it is wider than the label
    Button,         // a push button; the settings buttons are lit by the logic
    TextBox,        // a single-line edit; the caption is its initial text
    MultiLineText,  // a multi-line edit (the hex console); Tab moves the focus on
    CheckBox,       // unticked at first
    Option,         // a radio button; the options of one container form one group
    ComboList,      // a drop-down list without typing
    ComboEdit,      // an editable combo box; the caption is its initial text
    Picture,        // an empty picture box
    Drawing,        // a picture box showing the logic's drawing of that name
};

enum class TextAlign { Left, Centre };

// A rectangle in twips: 1,440 to the logical inch, 15 to a pixel at 96 dpi.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(const TwipsRect& inner) const;
    bool operator==(const TwipsRect&) const = default;
};

// One control of a window: its name (also the name every face gives it, so a test can find it), kind,
// container (nullptr for the window itself), position and size in twips relative to the container's
// outer corner, and caption or initial text.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* container;
    int left;
    int top;
    int width;
    int height;
    const char* caption;
    int fontPoints = 0;  // 0: the window's font
    bool bold = false;
    TextAlign align = TextAlign::Left;

    TwipsRect Rect() const { return {left, top, width, height}; }
};

// A window as plain data: its name and caption, the size of its fixed client area, every control
// (containers before what they hold, in creation order) and the controls that take the focus, in the
// order Tab walks them.
struct FormLayout {
    const char* name;
    const char* caption;
    int clientWidth;
    int clientHeight;
    std::vector<ControlSpec> controls;
    std::vector<const char*> tabOrder;

    // The control of that name, or nullptr.
    const ControlSpec* Find(std::string_view control) const;
    // The control's rectangle relative to the client area's corner.
    TwipsRect WindowRect(std::string_view control) const;
    // Whether the window shows the control: it lies wholly inside its container, which is shown in
    // turn, and inside the client area. Controls laid out below the client area, or below their frame's
    // inner height, are built and wired all the same but never shown.
    bool IsShown(std::string_view control) const;
};

// The twips of a length at a screen's logical dots per inch, rounded to the nearest pixel.
int TwipsToPixels(int twips, int logicalDpi);

inline constexpr int kTwipsPerInch = 1440;

// The three windows: the main window "设置", the help window "说明" and the preview "设置预览页".
const FormLayout& Form1Layout();
const FormLayout& Form2Layout();
const FormLayout& Form3Layout();

}  // namespace qvset::forms
