#include "records/record_writer.h"

#include "rules/hit.h"
#include "support/money.h"
#include "support/text.h"

#include <atomic>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::records {

class RecordWriter::Worker : public QObject {
public:
    RecordStore* store()
    {
        if (!store_)
            store_ = std::make_unique<RecordStore>(); // made on the thread that uses it
        return store_.get();
    }
    void close() { store_.reset(); }
    QString path;

private:
    std::unique_ptr<RecordStore> store_;
};

RecordWriter::RecordWriter(QObject* parent) : QObject(parent), worker_(new Worker)
{
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.setObjectName(u"records"_s);
    thread_.start();
}

RecordWriter::~RecordWriter()
{
    // Every write asked for is done before the thread ends (quitting drops posted work).
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker] { worker->close(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void RecordWriter::post(std::function<bool(RecordStore&)> job, std::function<void(bool)> done,
                        const QString& lottery)
{
    Worker* worker = worker_;
    QMetaObject::invokeMethod(
        worker,
        [this, worker, job = std::move(job), done = std::move(done), lottery] {
            RecordStore* store = worker->store();
            bool ok = store->is_open() || (!worker->path.isEmpty() && store->open(worker->path));
            ok = ok && job(*store);
            if (done)
                done(ok);
            if (ok)
                emit succeeded();
            else
                emit failed(store->error().isEmpty() ? u"未打开"_s : store->error(), lottery);
        },
        Qt::QueuedConnection);
}

void RecordWriter::open(const QString& path)
{
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker, path] { worker->path = path; }, Qt::QueuedConnection);
    post([](RecordStore&) { return true; });
}

void RecordWriter::add_draw(const QString& lottery, const QString& issue, const QString& numbers,
                            const QString& seen_at)
{
    post([=](RecordStore& s) { return s.add_draw(lottery, issue, numbers, seen_at); }, {}, lottery);
}

void RecordWriter::add_bet(const BetRecord& bet, std::function<void(bool)> done)
{
    post([bet](RecordStore& s) { return s.add_bet(bet); }, std::move(done), bet.lottery);
}

bool RecordWriter::add_bet_now(const BetRecord& bet)
{
    auto written = std::make_shared<std::atomic_bool>(false);
    add_bet(bet, [written](bool ok) { *written = ok; });
    flush();
    return *written;
}

void RecordWriter::confirm(const QString& ref, const QString& order_no, double cost,
                           std::function<void(bool)> done)
{
    post([=](RecordStore& s) { return s.confirm(ref, order_no, cost); }, std::move(done));
}

void RecordWriter::drop(const QString& ref)
{
    post([=](RecordStore& s) { return s.drop(ref); });
}

void RecordWriter::mark_told(const QString& ref)
{
    post([=](RecordStore& s) { return s.mark_told(ref); });
}

void RecordWriter::settle(const QString& lottery, const QString& issue, const QString& order_no,
                          const QString& draw, const QString& result, double returned, const QString& at)
{
    post([=](RecordStore& s) { return s.settle(lottery, issue, order_no, draw, result, returned, at); }, {},
         lottery);
}

void RecordWriter::session_started(const QString& lottery, const QString& at)
{
    post([=](RecordStore& s) { return s.session_started(lottery, at); }, {}, lottery);
}

void RecordWriter::session_stopped(const QString& why, const QString& at, const QString& lottery)
{
    post([=](RecordStore& s) { return s.session_stopped(why, at, lottery); }, {}, lottery);
}

void RecordWriter::close_killed_sessions()
{
    post([](RecordStore& s) { return s.close_killed_sessions(); });
}

void RecordWriter::settle_open(const QString& lottery, const QHash<QString, QString>& lookup, const QString& at)
{
    post([=](RecordStore& s) {
        bool ok = true;
        for (const BetRecord& b : s.open_bets()) {
            const QString key = QString(b.issue).remove(u'-');
            QString numbers = b.lottery == lottery ? lookup.value(key) : QString();
            if (numbers.isEmpty())
                numbers = s.draw_numbers(b.lottery, b.issue);
            if (numbers.isEmpty())
                continue;
            // A hit pays every line it wins.
            const qint64 lines = rules::bet_lines(numbers, b.positions, b.numbers, b.play);
            const double returned = double(support::whole_li(b.prize * double(lines))) / 1000;
            ok = s.settle(b.lottery, b.issue, b.order_no, numbers, lines > 0 ? u"中"_s : u"挂"_s, returned, at) && ok;
        }
        return ok;
    });
}

void RecordWriter::flush()
{
    QMetaObject::invokeMethod(worker_, [] {}, Qt::BlockingQueuedConnection);
}

} // namespace zorvik::records
