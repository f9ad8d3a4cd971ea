#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "feed/draw_feed.h"
#include "qt_printers.h"
#include "support/clock.h"
#include "support/md5.h"

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::feed;
using zorvik::testing::FakeHttp;
using zorvik::testing::FixedClock;
using zorvik::testing::RecordingShell;

namespace {

QString datacenter_reply(const QString& issue, const QString& numbers, const QString& next,
                         int seconds = 40)
{
    return u"{\"ret\":0,\"information\":[{\"peroid\":\""_s + issue + u"\",\"prize\":\""_s + numbers +
           u"\",\"nexeId\":\""_s + next + u"\",\"nextsec\":"_s + QString::number(seconds) + u"}]}"_s;
}

// The Hele platform's site information (newest 201511121234, next 201511121235) and its history
// of that one draw.
const QString kHeleSite =
    u"{\"code\":1,\"message\":\"{\\\"ld\\\":\\\"201511121234\\\",\\\"lr\\\":\\\"1,2,3,4,5\\\",\\\"ud\\\":\\\"201511121235\\\",\\\"cdTs\\\":30}\"}"_s;
const QString kHeleHistory =
    u"{\"code\":1,\"message\":\"[{\\\"n\\\":\\\"201511121234\\\",\\\"r\\\":\\\"1,2,3,4,5\\\"}]\"}"_s;

QString history_text(int entries)
{
    QStringList list;
    for (int i = 0; i < entries; ++i)
        list << u"20151112-0"_s + QString::number(100 - i) + u":1,2,3,4,5"_s;
    return list.join(u'|');
}

class Feed : public ::testing::Test {
protected:
    Feed()
    {
        feed_.endpoints().datacenter_base = u"http://dc/"_s;
        feed_.endpoints().public_base = u"http://pub/"_s;
        feed_.endpoints().trend_base = u"http://trend/"_s;
        feed_.endpoints().platform_base = u"http://hele/"_s;
        feed_.endpoints().upload_base = u"http://up/"_s;
        QObject::connect(&feed_, &DrawFeed::new_draw,
                         [this](const QString& issue, const QString&) { handled_ << issue; });
    }

    FakeHttp http_;
    FixedClock clock_;
    RecordingShell shell_;
    DrawFeed feed_{http_, clock_, shell_};
    QStringList handled_;
};

} // namespace

TEST_F(Feed, NoLotteryNoRequest)
{
    feed_.poll_awd();
    feed_.set_lottery(u"不存在的彩种"_s);
    feed_.poll_awd();
    EXPECT_TRUE(http_.requests.isEmpty());
}

TEST_F(Feed, DataCentreDrawIsHandledOnce)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    http_.route(u"getinfo?id=201511120123&before=100&gtype=list&t="_s, history_text(6));
    QSignalSpy labels(&feed_, &DrawFeed::labels_changed);
    feed_.poll_awd();
    feed_.poll_awd();
    EXPECT_EQ(handled_, QStringList{u"20151112-0123"_s});
    EXPECT_EQ(labels.size(), 2); // the labels follow every valid poll
    EXPECT_EQ(labels.last().at(1).toString(), u"投注期：0124"_s);
    EXPECT_EQ(feed_.bet_iss(), u"20151112-0124"_s);
    EXPECT_EQ(feed_.countdown_text(), u"投注截止 00:39"_s);
    EXPECT_EQ(http_.count(u"&before=100"_s), 1); // history loaded once
    // The address asked for carries the epoch seconds of the local clock.
    EXPECT_TRUE(http_.requests.first().url.startsWith(u"http://dc/caipiao/ucai_60s/beforeinfo?id=new&v=1447324200"_s));
    // The newest draw heads the history; the list leaves out the oldest entry.
    EXPECT_TRUE(feed_.awd_history().startsWith(u"201511120123:1,2,3,4,5|"_s));
    EXPECT_EQ(feed_.rows().size(), 6);
    EXPECT_EQ(feed_.rows().at(1).issue, u"20151112-0100"_s);
    EXPECT_EQ(feed_.awd_lookup().value(u"201511120100"_s), u"1,2,3,4,5"_s);

    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0124"_s, u"5,5,5,5,5"_s, u"20151112-0125"_s));
    feed_.poll_awd();
    EXPECT_EQ(handled_, (QStringList{u"20151112-0123"_s, u"20151112-0124"_s}));
}

