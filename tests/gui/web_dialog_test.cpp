// The 远程访问 window: the dashboard turned on with a password kept as a digest, refused beyond
// loopback without TLS, turned off again; and amounts set from the dashboard shown in the boxes.

#include "core/core.h"
#include "fakes/fake_http.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "gui/main_window.h"
#include "gui/web_dialog.h"
#include "support/ini.h"
#include "web/web_config.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <httplib.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::app;
using zorvik::testing::find_child;

namespace {

int free_port()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

TEST(WebWindow, TheDashboardIsTurnedOnAndOffWithAPasswordKeptAsADigest)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    MainWindow window(dir.path(), &shell, {}, &http);
    find_child<QPushButton>(&window, u"alert_web_access"_s)->click();
    auto* dialog = find_child<WebDialog>(&window, u"web_dialog"_s);
    ASSERT_TRUE(dialog);
    auto* state = find_child<QLabel>(dialog, u"web_state"_s);
    EXPECT_EQ(state->text(), u"未开启"_s);
    EXPECT_EQ(find_child<QLineEdit>(dialog, u"web_address"_s)->text(), u"127.0.0.1"_s);
    EXPECT_EQ(find_child<QSpinBox>(dialog, u"web_port"_s)->value(), 8686);

    // On without a password: refused, and said.
    find_child<QCheckBox>(dialog, u"web_enabled"_s)->setChecked(true);
    const int port = free_port();
    find_child<QSpinBox>(dialog, u"web_port"_s)->setValue(port);
    find_child<QPushButton>(dialog, u"web_save"_s)->click();
    EXPECT_EQ(state->text(), u"无法开启：还没有设置远程访问的密码"_s);

    find_child<QLineEdit>(dialog, u"web_password"_s)->setText(u"秘密-pw1"_s);
    find_child<QPushButton>(dialog, u"web_save"_s)->click();
    EXPECT_EQ(state->text(), u"已开启：http://127.0.0.1:"_s + QString::number(port) + u'/');
    EXPECT_TRUE(find_child<QLineEdit>(dialog, u"web_password"_s)->text().isEmpty());
    const QString file = window.settings_file();
    const QString digest = zorvik::support::ini_read(u"web_cfg"_s, u"password"_s, file);
    EXPECT_TRUE(zorvik::web::password_matches(digest, u"秘密-pw1"_s));
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_FALSE(QString::fromUtf8(raw.readAll()).contains(u"pw1"_s));
    EXPECT_EQ(zorvik::support::ini_read(u"web_cfg"_s, u"enabled"_s, file), u"1"_s);
    EXPECT_TRUE(shell.tips.isEmpty()) << shell.tips.join(u'\n').toStdString(); // no write failure told

    // The server answers on the core's thread: the requests run while the event loop does.
    std::string body;
    int status = 0;
    std::thread client([&] {
        httplib::Client c("127.0.0.1", port);
        if (const auto res = c.Post("/api/v1/login", "{\"password\":\"秘密-pw1\"}", "application/json")) {
            status = res->status;
            body = res->body;
        }
    });
    for (int i = 0; i < 100 && status == 0; ++i)
        QTest::qWait(20);
    client.join();
    EXPECT_EQ(status, 200) << body;

    // Beyond loopback without TLS: refused.
    find_child<QLineEdit>(dialog, u"web_address"_s)->setText(u"0.0.0.0"_s);
    find_child<QPushButton>(dialog, u"web_save"_s)->click();
    EXPECT_TRUE(state->text().startsWith(u"无法开启：只有配置了 TLS 证书和私钥"_s)) << state->text().toStdString();

    // Off: nobody listens.
    find_child<QLineEdit>(dialog, u"web_address"_s)->setText(u"127.0.0.1"_s);
    find_child<QCheckBox>(dialog, u"web_enabled"_s)->setChecked(false);
    find_child<QPushButton>(dialog, u"web_save"_s)->click();
    EXPECT_EQ(state->text(), u"未开启"_s);
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, quint16(port));
    EXPECT_FALSE(probe.waitForConnected(1000));
    EXPECT_EQ(zorvik::support::ini_read(u"web_cfg"_s, u"enabled"_s, file), u"0"_s);
}

TEST(WebWindow, TheDashboardTurnedOnIsServedAgainAtTheNextStart)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    const int port = free_port();
    {
        MainWindow window(dir.path(), &shell, {}, &http);
        zorvik::web::WebConfig config;
        config.enabled = true;
        config.port = port;
        ASSERT_TRUE(zorvik::web::save_web_config(window.settings_file(), config));
        ASSERT_TRUE(zorvik::web::save_web_digest(window.settings_file(), zorvik::web::password_digest(u"x"_s, 1000)));
    }
    MainWindow window(dir.path(), &shell, {}, &http);
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, quint16(port));
    EXPECT_TRUE(probe.waitForConnected(1000));
}

TEST(WebWindow, StopAmountsSetFromTheDashboardShowInTheBoxes)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    MainWindow window(dir.path(), &shell, {}, &http);
    AppCore& core = window.core();
    ASSERT_TRUE(core.set_stops(core.desk(), u"321"_s, u"-123"_s));
    EXPECT_EQ(find_child<QLineEdit>(&window, u"plt_tz_zy"_s)->text(), u"321"_s);
    EXPECT_EQ(find_child<QLineEdit>(&window, u"plt_tz_zs"_s)->text(), u"-123"_s);
    // The first desk's stop rule reads them at once.
    EXPECT_EQ(core.engine().stop_amounts(), (std::pair<QString, QString>(u"321"_s, u"-123"_s)));
}
