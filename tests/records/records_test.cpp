// The records database: its schema and migrations, the rows as placed and settled, filters and
// totals, CSV, and the writer thread that reports failures without stopping anything.

#include "records/record_writer.h"
#include "fakes/bet_records.h"
#include "records/records.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::records;

namespace {

BetRecord bet(const QString& issue, const QString& order, const QString& at = u"2026-12-08 10:00:00"_s)
{
    BetRecord b;
    b.lottery = u"U彩平台-欢乐分分彩"_s;
    b.monitor = u"前一(定位胆)"_s;
    b.positions = u"A"_s;
    b.play = u"定位胆"_s;
    b.numbers = u"01234"_s;
    b.issue = issue;
    b.multiplier = 2;
    b.cost = 2;
    b.prize = 3.84;
    b.order_no = order;
    b.simulated = true;
    b.placed_at = at;
    return b;
}

class Store : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(u"records.db"_s); }
    // The sessions as the file holds them: "lottery stopped_at why", oldest first.
    QStringList sessions() const
    {
        QStringList rows;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"look"_s);
            db.setDatabaseName(path());
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(u"SELECT lottery, stopped_at, why FROM sessions ORDER BY id"_s))
                    while (q.next())
                        rows << q.value(0).toString() + u' ' + q.value(1).toString() + u' ' + q.value(2).toString();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(u"look"_s);
        return rows;
    }
    QTemporaryDir dir_;
};

TEST_F(Store, ANewFileIsOwnerOnlyAndAtTheCurrentVersion)
{
    RecordStore store;
    ASSERT_TRUE(store.open(path())) << store.error().toStdString();
    EXPECT_EQ(store.schema_version(), kSchemaVersion);
    EXPECT_EQ(QFile::permissions(path()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
}

TEST_F(Store, AnOlderFileIsMigratedWithItsRowsKept)
{
    {
        // A file as the first version wrote it: its tables, no indexes, version 1.
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"old"_s);
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(u"CREATE TABLE bets (id INTEGER PRIMARY KEY AUTOINCREMENT, lottery TEXT NOT NULL,"
                           " monitor TEXT NOT NULL, positions TEXT NOT NULL, play TEXT NOT NULL, numbers TEXT"
                           " NOT NULL, issue TEXT NOT NULL, multiplier INTEGER NOT NULL, cost REAL NOT NULL,"
                           " prize REAL NOT NULL, order_no TEXT NOT NULL, simulated INTEGER NOT NULL, placed_at"
                           " TEXT NOT NULL, draw TEXT, result TEXT, returned REAL, settled_at TEXT)"_s));
        ASSERT_TRUE(q.exec(u"CREATE TABLE draws (lottery TEXT NOT NULL, issue TEXT NOT NULL, numbers TEXT NOT"
                           " NULL, seen_at TEXT NOT NULL, PRIMARY KEY (lottery, issue))"_s));
        ASSERT_TRUE(q.exec(u"CREATE TABLE sessions (id INTEGER PRIMARY KEY AUTOINCREMENT, lottery TEXT NOT"
                           " NULL, started_at TEXT NOT NULL, stopped_at TEXT, why TEXT)"_s));
        ASSERT_TRUE(q.exec(u"INSERT INTO bets (lottery, monitor, positions, play, numbers, issue, multiplier,"
                           " cost, prize, order_no, simulated, placed_at) VALUES ('L', 'M', 'A', 'P', '1', '7',"
                           " 1, 2, 3, 'O1', 0, '2026-01-01 00:00:00')"_s));
        ASSERT_TRUE(q.exec(u"PRAGMA user_version = 1"_s));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"old"_s);
    RecordStore store;
    ASSERT_TRUE(store.open(path())) << store.error().toStdString();
    EXPECT_EQ(store.schema_version(), 4);
    const auto rows = store.bets();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_FALSE(rows[0].told);
    EXPECT_EQ(rows[0].order_no, u"O1"_s);
    EXPECT_TRUE(rows[0].confirmed()); // rows of older files were all placed
    EXPECT_EQ(store.open_bets().size(), 1);
    EXPECT_TRUE(store.add_draw(u"L"_s, u"7"_s, u"1,2,3,4,5"_s, u"2026-01-01 00:01:00"_s));
    EXPECT_TRUE(store.settle(u"L"_s, u"7"_s, u"O1"_s, u"1,2,3,4,5"_s, u"中"_s, 3, u"t"_s));
}

