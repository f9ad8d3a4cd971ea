#include "notify/tray.h"

#include <QSystemTrayIcon>

namespace zorvik::notify {

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
        return false;
    icon_->showMessage(QString::fromUtf16(kTipTitle), message, QSystemTrayIcon::Information,
                       kTipMilliseconds);
    return true;
}

} // namespace zorvik::notify
