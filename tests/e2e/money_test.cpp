// Money as the platform counts it, end to end: real orders on zorvik-sim's platforms for plays
// whose hits win several lines, and for 厘 amounts; the records' returns and the income equal
// what the platform paid, to the 厘.

#include "e2e_support.h"

#include <QSet>
#include <algorithm>
#include <optional>
#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

qint64 li(double yuan)
{
    return std::llround(yuan * 1000);
}

// The accepted orders of the platform by what names them in the records: the Hele order
// number, or the issue and numbers field for U彩 (whose answer names no order).
struct PaidOrder {
    bool settled = false;
    double returned = 0;
    QJsonObject fields;
};

QMap<QString, PaidOrder> hele_orders(const Sim& sim)
{
    QMap<QString, PaidOrder> out;
    for (const auto& value : sim.admin("/sim/state")[u"orders"_s].toArray()) {
        const QJsonObject o = value.toObject();
        if (!o[u"accepted"_s].toBool())
            continue;
        const QString number =
            QJsonDocument::fromJson(o[u"reply"_s].toString().toUtf8())[u"message"_s][u"orderNo"_s].toString();
        out[number] = {o[u"settled"_s].toBool(), o[u"returned"_s].toDouble(), o[u"fields"_s].toObject()};
    }
    return out;
}

// The settled records, and the last income line printed.
struct Settled {
    QList<QStringList> rows;    // the records' settled bets, CSV cells
    QList<QStringList> printed; // the settled lines: issue, draw, title, ..., cost 4, return 6, order 7
    double income_printed = 0;
    bool income_seen = false;
};

Settled settled_records(Betting& program)
{
    Settled out;
    for (const QString& line : program.lines()) {
        if (const qsizetype settled = line.indexOf(u" settled "_s); settled >= 0)
            out.printed << line.mid(settled + 9).split(u'\t');
        const qsizetype at = line.indexOf(u"label income_line 当前收入："_s);
        if (at >= 0) {
            out.income_printed = line.mid(at + QStringView(u"label income_line 当前收入：").size()).toDouble();
            out.income_seen = true;
        }
    }
    const QStringList rows = run_cli({u"records"_s, program.dir_.filePath(u"bao/records.db"_s), u"--csv"_s});
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList cells = csv_cells(rows[i]);
        if (!cells.value(13).isEmpty())
            out.rows << cells;
    }
    return out;
}

} // namespace

TEST(Money, HitsOfSeveralLinesAtHeleAreRecordedAndCountedAsThePlatformPaysThem)
{
    Sim sim(7, {u"--account"_s, u"ann:p'w\\1:5000"_s});
    ASSERT_EQ(sim.urls_.size(), 6);
    // 不定位:一码 over seven digits of 后三 and of 前二, 定位胆 over all five positions: most draws
    // win several lines of each. Every draw alerts (遗漏 ≥ 0) and bets at 角.
    const QString tail = u"~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~2~false~0~0:0:0:1920~0"_s;
    Betting program(sim, u"合乐平台-HI彩分分彩"_s,
                    u"|CDE~不定位:一码~后三(不定位:一码)~0123456"_s + tail +
                        u"|AB~不定位:一码~前二(不定位:一码)~0123456"_s + tail +
                        u"|ABCDE~定位胆~五星(定位胆)~01234"_s + tail,
                    u"plt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n"_s);
    qsizetype at = 0;
    for (int settled = 0; settled < 9; ++settled)
        ASSERT_FALSE(program.wait_for(u" settled "_s, 40000, &at).isEmpty()) << program.all().toStdString();
    // The income line follows the draw's settlement and its bets (unless the income did not change).
    program.wait_for(u"label income_line "_s, 15000, &at);
    program.process_.terminate();
    ASSERT_TRUE(program.process_.waitForFinished(15000));

    const QMap<QString, PaidOrder> paid = hele_orders(sim);
    const Settled records = settled_records(program);
    ASSERT_GE(records.rows.size(), 9);
    qint64 income = 0;
    int several = 0;
    QSet<QString> plays;
    for (const QStringList& r : records.rows) {
        const QString order = r.value(10);
        ASSERT_TRUE(paid.contains(order)) << order.toStdString();
        const PaidOrder& p = paid[order];
        ASSERT_TRUE(p.settled) << order.toStdString();
        EXPECT_EQ(li(r.value(14).toDouble()), li(p.returned))
            << r.value(2).toStdString() << ' ' << r.value(12).toStdString() << ' ' << r.value(14).toStdString();
        EXPECT_EQ(r.value(13), p.returned > 0 ? u"中"_s : u"挂"_s);
        // A hit of several lines returns more than one line's prize.
        several += r.value(14).toDouble() > r.value(9).toDouble() * 1.5;
        plays.insert(r.value(2));
    }
    EXPECT_EQ(plays.size(), 3);
    EXPECT_GE(several, 3);
    // The income is what the platform paid less what it debited, for the bets settled.
    ASSERT_TRUE(records.income_seen) << program.all().toStdString();
    ASSERT_GE(records.printed.size(), 9);
    for (const QStringList& row : records.printed) {
        ASSERT_TRUE(paid.contains(row.value(7))) << row.join(u' ').toStdString();
        EXPECT_EQ(li(row.value(6).toDouble()), li(paid[row.value(7)].returned)) << row.join(u' ').toStdString();
        income += li(row.value(6).toDouble()) - li(row.value(4).toDouble());
    }
    EXPECT_EQ(li(records.income_printed), income) << program.all().toStdString();
}

