// A flood of one line on standard error becomes one line a minute, with its count.

#include "support/repeat_filter.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::support::RepeatFilter;

namespace {

TEST(RepeatFilter, ALineRepeatedWithinAMinuteIsWrittenOnceThenWithItsCount)
{
    RepeatFilter f;
    EXPECT_EQ(f.pass(u"runJavaScript: disabled"_s, 1000), u"runJavaScript: disabled"_s);
    for (int i = 0; i < 1000; ++i)
        EXPECT_FALSE(f.pass(u"runJavaScript: disabled"_s, 1000 + i * 10));
    // Another line is not held back by the first.
    EXPECT_EQ(f.pass(u"other"_s, 2000), u"other"_s);
    // One millisecond short of the minute: still held; at the minute: written with its count.
    EXPECT_FALSE(f.pass(u"runJavaScript: disabled"_s, 60999));
    EXPECT_EQ(f.pass(u"runJavaScript: disabled"_s, 61000), u"runJavaScript: disabled (repeated 1001 times since)"_s);
    EXPECT_FALSE(f.pass(u"runJavaScript: disabled"_s, 61001));
    // A line that came once a minute apart, with nothing held: as it is.
    EXPECT_EQ(f.pass(u"other"_s, 62000), u"other"_s);
}

TEST(RepeatFilter, EverNewLinesDoNotGrowWithoutEndAndAreAllWritten)
{
    RepeatFilter f;
    for (int i = 0; i < 5000; ++i)
        EXPECT_TRUE(f.pass(u"line "_s + QString::number(i), i));
    // Past the table's size, a line seen long ago may be forgotten, never wrongly held for
    // ever: within its minute it may still be held, after it it is written.
    EXPECT_TRUE(f.pass(u"line 0"_s, 70000));
}

} // namespace
