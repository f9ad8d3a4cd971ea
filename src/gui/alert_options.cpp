#include "gui/alert_options.h"

#include "core/core.h"
#include "gui/notify_dialog.h"
#include "gui/widgets.h"
#include "notify/sound.h"
#include "support/shell.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

AlertOptions::AlertOptions(AppCore& core, support::Shell& shell, QWidget* parent)
    : QGroupBox(u"报警设置"_s, parent), core_(core), shell_(shell)
{
    setObjectName(u"Frame1"_s);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setVerticalSpacing(3);
    alert_type_tips_ = named<QCheckBox>("alert_type_tips", u"弹窗报警"_s);
    alert_type_sound_ = named<QCheckBox>("alert_type_sound", u"声音报警"_s);
    alert_type_tips_->setChecked(true);
    alert_type_sound_->setChecked(true);
    alert_sound_file_ = named<QLineEdit>("alert_sound_file");
    alert_sound_file_->setPlaceholderText(QString::fromUtf16(notify::kSoundPlaceholder));
    alert_sound_file_->setReadOnly(true);
    alert_sound_file_->installEventFilter(this);
    auto* test = named<QPushButton>("alert_sound_test", u"测试铃声"_s);
    layout->addWidget(alert_type_tips_, 0, 0);
    layout->addWidget(alert_type_sound_, 0, 1);
    layout->addWidget(alert_sound_file_, 1, 0);
    layout->addWidget(test, 1, 1);
    // Notifications for a user away from the screen.
    alert_cfg_webhook_ = named<QLineEdit>("alert_cfg_webhook");
    alert_cfg_webhook_->setPlaceholderText(u"通知地址（webhook，可不填）"_s);
    alert_cfg_webhook_->setToolTip(u"报警、投注和停止监控时，向此地址 POST 一条 JSON 通知"_s);
    auto* webhook_test = named<QPushButton>("alert_webhook_test", u"测试通知"_s);
    // The services users read on their phones (through apprise), in a window of their own.
    auto* services = named<QPushButton>("alert_notify_services", u"通知服务…"_s);
    services->setToolTip(u"钉钉、Server酱、Telegram、Bark、ntfy、Gotify 等通知服务"_s);
    layout->addWidget(alert_cfg_webhook_, 2, 0, 1, 2);
    // The web dashboard, beside the services: the program watched and stopped from a phone.
    auto* remote = named<QPushButton>("alert_web_access", u"远程访问…"_s);
    remote->setToolTip(u"在手机浏览器里查看和停止监控"_s);
    connect(remote, &QPushButton::clicked, this, &AlertOptions::remote_clicked);
    auto* services_row = new QHBoxLayout;
    services_row->setContentsMargins(0, 0, 0, 0);
    services_row->addWidget(services);
    services_row->addWidget(remote);
    layout->addWidget(webhook_test, 3, 0);
    layout->addLayout(services_row, 3, 1);
    connect(services, &QPushButton::clicked, this, [this] {
        // Made once and kept (hidden when closed): saving may wait for the keyring in a nested
        // event loop, and a window deleted meanwhile would be returned into.
        if (!notify_dialog_)
            notify_dialog_ = new NotifyDialog(core_, window());
        notify_dialog_->show();
        notify_dialog_->raise();
    });
    connect(alert_cfg_webhook_, &QLineEdit::textChanged, this,
            [this](const QString& url) { core_.set_webhook_url(url); });
    connect(alert_cfg_webhook_, &QLineEdit::editingFinished, this,
            [this] { core_.keep_webhook_url(alert_cfg_webhook_->text()); });
    // Tests every address there is: the webhook's and the notification services'.
    connect(webhook_test, &QPushButton::clicked, this, [this] {
        if (alert_cfg_webhook_->text().trimmed().isEmpty() && core_.apprise().urls().isEmpty())
            shell_.message(u"请先填写通知地址（或在“通知服务”中添加地址）"_s);
        else
            core_.send_test_notification();
    });

    const auto apply = [this] {
        core_.set_alert_options(alert_type_tips_->isChecked(), alert_type_sound_->isChecked());
    };
    connect(alert_type_tips_, &QCheckBox::toggled, this, apply);
    connect(alert_type_sound_, &QCheckBox::toggled, this, apply);
    connect(test, &QPushButton::clicked, this, &AlertOptions::test_sound);
}

// A click in the sound-file box opens the wave-file dialog.
bool AlertOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == alert_sound_file_ && event->type() == QEvent::MouseButtonRelease) {
        alert_sound_file_->setText(
            QFileDialog::getOpenFileName(this, QString(), QString(), u"wav 文件(*.wav)"_s));
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}

void AlertOptions::test_sound()
{
    const QString file = notify::sound_box_file(alert_sound_file_->text());
    if (file.isEmpty()) {
        shell_.message(u"请选择一个声音文件"_s);
        return;
    }
    shell_.alert_sound(file);
}

} // namespace zorvik::app