TEST_F(Store, AnOrderIsWrittenUnconfirmedThenConfirmedOrDropped)
{
    RecordStore store;
    ASSERT_TRUE(store.open(path()));
    const auto sent = [](const QString& ref, double before) {
        auto b = zorvik::testing::unconfirmed_order(u"L"_s, ref, before);
        b.issue = u"7"_s;
        return b;
    };
    ASSERT_TRUE(store.add_bet(sent(u"r1"_s, 100))) << store.error().toStdString();
    ASSERT_TRUE(store.add_bet(sent(u"r2"_s, 98)));
    ASSERT_TRUE(store.add_bet(sent(u"r3"_s, 96)));
    // Not confirmed: not open for settlement, not in the totals.
    EXPECT_TRUE(store.open_bets().isEmpty());
    EXPECT_TRUE(store.day_totals().isEmpty());
    ASSERT_EQ(store.unconfirmed_bets().size(), 3);
    EXPECT_EQ(store.unconfirmed_bets()[0].balance_before, 100);

    EXPECT_TRUE(store.confirm(u"r1"_s, u"HEL1"_s, 1.5));
    EXPECT_TRUE(store.drop(u"r2"_s));
    const auto rows = store.bets();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].order_no, u"HEL1"_s);
    EXPECT_EQ(rows[0].cost, 1.5);
    EXPECT_TRUE(rows[0].confirmed());
    EXPECT_EQ(rows[1].ref, u"r3"_s);
    EXPECT_FALSE(rows[1].confirmed());
    ASSERT_EQ(store.open_bets().size(), 1);
    ASSERT_EQ(store.day_totals().size(), 1);
    EXPECT_EQ(store.day_totals()[0].bets, 1);
    // A confirmed row is never dropped.
    EXPECT_TRUE(store.drop(u"r1"_s));
    EXPECT_EQ(store.bets().size(), 2);
    EXPECT_TRUE(bets_csv(store.bets()).contains(u",unconfirmed\r\n"_s));
    // Told once, it stays unconfirmed and is marked so.
    EXPECT_FALSE(store.unconfirmed_bets()[0].told);
    EXPECT_TRUE(store.mark_told(u"r3"_s));
    ASSERT_EQ(store.unconfirmed_bets().size(), 1);
    EXPECT_TRUE(store.unconfirmed_bets()[0].told);
}

TEST_F(Store, ACorruptFileIsRefusedWithAReason)
{
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    RecordStore store;
    EXPECT_FALSE(store.open(path()));
    EXPECT_FALSE(store.error().isEmpty());
    RecordStore reader;
    EXPECT_FALSE(reader.open(dir_.filePath(u"none.db"_s), true));
}