TEST_F(Feed, InvalidDrawsChangeNothing)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    feed_.poll_awd();
    QSignalSpy labels(&feed_, &DrawFeed::labels_changed);
    for (const QString& reply : {datacenter_reply(u"20151112-0124"_s, u"1,2,3,4"_s, u"20151112-0125"_s),
                                 datacenter_reply(u"20151112-0124"_s, u"1,2,3,4,5"_s, u"201511120125"_s),
                                 u"{\"ret\":1}"_s, QString(), u"<html>"_s}) {
        http_.route(u"beforeinfo"_s, reply);
        feed_.poll_awd();
    }
    EXPECT_EQ(labels.size(), 0);
    EXPECT_EQ(feed_.awd_iss(), u"20151112-0123"_s);
    EXPECT_EQ(handled_.size(), 1);
    EXPECT_TRUE(shell_.tips.isEmpty()); // the announcement option is off
    feed_.set_announce(true);
    http_.route(u"beforeinfo"_s, QString());
    feed_.poll_awd();
    EXPECT_EQ(shell_.tips.size(), 1);
    EXPECT_TRUE(shell_.tips.first().startsWith(u"读取开奖号略慢，检查一下自己网络看"_s));
}

TEST_F(Feed, AnnouncedDrawsRaiseATip)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    feed_.set_announce(true);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    feed_.poll_awd();
    EXPECT_EQ(shell_.tips, QStringList{u"U彩平台-欢乐分分彩最新开奖\r\n20151112-0123：1,2,3,4,5"_s});
}

TEST_F(Feed, PublicSiteWithTrendHistory)
{
    feed_.set_lottery(u"合乐平台-重庆时时彩"_s);
    http_.route(u"preBet_resentAwardNum"_s,
                u"{\"latestPeriods\":[{\"period\":\"151112120\",\"number\":\"1 2 3 4 5\"}]}"_s);
    http_.route(u"preBet_periodInfoTime"_s, u"{\"secondsLeft\":125000}"_s);
    QString rows;
    for (int i = 115; i <= 120; ++i)
        rows += u"<tr data-period=\"1\"><td>151112"_s + QString::number(i) + u"</td><td></td><td>67890</td></tr>"_s;
    http_.route(u"cqssc/?periodNumber=100"_s, u"<tbody id=\"cpdata\">"_s + rows + u"</tbody>"_s);
    feed_.poll_awd();
    EXPECT_EQ(handled_, QStringList{u"20151112120"_s});
    EXPECT_EQ(feed_.bet_iss(), u"2015-11-13-001"_s);
    EXPECT_EQ(feed_.countdown_text(), u"投注截止 02:04"_s);
    EXPECT_TRUE(http_.requests.at(1).url.startsWith(u"http://pub/order/preBet_periodInfoTime.html?gameEn=ssc&cache="_s));
    EXPECT_EQ(feed_.rows().size(), 6); // the newest draw was added to the six trend rows
    EXPECT_EQ(feed_.rows().first().issue, u"20151112120"_s);
}

TEST_F(Feed, HeleAlternatesWithTheDataCentreAndUploadsOnlyOnChange)
{
    feed_.set_lottery(u"合乐平台-HI彩分分彩"_s);
    http_.route(u"caipiao/hele_fenfen/getinfo?id=new&t=20151112103000"_s,
                datacenter_reply(u"201511121233"_s, u"0,0,0,0,0"_s, u"201511121234"_s));
    http_.route(u"caipiao/hele_fenfen/getinfo?id=201511121233"_s, history_text(5));
    http_.route(u"cp/loadSiteInfo.do?siteCode=HELSSC1"_s,
                kHeleSite);
    http_.route(u"http://hele//cp/loadDrawHistory.do?siteCode=HELSSC1&noOfD=_100"_s,
                kHeleHistory);

    feed_.poll_awd(); // data centre
    feed_.poll_awd(); // platform
    feed_.poll_awd(); // data centre: nothing newer than 201511121234
    feed_.poll_awd(); // platform again, same history: no second upload
    EXPECT_EQ(handled_, (QStringList{u"201511121233"_s, u"201511121234"_s}));
    const auto& r = http_.requests;
    ASSERT_GE(r.size(), 4);
    EXPECT_EQ(r[0].method, u"GET"_s);
    EXPECT_EQ(r[2].method, u"POST"_s);
    EXPECT_EQ(r[2].body, u"siteCode=HELSSC1"_s);
    EXPECT_EQ(r[3].body, u"siteCode=HELSSC1&noOfD=_100"_s);
    EXPECT_EQ(http_.count(u"http://up/kaijiang_arr.php?cz=hele_fenfen&list=[{\"issue\": \"201511121234\""_s), 1);
    EXPECT_EQ(feed_.awd_history(), u"201511121234:1,2,3,4,5"_s);
}

