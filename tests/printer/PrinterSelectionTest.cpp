#include <gtest/gtest.h>

#include "printer/MemorySpooler.h"
#include "printer/PrinterSelection.h"

namespace qvset {
namespace {

// Runs the start-up search against a MemorySpooler, as the window does: each selection applies the
// entry as the default printer.
struct PickResult {
    std::optional<std::size_t> selected;
    std::vector<std::string> applied;
    std::string current;
};

PickResult RunStartupPick(std::vector<PrinterInfo> printers, std::string initialDefault = "") {
    MemorySpooler spooler(std::move(printers));
    spooler.SetCurrentPrinter(std::move(initialDefault));
    const auto entries = FillPrinterList(spooler);
    const auto selected =
        PickMakerPrinter(entries, [&](std::size_t i) { spooler.ApplyPrinterChoice(entries[i]); });
    return {selected, spooler.AppliedChoices(), spooler.CurrentPrinter()};
}

TEST(PrinterSelection, EntryIsDeviceDriverAndPortJoinedByCommas) {
    EXPECT_EQ(FormatPrinterEntry({"QV640", "QV6 Series", "USB001"}), "QV640,QV6 Series,USB001");
    MemorySpooler spooler({{"A", "a", "LPT1:"}, {"B", "b", "COM1:"}});
    EXPECT_EQ(FillPrinterList(spooler), (std::vector<std::string>{"A,a,LPT1:", "B,b,COM1:"}));
}

TEST(PrinterSelection, StopsAtTheFirstMakerPrinterAfterApplyingEachEntryBefore) {
    const auto result = RunStartupPick({{"A", "da", "p1"}, {"QV640 M", "dm", "p2"}, {"B", "db", "p3"}});
    EXPECT_EQ(result.selected, 1u);
    EXPECT_EQ(result.applied, (std::vector<std::string>{"A,da,p1", "QV640 M,dm,p2"}));
    EXPECT_EQ(result.current, "QV640 M");
}

TEST(PrinterSelection, LastPrinterStaysTheDefaultWhenNoneMatches) {
    const auto result = RunStartupPick({{"A", "a", "1"}, {"B", "b", "2"}, {"C", "c", "3"}});
    EXPECT_EQ(result.selected, 2u);
    EXPECT_EQ(result.applied, (std::vector<std::string>{"A,a,1", "B,b,2", "C,c,3"}));
    EXPECT_EQ(result.current, "C");
}

TEST(PrinterSelection, OnePrinterOrNoneSelectsNothingAndWritesNoDefault) {
    const auto one = RunStartupPick({{"QV640", "d", "p"}}, "QV640");
    EXPECT_FALSE(one.selected.has_value());
    EXPECT_TRUE(one.applied.empty());
    const auto none = RunStartupPick({});
    EXPECT_FALSE(none.selected.has_value());
    EXPECT_TRUE(none.applied.empty());
}

TEST(PrinterSelection, PrefixIsCaseSensitive) {
    const auto result = RunStartupPick({{"qv640", "d", "p"}, {"Qv650", "d", "p"}, {"QV650", "d", "p"}});
    EXPECT_EQ(result.selected, 2u);
    EXPECT_EQ(result.applied.size(), 3u);
}

TEST(PrinterSelection, FirstEntryThatMatchesEndsTheSearchAtOnce) {
    const auto result = RunStartupPick({{"QV6", "d", "p"}, {"QV640", "d", "p"}});
    EXPECT_EQ(result.selected, 0u);
    EXPECT_EQ(result.applied, std::vector<std::string>{"QV6,d,p"});
}

TEST(PrinterSelection, DeviceNameOfAnEntryPrefersAListedPrinter) {
    const std::vector<PrinterInfo> printers{{"Odd,Name", "drv", "port"}};
    EXPECT_EQ(DeviceNameOfEntry(printers, "Odd,Name,drv,port"), "Odd,Name");
    EXPECT_EQ(DeviceNameOfEntry(printers, "Gone,drv,port"), "Gone");
}

}  // namespace
}  // namespace qvset
