// The program without its window loads no widget library, and starts the browser engine only
// when a platform's page is needed.

#include "e2e/e2e_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

bool maps_library(qint64 pid, const char* name)
{
    QFile maps(u"/proc/"_s + QString::number(pid) + u"/maps"_s);
    EXPECT_TRUE(maps.open(QIODevice::ReadOnly)) << pid;
    return maps.readAll().contains(name);
}

bool loads_widgets(qint64 pid)
{
    return maps_library(pid, "libQt6Widgets");
}

// The browser engine's library is loaded only with the page.
bool loads_browser(qint64 pid)
{
    return maps_library(pid, "libQt6WebEngineCore") || maps_library(pid, "libzorvik-browser");
}

QString program_file(qint64 pid)
{
    return QFile::symLinkTarget(u"/proc/"_s + QString::number(pid) + u"/exe"_s);
}

// Processes of the browser engine started by this one (its helpers, at any depth).
int browser_processes(qint64 pid)
{
    int found = 0;
    const QStringList all = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : all) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(u"/proc/"_s + entry + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QByteArray rest = text.mid(text.lastIndexOf(')') + 2);
        const qint64 parent = rest.split(' ').value(1).toLongLong();
        if (parent == pid && text.contains("QtWebEngineProc"))
            ++found;
    }
    return found;
}

qsizetype wait_for_line(QProcess& program, QString& out, const QString& text, int ms)
{
    for (int waited = 0; waited < ms && !out.contains(text); waited += 100) {
        program.waitForReadyRead(100);
        out += QString::fromUtf8(program.readAllStandardOutput());
    }
    return out.indexOf(text);
}

} // namespace

TEST(Layers, SimulatedMoneyJingweiAndDesksWithoutAnAccountRunWithoutWidgetsOrABrowser)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    // Simulated money, betting.
    QTemporaryDir data;
    write_settings(data, u"[alert_cfg]\r\nlist=|A~定位胆~前一(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                         u"1~2~false~0~10:0:0:1920~0\r\n"_s);
    QProcess simulated;
    start_simulated(simulated, data, sim, u"U彩平台-欢乐分分彩"_s);
    ASSERT_TRUE(simulated.waitForStarted());
    QString out;
    ASSERT_GE(wait_for_line(simulated, out, u" bet "_s, 30000), 0) << out.toStdString();
    EXPECT_TRUE(program_file(simulated.processId()).endsWith(u"/zorvik-headless"_s))
        << program_file(simulated.processId()).toStdString();
    EXPECT_FALSE(loads_widgets(simulated.processId()));
    EXPECT_FALSE(loads_browser(simulated.processId()));
    EXPECT_EQ(browser_processes(simulated.processId()), 0);

    // A Jingwei lottery, and a U彩 desk with real money but no account.
    Headless jingwei(sim, u"经纬平台-幸运分分彩"_s);
    Headless no_account(sim, u"U彩平台-欢乐分分彩"_s);
    QString jw_out, ucai_out;
    EXPECT_GE(wait_for_line(jingwei.process_, jw_out, u" draw "_s, 30000), 0) << jw_out.toStdString();
    EXPECT_GE(wait_for_line(no_account.process_, ucai_out, u" draw "_s, 30000), 0) << ucai_out.toStdString();
    for (QProcess* p : {&jingwei.process_, &no_account.process_}) {
        EXPECT_FALSE(loads_widgets(p->processId()));
        EXPECT_FALSE(loads_browser(p->processId()));
        EXPECT_EQ(browser_processes(p->processId()), 0);
    }
    simulated.terminate();
    EXPECT_TRUE(simulated.waitForFinished(15000));
}

// Real money: the orders go through the platform's page, driven without a view.
TEST(Layers, RealMoneyDrivesThePageWithoutAWidgetLibrary)
{
    Sim sim(5, {u"--account"_s, u"ann:p'w\\1:100"_s});
    ASSERT_EQ(sim.urls_.size(), 6);
    Betting program(sim, u"U彩平台-欢乐分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*23*4~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~3~false~0~0:0:0:1920~0"_s);
    qsizetype at = 0;
    ASSERT_FALSE(program.wait_for(u" login 用户：[ ann ] 已登录到平台。"_s, 30000, &at).isEmpty()) << program.all().toStdString();
    ASSERT_FALSE(program.wait_for(u" bet "_s, 30000, &at).isEmpty()) << program.all().toStdString();
    EXPECT_FALSE(loads_widgets(program.process_.processId()));
    EXPECT_TRUE(maps_library(program.process_.processId(), "libzorvik-browser"));
    EXPECT_GT(browser_processes(program.process_.processId()), 0);
    EXPECT_FALSE(sim.admin("/sim/state")[u"orders"_s].toArray().isEmpty());
}

// Without its browser module the program cannot reach the platform's page: it logs in nowhere,
// sends no order, and says why.
TEST(Layers, WithoutTheBrowserModuleNoOrderIsSentAndTheStatusSaysWhy)
{
    Sim sim(5, {u"--account"_s, u"ann:pw:100"_s});
    ASSERT_EQ(sim.urls_.size(), 6);
    const QByteArray missing = "/nonexistent/libzorvik-browser.so";
    qputenv("ZORVIK_BROWSER_MODULE", missing);
    Betting program(sim, u"U彩平台-欢乐分分彩"_s,
                    u"|ABC~直选复式~前三(直选复式)~1*23*4~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                    u"1,2,4~3~false~0~0:0:0:1920~0"_s);
    qunsetenv("ZORVIK_BROWSER_MODULE");
    qsizetype at = 0;
    const QString why = program.wait_for(u"找不到浏览器组件："_s + QString::fromUtf8(missing), 30000, &at);
    ASSERT_FALSE(why.isEmpty()) << program.all().toStdString();
    EXPECT_TRUE(why.contains(u"label bet_status_line"_s)) << why.toStdString();
    EXPECT_FALSE(program.wait_for(u" notice 致命错误"_s, 10000, &at).isEmpty()) << program.all().toStdString();
    // Two draws later still nothing went out.
    QTest::qWait(11000);
    EXPECT_TRUE(sim.admin("/sim/state")[u"orders"_s].toArray().isEmpty());
    EXPECT_FALSE(loads_browser(program.process_.processId()));
    EXPECT_EQ(browser_processes(program.process_.processId()), 0);
    EXPECT_FALSE(program.all().contains(u" bet "_s)) << program.all().toStdString();
}
