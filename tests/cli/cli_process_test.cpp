// Runs the built zorvik-cli as a user's script would: arguments, exit codes, and batch mode.

#include "support/gbk.h"

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ProcessRun {
    QByteArray out;
    QByteArray err;
    int code = -1;
};

ProcessRun cli(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral(ZORVIK_CLI_PATH), args);
    EXPECT_TRUE(p.waitForStarted());
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.readAllStandardOutput(), p.readAllStandardError(), p.exitCode()};
}

} // namespace

TEST(CliProcess, PrintsOneUtf8LineAndExitsZero)
{
    const ProcessRun r = cli({u"win"_s, u"后二(直选单式)"_s, u"3"_s, u"元"_s, u"1920"_s});
    EXPECT_EQ(r.out, "576\n"_ba);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(cli({u"hit"_s, u"1,1,2,0,0"_s, u"ABC"_s, u"组三复式"_s, u"12"_s}).out,
              QByteArray("\xE4\xB8\xAD\n")); // 中 in UTF-8
}

TEST(CliProcess, UsageGoesToStandardErrorWithCodeTwo)
{
    for (const QStringList& args :
         {QStringList{}, QStringList{u"what"_s}, QStringList{u"md5"_s},
          QStringList{u"money"_s, u"lots"_s}}) {
        const ProcessRun r = cli(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("usage: ") || r.err.startsWith("unknown command"));
        EXPECT_TRUE(r.err.endsWith('\n'));
    }
}

TEST(CliProcess, HelpListsEveryCommandAndEachCommandsUsage)
{
    const ProcessRun help = cli({u"--help"_s});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.err.isEmpty());
    const QString text = QString::fromUtf8(help.out);
    for (const char* name : {"hit", "count", "cost", "win", "validate", "group", "plays", "money", "md5",
                             "urlencode", "date", "ini-get", "ini-set", "batch", "backtest", "sweep", "records"}) {
        // Each on a line of its own, with a summary after its arguments.
        const QRegularExpression line(u"\\n  "_s + QString::fromLatin1(name) + u"( [^\\n]*)?  +\\S[^\\n]*"_s);
        EXPECT_TRUE(line.match(text).hasMatch()) << name;
    }
    // Without a command, the same list goes to standard error with code 2.
    const ProcessRun none = cli({});
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.err, help.out);
    for (const auto& [name, usage] : {std::pair{u"backtest"_s, "usage: zorvik-cli backtest HISTORY"},
                                      std::pair{u"records"_s, "usage: zorvik-cli records DB"},
                                      std::pair{u"count"_s, "usage: zorvik-cli count TITLE NUMBERS\n"}}) {
        const ProcessRun r = cli({name, u"--help"_s});
        EXPECT_EQ(r.code, 0) << name.toStdString();
        EXPECT_TRUE(r.out.startsWith(usage)) << r.out.toStdString();
    }
    EXPECT_EQ(cli({u"nothing"_s, u"--help"_s}).code, 2);
}

TEST(CliProcess, IniSetPrintsNothingAndReportsByExitCode)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"bao/cfg.ini"_s);
    ProcessRun r = cli({u"ini-set"_s, file, u""_s, u"k"_s, u"v"_s});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(cli({u"ini-get"_s, file, u"Boot"_s, u"k"_s}).out, "v\n"_ba);
    r = cli({u"ini-set"_s, file, u"a"_s, u"k"_s, u""_s});
    EXPECT_EQ(r.code, 1);
}

