// The default destination changed in a CUPS lpoptions file, every other line kept.
#include "printer/LpOptions.h"

#include <gtest/gtest.h>

namespace qvset {
namespace {

struct Row {
    const char* name;
    const char* before;
    const char* queue;
    const char* after;
};

TEST(LpOptions, OnlyTheDefaultMovesAndEveryOtherLineStaysAsItWas) {
    const Row rows[] = {
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

}  // namespace
}  // namespace qvset
