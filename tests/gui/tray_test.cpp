// The window's tray icon and its tips: a balloon from the icon, or the desktop's notification
// service where there is no notification area.

#include "gui/tray.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::notify;

TEST(TrayTips, WithoutANotificationAreaOrServiceTipsShowNothing)
{
    TrayTips tray;
    tray.use_bus(u"no such connection"_s);
    EXPECT_FALSE(tray.show_tip(u"before the icon"_s));
    tray.show_tray(true, QIcon(), u"caption"_s);
    EXPECT_EQ(tray.shown(), QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_EQ(tray.show_tip(u"亲"_s), tray.shown());
    tray.show_tray(false);
    EXPECT_FALSE(tray.shown());
    EXPECT_FALSE(tray.show_tip(u"after"_s));
}

namespace {

// The desktop's notification service, as a test plays it: records every Notify call.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app;
        uint replaces = 0;
        QString summary;
        QString body;
        int timeout = 0;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int timeout)
    {
        calls.append({app, replaces, summary, body, timeout});
        return 41;
    }
};

// A private session bus for one test.
class PrivateBus {
public:
    PrivateBus()
    {
        daemon_.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(u"tips-client"_s);
        QDBusConnection::disconnectFromBus(u"tips-server"_s);
        daemon_.kill();
        daemon_.waitForFinished(3000);
    }
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

} // namespace

TEST(TrayTips, WithoutATrayTipsGoToTheDesktopsNotificationService)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), u"tips-server"_s);
    QDBusConnection client = QDBusConnection::connectToBus(bus.address(), u"tips-client"_s);
    ASSERT_TRUE(server.isConnected());
    ASSERT_TRUE(client.isConnected());

    TrayTips tray;
    tray.use_bus(u"tips-client"_s);
    ASSERT_FALSE(tray.shown()); // no notification area offscreen
    EXPECT_FALSE(tray.show_tip(u"nobody listens"_s)); // no service on the bus yet

    FakeNotifications service;
    ASSERT_TRUE(server.registerObject(u"/org/freedesktop/Notifications"_s, &service,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(u"org.freedesktop.Notifications"_s));
    EXPECT_TRUE(tray.show_tip(u"号码已复制到剪切板"_s));
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 1, 5000);
    EXPECT_EQ(service.calls[0].summary, u"Zorvik提示"_s);
    EXPECT_EQ(service.calls[0].body, u"号码已复制到剪切板"_s);
    EXPECT_EQ(service.calls[0].timeout, 2000);
    EXPECT_EQ(service.calls[0].replaces, 0u);
    // The next tip replaces the one on screen.
    QTest::qWait(100); // the first call's answer (its id) comes back
    EXPECT_TRUE(tray.show_tip(u"第二条"_s));
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 2, 5000);
    EXPECT_EQ(service.calls[1].replaces, 41u);
}

// A tray without a notification area, on a private bus where the fake service answers.
class DesktopTips : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus_.address().isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        server_ = QDBusConnection::connectToBus(bus_.address(), u"tips-server"_s);
        client_ = QDBusConnection::connectToBus(bus_.address(), u"tips-client"_s);
        ASSERT_TRUE(server_.registerObject(u"/org/freedesktop/Notifications"_s, &service,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(server_.registerService(u"org.freedesktop.Notifications"_s));
        tray.use_bus(u"tips-client"_s);
    }

    PrivateBus bus_;
    QDBusConnection server_{QString()};
    QDBusConnection client_{QString()};
    FakeNotifications service;
    TrayTips tray;
};

// Two tips of one pass (an alert and the draw announcement right after it): the second waits
// for the first one's id and replaces it; of three, the middle one is never shown.
TEST_F(DesktopTips, ATipAskedForBeforeTheLastOneWasAnsweredReplacesIt)
{
    EXPECT_TRUE(tray.show_tip(u"报警"_s));
    EXPECT_TRUE(tray.show_tip(u"最新开奖"_s));
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 2, 5000);
    EXPECT_EQ(service.calls[0].replaces, 0u);
    EXPECT_EQ(service.calls[1].body, u"最新开奖"_s);
    EXPECT_EQ(service.calls[1].replaces, 41u);

    QTest::qWait(100);
    tray.show_tip(u"一"_s);
    tray.show_tip(u"二"_s);
    tray.show_tip(u"三"_s);
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 4, 5000);
    QTest::qWait(200);
    ASSERT_EQ(service.calls.size(), 4);
    EXPECT_EQ(service.calls[2].body, u"一"_s);
    EXPECT_EQ(service.calls[3].body, u"三"_s);
    EXPECT_EQ(service.calls[3].replaces, 41u);
}

// The icon's balloon: titled "Zorvik提示", the information icon, 2 s, its fields cut as the
// desktop notification's are.
TEST(TrayTips, TheBalloon)
{
    const zorvik::notify::Balloon b = zorvik::notify::balloon_for(u"号码已复制到剪切板"_s);
    EXPECT_EQ(b.title, u"Zorvik提示"_s);
    EXPECT_EQ(b.text, u"号码已复制到剪切板"_s);
    EXPECT_EQ(b.icon, int(QSystemTrayIcon::Information));
    EXPECT_EQ(b.milliseconds, 2000);
    EXPECT_EQ(zorvik::notify::balloon_for(QString(200, u'号')).text, QString(127, u'号'));
}

// A tip's text holds 255 bytes of GBK: one that fills them exactly is whole, one byte more is
// cut before the character that does not fit.
TEST_F(DesktopTips, ATipLongerThan255BytesIsCutBetweenCharacters)
{
    const QString whole = u"a"_s + QString(127, u'号'); // 1 + 254 bytes
    tray.show_tip(whole);
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 1, 5000);
    EXPECT_EQ(service.calls[0].body, whole);
    tray.show_tip(u"ab"_s + QString(127, u'号')); // 256 bytes: the last character goes
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 2, 5000);
    EXPECT_EQ(service.calls[1].body, u"ab"_s + QString(126, u'号'));
    EXPECT_EQ(service.calls[1].summary, u"Zorvik提示"_s);
}

#include "tray_test.moc"