TEST(CliProcess, BatchWritesOneLinePerInputLineInOrder)
{
    QTemporaryDir dir;
    const QByteArray file = dir.filePath(u"cfg.ini"_s).toUtf8();
    const QByteArray input = "count\t前三(直选复式)\t0123456789\r\n"
                             "\n"
                             "bogus\tx\n"
                             "money\t0.456\n"
                             "validate\t3\t直选单式\t123  45\n"
                             "ini-set\t"_ba + file + "\tcai_cfg\tplt_path\t2\n"_ba +
                             "ini-get\t"_ba + file + "\tcai_cfg\tplt_path\n"_ba +
                             "count\tonly-one\n"
                             "batch\n"
                             "md5\t"_ba; // the last line has no line end
    const ProcessRun r = cli({u"batch"_s}, input);
    EXPECT_EQ(r.code, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 11) << r.out.toStdString(); // ten lines and the final empty part
    EXPECT_EQ(lines[0], "1000");
    EXPECT_TRUE(lines[1].startsWith("error: "));
    EXPECT_TRUE(lines[2].startsWith("error: unknown command"));
    EXPECT_EQ(lines[3], "0.46");
    EXPECT_EQ(QString::fromUtf8(lines[4]), u"123 45\t号码格式有误，发现有号码不是3星, 如下：\\r\\n45 "_s);
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "2");
    EXPECT_TRUE(lines[7].startsWith("error: usage: zorvik-cli count"));
    EXPECT_TRUE(lines[8].startsWith("error: "));
    EXPECT_EQ(lines[9], "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(lines[10], "");
}

TEST(CliProcess, BatchSurvivesMalformedInput)
{
    QByteArray input;
    input += "hit\t\xFF\xFE\t\x80\t\xC3\t*\n"_ba;       // invalid UTF-8
    input += QByteArray("count\t\0\t1\n", 10);          // NUL inside a field
    input += "group\t"_ba + QByteArray(200000, 'A') + "\n"_ba;
    input += "hit\t1,2,3,4,5\tABCDE\t直选复式\t"_ba + QByteArray(100000, '*') + "\n"_ba;
    input += "count\t五星(直选复式)\t"_ba + QByteArray(100000, '7') + "\n"_ba;
    input += "\t\t\t\n";
    const ProcessRun r = cli({u"batch"_s}, input);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.count('\n'), 6);
    EXPECT_TRUE(r.out.endsWith("error: unknown command ; usage: zorvik-cli COMMAND ARGS... "
                               "(commands: hit, lines, count, cost, win, validate, group, plays, "
                               "money, md5, urlencode, date, ini-get, ini-set, batch, backtest, sweep, records, web-password, plan, trend; "
                               "zorvik-cli --help lists them)\n"));
}

TEST(CliProcess, CraftedHitLinesCostTheirSizeNotTheirProduct)
{
    // Tens of thousands of position letters against a bet of a hundred thousand digits: each
    // line is answered right, and the whole batch long before the process wait gives up.
    QStringList comma_items;
    for (int i = 0; i < 15000; ++i)
        comma_items << QString::number(i * 7919 + 100000);
    const QString letters = u"ABCDE"_s.repeated(8000);
    const QString long_draw = QString(100, u'1') + u",2,3,4,5"_s;
    const QStringList lines = {
        u"hit\t1,2,3,4,5\t"_s + letters + u"\t定位胆\t"_s + QString(100000, u'9'),
        u"hit\t1,2,3,4,5\t"_s + letters + u"\t不定位:二码\t"_s + QString(99998, u'9') + u"12"_s,
        u"hit\t"_s + long_draw + u'\t' + QString(40000, u'A') + u"\t直选复式\t"_s +
            u"0123456789"_s.repeated(10000),
        u"hit\t"_s + long_draw + u'\t' + QString(40000, u'A') + u"\t组六复式\t"_s +
            u"0123456789"_s.repeated(10000),
        u"hit\t1,2,3,4,5\t"_s + u"AF"_s.repeated(20000) + u"\t定位胆\t"_s + comma_items.join(u','),
        u"hit\t1,2,3,4,5\t"_s + u"AF"_s.repeated(20000) + u"\t定位胆\t"_s + comma_items.join(u',') +
            u",1F1"_s,
        // Sixteen million drawn characters: read piece by piece, never built.
        u"hit\t"_s + QString(400, u'1') + u",2,3,4,5\t"_s + QString(40000, u'A') + u"\t直选复式\t"_s +
            u"0123456789"_s.repeated(10000),
        u"hit\t"_s + QString(400, u'1') + u",2,3,4,5\t"_s + QString(40000, u'A') + u"\t不定位:二码\t"_s +
            u"1"_s.repeated(2),
    };
    QProcess p;
    p.start(QStringLiteral(ZORVIK_CLI_PATH), {u"batch"_s});
    ASSERT_TRUE(p.waitForStarted());
    p.write((lines.join(u'\n') + u'\n').toUtf8());
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(5000)); // building the texts whole took many seconds and a gigabyte
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), u"挂\n中\n中\n挂\n挂\n中\n中\n中\n"_s);
}

