#include "support/date.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::support::format_date;
using zorvik::support::parse_date;

TEST(FormatDate, EveryMode)
{
    const QString value = u"2015-8-5 9:03:07"_s;
    const QString expected[] = {
        value,                 u"2015-08-05 09:03:07"_s, u"2015-08-05"_s, u"09:03:07"_s,
        u"2015年08月05日"_s,   u"2015-08-01"_s,          QString(),       u"2015"_s,
        u"08"_s,               u"05"_s,                  u"2015-07-01"_s, u"20150805"_s,
        u"08-05"_s,            u"03:07"_s,
    };
    for (int mode = 0; mode < 14; ++mode)
        EXPECT_EQ(format_date(value, mode), expected[mode]) << "mode " << mode;
    EXPECT_EQ(format_date(value, 14), QString());
    EXPECT_EQ(format_date(value, -1), QString());
}

TEST(FormatDate, QuarterStartsForEveryMonth)
{
    const char* starts[] = {"01", "01", "01", "04", "04", "04", "07", "07", "07", "10", "10", "10"};
    for (int month = 1; month <= 12; ++month) {
        const QString value = u"2015-"_s + QString::number(month) + u"-15"_s;
        EXPECT_EQ(format_date(value, 10), u"2015-"_s + QLatin1String(starts[month - 1]) + u"-01"_s);
    }
}

TEST(FormatDate, EmptyAndInvalidValues)
{
    EXPECT_EQ(format_date(QString(), 1), QString());
    EXPECT_EQ(format_date(u"tomorrow"_s, 1), QString());
    EXPECT_EQ(format_date(u"tomorrow"_s, 0), QString());
    EXPECT_EQ(format_date(u"2015-02-30"_s, 2), QString());
    EXPECT_EQ(format_date(u"2015-11-12 25:00"_s, 1), QString());
}

TEST(FormatDate, AcceptedDateForms)
{
    EXPECT_EQ(format_date(u"2015/11/12"_s, 1), u"2015-11-12 00:00:00"_s);
    EXPECT_EQ(format_date(u"2015年11月12日"_s, 2), u"2015-11-12"_s);
    EXPECT_EQ(format_date(u"2015-11-12 10:30"_s, 3), u"10:30:00"_s);
    EXPECT_EQ(format_date(u"2015-11-12 10:30:59"_s, 13), u"30:59"_s);
    // A time alone is dated on the zero date of the stored formats.
    EXPECT_EQ(format_date(u"10:30:05"_s, 1), u"1899-12-30 10:30:05"_s);
    EXPECT_FALSE(parse_date(u"2015-11/12"_s).has_value()); // mixed separators
}
