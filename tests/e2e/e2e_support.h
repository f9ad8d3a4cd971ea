#pragma once
// What the end-to-end tests share: zorvik-sim and the program in headless mode as processes.

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace zorvik::e2e {

using namespace Qt::Literals::StringLiterals;

struct PrintedDraw {
    QString issue;
    QString numbers;
};

class Sim {
public:
    explicit Sim(double period, const QStringList& more = {})
    {
        process_.start(QStringLiteral(ZORVIK_SIM_PATH),
                       QStringList{u"--port"_s, u"0"_s, u"--period"_s, QString::number(period), u"--seed"_s,
                                   u"7"_s} +
                           more);
        EXPECT_TRUE(process_.waitForStarted());
        while (urls_.size() < 6 && process_.waitForReadyRead(5000)) {
            while (process_.canReadLine()) {
                const QStringList parts = QString::fromUtf8(process_.readLine()).trimmed().split(u' ');
                if (parts.size() == 2)
                    urls_[parts[0]] = parts[1];
            }
        }
    }
    ~Sim()
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }

    QString url(const QString& role) const { return urls_.value(role); }

    QJsonObject admin(const std::string& path) const
    {
        const QUrl service(url(u"service"_s));
        httplib::Client client("127.0.0.1", service.port());
        const auto res = client.Get(path.c_str());
        return res ? QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).object() : QJsonObject();
    }

    void fault(const QString& role, const QString& what, int count = 1)
    {
        const QUrl service(url(u"service"_s));
        httplib::Client client("127.0.0.1", service.port());
        const std::string path = "/sim/fault?role=" + role.toStdString() + "&count=" +
                                 std::to_string(count) + "&" + what.toStdString();
        const auto res = client.Get(path.c_str());
        ASSERT_TRUE(res);
        ASSERT_EQ(res->body, "ok");
    }

    // The simulator's draws of a game, oldest first, as issue → index.
    std::map<QString, std::pair<int, QString>> draws(const QString& game) const
    {
        std::map<QString, std::pair<int, QString>> out;
        const QJsonArray list = admin("/sim/state")[u"draws"_s][game].toArray();
        // The public site's periods leave out the century, which the program puts back.
        const QString prefix = game == u"chongqing" ? u"20"_s : QString();
        for (int i = 0; i < list.size(); ++i)
            out[prefix + list[i][u"issue"_s].toString()] = {i, list[i][u"numbers"_s].toString()};
        return out;
    }
    int draw_count(const QString& game) const
    {
        return int(admin("/sim/state")[u"draws"_s][game].toArray().size());
    }

    QProcess process_;
    QMap<QString, QString> urls_;
};

// Writes the data folder's settings file, in GBK as the program keeps it.
inline void write_settings(const QTemporaryDir& dir, const QString& text)
{
    QDir().mkpath(dir.filePath(QStringLiteral("bao")));
    QFile f(dir.filePath(QStringLiteral("bao/cfg.ini")));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    QStringEncoder gbk("GBK");
    f.write(gbk.encode(text));
}

// Starts a headless session that monitors and bets with simulated money at once.
inline void start_simulated(QProcess& program, const QTemporaryDir& dir, const Sim& sim, const QString& lottery)
{
    program.start(QStringLiteral(ZORVIK_PATH),
                  {QStringLiteral("--headless"), QStringLiteral("--start"), QStringLiteral("--virtual"),
                   QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--lottery"), lottery,
                   QStringLiteral("--service-base"), sim.url(QStringLiteral("service")),
                   QStringLiteral("--public-base"), sim.url(QStringLiteral("public")),
                   QStringLiteral("--trend-base"), sim.url(QStringLiteral("trend"))});
}

class Headless {
public:
    Headless(const Sim& sim, const QString& lottery)
    {
        process_.start(QStringLiteral(ZORVIK_PATH),
                       {u"--headless"_s, u"--data-dir"_s, dir_.path(), u"--lottery"_s, lottery,
                        u"--service-base"_s, sim.url(u"service"_s), u"--public-base"_s,
                        sim.url(u"public"_s), u"--trend-base"_s, sim.url(u"trend"_s)});
        EXPECT_TRUE(process_.waitForStarted());
    }

