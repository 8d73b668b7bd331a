// The windows as plain data: which controls are shown, the order Tab walks them, the twips arithmetic
// and the preview's drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "forms/FormLayout.h"
#include "forms/TicketDrawing.h"

namespace qvset::forms {
namespace {

bool TakesFocus(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
        case ControlKind::TextBox:
        case ControlKind::MultiLineText:
        case ControlKind::CheckBox:
        case ControlKind::Option:
        case ControlKind::ComboList:
        case ControlKind::ComboEdit:
            return true;
        default:
            return false;
    }
}

// The part of a control that the client area shows through all its containers, computed by clipping.
TwipsRect ClippedPart(const FormLayout& layout, const ControlSpec& layoutControl) {
    TwipsRect shown = layout.WindowRect(layoutControl.name);
    const auto clip = [&shown](const TwipsRect& by) {
        const int left = std::max(shown.left, by.left);
        const int top = std::max(shown.top, by.top);
        const int right = std::min(shown.Right(), by.Right());
        const int bottom = std::min(shown.Bottom(), by.Bottom());
        shown = {left, top, std::max(0, right - left), std::max(0, bottom - top)};
    };
    clip({0, 0, layout.clientWidth, layout.clientHeight});
    for (const char* up = layoutControl.container; up != nullptr; up = layout.Find(up)->container)
        clip(layout.WindowRect(up));
    return shown;
}

TEST(Form1Layout, EveryControlIsWhollyShownOrWhollyHidden) {
    const FormLayout& layout = Form1Layout();
    const std::set<std::string> kHiddenOutright = {"Text1",
                                                   "Command16",
                                                   "PrinterLong",
                                                   "PrinterStartPosition",
                                                   "PrinterBlackPosition",
                                                   "Option1",
                                                   "Option2",
                                                   "Frame6",
                                                   "Frame8",
                                                   "Frame5",
                                                   "Command1",
                                                   "Command4",
                                                   "Command5",
                                                   "Command7",
                                                   "Command10",
                                                   "Command11",
                                                   "Command12",
                                                   "Command13",
                                                   "Command14",
                                                   "Command2",
                                                   "Image1",
                                                   "Image2",
                                                   "Image3",
                                                   "Image4"};
    int shown = 0;
    for (const ControlSpec& layoutControl : layout.controls) {
        bool hidden = false;
        for (const char* up = layoutControl.name; up != nullptr; up = layout.Find(up)->container) {
            hidden = hidden || kHiddenOutright.count(up) != 0;
        }
        const TwipsRect part = ClippedPart(layout, layoutControl);
        EXPECT_EQ(layout.IsShown(layoutControl.name), !hidden) << layoutControl.name;
        if (hidden) {
            EXPECT_TRUE(part.width == 0 || part.height == 0) << layoutControl.name;
        } else {
            EXPECT_EQ(part, layout.WindowRect(layoutControl.name)) << layoutControl.name;
            ++shown;
        }
    }
    EXPECT_EQ(shown, 56);
    EXPECT_EQ(layout.clientWidth, 10425);
    EXPECT_EQ(layout.clientHeight, 7275);
    // Text5 inside Frame7 (7680, 2040) at 480, 720.
    EXPECT_EQ(layout.WindowRect("Text5"), (TwipsRect{8160, 2760, 1095, 375}));
}

TEST(Form1Layout, TabWalksExactlyTheShownControlsThatTakeFocusInReadingOrder) {
    const FormLayout& layout = Form1Layout();
    std::set<std::string> inChain;
    for (const char* name : layout.tabOrder) {
        const ControlSpec* layoutControl = layout.Find(name);
        ASSERT_NE(layoutControl, nullptr) << name;
        EXPECT_TRUE(layout.IsShown(name)) << name;
        EXPECT_TRUE(TakesFocus(layoutControl->kind)) << name;
        EXPECT_TRUE(inChain.insert(name).second) << name << " twice";
    }
    for (const ControlSpec& layoutControl : layout.controls) {
        if (layout.IsShown(layoutControl.name) && TakesFocus(layoutControl.kind)) {
            EXPECT_EQ(inChain.count(layoutControl.name), 1u) << layoutControl.name;
        }
    }
    // Region by region: the top bar, the printer list, the settings panel row by row, the geometry
    // frame, the bottom row; inside each frame line by line, left to right.
    std::vector<std::string> regions;
    for (const char* name : layout.tabOrder) {
        const char* container = layout.Find(name)->container;
        const std::string region = container == nullptr ? "window" : container;
        if (regions.empty() || regions.back() != region) regions.push_back(region);
    }
    EXPECT_EQ(regions,
              (std::vector<std::string>{"Frame4", "Frame1", "Frame9", "Frame11", "Frame10", "Frame12",
                                        "Frame13", "Frame16", "Frame14", "Frame15", "Frame7", "window"}));
    for (std::size_t i = 1; i < layout.tabOrder.size(); ++i) {
        const ControlSpec& before = *layout.Find(layout.tabOrder[i - 1]);
        const ControlSpec& after = *layout.Find(layout.tabOrder[i]);
        if (before.container != after.container) continue;
        const bool sameLine = before.top == after.top;
        EXPECT_TRUE(sameLine ? before.left < after.left : before.top < after.top)
            << before.name << " before " << after.name;
    }
}

TEST(FormLayouts, TheHelpWindowTakesNoFocusAndThePreviewOnlyItsButton) {
    EXPECT_TRUE(Form2Layout().tabOrder.empty());
    ASSERT_EQ(Form3Layout().tabOrder.size(), 1u);
    EXPECT_STREQ(Form3Layout().tabOrder[0], "Command19");
    for (const FormLayout* layout : {&Form2Layout(), &Form3Layout()}) {
        for (const ControlSpec& layoutControl : layout->controls)
            EXPECT_TRUE(layout->IsShown(layoutControl.name)) << layoutControl.name;
    }
    EXPECT_STREQ(Form2Layout().caption, "说明");
    EXPECT_STREQ(Form3Layout().caption, "设置预览页");
}

TEST(Twips, FifteenToAPixelAt96DotsPerInchRoundedToTheNearest) {
    const std::tuple<int, int, int> kCases[] = {{10425, 96, 695}, {7275, 96, 485}, {10425, 144, 1043},
                                                {7, 96, 0},       {8, 96, 1},      {1440, 120, 120}};
    for (const auto& [twips, dpi, pixels] : kCases)
        EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << "@" << dpi;
}

TEST(PreviewDrawing, HoldsEveryMarkAndFigureInsideItsPicture) {
    const Drawing& drawing = TicketDrawing();
    EXPECT_EQ(drawing.width, 5160);
    EXPECT_EQ(drawing.height, 6720);
    std::set<std::string> texts;
    for (const Shape& shape : drawing.shapes) {
        for (const DrawPoint& point : shape.points) {
            EXPECT_GE(point.x, 0);
            EXPECT_GE(point.y, 0);
            EXPECT_LE(point.x, drawing.width);
            EXPECT_LE(point.y, drawing.height);
        }
        if (shape.kind == ShapeKind::Text) texts.insert(shape.text);
    }
    for (const char* mark : {"发 票 联", "起始打印行", "票长", "L", "黑标距离", "B", "起始打印距离", "P",
                             "mm", "20", "30", "40", "50", "60", "140", "150", "160"}) {
        EXPECT_EQ(texts.count(mark), 1u) << mark;
    }
}

}  // namespace
}  // namespace qvset::forms
