#include "notify/tray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

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

bool TrayTips::show_tip(const QString& message)
{
    if (!shown())
        return notify_desktop(message);
    icon_->showMessage(QString::fromUtf16(kTipTitle), message, QSystemTrayIcon::Information,
                       kTipMilliseconds);
    return true;
}

// The call is sent without waiting for its answer, so a slow or missing service never holds up
// the caller; the answer only tells which notification the next tip replaces.
bool TrayTips::notify_desktop(const QString& message)
{
    QDBusConnection bus = bus_name_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(bus_name_);
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kService).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, u"Notify"_s);
    call << u"Zorvik"_s << last_notification_ << QString() << QString::fromUtf16(kTipTitle)
         << message << QStringList() << QVariantMap() << int(kTipMilliseconds);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid())
            last_notification_ = reply.value();
        w->deleteLater();
    });
    return true;
}

} // namespace zorvik::notify