    // Stops the program as a service manager would and returns what it printed.
    QStringList stop()
    {
        process_.terminate();
        EXPECT_TRUE(process_.waitForFinished(15000));
        EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process_.exitCode(), 0);
        return QString::fromUtf8(process_.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

    static QList<PrintedDraw> draws(const QStringList& lines)
    {
        static const QRegularExpression draw(u"^\\S+ \\S+ draw (\\S+) (\\S+)$"_s);
        QList<PrintedDraw> out;
        for (const QString& line : lines) {
            const auto m = draw.match(line);
            if (m.hasMatch())
                out.append({m.captured(1), m.captured(2)});
        }
        return out;
    }

    QTemporaryDir dir_;
    QProcess process_;
};

// Every printed draw is one the simulator made, with its numbers, each once and in order.
// `every` also asks that none was skipped.
inline void check_draws(const QList<PrintedDraw>& printed, const std::map<QString, std::pair<int, QString>>& made,
                 bool every, int at_least)
{
    ASSERT_GE(printed.size(), at_least);
    int last = -1;
    for (const PrintedDraw& d : printed) {
        const auto it = made.find(d.issue);
        ASSERT_NE(it, made.end()) << d.issue.toStdString();
        EXPECT_EQ(it->second.second, d.numbers) << d.issue.toStdString();
        if (last >= 0) {
            EXPECT_GT(it->second.first, last) << d.issue.toStdString();
            if (every) {
                EXPECT_EQ(it->second.first, last + 1) << d.issue.toStdString();
            }
        }
        last = it->second.first;
    }
}


// The program in headless mode, started with --start on a settings file of its own holding one
// monitor list and the platform account ann (password p'w\1), betting real money.
class Betting {
public:
    // `tz_cfg` holds more keys of that section ("key=value" lines).
    // `records_blocked`: a folder stands where the records database belongs.
    // `prepare` runs on the data folder before the program starts.
    Betting(const Sim& sim, const QString& lottery, const QString& monitor,
            const QString& tz_cfg = u"plt_tz_zy=100000\r\n"_s, bool records_blocked = false,
            const std::function<void(const QString&)>& prepare = {})
    {
        if (records_blocked)
            QDir().mkpath(dir_.filePath(u"bao/records.db"_s));
        if (prepare)
            prepare(dir_.path());
        write_settings(dir_, u"[alert_cfg]\r\nlist="_s + monitor +
                                 u"\r\n[tz_cfg]\r\nplt_user=ann\r\nplt_pass=p'w\\1\r\n"_s + tz_cfg);
        process_.start(QStringLiteral(ZORVIK_PATH),
                       {u"--headless"_s, u"--start"_s, u"--data-dir"_s, dir_.path(), u"--lottery"_s, lottery,
                        u"--service-base"_s, sim.url(u"service"_s), u"--public-base"_s,
                        sim.url(u"public"_s), u"--trend-base"_s, sim.url(u"trend"_s)});
        EXPECT_TRUE(process_.waitForStarted());
    }
    ~Betting()
    {
        process_.terminate();
        process_.waitForFinished(15000);
    }

    // The first printed line from `from` on holding the text, within the time; empty if none.
    QString wait_for(const QString& text, int ms, qsizetype* from = nullptr)
    {
        QElapsedTimer waited;
        waited.start();
        qsizetype start = from ? *from : 0;
        while (true) {
            process_.waitForReadyRead(200);
            while (process_.canReadLine())
                lines_ << QString::fromUtf8(process_.readLine()).trimmed();
            for (qsizetype i = start; i < lines_.size(); ++i) {
                if (lines_[i].contains(text)) {
                    if (from)
                        *from = i + 1;
                    return lines_[i];
                }
            }
            if (waited.elapsed() > ms)
                return QString();
        }
    }
    QString all() const { return lines_.join(u'\n'); }
    // Every line printed so far (read now).
    const QStringList& lines()
    {
        while (process_.canReadLine() || process_.waitForReadyRead(0))
            while (process_.canReadLine())
                lines_ << QString::fromUtf8(process_.readLine()).trimmed();
        return lines_;
    }

    QTemporaryDir dir_;
    QProcess process_;
    QStringList lines_;
};

// zorvik-cli's output lines.
inline QStringList run_cli(const QStringList& args)
{
    QProcess cli;
    cli.start(QStringLiteral(ZORVIK_CLI_PATH), args);
    EXPECT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return QString::fromUtf8(cli.readAllStandardOutput()).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

// The cells of a CSV row (quoted cells hold commas and doubled quotes).
inline QStringList csv_cells(const QString& row)
{
    QStringList cells{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QChar c = row[i];
        if (quoted && c == u'"' && i + 1 < row.size() && row[i + 1] == u'"') {
            cells.last() += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            cells << QString();
        } else {
            cells.last() += c;
        }
    }
    return cells;
}

} // namespace zorvik::e2e
