#include "records_command.h"

#include "cli_io.h"

#include "records/records.h"
#include "support/money.h"

#include <QCoreApplication>
#include <QDate>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::cli {

namespace {

constexpr char kUsage[] =
    "usage: zorvik-cli records DB [--day YYYY-MM-DD] [--lottery NAME] [--kind real|simulated] [--csv]";

QString kind_name(bool simulated)
{
    return simulated ? u"simulated"_s : u"real"_s;
}

} // namespace

int run_records_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    QString file;
    records::BetFilter filter;
    bool csv = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--csv") {
            csv = true;
        } else if (a == u"--day" && i + 1 < args.size()) {
            const QDate day = QDate::fromString(args[++i], Qt::ISODate);
            if (!day.isValid())
                return fail(err, u"zorvik-cli records: not a day (YYYY-MM-DD): "_s + args[i]);
            filter.day = day;
        } else if (a == u"--lottery" && i + 1 < args.size()) {
            filter.lottery = args[++i];
        } else if (a == u"--kind" && i + 1 < args.size()) {
            const QString kind = args[++i];
            if (kind != u"real" && kind != u"simulated")
                return fail(err, QString::fromUtf8(kUsage));
            filter.simulated = kind == u"simulated";
        } else if (file.isEmpty() && !a.startsWith(u"--"_s)) {
            file = a;
        } else {
            return fail(err, QString::fromUtf8(kUsage));
        }
    }
    if (file.isEmpty())
        return fail(err, QString::fromUtf8(kUsage));
    // Qt's SQL drivers are plugins, found through an application object.
    int argc = 1;
    char name[] = "zorvik-cli";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    records::RecordStore store;
    if (!store.open(file, true))
        return fail(err, u"zorvik-cli records: "_s + file + u": "_s + store.error());
    if (!store.holds_records())
        return fail(err, u"zorvik-cli records: "_s + file + u": not a records database of this program"_s);
    const QVector<records::BetRecord> bets = store.bets(filter);
    if (csv) {
        write(out, records::bets_csv(bets));
        return 0;
    }
    // A header, one line per bet, then the day totals of each kind of money (never added).
    write(out, u"placed_at\tlottery\tkind\tmonitor\tissue\tmultiplier\tcost\tresult\treturned\torder_no"
               u"\tstate\n"_s);
    for (const records::BetRecord& b : bets) {
        write(out, QStringList{b.placed_at, b.lottery, kind_name(b.simulated), b.monitor, b.issue,
                               QString::number(b.multiplier), support::amount_text(b.cost),
                               b.result.isEmpty() ? u"---"_s : b.result,
                               b.result.isEmpty() ? u"---"_s : support::amount_text(b.returned), b.order_no,
                               b.state}
                           .join(u'\t') +
                       u'\n');
    }
    for (const records::DayTotals& d : store.day_totals(filter))
        write(out, QStringList{u"total"_s, d.day, kind_name(d.simulated), QString::number(d.bets),
                               support::amount_text(d.cost), support::amount_text(d.returned),
                               support::amount_text(d.income())}
                       .join(u'\t') +
                   u'\n');
    return 0;
}

} // namespace zorvik::cli
