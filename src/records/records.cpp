#include "records/records.h"

#include "support/money.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::records {

namespace {

QAtomicInt next_connection;

// Step n makes version n from version n - 1.
const char* const kMigrations[] = {
    // 1: the records
    "CREATE TABLE IF NOT EXISTS draws (lottery TEXT NOT NULL, issue TEXT NOT NULL, numbers TEXT NOT NULL,"
    " seen_at TEXT NOT NULL, PRIMARY KEY (lottery, issue));"
    "CREATE TABLE IF NOT EXISTS bets (id INTEGER PRIMARY KEY AUTOINCREMENT, lottery TEXT NOT NULL,"
    " monitor TEXT NOT NULL, positions TEXT NOT NULL, play TEXT NOT NULL, numbers TEXT NOT NULL,"
    " issue TEXT NOT NULL, multiplier INTEGER NOT NULL, cost REAL NOT NULL, prize REAL NOT NULL,"
    " order_no TEXT NOT NULL, simulated INTEGER NOT NULL, placed_at TEXT NOT NULL, draw TEXT,"
    " result TEXT, returned REAL, settled_at TEXT);"
    "CREATE TABLE IF NOT EXISTS sessions (id INTEGER PRIMARY KEY AUTOINCREMENT, lottery TEXT NOT NULL,"
    " started_at TEXT NOT NULL, stopped_at TEXT, why TEXT);",
    // 2: settlement and the history tab find their rows by index
    "CREATE INDEX IF NOT EXISTS bets_order ON bets (lottery, issue, order_no);"
    "CREATE INDEX IF NOT EXISTS bets_placed ON bets (placed_at);",
    // 3: orders are written before they are sent, and confirmed when their answer comes
    "ALTER TABLE bets ADD COLUMN state TEXT NOT NULL DEFAULT 'confirmed';"
    "ALTER TABLE bets ADD COLUMN ref TEXT;"
    "ALTER TABLE bets ADD COLUMN balance_before REAL;"
    "CREATE INDEX IF NOT EXISTS bets_ref ON bets (ref);",
    // 4: an order still not known after a restart is told once
    "ALTER TABLE bets ADD COLUMN told INTEGER NOT NULL DEFAULT 0;",
};

QString where(const BetFilter& f, QVariantList& values)
{
    QStringList parts;
    if (f.day) {
        parts << u"substr(placed_at, 1, 10) = ?"_s;
        values << f.day->toString(Qt::ISODate);
    }
    if (!f.lottery.isEmpty()) {
        parts << u"lottery = ?"_s;
        values << f.lottery;
    }
    if (!f.monitor.isEmpty()) {
        parts << u"monitor = ?"_s;
        values << f.monitor;
    }
    if (f.simulated) {
        parts << u"simulated = ?"_s;
        values << (*f.simulated ? 1 : 0);
    }
    return parts.isEmpty() ? QString() : u" WHERE "_s + parts.join(u" AND "_s);
}

BetRecord read_bet(const QSqlQuery& q)
{
    BetRecord b;
    b.id = q.value(0).toLongLong();
    b.lottery = q.value(1).toString();
    b.monitor = q.value(2).toString();
    b.positions = q.value(3).toString();
    b.play = q.value(4).toString();
    b.numbers = q.value(5).toString();
    b.issue = q.value(6).toString();
    b.multiplier = q.value(7).toInt();
    b.cost = q.value(8).toDouble();
    b.prize = q.value(9).toDouble();
    b.order_no = q.value(10).toString();
    b.simulated = q.value(11).toBool();
    b.placed_at = q.value(12).toString();
    b.draw = q.value(13).toString();
    b.result = q.value(14).toString();
    b.returned = q.value(15).toDouble();
    b.settled_at = q.value(16).toString();
    b.state = q.value(17).toString();
    b.ref = q.value(18).toString();
    if (!q.value(19).isNull())
        b.balance_before = q.value(19).toDouble();
    b.told = q.value(20).toBool();
    return b;
}

constexpr char16_t kBetColumns[] = u"id, lottery, monitor, positions, play, numbers, issue, multiplier, cost, "
                                   u"prize, order_no, simulated, placed_at, draw, result, returned, settled_at, "
                                   u"state, ref, balance_before, told";

} // namespace