// Each source's slow-reading tip, whole, when the announcement option is on; none when off.
TEST_F(Feed, EverySourceSaysItReadsSlowlyOnlyWithTheOption)
{
    const QString pub = u"读取开奖号略慢，检查一下自己网络或重新拨号/重启路由器看"_s;
    const QString hele = u"读取开奖号太慢，检查一下自己网速\r\n或在切换一下开奖线路试试。"_s;
    const QString dc = u"读取开奖号略慢，检查一下自己网络看\r\n或在左下角“开奖线路”处更换一下平台网址看看。"_s;
    for (const bool option : {false, true}) {
        shell_.tips.clear();
        feed_.set_announce(option);
        const auto expect = [&](const QStringList& tips) { return option ? tips : QStringList(); };
        // Nothing answers at all.
        feed_.set_lottery(u"合乐平台-重庆时时彩"_s);
        feed_.poll_awd();
        EXPECT_EQ(shell_.tips, expect({pub})) << option;
        shell_.tips.clear();
        feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
        feed_.poll_awd();
        EXPECT_EQ(shell_.tips, expect({dc})) << option;
        shell_.tips.clear();
        // Hele: the data centre's turn says nothing; the platform's turn and, once the platform
        // answered, its history turn say theirs.
        feed_.set_lottery(u"合乐平台-HI彩分分彩"_s);
        feed_.poll_awd(); // data centre
        EXPECT_TRUE(shell_.tips.isEmpty()) << option;
        feed_.poll_awd(); // platform
        EXPECT_EQ(shell_.tips, expect({hele})) << option;
        shell_.tips.clear();
        http_.route(u"cp/loadSiteInfo.do?siteCode=HELSSC1"_s, kHeleSite);
        feed_.poll_awd(); // data centre
        feed_.poll_awd(); // platform, its history unanswered
        EXPECT_EQ(shell_.tips, expect({hele})) << option;
        http_.route(u"cp/loadSiteInfo.do?siteCode=HELSSC1"_s, QString());
    }
}

// The history requests' t=: the data centre's lottery asks with epoch seconds and its issue
// without "-"; the Hele data-centre turn with the compact time stamp and the issue as given.
TEST_F(Feed, HistoryRequestsCarryTheirOwnTimeAndIssue)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    feed_.poll_awd();
    const QString epoch = QString::number(zorvik::support::epoch_seconds(clock_));
    EXPECT_EQ(http_.count(u"http://dc/caipiao/ucai_60s/getinfo?id=201511120123&before=100&gtype=list&t="_s + epoch), 1)
        << http_.requests.last().url.toStdString();

    feed_.set_lottery(u"合乐平台-HI彩分分彩"_s);
    http_.route(u"caipiao/hele_fenfen/getinfo?id=new"_s,
                datacenter_reply(u"20151112-1233"_s, u"0,0,0,0,0"_s, u"20151112-1234"_s));
    feed_.poll_awd();
    EXPECT_EQ(http_.count(u"http://dc/caipiao/hele_fenfen/getinfo?id=20151112-1233&before=100&gtype=list&t=20151112103000"_s), 1)
        << http_.requests.last().url.toStdString();
}

TEST_F(Feed, APollInsideAPollReturnsAtOnce)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    int nested = 0;
    http_.during_wait = [&] {
        if (nested++ == 0)
            feed_.poll_awd();
    };
    feed_.poll_awd();
    EXPECT_EQ(http_.count(u"beforeinfo"_s), 1);
    EXPECT_EQ(handled_.size(), 1);
}

TEST_F(Feed, DrawListNeedsFiveEntries)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0101"_s, u"1,2,3,4,5"_s, u"20151112-0102"_s));
    http_.route(u"&before=100"_s, history_text(3)); // with the newest draw: four entries
    feed_.poll_awd();
    EXPECT_TRUE(feed_.rows().isEmpty());
    EXPECT_TRUE(feed_.awd_lookup().isEmpty());
    feed_.reset_awd();
    http_.route(u"&before=100"_s, history_text(4));
    feed_.reload_awd();
    EXPECT_EQ(feed_.rows().size(), 4);
}

