// The default destination changed in a CUPS lpoptions file, every other line kept.
#include "printer/LpOptions.h"

#include <gtest/gtest.h>

namespace qvset {
namespace {

struct OptionsRow {
    const char* name;
    const char* before;
    const char* queue;
    const char* after;
};

TEST(LpOptions, OnlyTheDefaultMovesAndEveryOtherLineStaysAsItWas) {
    const OptionsRow rows[] = {
        {"an empty file gains the default", "", "QV640", "Default QV640\n"},
        {"the former default keeps its options as a Dest line",
         "Default Office sides=two-sided-long-edge\nDest QV640 media=na_letter\n", "QV640",
         "Dest Office sides=two-sided-long-edge\nDefault QV640 media=na_letter\n"},
        {"comments, blanks, other queues and instances are kept byte for byte",
         "# mine\n\nDest Office  copies=2\nDest QV640/copy2 copies=2\nDefault Office/duplex "
         "sides=one-sided\n",
         "QV640",
         "# mine\n\nDest Office  copies=2\nDest QV640/copy2 copies=2\nDest Office/duplex sides=one-sided\n"
         "Default QV640\n"},
        {"a queue already the default is left alone", "Default QV640 a=b\nDest Office\n", "QV640",
         "Default QV640 a=b\nDest Office\n"},
        {"keywords and names without regard to case", "dest qv640 a=b\nDEFAULT Office\n", "QV640",
         "Default qv640 a=b\nDest Office\n"},
        {"a last line without its end gets one before the new line", "Dest Office x=y", "QV640",
         "Dest Office x=y\nDefault QV640\n"},
        {"a name that only begins like the queue is another queue", "Dest QV6400 a=b\n", "QV640",
         "Dest QV6400 a=b\nDefault QV640\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WithDefaultDestination(row.before, row.queue), row.after) << row.name;
    }
}

TEST(LpOptions, TheDefaultDestinationIsReadAsCupsReadsIt) {
    struct Case {
        const char* name;
        const char* lpoptions;
        std::optional<std::string> queue;
    };
    const Case cases[] = {
        {"no file, no default", "", std::nullopt},
        {"only Dest lines name no default", "Dest QV640 copies=2\nDest Office\n", std::nullopt},
        {"the queue ends at its first blank", "Dest Office\nDefault QV640 media=na_letter\n", "QV640"},
        {"an instance gives its queue", "Default QV640/sample copies=3\n", "QV640"},
        {"the keyword in any case, blanks around it", "  dEfAuLt\tQV650  \r\n", "QV650"},
        {"the first Default line wins", "Default QV640\nDefault Office\n", "QV640"},
        {"a Default without a value is passed over", "Default\nDefault   # none\nDefault QV650\n", "QV650"},
        {"a commented line names nothing", "# Default Office\nDefault QV640 # the shop's\n", "QV640"},
        {"an escaped # belongs to the name", "Default QV\\#2\n", "QV#2"},
        {"a first Default naming no queue ends the search", "Default /copy\nDefault QV640\n", std::nullopt},
        {"a keyword that only begins like Default is another", "Defaults QV640\nDefault Office", "Office"},
    };
    for (const auto& c : cases) EXPECT_EQ(DefaultDestinationOf(c.lpoptions), c.queue) << c.name;
    EXPECT_EQ(QueueOfDestination("QV640/sample"), "QV640");
    EXPECT_EQ(QueueOfDestination("Office_Laser"), "Office_Laser");
}

}  // namespace
}  // namespace qvset