QString record_time(const QDateTime& at)
{
    return at.toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

RecordStore::RecordStore()
    : connection_(u"zorvik-records-"_s + QString::number(next_connection.fetchAndAddRelaxed(1)))
{
}

RecordStore::~RecordStore()
{
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool RecordStore::is_open() const
{
    return QSqlDatabase::contains(connection_) && QSqlDatabase::database(connection_, false).isOpen();
}

bool RecordStore::open(const QString& path, bool read_only)
{
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s)) {
        error_ = u"Qt's SQLite driver is not installed"_s;
        return false;
    }
    const bool existed = QFile::exists(path);
    if (read_only && !existed) {
        error_ = u"no such file: "_s + path;
        return false;
    }
    if (!existed && !read_only) {
        // Made owner-only before SQLite writes anything into it.
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile made(path);
        if (!made.open(QIODevice::WriteOnly)) {
            error_ = made.errorString();
            return false;
        }
        made.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection_);
    db.setDatabaseName(path);
    db.setConnectOptions(read_only ? u"QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"_s
                                   : u"QSQLITE_BUSY_TIMEOUT=2000"_s);
    if (!db.open()) {
        error_ = db.lastError().text();
        return false;
    }
    if (read_only)
        return exec(u"SELECT count(*) FROM sqlite_master"_s);
    // WAL with full sync: a committed row survives a kill and a power cut.
    if (!exec(u"PRAGMA journal_mode=WAL"_s) || !exec(u"PRAGMA synchronous=FULL"_s))
        return false;
    for (const QString& suffix : {u"-wal"_s, u"-shm"_s})
        if (QFile::exists(path + suffix))
            QFile::setPermissions(path + suffix, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return migrate();
}

bool RecordStore::exec(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (q.exec(sql))
        return true;
    error_ = q.lastError().text();
    return false;
}

int RecordStore::schema_version()
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    return q.exec(u"PRAGMA user_version"_s) && q.next() ? q.value(0).toInt() : -1;
}

bool RecordStore::holds_records()
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    return schema_version() >= 1 &&
           q.exec(u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'bets'"_s) && q.next();
}

bool RecordStore::migrate()
{
    int version = schema_version();
    if (version < 0)
        return false;
    // A newer program's file is used as it is: its changes only ever add. Each step takes the
    // write lock first and reads the version again: another connection (the writer's thread)
    // may have made that step meanwhile, and a column is added only once.
    while (version < kSchemaVersion) {
        if (!exec(u"BEGIN IMMEDIATE"_s))
            return false;
        version = schema_version();
        bool ok = version >= 0;
        if (ok && version < kSchemaVersion) {
            for (const QString& statement :
                 QString::fromUtf8(kMigrations[version]).split(u';', Qt::SkipEmptyParts))
                ok = ok && exec(statement);
            ok = ok && exec(u"PRAGMA user_version = "_s + QString::number(version + 1));
        }
        if (!ok || !exec(u"COMMIT"_s)) {
            exec(u"ROLLBACK"_s);
            return false;
        }
        version = schema_version();
    }
    return true;
}

namespace {

bool run(const QString& connection, const QString& sql, const QVariantList& values, QString& error)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    if (!q.prepare(sql)) {
        error = q.lastError().text();
        return false;
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    // Without an explicit transaction SQLite commits each statement on its own.
    if (!q.exec()) {
        error = q.lastError().text();
        return false;
    }
    return true;
}

} // namespace

bool RecordStore::add_draw(const QString& lottery, const QString& issue, const QString& numbers,
                           const QString& seen_at)
{
    return run(connection_, u"INSERT OR IGNORE INTO draws (lottery, issue, numbers, seen_at) VALUES (?, ?, ?, ?)"_s,
               {lottery, issue, numbers, seen_at}, error_);
}