// Polls every 5 s, ticks every second, and once, 2 s after the start: the list from what is
// held, then the first poll, then the start-up is told (the announcements follow it).
TEST_F(Feed, TheTimersAndTheStartUpOrder)
{
    auto* poll = feed_.findChild<QTimer*>(u"newIssAward"_s);
    auto* tick = feed_.findChild<QTimer*>(u"count_down"_s);
    auto* startup = feed_.findChild<QTimer*>(u"delay_timer"_s);
    ASSERT_TRUE(poll && tick && startup);
    EXPECT_EQ(poll->interval(), 5000);
    EXPECT_EQ(tick->interval(), 1000);
    EXPECT_EQ(startup->interval(), 2000);
    EXPECT_FALSE(poll->isSingleShot());
    EXPECT_FALSE(tick->isSingleShot());
    EXPECT_TRUE(startup->isSingleShot());
    EXPECT_FALSE(poll->isActive());
    feed_.start();
    EXPECT_TRUE(poll->isActive() && tick->isActive() && startup->isActive());

    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0100"_s, u"1,2,3,4,5"_s, u"20151112-0101"_s));
    http_.route(u"&before=100"_s, history_text(6));
    QStringList order;
    QObject::connect(&feed_, &DrawFeed::rows_changed,
                     [&] { order << u"list after "_s + QString::number(http_.requests.size()); });
    QObject::connect(&feed_, &DrawFeed::started_up,
                     [&] { order << u"started after "_s + QString::number(http_.requests.size()); });
    ASSERT_TRUE(QMetaObject::invokeMethod(startup, "timeout"));
    ASSERT_GE(order.size(), 2);
    EXPECT_EQ(order.first(), u"list after 0"_s);
    EXPECT_EQ(order.last(), u"started after 2"_s); // the newest draw and its history
    EXPECT_EQ(handled_, QStringList{u"20151112-0100"_s});
}

TEST_F(Feed, CountdownTexts)
{
    // The clock ticks before a lottery is chosen too: from 0, the first tick says the sale is
    // closed.
    feed_.set_lottery(u"--选择彩种--"_s);
    feed_.tick_countdown();
    EXPECT_EQ(feed_.countdown_text(), u"投注已截止,等待开奖..."_s);
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    feed_.tick_countdown();
    EXPECT_EQ(feed_.countdown_text(), u"投注已截止,等待开奖..."_s);
    feed_.tick_countdown(u"126"_s);
    EXPECT_EQ(feed_.countdown_text(), u"投注截止 02:05"_s);
    feed_.tick_countdown(u"3701"_s);
    EXPECT_EQ(feed_.countdown_text(), u"投注截止 01:40"_s);
    feed_.tick_countdown(u"1"_s);
    EXPECT_EQ(feed_.countdown_text(), u"投注截止 00:00"_s);
    feed_.tick_countdown();
    EXPECT_EQ(feed_.countdown_text(), u"投注已截止,等待开奖..."_s);
    EXPECT_EQ(feed_.countdown(), 0);
}

TEST_F(Feed, ReloadOnTheThreeHundredFirstTick)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    feed_.poll_awd();
    const int before = http_.count(u"beforeinfo"_s);
    for (int i = 0; i < 300; ++i)
        feed_.on_tick();
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before);
    feed_.on_tick();
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before + 1);
    EXPECT_EQ(feed_.reload_counter(), kReloadTicks);
    EXPECT_EQ(handled_.size(), 1); // the reload finds the handled draw again
    for (int i = 0; i < 301; ++i)
        feed_.on_tick();
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before + 2);
}

TEST_F(Feed, APollThatEndsAfterALotteryChangeIsDiscarded)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"caipiao/ucai_60s/beforeinfo"_s,
                datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    http_.route(u"caipiao/ucai_60s/getinfo"_s, history_text(6));
    http_.route(u"caipiao/jw_60s/beforeinfo"_s,
                datacenter_reply(u"20151112-0777"_s, u"9,9,9,9,9"_s, u"20151112-0778"_s));
    http_.route(u"caipiao/jw_60s/getinfo"_s, u"20151112-0776:8,8,8,8,8|"_s + history_text(5));
    // The user picks another lottery while the first poll waits for its reply.
    bool switched = false;
    http_.during_wait = [&] {
        if (!switched) {
            switched = true;
            feed_.set_lottery(u"经纬平台-幸运分分彩"_s);
        }
    };
    feed_.poll_awd();
    EXPECT_TRUE(handled_.isEmpty());
    EXPECT_TRUE(feed_.awd_iss().isEmpty());
    EXPECT_TRUE(feed_.awd_history().isEmpty());
    EXPECT_TRUE(feed_.rows().isEmpty());

    // The next poll reads the new lottery, with its own history.
    feed_.poll_awd();
    EXPECT_EQ(handled_, QStringList{u"20151112-0777"_s});
    EXPECT_TRUE(feed_.awd_history().startsWith(u"201511120777:9,9,9,9,9|20151112-0776:8,8,8,8,8"_s));
    EXPECT_EQ(feed_.rows().at(1).numbers, u"8,8,8,8,8"_s);
}