namespace {

QString write_file(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

const QByteArray kMonitor =
    "A~定位胆~前一(定位胆)~123~遗漏~≥1~大于等于1~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~1~false~0~3:0:0:1920~0\n";

} // namespace

TEST(CliBacktest, OneLinePerMonitorAndATotal)
{
    QTemporaryDir dir;
    const QString history = write_file(dir, u"h.txt"_s,
                                       "201511120003:1,2,3,4,5\n201511120001\t12345\n"
                                       "201511120002:9,9,9,9,9\n201511120004:3,3,3,3,3\n");
    const ProcessRun r = cli({u"backtest"_s, history}, kMonitor);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.isEmpty());
    // After 0002 misses, it alerts and bets 3 lines (6 元) on 0003, which returns 19.2.
    EXPECT_EQ(QString::fromUtf8(r.out),
              u"1\t前一(定位胆)\t4\t3\t1\t2\t1\t1\t1\t1\t6\t19.2\t13.2\t0\t0\n"
              u"total\t1\t1\t6\t19.2\t13.2\t13.2\t0\n"_s);

    // The same monitor from a settings file, as JSON.
    const QString settings = dir.filePath(u"cfg.ini"_s);
    ASSERT_EQ(cli({u"ini-set"_s, settings, u"alert_cfg"_s, u"list"_s,
                   u"|"_s + QString::fromUtf8(kMonitor).trimmed()}).code, 0);
    const ProcessRun j = cli({u"backtest"_s, history, settings, u"--json"_s});
    ASSERT_EQ(j.code, 0);
    const QJsonObject doc = QJsonDocument::fromJson(j.out).object();
    EXPECT_EQ(doc[u"monitors"_s][0][u"alerts"_s].toInt(), 1);
    EXPECT_DOUBLE_EQ(doc[u"monitors"_s][0][u"return"_s].toDouble(), 19.2);
    EXPECT_DOUBLE_EQ(doc[u"total"_s][u"income"_s].toDouble(), 13.2);

    // A stop-loss of 0 ends the replay at its first settlement.
    const ProcessRun s = cli({u"backtest"_s, history, u"--stop-loss"_s, u"0"_s, u"--stop-profit"_s,
                              u"1000"_s}, kMonitor);
    EXPECT_EQ(s.code, 0);
    EXPECT_TRUE(s.out.startsWith("1\t前一(定位胆)\t1\t"_ba)) << s.out.toStdString();
}

TEST(CliBacktest, AMonitorThatStoppedUpdatingIsNamed)
{
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 1; i <= 32769; ++i)
        lines += QByteArray::number(100000 + i) + ":0,1,2,3,4\n";
    const QString history = write_file(dir, u"long.txt"_s, lines);
    const QByteArray always =
        "A~定位胆~前一(定位胆)~0~连中~≥1~大于等于1~0~待监控~~0~0~0:0~0:0:0:0~0~1~1~false~0~3:0:0:1920~0\n";
    const ProcessRun r = cli({u"backtest"_s, history}, always);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QByteArray> out = r.out.split('\n');
    ASSERT_GE(out.size(), 3);
    EXPECT_TRUE(out[0].startsWith("1\t前一(定位胆)\t32767\t32767\t0\t32767\t0\t32767\t")) << out[0].toStdString();
    EXPECT_EQ(out[1], "stuck\t1\t前一(定位胆)\t32768\t132768");
    EXPECT_TRUE(out[2].startsWith("total\t"));
}