bool RecordStore::add_bet(const BetRecord& b)
{
    return run(connection_,
               u"INSERT INTO bets (lottery, monitor, positions, play, numbers, issue, multiplier, cost, prize,"
               " order_no, simulated, placed_at, state, ref, balance_before)"
               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
               {b.lottery, b.monitor, b.positions, b.play, b.numbers, b.issue, b.multiplier, b.cost, b.prize,
                // A null text binds as NULL: an order not answered yet has an empty number.
                b.order_no.isNull() ? u""_s : b.order_no, b.simulated ? 1 : 0, b.placed_at, b.state,
                b.ref.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(b.ref),
                b.balance_before ? QVariant(*b.balance_before) : QVariant(QMetaType(QMetaType::Double))},
               error_);
}

bool RecordStore::confirm(const QString& ref, const QString& order_no, double cost)
{
    return run(connection_, u"UPDATE bets SET state = ?, order_no = ?, cost = ? WHERE ref = ?"_s,
               {QString::fromUtf16(kConfirmedState), order_no, cost, ref}, error_);
}

bool RecordStore::drop(const QString& ref)
{
    return run(connection_, u"DELETE FROM bets WHERE ref = ? AND state = ?"_s,
               {ref, QString::fromUtf16(kUnconfirmedState)}, error_);
}

bool RecordStore::mark_told(const QString& ref)
{
    return run(connection_, u"UPDATE bets SET told = 1 WHERE ref = ?"_s, {ref}, error_);
}

QVector<BetRecord> RecordStore::unconfirmed_bets()
{
    return select_bets(u" WHERE state = ? ORDER BY id"_s, {QString::fromUtf16(kUnconfirmedState)});
}

QVector<BetRecord> RecordStore::select_bets(const QString& rest, const QVariantList& values)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(u"SELECT "_s + QString::fromUtf16(kBetColumns) + u" FROM bets"_s + rest);
    for (const QVariant& v : values)
        q.addBindValue(v);
    QVector<BetRecord> out;
    if (!q.exec()) {
        error_ = q.lastError().text();
        return out;
    }
    while (q.next())
        out.append(read_bet(q));
    return out;
}

bool RecordStore::settle(const QString& lottery, const QString& issue, const QString& order_no,
                         const QString& draw, const QString& result, double returned, const QString& at)
{
    return run(connection_,
               u"UPDATE bets SET draw = ?, result = ?, returned = ?, settled_at = ? WHERE lottery = ? AND"
               " issue = ? AND order_no = ? AND result IS NULL"_s,
               {draw, result, returned, at, lottery, issue, order_no}, error_);
}

bool RecordStore::session_started(const QString& lottery, const QString& at)
{
    return run(connection_, u"INSERT INTO sessions (lottery, started_at) VALUES (?, ?)"_s, {lottery, at}, error_);
}

bool RecordStore::session_stopped(const QString& why, const QString& at, const QString& lottery)
{
    if (lottery.isEmpty())
        return run(connection_, u"UPDATE sessions SET stopped_at = ?, why = ? WHERE stopped_at IS NULL"_s,
                   {at, why}, error_);
    return run(connection_,
               u"UPDATE sessions SET stopped_at = ?, why = ? WHERE stopped_at IS NULL AND lottery = ?"_s,
               {at, why, lottery}, error_);
}

bool RecordStore::close_killed_sessions()
{
    // The last thing the killed run recorded for the session's lottery: a draw seen, an order
    // placed, a bet settled (the start itself when nothing came after it).
    return run(connection_,
               u"UPDATE sessions SET why = 'exit', stopped_at = MAX(started_at,"
               " COALESCE((SELECT MAX(seen_at) FROM draws d WHERE d.lottery = sessions.lottery"
               " AND d.seen_at >= sessions.started_at), ''),"
               " COALESCE((SELECT MAX(placed_at) FROM bets b WHERE b.lottery = sessions.lottery"
               " AND b.placed_at >= sessions.started_at), ''),"
               " COALESCE((SELECT MAX(settled_at) FROM bets b WHERE b.lottery = sessions.lottery"
               " AND b.settled_at >= sessions.started_at), ''))"
               " WHERE stopped_at IS NULL"_s,
               {}, error_);
}

QVector<BetRecord> RecordStore::bets(const BetFilter& filter)
{
    QVariantList values;
    const QString condition = where(filter, values);
    return select_bets(condition + u" ORDER BY placed_at, id"_s, values);
}