TEST_F(Store, BetsAreSettledOnceAndFilteredByDayLotteryAndMonitor)
{
    RecordStore store;
    ASSERT_TRUE(store.open(path()));
    ASSERT_TRUE(store.add_bet(bet(u"20261208-0001"_s, u"A1"_s)));
    ASSERT_TRUE(store.add_bet(bet(u"20261208-0002"_s, u"A2"_s, u"2026-12-09 00:00:00"_s)));
    BetRecord other = bet(u"20261208-0002"_s, u"B1"_s, u"2026-12-08 23:59:59"_s);
    other.lottery = u"合乐平台-HI彩分分彩"_s;
    other.monitor = u"后三(组六复式)"_s;
    ASSERT_TRUE(store.add_bet(other));
    EXPECT_EQ(store.open_bets().size(), 3);

    ASSERT_TRUE(store.settle(other.lottery, other.issue, u"B1"_s, u"1,2,3,4,5"_s, u"中"_s, 3.84, u"t1"_s));
    // A second settlement of the same order changes nothing.
    ASSERT_TRUE(store.settle(other.lottery, other.issue, u"B1"_s, u"9,9,9,9,9"_s, u"挂"_s, 0, u"t2"_s));
    const auto settled = store.bets({std::nullopt, other.lottery, QString(), std::nullopt});
    ASSERT_EQ(settled.size(), 1);
    EXPECT_EQ(settled[0].result, u"中"_s);
    EXPECT_EQ(settled[0].draw, u"1,2,3,4,5"_s);
    EXPECT_DOUBLE_EQ(settled[0].returned, 3.84);
    EXPECT_EQ(store.open_bets().size(), 2);

    // The day runs from 00:00:00 to 23:59:59.
    EXPECT_EQ(store.bets({QDate(2026, 12, 8), QString(), QString(), std::nullopt}).size(), 2);
    EXPECT_EQ(store.bets({QDate(2026, 12, 9), QString(), QString(), std::nullopt}).size(), 1);
    EXPECT_EQ(store.bets({QDate(2026, 12, 7), QString(), QString(), std::nullopt}).size(), 0);
    EXPECT_EQ(store.bets({std::nullopt, QString(), u"前一(定位胆)"_s, std::nullopt}).size(), 2);
    const auto days = store.day_totals();
    ASSERT_EQ(days.size(), 2);
    EXPECT_EQ(days[0].day, u"2026-12-08"_s);
    EXPECT_EQ(days[0].bets, 2);
    EXPECT_DOUBLE_EQ(days[0].cost, 4);
    EXPECT_NEAR(days[0].income(), -0.16, 1e-9);
    EXPECT_EQ(store.lotteries().size(), 2);
    EXPECT_EQ(store.monitors().size(), 2);
}

TEST_F(Store, DrawsAreKeptOnceAndFoundWithOrWithoutTheDash)
{
    RecordStore store;
    ASSERT_TRUE(store.open(path()));
    EXPECT_TRUE(store.add_draw(u"L"_s, u"20261208-0001"_s, u"1,2,3,4,5"_s, u"t"_s));
    EXPECT_TRUE(store.add_draw(u"L"_s, u"20261208-0001"_s, u"9,9,9,9,9"_s, u"t"_s));
    EXPECT_EQ(store.draw_numbers(u"L"_s, u"202612080001"_s), u"1,2,3,4,5"_s);
    EXPECT_EQ(store.draw_numbers(u"L"_s, u"20261208-0001"_s), u"1,2,3,4,5"_s);
    EXPECT_EQ(store.draw_numbers(u"M"_s, u"20261208-0001"_s), QString());
}

TEST_F(Store, SessionsEndWithTheirReason)
{
    RecordStore store;
    ASSERT_TRUE(store.open(path()));
    ASSERT_TRUE(store.session_started(u"L"_s, u"t1"_s));
    ASSERT_TRUE(store.session_started(u"M"_s, u"t1"_s));
    ASSERT_TRUE(store.session_started(u"N"_s, u"t1"_s));
    // A lottery's stop ends its own session only; a stop of every lottery ends the others.
    ASSERT_TRUE(store.session_stopped(u"button"_s, u"t2"_s, u"L"_s));
    ASSERT_TRUE(store.session_stopped(u"stop rule"_s, u"t3"_s));
    ASSERT_TRUE(store.session_stopped(u"exit"_s, u"t4"_s)); // nothing open: nothing changes
    EXPECT_EQ(sessions(), (QStringList{u"L t2 button"_s, u"M t3 stop rule"_s, u"N t3 stop rule"_s}));
}

