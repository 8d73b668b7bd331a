#include <gtest/gtest.h>

#include "forms/SpeedQualityPanel.h"
#include "tuning/TuningRuns.h"

namespace qvset::forms {
namespace {

TEST(SpeedQualityPanelTest, StartsWithHighSpeedAndTheValues16_18_20) {
    const SpeedQualityPanel panel;
    EXPECT_EQ(panel.SelectedMode(), TuningMode::HighSpeed);
    EXPECT_EQ(panel.ComboText(), "16");
    EXPECT_EQ(panel.Labgs(), "16");
    EXPECT_EQ(panel.Labcgs(), "18");
    EXPECT_EQ(panel.Labcgm(), "20");
    const auto entries = ModeValueEntries();
    ASSERT_EQ(entries.size(), 50u);
    EXPECT_EQ(entries.front(), "1");
    EXPECT_EQ(entries.back(), "50");
}

TEST(SpeedQualityPanelTest, PickingAValueAbove40GivesFortyInTheComboAndTheSelectedLabelOnly) {
    SpeedQualityPanel panel;
    panel.SelectMode(TuningMode::Standard);
    EXPECT_EQ(panel.ComboText(), "18");
    panel.PickComboEntry("45");
    EXPECT_EQ(panel.ComboText(), "40");
    EXPECT_EQ(panel.Labcgs(), "40");
    EXPECT_EQ(panel.Labgs(), "16");
    EXPECT_EQ(panel.Labcgm(), "20");
    panel.SetComboText("41.5");
    EXPECT_EQ(panel.ComboText(), "40");
    EXPECT_EQ(panel.Labcgs(), "40");
}

TEST(SpeedQualityPanelTest, SwitchingModesShowsEachModesOwnValue) {
    SpeedQualityPanel panel;
    panel.SelectMode(TuningMode::Fine);
    panel.SetComboText("7");
    EXPECT_EQ(panel.Labcgm(), "7");
    panel.SelectMode(TuningMode::HighSpeed);
    EXPECT_EQ(panel.ComboText(), "16");
    EXPECT_EQ(panel.Labcgm(), "7");
    panel.SelectMode(TuningMode::Fine);
    EXPECT_EQ(panel.ComboText(), "7");
    EXPECT_EQ(panel.Labgs(), "16");
}

TEST(SpeedQualityPanelTest, EachKeystrokeReachesTheLabelAndOddTextsAreCopiedUnchanged) {
    SpeedQualityPanel panel;
    panel.SetComboText("1");
    EXPECT_EQ(panel.Labgs(), "1");
    panel.SetComboText("12");
    EXPECT_EQ(panel.Labgs(), "12");
    for (const char* text : {"5a", "", "-3", "0", "7.5"}) {
        panel.SetComboText(text);
        EXPECT_EQ(panel.Labgs(), text);
    }
}

TEST(SpeedQualityPanelTest, ClampModeValueCapsNumbersAboveForty) {
    EXPECT_EQ(ClampModeValue("45"), "40");
    EXPECT_EQ(ClampModeValue("40"), "40");
    EXPECT_EQ(ClampModeValue("40.5"), "40");
    EXPECT_EQ(ClampModeValue("99abc"), "40");
    EXPECT_EQ(ClampModeValue("&H30"), "40");
    EXPECT_EQ(ClampModeValue("12"), "12");
    EXPECT_EQ(ClampModeValue("abc"), "abc");
    EXPECT_EQ(ClampModeValue("-50"), "-50");
}

}  // namespace
}  // namespace qvset::forms