QVector<BetRecord> RecordStore::open_bets()
{
    return select_bets(u" WHERE result IS NULL AND state = ? ORDER BY id"_s, {QString::fromUtf16(kConfirmedState)});
}

QString RecordStore::draw_numbers(const QString& lottery, const QString& issue)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(u"SELECT numbers FROM draws WHERE lottery = ? AND replace(issue, '-', '') = ?"_s);
    q.addBindValue(lottery);
    q.addBindValue(QString(issue).remove(u'-'));
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

QVector<DayTotals> RecordStore::day_totals(const BetFilter& filter)
{
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QString condition = where(filter, values);
    condition += (condition.isEmpty() ? u" WHERE "_s : u" AND "_s) + u"state = 'confirmed'"_s;
    q.prepare(u"SELECT substr(placed_at, 1, 10) AS day, simulated, count(*), sum(cost),"
              " sum(coalesce(returned, 0)) FROM bets"_s + condition +
              u" GROUP BY day, simulated ORDER BY day, simulated"_s);
    for (const QVariant& v : values)
        q.addBindValue(v);
    QVector<DayTotals> out;
    if (!q.exec())
        return out;
    while (q.next()) {
        DayTotals t;
        t.day = q.value(0).toString();
        t.simulated = q.value(1).toBool();
        t.bets = q.value(2).toInt();
        t.cost = q.value(3).toDouble();
        t.returned = q.value(4).toDouble();
        out.append(t);
    }
    return out;
}

namespace {

// The first column of a query's rows, as texts.
QStringList first_column(const QString& connection, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    QStringList out;
    if (!q.prepare(sql))
        return out;
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (q.exec())
        while (q.next())
            out << q.value(0).toString();
    return out;
}

QStringList distinct(const QString& connection, const QString& column)
{
    return first_column(connection, u"SELECT DISTINCT "_s + column + u" FROM bets ORDER BY "_s + column);
}

} // namespace

QStringList RecordStore::lotteries()
{
    return distinct(connection_, u"lottery"_s);
}

QStringList RecordStore::monitors(const QString& lottery)
{
    if (lottery.isEmpty())
        return distinct(connection_, u"monitor"_s);
    return first_column(connection_, u"SELECT DISTINCT monitor FROM bets WHERE lottery = ? ORDER BY monitor"_s,
                        {lottery});
}

QString RecordStore::draws_text(const QString& lottery)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(u"SELECT issue, numbers FROM draws WHERE lottery = ?"_s);
    q.addBindValue(lottery);
    QStringList entries;
    if (q.exec())
        while (q.next())
            entries << q.value(0).toString() + u':' + q.value(1).toString();
    return entries.join(u'|');
}

QStringList RecordStore::days()
{
    return first_column(connection_,
                        u"SELECT DISTINCT substr(placed_at, 1, 10) AS day FROM bets ORDER BY day DESC"_s);
}

QString csv_field(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u"\""_s, u"\"\""_s) + u'"';
}

QString bets_csv(const QVector<BetRecord>& bets)
{
    QString out = u"placed_at,lottery,monitor,positions,play,numbers,issue,multiplier,cost,prize,order_no,"
                  u"simulated,draw,result,returned,settled_at,state\r\n"_s;
    for (const BetRecord& b : bets) {
        const QStringList fields = {b.placed_at,
                                    b.lottery,
                                    b.monitor,
                                    b.positions,
                                    b.play,
                                    b.numbers,
                                    b.issue,
                                    QString::number(b.multiplier),
                                    support::amount_text(b.cost),
                                    support::amount_text(b.prize),
                                    b.order_no,
                                    b.simulated ? u"1"_s : u"0"_s,
                                    b.draw,
                                    b.result,
                                    b.result.isEmpty() ? QString() : support::amount_text(b.returned),
                                    b.settled_at,
                                    b.state};
        QStringList quoted;
        for (const QString& f : fields)
            quoted << csv_field(f);
        out += quoted.join(u',') + u"\r\n"_s;
    }
    return out;
}

} // namespace zorvik::records