TEST_F(Store, SessionsAKilledRunLeftOpenEndAtTheLastThingRecordedForThem)
{
    RecordStore store;
    ASSERT_TRUE(store.open(path()));
    ASSERT_TRUE(store.session_started(u"L"_s, u"2026-12-08 10:00:00"_s));
    ASSERT_TRUE(store.session_started(u"M"_s, u"2026-12-08 10:00:00"_s));
    ASSERT_TRUE(store.session_started(u"N"_s, u"2026-12-08 10:00:00"_s));
    ASSERT_TRUE(store.session_started(u"P"_s, u"2026-12-08 10:00:00"_s));
    ASSERT_TRUE(store.session_stopped(u"button"_s, u"2026-12-08 10:30:00"_s, u"P"_s));
    // L: a draw, then an order; M: an order settled later; N: nothing after its start. What
    // came before a session (and another lottery's) does not count.
    ASSERT_TRUE(store.add_draw(u"L"_s, u"1"_s, u"1,2,3,4,5"_s, u"2026-12-08 10:05:00"_s));
    ASSERT_TRUE(store.add_draw(u"N"_s, u"1"_s, u"1,2,3,4,5"_s, u"2026-12-08 09:00:00"_s));
    BetRecord l = bet(u"2"_s, u"a"_s, u"2026-12-08 10:06:00"_s);
    l.lottery = u"L"_s;
    ASSERT_TRUE(store.add_bet(l));
    BetRecord m = l;
    m.lottery = u"M"_s;
    m.placed_at = u"2026-12-08 10:01:00"_s;
    ASSERT_TRUE(store.add_bet(m));
    ASSERT_TRUE(store.settle(u"M"_s, u"2"_s, u"a"_s, u"1,2,3,4,5"_s, u"挂"_s, 0, u"2026-12-08 10:07:00"_s));
    ASSERT_TRUE(store.close_killed_sessions());
    EXPECT_EQ(sessions(), (QStringList{u"L 2026-12-08 10:06:00 exit"_s, u"M 2026-12-08 10:07:00 exit"_s,
                                       u"N 2026-12-08 10:00:00 exit"_s, u"P 2026-12-08 10:30:00 button"_s}));
}

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(csv_field(u"plain"_s), u"plain"_s);
    EXPECT_EQ(csv_field(QString()), QString());
    EXPECT_EQ(csv_field(u"1,2"_s), u"\"1,2\""_s);
    EXPECT_EQ(csv_field(u"say \"hi\""_s), u"\"say \"\"hi\"\"\""_s);
    EXPECT_EQ(csv_field(u"a\nb"_s), u"\"a\nb\""_s);
    EXPECT_EQ(csv_field(u"a\rb"_s), u"\"a\rb\""_s);
    BetRecord b = bet(u"7"_s, u"O,1"_s);
    const QString text = bets_csv({b});
    const QStringList lines = text.split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 3); // header, row, and the empty text after the last CR LF
    EXPECT_TRUE(lines[0].startsWith(u"placed_at,lottery,"_s));
    EXPECT_TRUE(lines[1].contains(u",\"O,1\","_s));
    EXPECT_TRUE(lines[2].isEmpty());
}

