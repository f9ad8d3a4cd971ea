// The records survive a kill: a headless session betting with simulated money is killed with
// SIGKILL, every bet it printed is in the records, and a restart settles the rows left open.
// A records file that cannot be written never stops monitoring.

#include "e2e_support.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringEncoder>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

void write_settings(const QTemporaryDir& dir)
{
    QDir().mkpath(dir.filePath(u"bao"_s));
    QFile f(dir.filePath(u"bao/cfg.ini"_s));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QStringEncoder gbk("GBK");
    f.write(gbk.encode(u"[alert_cfg]\r\nlist=|A~定位胆~前一(定位胆)~01234~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~"
                       u"0:0:0:0~1~1,2,4~2~false~0~5:0:0:1920~0|CDE~组六复式~后三(组六复式)~012345~遗漏~≥0~"
                       u"大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1,2~2~false~0~20:0:0:1920~0\r\n"
                       u"[tz_cfg]\r\nplt_tz_zy=100000\r\n"_s));
}

QStringList start_args(const Sim& sim, const QTemporaryDir& dir)
{
    return {u"--headless"_s, u"--start"_s, u"--virtual"_s, u"--data-dir"_s, dir.path(), u"--lottery"_s,
            u"U彩平台-欢乐分分彩"_s, u"--service-base"_s, sim.url(u"service"_s), u"--public-base"_s,
            sim.url(u"public"_s), u"--trend-base"_s, sim.url(u"trend"_s)};
}

// The order numbers of the printed bets.
QSet<QString> printed_orders(const QString& out)
{
    QSet<QString> orders;
    for (const QString& line : out.split(u'\n')) {
        const QStringList cells = line.split(u'\t');
        if (line.contains(u" bet "_s) && cells.size() == 10)
            orders.insert(cells[7]);
    }
    return orders;
}

} // namespace

TEST(Records, AKilledSessionLosesNoBetAndARestartSettlesTheOpenOnes)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    QTemporaryDir dir;
    write_settings(dir);
    QProcess first;
    first.start(QStringLiteral(ZORVIK_PATH), start_args(sim, dir));
    ASSERT_TRUE(first.waitForStarted());
    // Killed in the middle of a draw's work: after its bets begin to show.
    QString out;
    for (int i = 0; i < 200 && printed_orders(out).size() < 5; ++i) {
        first.waitForReadyRead(200);
        out += QString::fromUtf8(first.readAllStandardOutput());
    }
    ::kill(first.processId(), SIGKILL);
    first.waitForFinished(5000);
    out += QString::fromUtf8(first.readAllStandardOutput());
    const QSet<QString> printed = printed_orders(out);
    ASSERT_GE(printed.size(), 5) << out.toStdString();

    const QString db = dir.filePath(u"bao/records.db"_s);
    QStringList rows = run_cli({u"records"_s, db, u"--csv"_s});
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_TRUE(rows[0].startsWith(u"placed_at,lottery,monitor,"_s));
    QSet<QString> recorded;
    for (const QString& row : rows.mid(1))
        recorded.insert(csv_cells(row).value(10));
    for (const QString& order : printed)
        EXPECT_TRUE(recorded.contains(order)) << order.toStdString();

    // A restart: the rows left open are settled once their draws are known.
    QProcess second;
    second.start(QStringLiteral(ZORVIK_PATH), start_args(sim, dir));
    ASSERT_TRUE(second.waitForStarted());
    QTest::qWait(9000);
    second.terminate();
    ASSERT_TRUE(second.waitForFinished(15000));
    rows = run_cli({u"records"_s, db, u"--csv"_s});
    const auto draws = sim.draws(u"ucai_60s"_s);
    int settled = 0;
    for (const QString& row : rows.mid(1)) {
        // Of the rows the first run placed, every one whose draw has come is settled by now.
        const QStringList cells = csv_cells(row);
        if (!printed.contains(cells.value(10)))
            continue;
        const auto made = draws.find(cells.value(6));
        if (made == draws.end())
            continue;
        EXPECT_EQ(cells.value(12), made->second.second) << row.toStdString();
        EXPECT_TRUE(cells.value(13) == u"中" || cells.value(13) == u"挂") << row.toStdString();
        ++settled;
    }
    EXPECT_GE(settled, 4);
    // Day totals and a filter that matches nothing.
    const QStringList plain = run_cli({u"records"_s, db, u"--lottery"_s, u"U彩平台-欢乐分分彩"_s});
    EXPECT_FALSE(plain.filter(u"total\t"_s).isEmpty());
    // A header first, and the kind of money on every row and total; real money apart.
    const auto lines = [](const QStringList& out) { return out.join(u"\r\n"_s).split(u'\n', Qt::SkipEmptyParts); };
    const QStringList tab = lines(plain);
    ASSERT_GE(tab.size(), 2);
    EXPECT_EQ(tab.first(), u"placed_at\tlottery\tkind\tmonitor\tissue\tmultiplier\tcost\tresult\treturned"
                           u"\torder_no\tstate"_s);
    for (const QString& line : tab.mid(1))
        EXPECT_EQ(line.split(u'\t').value(2), u"simulated"_s) << line.toStdString();
    EXPECT_EQ(lines(run_cli({u"records"_s, db, u"--kind"_s, u"real"_s})).size(), 1);
    EXPECT_EQ(lines(run_cli({u"records"_s, db, u"--lottery"_s, u"U彩平台-欢乐分分彩"_s, u"--kind"_s,
                             u"simulated"_s})),
              tab);
    EXPECT_TRUE(run_cli({u"records"_s, db, u"--day"_s, u"2000-01-01"_s, u"--csv"_s}).size() == 1);
}

TEST(Records, AFileThatCannotBeWrittenNeverStopsMonitoring)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    QTemporaryDir dir;
    write_settings(dir);
    QDir().mkpath(dir.filePath(u"bao/records.db"_s)); // a folder where the file belongs
    QProcess program;
    program.start(QStringLiteral(ZORVIK_PATH), start_args(sim, dir));
    ASSERT_TRUE(program.waitForStarted());
    QTest::qWait(12000);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    EXPECT_GE(printed_orders(out).size(), 2) << out.toStdString();
    EXPECT_GE(out.count(u" settled "_s), 1);
    // Told, once, in the status line.
    EXPECT_EQ(out.count(u"label bet_status_line 投注记录写入失败"_s), 1) << out.toStdString();
}
