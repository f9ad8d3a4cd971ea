#include "feed/parsers.h"
#include "qt_printers.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::feed;

namespace {

// A trend page with `rows` draws, oldest first, the way the public site lists them.
QString trend_page(int rows, int first_sequence = 1)
{
    QString body;
    for (int i = 0; i < rows; ++i) {
        const QString period = u"151112"_s + QString::number(first_sequence + i).rightJustified(3, u'0');
        body += u"<tr data-period=\""_s + period + u"\"><td>"_s + period +
                u"</td><td>x</td><td><i>1</i> <i>2</i>\r\n<i>3</i><i>4</i><i>"_s +
                QString::number(i % 10) + u"</i></td></tr>"_s;
    }
    return u"<html><tbody id=\"other\"></tbody><tbody id=\"cpdata\">"_s + body +
           u"</tbody></html>"_s;
}

} // namespace

TEST(PublicSite, NewestDraw)
{
    const auto d = parse_public_newest(
        u"{\"latestPeriods\":[{\"period\":\"151112079\",\"number\":\"1 2 3 4 5\"},{\"period\":\"151112078\",\"number\":\"0 0 0 0 0\"}]}"_s);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->issue, u"20151112079"_s);
    EXPECT_EQ(d->numbers, u"1,2,3,4,5"_s);
    EXPECT_EQ(parse_public_newest(u"{\"latestPeriods\":[{\"period\":\"1\",\"number\":\"12345\"}]}"_s)->numbers,
              u"1,2,3,4,5"_s);
    EXPECT_FALSE(parse_public_newest(u"{\"latestPeriods\":[]}"_s));
    EXPECT_FALSE(parse_public_newest(u"{\"latestPeriods\":[{\"period\":\"151112079\"}]}"_s));
    EXPECT_FALSE(parse_public_newest(u"<html>busy</html>"_s));
}

TEST(PublicSite, NextIssueRollsOverAfterTheHundredTwentieth)
{
    NextIssue next = next_public_issue(u"20151112079"_s);
    EXPECT_EQ(next.sequence, u"080"_s);
    EXPECT_EQ(next.date, u"2015-11-12"_s);
    next = next_public_issue(u"20151112120"_s);
    EXPECT_EQ(next.sequence, u"001"_s);
    EXPECT_EQ(next.date, u"2015-11-13"_s);
    next = next_public_issue(u"20151231120"_s);
    EXPECT_EQ(next.date, u"2016-01-01"_s);
}

TEST(PublicSite, CountdownInSecondsRoundedHalfToEven)
{
    EXPECT_EQ(parse_public_countdown(QString()), u"0"_s);
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":45000}"_s), u"45"_s);
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":2500}"_s), u"2"_s);
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":3500}"_s), u"4"_s);
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":3499}"_s), u"3"_s);
    EXPECT_EQ(parse_public_countdown(u"{\"other\":1}"_s), QString());
    EXPECT_EQ(parse_public_countdown(u"garbage"_s), QString());
}

TEST(TrendPage, AtMostNinetyNineDrawsNewestFirst)
{
    const auto history = parse_trend(trend_page(120));
    ASSERT_TRUE(history.has_value());
    const QStringList entries = history->split(u'|');
    EXPECT_EQ(entries.size(), 99);
    EXPECT_EQ(entries.first(), u"20151112120:1,2,3,4,9"_s);
    EXPECT_EQ(entries.last(), u"20151112022:1,2,3,4,1"_s);
    EXPECT_EQ(parse_trend(trend_page(3))->split(u'|').size(), 3);
}

TEST(TrendPage, UnusableRowsAreSkippedAndDoNotCount)
{
    QString page = trend_page(2);
    page.replace(u"</tbody></html>"_s,
                 u"<tr data-period=\"x\"><td>151112003</td><td></td><td>1234</td></tr>"
                 u"<tr><td>no period</td><td></td><td>12345</td></tr></tbody></html>"_s);
    const auto history = parse_trend(page);
    ASSERT_TRUE(history.has_value());
    EXPECT_EQ(*history, u"20151112002:1,2,3,4,1|20151112001:1,2,3,4,0"_s);
    EXPECT_FALSE(parse_trend(u"<html>no table</html>"_s));
    EXPECT_FALSE(parse_trend(u"<tbody id=\"cpdata\"></tbody>"_s));
}

