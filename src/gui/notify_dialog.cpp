#include "gui/notify_dialog.h"

#include "core/core.h"
#include "core/options.h"
#include "gui/widgets.h"
#include "notify/apprise.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

struct EventCaption {
    const char16_t* event;
    const char16_t* caption;
};
constexpr EventCaption kCaptions[] = {{u"alert", u"报警"},          {u"bet", u"投注成功"},
                                      {u"refused", u"投注失败"},     {u"stop", u"停止监控"},
                                      {u"unconfirmed", u"订单未确认"}};

} // namespace

NotifyDialog::NotifyDialog(AppCore& core, QWidget* parent) : QDialog(parent), core_(core)
{
    setObjectName(u"notify_dialog"_s);
    setWindowTitle(u"通知服务"_s);
    resize(560, 420);
    auto* layout = new QGridLayout(this);
    auto* hint = caption(u"每行一个 Apprise 地址，例如 ntfy://ntfy.sh/主题、tgram://机器人令牌/聊天ID、"
                         u"bark://api.day.app/设备码、dingtalk://令牌/、schan://发送密钥/"_s);
    hint->setWordWrap(true);
    urls_ = named<QPlainTextEdit>("alert_cfg_notify_urls");
    urls_->setPlainText(core_.apprise().urls().join(u'\n'));
    urls_->setPlaceholderText(u"通知服务地址，每行一个"_s);
    auto* missing = named<QLabel>("alert_cfg_notify_missing",
                                  u"未找到 apprise 程序，通知服务不可用：请安装 apprise 软件包（sudo apt install apprise）"_s);
    missing->setWordWrap(true);
    missing->setStyleSheet(u"color: #c00000"_s);
    missing->setVisible(!core_.apprise().available());

    const NotifyChoice choice = load_notify_choice(core_.settings_file());
    auto* events = new QHBoxLayout;
    for (const EventCaption& c : kCaptions) {
        const QString event = QString::fromUtf16(c.event);
        auto* box = new QCheckBox(QString::fromUtf16(c.caption));
        box->setObjectName(u"alert_cfg_notify_event_"_s + event);
        box->setChecked(choice.events.contains(event));
        events_.insert(event, box);
        events->addWidget(box);
    }
    events->addStretch(1);
    summary_ = named<QCheckBox>("alert_cfg_notify_event_summary", u"每日汇总，时间："_s);
    summary_->setChecked(!choice.summary_at.isEmpty());
    summary_at_ = named<QTimeEdit>("alert_cfg_notify_summary_at");
    summary_at_->setDisplayFormat(u"HH:mm"_s);
    const QTime at = QTime::fromString(choice.summary_at, u"HH:mm"_s);
    summary_at_->setTime(at.isValid() ? at : QTime(23, 0));
    auto* summary_row = new QHBoxLayout;
    summary_row->addWidget(summary_);
    summary_row->addWidget(summary_at_);
    summary_row->addStretch(1);

    auto* test = named<QPushButton>("alert_cfg_notify_test", u"测试通知"_s);
    auto* save = named<QPushButton>("alert_cfg_notify_save", u"保存"_s);
    results_ = new QListWidget;
    results_->setObjectName(u"alert_cfg_notify_results"_s);

    layout->addWidget(hint, 0, 0, 1, 2);
    layout->addWidget(urls_, 1, 0, 1, 2);
    layout->addWidget(missing, 2, 0, 1, 2);
    layout->addLayout(events, 3, 0, 1, 2);
    layout->addLayout(summary_row, 4, 0, 1, 2);
    layout->addWidget(results_, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(test);
    buttons->addWidget(save);
    layout->addLayout(buttons, 6, 0, 1, 2);
    layout->setRowStretch(1, 2);
    layout->setRowStretch(5, 1);

    // The button says what it kept.
    connect(save, &QPushButton::clicked, this, [this] {
        const bool kept = this->save();
        results_->clear();
        results_->addItem(kept ? u"已保存：%1个通知服务地址"_s.arg(core_.apprise().urls().size())
                               : u"保存失败：设置文件或密钥环无法写入"_s);
    });
    connect(test, &QPushButton::clicked, this, &NotifyDialog::test);
    connect(&core_, &AppCore::notify_result, this,
            [this](const QString& event, int index, const QString& scheme, const QString& status) {
                if (event != u"test" || index < 0 || index >= results_->count())
                    return;
                results_->item(index)->setText(u"第%1行 %2：%3"_s.arg(index + 1).arg(
                    scheme, status == u"OK" ? u"已发送"_s : u"发送失败（"_s + status.mid(7) + u'）'));
            });
}

bool NotifyDialog::save()
{
    // Keeping the addresses may wait for the keyring; a click meanwhile does not save again.
    if (saving_)
        return false;
    saving_ = true;
    const bool urls_kept = core_.keep_notify_urls(urls_->toPlainText());
    NotifyChoice choice;
    choice.events.clear();
    for (const EventCaption& c : kCaptions)
        if (events_.value(QString::fromUtf16(c.event))->isChecked())
            choice.events << QString::fromUtf16(c.event);
    if (summary_->isChecked()) {
        choice.events << u"summary"_s;
        choice.summary_at = summary_at_->time().toString(u"HH:mm"_s);
    }
    const bool choice_kept = save_notify_choice(core_.settings_file(), choice);
    core_.report_write(choice_kept);
    core_.set_notify_choice(choice);
    saving_ = false;
    return urls_kept && choice_kept;
}

void NotifyDialog::test()
{
    if (saving_)
        return;
    save();
    results_->clear();
    const QStringList urls = core_.apprise().urls();
    if (urls.isEmpty()) {
        results_->addItem(u"请先填写通知服务地址"_s);
        return;
    }
    if (!core_.apprise().available()) {
        results_->addItem(u"未找到 apprise 程序，无法发送"_s);
        return;
    }
    for (int i = 0; i < urls.size(); ++i)
        results_->addItem(u"第%1行 %2：发送中…"_s.arg(i + 1).arg(notify::url_scheme(urls[i])));
    const NotifyMessage m = test_message();
    core_.apprise().send(u"test"_s, m.title, m.body);
}

void NotifyDialog::done(int result)
{
    save();
    QDialog::done(result);
}

} // namespace zorvik::app
