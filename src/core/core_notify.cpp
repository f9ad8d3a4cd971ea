// The core's notifications: the webhook and the notification services, the daily summary.

#include "core/core.h"

#include "records/records.h"
#include "support/clock.h"

#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

void AppCore::notify(const QString& lottery, const QString& event, const QString& issue, const QString& monitor,
                     const QString& text, const NotifyMessage& message)
{
    webhook_.send({event, lottery, issue, monitor, text, records::record_time(clock_.local_now())});
    apprise_.send(event, message.title, message.body);
}

QString AppCore::stored_notify_urls()
{
    const QString kept = notify_urls_store_.load();
    apprise_.set_urls(notify::split_urls(kept));
    return apprise_.urls().join(u'\n');
}

bool AppCore::keep_notify_urls(const QString& text)
{
    apprise_.set_urls(notify::split_urls(text));
    // Kept on one line: the settings file holds one line a key.
    const bool kept = notify_urls_store_.save(apprise_.urls().join(u' '));
    report_write(kept);
    return kept;
}

void AppCore::set_notify_choice(const NotifyChoice& choice)
{
    apprise_.set_events(QSet<QString>(choice.events.cbegin(), choice.events.cend()));
    summary_at_ = choice.summary_at;
    if (summary_at_.isEmpty())
        summary_timer_->stop();
    else if (!summary_timer_->isActive())
        summary_timer_->start();
}

void AppCore::summary_due()
{
    const QDateTime now = clock_.local_now();
    const QTime at = QTime::fromString(summary_at_, u"HH:mm"_s);
    if (!at.isValid() || now.time() < at || summary_sent_ == now.date())
        return;
    summary_sent_ = now.date();
    send_summary(now.date());
}

void AppCore::send_summary(const QDate& day)
{
    records::RecordStore store;
    QVector<records::BetRecord> bets;
    if (store.open(records_file(), true)) {
        records::BetFilter filter;
        filter.day = day;
        bets = store.bets(filter);
    }
    const NotifyMessage message = summary_message(day, bets);
    apprise_.send(u"summary"_s, message.title, message.body);
}

void AppCore::keep_webhook_url(const QString& url)
{
    webhook_.set_url(url);
    report_write(save_webhook_url(settings_file_, url.trimmed()));
}

QString AppCore::send_test_notification()
{
    notify(desk().lottery(), u"test"_s, feed().bet_iss(), QString(), u"测试通知"_s, test_message());
    // What went out, said in the window: the webhook, the services (without their addresses).
    QStringList sent;
    if (!webhook_.url().trimmed().isEmpty())
        sent << u"webhook"_s;
    const qsizetype services = apprise_.urls().size();
    if (services > 0 && apprise_.available())
        sent << QString::number(services) + u"个通知服务"_s;
    QString text = sent.isEmpty() ? u"没有可发送的通知地址"_s : u"测试通知已发出："_s + sent.join(u'、');
    if (services > 0 && !apprise_.available())
        text += u"（未安装 apprise，通知服务没有发送）"_s;
    engine().set_line(monitor::Line::BetStatus, text);
    return text;
}

} // namespace zorvik::app