TEST(HelePlatform, SiteInformationInsideTheMessage)
{
    const auto site = parse_hele_site(
        u"{\"code\":1,\"message\":\"{\\\"ld\\\":\\\"201511121234\\\",\\\"lr\\\":\\\"1,2,3,4,5\\\",\\\"ud\\\":\\\"201511121235\\\",\\\"cdTs\\\":45}\"}"_s);
    ASSERT_TRUE(site.has_value());
    EXPECT_EQ(site->ld, u"201511121234"_s);
    EXPECT_EQ(site->lr, u"1,2,3,4,5"_s);
    EXPECT_EQ(site->ud, u"201511121235"_s);
    EXPECT_EQ(site->cdTs, u"45"_s);
    EXPECT_FALSE(parse_hele_site(u"{\"code\":1,\"message\":\"{\\\"ld\\\":\\\"1\\\",\\\"lr\\\":\\\"1,2,3,4,5\\\"}\"}"_s));
    EXPECT_FALSE(parse_hele_site(u"{\"code\":0,\"message\":\"not logged in\"}"_s));
}

TEST(HelePlatform, HistoryAndItsUploadList)
{
    QString draws;
    for (int i = 0; i < 100; ++i) // oldest first
        draws += u"{\\\"n\\\":\\\""_s + QString::number(1000 + i) + u"\\\",\\\"r\\\":\\\"1,2,3,4,"_s +
                 QString::number(i % 10) + u"\\\"},"_s;
    draws.chop(1);
    const QString reply = u"{\"code\":1,\"message\":\"["_s + draws + u"]\"}"_s;
    const auto h = parse_hele_history(reply, u"30"_s);
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->history.split(u'|').size(), 100);
    EXPECT_TRUE(h->history.startsWith(u"1099:1,2,3,4,9|1098:1,2,3,4,8|"_s));
    EXPECT_EQ(h->digest_source, h->history + u'|');
    EXPECT_TRUE(h->upload_list.startsWith(
        u"[{\"issue\": \"1099\", \"number\": \"1,2,3,4,9\", \"nextsec\": 30},{\"issue\": \"1098\""_s));
    EXPECT_TRUE(h->upload_list.endsWith(u"{\"issue\": \"1090\", \"number\": \"1,2,3,4,0\", \"nextsec\": 30}]"_s));
    EXPECT_EQ(h->upload_list.count(u"\"nextsec\": 30"_s), 10);

    EXPECT_FALSE(parse_hele_history(u"{\"code\":0,\"message\":\"[]\"}"_s, u"30"_s));
    EXPECT_FALSE(parse_hele_history(u"{\"code\":1,\"message\":\"[]\"}"_s, u"30"_s));
    // A short reply gives what it has.
    const auto few = parse_hele_history(
        u"{\"code\":1,\"message\":\"[{\\\"n\\\":\\\"7\\\",\\\"r\\\":\\\"1,1,1,1,1\\\"}]\"}"_s, u"5"_s);
    ASSERT_TRUE(few.has_value());
    EXPECT_EQ(few->history, u"7:1,1,1,1,1"_s);
    EXPECT_EQ(few->upload_list, u"[{\"issue\": \"7\", \"number\": \"1,1,1,1,1\", \"nextsec\": 5}]"_s);
}

TEST(DataCentre, NewestDraw)
{
    const auto d = parse_datacenter_newest(
        u"{\"ret\":0,\"information\":[{\"peroid\":\"20151112-0123\",\"prize\":\"1,2,3,4,5\",\"nexeId\":\"20151112-0124\",\"nextsec\":42}]}"_s);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->peroid, u"20151112-0123"_s);
    EXPECT_EQ(d->nexeId, u"20151112-0124"_s);
    EXPECT_EQ(d->nextsec, u"42"_s);
    EXPECT_FALSE(parse_datacenter_newest(u"{\"ret\":1,\"information\":[{\"peroid\":\"1\"}]}"_s));
    EXPECT_FALSE(parse_datacenter_newest(u"{\"ret\":0,\"information\":[]}"_s));
    EXPECT_TRUE(parse_datacenter_newest(u"{\"information\":[{\"peroid\":\"5\"}]}"_s)); // no ret: 0
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart)
{
    EXPECT_DOUBLE_EQ(leading_number(u"201511121234"_s), 201511121234.0);
    EXPECT_DOUBLE_EQ(leading_number(u"20151112-0123"_s), 20151112.0);
    EXPECT_DOUBLE_EQ(leading_number(u"abc"_s), 0.0);
    EXPECT_DOUBLE_EQ(leading_number(QString()), 0.0);
    EXPECT_DOUBLE_EQ(leading_number(u" 12.5x"_s), 12.5);
}