TEST(CliBacktest, ReadsACsvHistoryInGbk)
{
    QTemporaryDir dir;
    // The same draws as the plain history above, as a GBK table with five digit columns.
    const QString csv = write_file(dir, u"h.csv"_s,
                                   zorvik::support::to_gbk(u"期号,日期,万位,千位,百位,十位,个位\r\n"
                                                           u"201511120003,2015-11-12,1,2,3,4,5\r\n"
                                                           u"201511120001,2015-11-12,1,2,3,4,5\r\n"
                                                           u"201511120002,2015-11-12,9,9,9,9,9\r\n"
                                                           u"201511120004,2015-11-12,3,3,3,3,3\r\n"_s));
    const ProcessRun r = cli({u"backtest"_s, csv}, kMonitor);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
              u"1\t前一(定位胆)\t4\t3\t1\t2\t1\t1\t1\t1\t6\t19.2\t13.2\t0\t0\n"
              u"total\t1\t1\t6\t19.2\t13.2\t13.2\t0\n"_s);
    // A bad row names the file and its line (the header is line 1).
    const QString bad = write_file(dir, u"bad.csv"_s, "issue,numbers\n1,12345\n2,1234\n");
    const ProcessRun b = cli({u"backtest"_s, bad}, kMonitor);
    EXPECT_EQ(b.code, 2);
    EXPECT_TRUE(b.out.isEmpty());
    EXPECT_TRUE(b.err.startsWith((bad + u":3: "_s).toUtf8())) << b.err.toStdString();
}

// The sweep's lines are what backtest prints for each variant replayed alone.
TEST(CliSweep, EachLineIsTheVariantsOwnBacktest)
{
    QTemporaryDir dir;
    QByteArray lines;
    quint32 seed = 12345;
    for (int i = 0; i < 300; ++i) {
        QByteArray digits;
        for (int k = 0; k < 5; ++k) {
            seed = seed * 1103515245u + 12345u;
            digits += char('0' + (seed >> 16) % 10);
        }
        lines += "20261208-" + QByteArray::number(1000 + i) + ":" + digits + "\n";
    }
    const QString history = write_file(dir, u"h.txt"_s, lines);
    const auto record = [](int threshold, const char* plan, int unit) {
        return QStringLiteral("A~定位胆~前一(定位胆)~123~遗漏~≥%1~大于等于%1~0~待监控~~0~0~0:0~0:0:0:0~1~%2~%3~false~0~3:0:0:1920~0")
            .arg(threshold).arg(QString::fromLatin1(plan)).arg(unit).toUtf8();
    };
    const ProcessRun r = cli({u"sweep"_s, history, u"--threshold"_s, u"1..3"_s, u"--plan"_s, u"1,2|1,3,9"_s,
                              u"--unit"_s, u"元,角"_s, u"--top"_s, u"5"_s},
                             record(2, "1", 2) + "\n");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList out = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 6);
    EXPECT_TRUE(out[5].startsWith(u"variants\t12\t"_s)) << out[5].toStdString();
    double previous = 1e300;
    for (qsizetype i = 0; i < 5; ++i) {
        const QStringList f = out[i].split(u'\t');
        ASSERT_EQ(f.size(), 11) << out[i].toStdString();
        const double income = f[7].toDouble();
        EXPECT_LE(income, previous); // the best first
        previous = income;
        const int unit = f[2] == u"元" ? 1 : 2;
        const ProcessRun alone = cli({u"backtest"_s, history},
                                     record(f[0].toInt(), f[1].toLatin1().constData(), unit) + "\n");
        ASSERT_EQ(alone.code, 0);
        const QStringList b = QString::fromUtf8(alone.out).split(u'\n').first().split(u'\t');
        ASSERT_EQ(b.size(), 15);
        // bets, wins, cost, return, income, lowest; the longest miss run.
        EXPECT_EQ(f.mid(3, 6), b.mid(8, 6)) << out[i].toStdString();
        EXPECT_EQ(f[9], b[6]);
    }

    // From a settings file, by position; refusals exit 2 with a reason.
    const QString settings = dir.filePath(u"cfg.ini"_s);
    ASSERT_EQ(cli({u"ini-set"_s, settings, u"alert_cfg"_s, u"list"_s,
                   u"|"_s + QString::fromUtf8(record(4, "1", 1)) + u"|"_s + QString::fromUtf8(record(2, "1,2", 1))})
                  .code, 0);
    const ProcessRun second = cli({u"sweep"_s, history, settings, u"--monitor"_s, u"2"_s, u"--json"_s});
    ASSERT_EQ(second.code, 0) << second.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(second.out).object();
    EXPECT_EQ(doc[u"variants"_s].toInt(), 1);
    EXPECT_EQ(doc[u"best"_s][0][u"threshold"_s].toInt(), 2);
    EXPECT_EQ(doc[u"best"_s][0][u"plan"_s].toString(), u"1,2"_s);
    for (const QStringList& bad : {QStringList{u"sweep"_s, history, settings, u"--monitor"_s, u"3"_s},
                                   QStringList{u"sweep"_s, history, settings},
                                   QStringList{u"sweep"_s, history, settings, u"--monitor"_s, u"1"_s,
                                               u"--threshold"_s, u"5..2"_s},
                                   QStringList{u"sweep"_s, history, settings, u"--monitor"_s, u"1"_s,
                                               u"--unit"_s, u"块"_s}}) {
        const ProcessRun refused = cli(bad);
        EXPECT_EQ(refused.code, 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(refused.out.isEmpty());
        EXPECT_FALSE(refused.err.isEmpty());
    }
}

