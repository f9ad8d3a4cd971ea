// Everything a monitoring session with automatic bets shows, draw by draw, byte for byte: the
// bet-log rows as they are added and settled, the status lines, the counters and the monitors'
// stored texts. Random sessions (platform refusals, orders not confirmed, amounts the platform
// writes its own way, a stop) are compared with the digests of the transcripts the program gave
// before bets were worked out with their plans, kept in bet_transcripts.txt.

#include "fakes/recording_shell.h"
#include "monitor/backtest.h"
#include "monitor/bet_placer.h"
#include "monitor/engine.h"
#include "monitor/random_draws.h"
#include "monitor/random_monitors.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

// Takes most orders at their cost; refuses, leaves unconfirmed or charges an amount written
// another way now and then.
class ScriptedPlacer final : public ImmediatePlacer {
public:
    BetResult place(const BetOrder& order) override
    {
        ++count_;
        if (order.issue.isEmpty())
            return {0, QString(), QString(), u"没有期号"_s};
        if (count_ % 7 == 0)
            return {0, QString(), QString(), u"平台拒绝"_s};
        if (count_ % 11 == 0)
            return {kUnconfirmed, u"U"_s + QString::number(count_), QString(), u"未确认"_s, true};
        const QString amount = count_ % 5 == 0 ? order.cost + (order.cost.contains(u'.') ? u"0"_s : u".00"_s)
                                               : order.cost;
        return {1, u"N"_s + QString::number(count_), amount, u"ok"_s};
    }

private:
    int count_ = 0;
};

QString row_text(const BetRow& row)
{
    QStringList cells(row.columns.begin(), row.columns.end());
    return cells.join(u'\t') + u'\t' + QString::number(row.monitor != 0) + QString::number(row.simulated) +
           QString::number(row.unconfirmed);
}

QString figures(const Session& s)
{
    return QString::asprintf("%d %d %.17g %.17g %.17g", s.bets, s.wins, s.income, s.best, s.worst);
}

// The digest of what each draw of a random session showed, one line a draw.
QStringList session_digests(unsigned seed, int monitors, int draws, const QString& stop_loss)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    MonitorEngine engine(shell, dir.filePath(u"bao/cfg.ini"_s));
    ScriptedPlacer placer;
    QHash<QString, QString> lookup;
    DrawState state;
    state.lookup = &lookup;
    engine.set_placer(&placer);
    engine.set_lottery(u"U彩平台-欢乐分分彩"_s);
    engine.set_draw_source([&] { return state; });
    engine.set_stop_source([&] { return std::pair<QString, QString>(u"100000"_s, stop_loss); });
    QString shown;
    QObject::connect(&engine, &MonitorEngine::bet_added,
                     [&](int row) { shown += u"added "_s + row_text(engine.bet_log().at(row)) + u'\n'; });
    QObject::connect(&engine, &MonitorEngine::bet_settled,
                     [&](int row) { shown += u"settled "_s + row_text(engine.bet_log().at(row)) + u'\n'; });
    QObject::connect(&engine, &MonitorEngine::bet_unconfirmed,
                     [&](const BetRow& row) { shown += u"unconfirmed "_s + row_text(row) + u'\n'; });
    QObject::connect(&engine, &MonitorEngine::order_dropped, [&](const BetRow& row, bool was) {
        shown += u"dropped "_s + QString::number(was) + row_text(row) + u'\n';
    });
    QObject::connect(&engine, &MonitorEngine::line_changed, [&](Line which, const QString& text) {
        shown += u"line "_s + QString::number(int(which)) + u' ' + text + u'\n';
    });
    engine.load_text(zorvik::testing::random_monitors(monitors, seed, 80));
    const QVector<HistoryDraw> history = zorvik::testing::random_draws(draws, seed, u"20261208-"_s);
    QStringList digests;
    engine.set_monitoring(true, false);
    for (int i = 0; i < history.size(); ++i) {
        state.awd_iss = history[i].issue;
        state.awd_nums = history[i].numbers;
        state.bet_iss = state.next_iss_no = i + 1 < history.size() ? history[i + 1].issue : QString();
        lookup.insert(QString(history[i].issue).remove(u'-'), history[i].numbers);
        engine.evaluate_draw();
        shown += figures(engine.session()) + u'\n' + engine.list().text() + u'\n';
        for (const BetRow& row : engine.bet_log())
            shown += row_text(row) + u'\n';
        digests << QString::fromLatin1(QCryptographicHash::hash(shown.toUtf8(), QCryptographicHash::Md5).toHex());
        shown.clear();
    }
    return digests;
}

QStringList all_digests()
{
    QStringList out;
    out << session_digests(5, 60, 300, u"-100000"_s);
    out << session_digests(6, 40, 300, u"-30"_s); // stops on the way
    out << session_digests(7, 120, 120, u"-100000"_s);
    return out;
}

} // namespace

TEST(BetTranscript, EveryRowLineCounterAndRecordIsWhatItWasDrawByDraw)
{
    const QStringList digests = all_digests();
    const QString path = QStringLiteral(ZORVIK_TEST_DATA "/bet_transcripts.txt");
    if (qEnvironmentVariableIsSet("ZORVIK_WRITE_TRANSCRIPTS")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write((digests.join(u'\n') + u'\n').toLatin1());
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QStringList expected = QString::fromLatin1(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(digests.size(), expected.size());
    for (qsizetype i = 0; i < digests.size(); ++i)
        ASSERT_EQ(digests[i], expected[i]) << "draw " << i << " of the sessions differs";
}