TEST(Money, OrdersOfLiAmountsAndPairsAtUcaiAreSentAndRecordedAsTheyAreDebitedAndPaid)
{
    Sim sim(7, {u"--account"_s, u"ann:p'w\\1:100"_s});
    ASSERT_EQ(sim.urls_.size(), 6);
    // At 厘: three 一码 lines cost 0.006 (sent as 0.01, as two decimals wrote it, the platform
    // refuses it); 不定位:二码 over six digits wins a line per pair drawn.
    const QString tail = u"~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~4~false~0~0:0:0:1920~0"_s;
    Betting program(sim, u"U彩平台-欢乐分分彩"_s,
                    u"|CDE~不定位:一码~后三(不定位:一码)~358"_s + tail + u"|ABC~不定位:二码~前三(不定位:二码)~012345"_s + tail,
                    u"plt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n"_s);
    qsizetype at = 0;
    const QString bet = program.wait_for(u" bet "_s, 40000, &at);
    ASSERT_FALSE(bet.isEmpty()) << program.all().toStdString();
    for (int settled = 0; settled < 6; ++settled)
        ASSERT_FALSE(program.wait_for(u" settled "_s, 40000, &at).isEmpty()) << program.all().toStdString();
    // The income line follows the draw's settlement and its bets (unless the income did not change).
    program.wait_for(u"label income_line "_s, 15000, &at);
    program.process_.terminate();
    ASSERT_TRUE(program.process_.waitForFinished(15000));

    // Every order was taken at its amount to the 厘 (one asked for after its issue closed, on a
    // busy machine, is refused as late; never for its amount).
    QList<PaidOrder> taken;
    for (const auto& value : sim.admin("/sim/state")[u"orders"_s].toArray()) {
        const QJsonObject o = value.toObject();
        const QString money = o[u"fields"_s][u"lt_total_money"_s].toString();
        EXPECT_TRUE(money == u"0.006"_s || money == u"0.03"_s) << money.toStdString();
        if (o[u"accepted"_s].toBool())
            taken.append({o[u"settled"_s].toBool(), o[u"returned"_s].toDouble(), o[u"fields"_s].toObject()});
        else
            EXPECT_TRUE(o[u"reply"_s].toString().contains(u"已截止投注"_s)) << o[u"reply"_s].toString().toStdString();
    }
    // The order of that issue and amount at the platform.
    const auto paid = [&](const QString& issue, const QString& cost) {
        const auto same = std::find_if(taken.begin(), taken.end(), [&](const PaidOrder& p) {
            return p.fields[u"lt_issue_start"_s].toString().section(u'-', -1).toInt() == issue.section(u'-', -1).toInt() &&
                   p.fields[u"lt_total_money"_s].toString() == cost;
        });
        return same == taken.end() ? std::optional<PaidOrder>() : std::optional<PaidOrder>(*same);
    };
    const Settled records = settled_records(program);
    ASSERT_GE(records.rows.size(), 6);
    QSet<QString> plays;
    for (const QStringList& r : records.rows) {
        EXPECT_EQ(r.value(8), r.value(2) == u"后三(不定位:一码)"_s ? u"0.006"_s : u"0.03"_s);
        const auto p = paid(r.value(6), r.value(8));
        ASSERT_TRUE(p && p->settled) << r.value(6).toStdString();
        EXPECT_EQ(li(r.value(14).toDouble()), li(p->returned)) << r.value(2).toStdString() << ' ' << r.value(12).toStdString();
        plays.insert(r.value(2));
    }
    EXPECT_EQ(plays.size(), 2);
    ASSERT_TRUE(records.income_seen);
    qint64 income = 0;
    for (const QStringList& row : records.printed) {
        const auto p = paid(row.value(0), row.value(4));
        ASSERT_TRUE(p && p->settled) << row.join(u' ').toStdString();
        EXPECT_EQ(li(row.value(6).toDouble()), li(p->returned)) << row.join(u' ').toStdString();
        income += li(row.value(6).toDouble()) - li(row.value(4).toDouble());
    }
    EXPECT_EQ(li(records.income_printed), income) << program.all().toStdString();
}