TEST(CliBacktest, BadInputNamesTheFileAndLine)
{
    QTemporaryDir dir;
    const QString bad = write_file(dir, u"bad.txt"_s, "201511120001:12345\n201511120002:1234\n");
    ProcessRun r = cli({u"backtest"_s, bad}, kMonitor);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith((bad + u":2: "_s).toUtf8())) << r.err.toStdString();
    const QString repeated = write_file(dir, u"rep.txt"_s, "20151112-0001:12345\n201511120001:54321\n");
    r = cli({u"backtest"_s, repeated}, kMonitor);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.startsWith((repeated + u":2: "_s).toUtf8()));
    r = cli({u"backtest"_s, dir.filePath(u"missing.txt"_s)}, kMonitor);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("cannot be read"));
    EXPECT_EQ(cli({u"backtest"_s}).code, 2);
    EXPECT_EQ(cli({u"backtest"_s, bad, u"--stop-loss"_s}).code, 2);
    // Without any monitor it says so rather than printing an all-zero total.
    const QString good = write_file(dir, u"good.txt"_s, "201511120001:12345\n");
    r = cli({u"backtest"_s, good}, "\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("no monitor")) << r.err.toStdString();
    const QString settings = write_file(dir, u"cfg.ini"_s, "[alert_cfg]\r\nlist=|\r\n");
    r = cli({u"backtest"_s, good, settings});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("holds no monitor")) << r.err.toStdString();
}

TEST(CliProcess, RecordsRefusesAFileThatIsNotItsDatabase)
{
    QTemporaryDir dir;
    const QString empty = write_file(dir, u"empty.db"_s, QByteArray());
    ProcessRun r = cli({u"records"_s, empty});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("not a records database")) << r.err.toStdString();
    {
        // Another program's SQLite file.
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        db.setDatabaseName(dir.filePath(u"other.db"_s));
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(u"CREATE TABLE notes (text TEXT)"_s);
        db.close();
    }
    QSqlDatabase::removeDatabase(u"other"_s);
    r = cli({u"records"_s, dir.filePath(u"other.db"_s)});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("not a records database")) << r.err.toStdString();
}
