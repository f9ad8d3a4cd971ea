#pragma once
// The records, written on a thread of their own so that the draw cycle never waits for the
// disk. Writes are done in the order they are asked for; a failed write is reported, never
// raised, and the next write tries again.

#include "records/records.h"

#include <QHash>
#include <QObject>
#include <QThread>
#include <functional>

namespace zorvik::records {

class RecordWriter : public QObject {
    Q_OBJECT
public:
    explicit RecordWriter(QObject* parent = nullptr);
    // Ends after the writes already asked for.
    ~RecordWriter() override;

    void open(const QString& path);
    void add_draw(const QString& lottery, const QString& issue, const QString& numbers, const QString& seen_at);
    // `done` runs on this object's thread once the row is committed (true) or has failed.
    void add_bet(const BetRecord& bet, std::function<void(bool)> done = {});
    // Writes the row and waits until it is committed; false when it could not be.
    bool add_bet_now(const BetRecord& bet);
    void confirm(const QString& ref, const QString& order_no, double cost, std::function<void(bool)> done = {});
    void drop(const QString& ref);
    void mark_told(const QString& ref);
    void settle(const QString& lottery, const QString& issue, const QString& order_no, const QString& draw,
                const QString& result, double returned, const QString& at);
    void session_started(const QString& lottery, const QString& at);
    void session_stopped(const QString& why, const QString& at, const QString& lottery = {});
    void close_killed_sessions();
    // Settles the open rows of earlier runs and this one whose draws are known: from `lookup`
    // (issue without "-" → numbers) for `lottery`, else from the draws recorded.
    void settle_open(const QString& lottery, const QHash<QString, QString>& lookup, const QString& at);
    // Waits until every write asked for so far is done.
    void flush();

signals:
    // `lottery`: the lottery the write was for; empty when it concerns every one.
    void failed(const QString& error, const QString& lottery);
    void succeeded();

private:
    class Worker;
    // Runs `job` on the thread, reporting its outcome.
    void post(std::function<bool(RecordStore&)> job, std::function<void(bool)> done = {},
              const QString& lottery = {});

    QThread thread_;
    Worker* worker_;
};

} // namespace zorvik::records