TEST(Writer, WritesInOrderOffThisThreadAndReportsFailuresWithoutStopping)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"records.db"_s);
    {
        RecordWriter writer;
        QSignalSpy failed(&writer, &RecordWriter::failed);
        writer.open(path);
        bool committed = false;
        writer.add_bet(bet(u"20261208-0001"_s, u"A1"_s), [&committed](bool ok) { committed = ok; });
        writer.add_draw(u"U彩平台-欢乐分分彩"_s, u"20261208-0001"_s, u"0,9,9,9,9"_s, u"t"_s);
        writer.settle_open(u"U彩平台-欢乐分分彩"_s, {}, u"t"_s);
        writer.flush();
        EXPECT_TRUE(committed);
        EXPECT_EQ(failed.size(), 0);
    }
    RecordStore store;
    ASSERT_TRUE(store.open(path));
    const auto rows = store.bets();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].result, u"中"_s); // settled from the recorded draw
    EXPECT_DOUBLE_EQ(rows[0].returned, 3.84);

    // A folder where the file should be: every write fails and is told, none throws.
    RecordWriter broken;
    QSignalSpy failed(&broken, &RecordWriter::failed);
    QDir().mkpath(dir.filePath(u"folder.db"_s));
    broken.open(dir.filePath(u"folder.db"_s));
    bool committed = true;
    broken.add_bet(bet(u"1"_s, u"X"_s), [&committed](bool ok) { committed = ok; });
    broken.session_stopped(u"exit"_s, u"t"_s);
    broken.flush();
    EXPECT_FALSE(committed);
    QTRY_VERIFY(failed.size() >= 3);
    // Each failure says whose write it was: the bet's lottery; none for every lottery's.
    EXPECT_EQ(failed.at(failed.size() - 2).at(1).toString(), bet(u"1"_s, u"X"_s).lottery);
    EXPECT_EQ(failed.last().at(1).toString(), QString());
}

TEST(Writer, WritesAskedForBeforeItEndsAreAllDone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"records.db"_s);
    {
        RecordWriter writer;
        writer.open(path);
        for (int i = 0; i < 200; ++i)
            writer.add_bet(bet(QString::number(i), u"O"_s + QString::number(i)));
    } // no flush: the writer ends right after asking
    RecordStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.bets().size(), 200);
}

TEST(Writer, ALockedDatabaseFailsAWriteAndTheNextOneGoesThrough)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"records.db"_s);
    RecordWriter writer;
    QSignalSpy failed(&writer, &RecordWriter::failed);
    QSignalSpy succeeded(&writer, &RecordWriter::succeeded);
    writer.open(path);
    writer.flush();
    {
        // Another program holds the write lock past the writer's patience.
        QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"locker"_s);
        other.setDatabaseName(path);
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec(u"BEGIN EXCLUSIVE"_s));
        bool committed = true;
        writer.add_bet(bet(u"1"_s, u"L1"_s), [&committed](bool ok) { committed = ok; });
        writer.flush();
        EXPECT_FALSE(committed);
        EXPECT_EQ(failed.size(), 1);
        ASSERT_TRUE(lock.exec(u"COMMIT"_s));
        lock.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(u"locker"_s);
    bool committed = false;
    writer.add_bet(bet(u"2"_s, u"L2"_s), [&committed](bool ok) { committed = ok; });
    writer.flush();
    EXPECT_TRUE(committed);
    QTRY_VERIFY(succeeded.size() >= 2);
}

TEST(Writer, OpenRowsAreSettledFromTheFeedsDrawsForTheirLotteryOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"records.db"_s);
    {
        RecordWriter writer;
        writer.open(path);
        writer.add_bet(bet(u"20261208-0005"_s, u"A1"_s));
        BetRecord other = bet(u"20261208-0005"_s, u"B1"_s);
        other.lottery = u"合乐平台-HI彩分分彩"_s;
        writer.add_bet(other);
        writer.settle_open(u"U彩平台-欢乐分分彩"_s, {{u"202612080005"_s, u"7,0,0,0,0"_s}}, u"t"_s);
        writer.flush();
    }
    RecordStore store;
    ASSERT_TRUE(store.open(path));
    const auto open = store.open_bets();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0].order_no, u"B1"_s);
    const auto settled = store.bets({std::nullopt, u"U彩平台-欢乐分分彩"_s, QString(), std::nullopt});
    EXPECT_EQ(settled[0].result, u"挂"_s);
    EXPECT_DOUBLE_EQ(settled[0].returned, 0);
}

} // namespace