TEST_F(Feed, APollThatEndsAfterAReloadIsDiscardedAndTheReloadFollows)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    http_.route(u"getinfo"_s, history_text(6));
    bool moved = false;
    http_.during_wait = [&] {
        if (!moved) {
            moved = true;
            feed_.endpoints().platform_base = u"http://other/"_s;
            feed_.reload_awd(); // the draw line changed: runs after this poll
        }
    };
    QSignalSpy handled(&feed_, &DrawFeed::new_draw);
    feed_.poll_awd();
    // The reload's own poll handled the draw, once.
    EXPECT_EQ(handled_, QStringList{u"20151112-0123"_s});
    EXPECT_EQ(http_.count(u"beforeinfo"_s), 2);
}

TEST_F(Feed, ADataCentreOneDrawBehindNeverBringsAnOlderDrawBack)
{
    feed_.set_lottery(u"合乐平台-HI彩分分彩"_s);
    // The data centre lags the platform by one draw.
    http_.route(u"caipiao/hele_fenfen/getinfo?id=new"_s,
                datacenter_reply(u"201511121233"_s, u"0,0,0,0,0"_s, u"201511121234"_s));
    http_.route(u"caipiao/hele_fenfen/getinfo?id=201511121233"_s, history_text(5));
    http_.route(u"cp/loadSiteInfo.do"_s,
                kHeleSite);
    http_.route(u"cp/loadDrawHistory.do"_s,
                kHeleHistory);
    feed_.poll_awd(); // data centre: 1233
    feed_.poll_awd(); // platform: 1234
    ASSERT_EQ(handled_, (QStringList{u"201511121233"_s, u"201511121234"_s}));
    QSignalSpy labels(&feed_, &DrawFeed::labels_changed);
    for (int reload = 0; reload < 3; ++reload) {
        // Each reload's poll falls on a data-centre turn every other time.
        for (int i = 0; i < 301; ++i)
            feed_.on_tick();
        feed_.poll_awd();
    }
    EXPECT_EQ(handled_, (QStringList{u"201511121233"_s, u"201511121234"_s}));
    for (const QList<QVariant>& shown : labels)
        EXPECT_NE(shown.at(0).toString(), u"201511121233"_s); // the older draw is not shown again
    // A newer draw is still taken.
    http_.route(u"caipiao/hele_fenfen/getinfo?id=new"_s,
                datacenter_reply(u"201511121235"_s, u"2,2,2,2,2"_s, u"201511121236"_s));
    feed_.poll_awd();
    feed_.poll_awd();
    EXPECT_EQ(handled_.last(), u"201511121235"_s);
}

TEST_F(Feed, IssuesOfAnotherLotteryDoNotCountAsOlder)
{
    // A data-centre issue (12 digits) handled first; the public site's issues have 11.
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"20151112-0123"_s, u"1,2,3,4,5"_s, u"20151112-0124"_s));
    feed_.poll_awd();
    feed_.set_lottery(u"合乐平台-重庆时时彩"_s);
    http_.route(u"preBet_resentAwardNum"_s,
                u"{latestPeriods:[{period:'151112079',number:'1 2 3 4 5',},],}"_s);
    feed_.poll_awd();
    EXPECT_EQ(handled_, (QStringList{u"20151112-0123"_s, u"20151112079"_s}));
}

TEST_F(Feed, CountdownsOutOfRangeReadAsNone)
{
    feed_.set_lottery(u"U彩平台-欢乐分分彩"_s);
    feed_.tick_countdown(u"61"_s);
    ASSERT_EQ(feed_.countdown_text(), u"投注截止 01:00"_s);
    for (const QString& bad : {u"1e300"_s, u"-1e300"_s, u"nan"_s, u"inf"_s, u"5e95"_s, u"86402"_s}) {
        feed_.tick_countdown(bad);
        EXPECT_EQ(feed_.countdown(), 59) << bad.toStdString(); // the running countdown goes on
        feed_.tick_countdown(u"61"_s);
    }
    // Both sides of the bound: a day is still a countdown, a day and a second is not.
    feed_.tick_countdown(u"86400"_s);
    EXPECT_EQ(feed_.countdown(), 86399);
    feed_.tick_countdown(u"-5"_s);
    EXPECT_EQ(feed_.countdown_text(), u"投注已截止,等待开奖..."_s);

    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":5e95}"_s), QString());
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":-1e300}"_s), QString());
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":\"nan\"}"_s), QString());
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":86400000}"_s), u"86400"_s);
    EXPECT_EQ(parse_public_countdown(u"{\"secondsLeft\":86401000}"_s), QString());
}
