#include "gui/tray.h"

#include "support/gbk.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::notify {

namespace {
const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;
} // namespace

TrayTips::TrayTips(QObject* parent) : QObject(parent) {}

TrayTips::~TrayTips() = default;

void TrayTips::show_tray(bool on, const QIcon& icon, const QString& tooltip)
{
    if (!on) {
        if (icon_)
            icon_->hide();
        icon_.reset();
        return;
    }
    if (!icon_)
        icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setIcon(icon);
    icon_->setToolTip(tooltip);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        icon_->show();
}

bool TrayTips::shown() const
{
    return icon_ && icon_->isVisible();
}

void TrayTips::set_tooltip(const QString& text)
{
    if (icon_)
        icon_->setToolTip(text);
}

Balloon balloon_for(const QString& message)
{
    // A balloon's fields hold 255 bytes of text and 63 of title (GBK): longer ones are cut
    // between characters.
    return {support::gbk_cut(QString::fromUtf16(kTipTitle), kTipTitleBytes),
            support::gbk_cut(message, kTipTextBytes), QSystemTrayIcon::Information, kTipMilliseconds};
}

QString TrayTips::tooltip() const
{
    return icon_ ? icon_->toolTip() : QString();
}

QIcon TrayTips::icon() const
{
    return icon_ ? icon_->icon() : QIcon();
}

bool TrayTips::show_tip(const QString& message)
{
    const Balloon b = balloon_for(message);
    if (!shown())
        return notify_desktop(b);
    icon_->showMessage(b.title, b.text, QSystemTrayIcon::MessageIcon(b.icon), b.milliseconds);
    return true;
}

// The call is sent without waiting for its answer, so a slow or missing service never holds up
// the caller; the answer tells which notification the next tip replaces. A tip asked for while
// a call is out waits for its answer (only the newest one waits), so that it replaces the tip
// on screen instead of standing beside it.
bool TrayTips::notify_desktop(const Balloon& tip)
{
    QDBusConnection bus = bus_name_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(bus_name_);
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kService).value())
        return false;
    if (calling_) {
        waiting_ = tip;
        return true;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, u"Notify"_s);
    call << u"Zorvik"_s << last_notification_ << QString() << tip.title << tip.text << QStringList()
         << QVariantMap() << tip.milliseconds;
    calling_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid())
            last_notification_ = reply.value();
        w->deleteLater();
        calling_ = false;
        if (waiting_)
            notify_desktop(*std::exchange(waiting_, std::nullopt));
    });
    return true;
}

} // namespace zorvik::notify
