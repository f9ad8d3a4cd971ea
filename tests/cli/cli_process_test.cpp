// Runs the built zorvik-cli as a user's script would: arguments, exit codes, and batch mode.

#include <QByteArray>
#include <QProcess>
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
                               "(commands: hit, count, cost, win, validate, group, plays, "
                               "money, md5, urlencode, date, ini-get, ini-set, batch)\n"));
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
