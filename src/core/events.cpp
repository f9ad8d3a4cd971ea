#include "core/events.h"

#include "core/core.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

QString line_name(int which)
{
    static const char16_t* const names[] = {u"bet_status_line", u"bet_summary_line",
                                            u"income_line", u"balance_line"};
    return which >= 0 && which < 4 ? QString::fromUtf16(names[which]) : QString();
}

EventTap::EventTap(AppCore& core, QObject* parent) : QObject(parent)
{
    for (const auto& d : core.desks())
        follow(*d);
    connect(&core, &AppCore::desk_added, this, [this](Desk& d) { follow(d); });
    connect(&core, &AppCore::desk_removed, this, [this](int number) { labels_.erase(number); });
    connect(&core, &AppCore::webhook_result, this, [this](const QString& event, const QString& status) {
        tell_shared(u"webhook"_s, event + u' ' + status);
    });
    // The address's scheme only: the rest may hold a token.
    connect(&core, &AppCore::notify_result, this,
            [this](const QString& event, int, const QString& scheme, const QString& status) {
                tell_shared(u"notify"_s, event + u' ' + scheme + u' ' + status);
            });
    connect(&core, &AppCore::logged, this, [this](const QString& text) { tell_shared(u"login"_s, text); });
    connect(&core, &AppCore::page_dialog, this, [this](const QString& text) { tell_shared(u"dialog"_s, text); });
    connect(&core, &AppCore::total_stop_reached, this,
            [this](const QString& text) { tell_shared(u"total_stop"_s, text); });
    connect(&core, &AppCore::announced, this, [this](const service::Announcement& a) {
        tell_shared(u"status begin_plan"_s, a.begin_plan);
        if (!a.reached)
            return;
        tell_shared(u"status info_label_2"_s, a.qq);
        tell_shared(u"status info_label_5"_s, a.tips);
        if (a.new_version)
            tell_shared(u"status tips_label_38"_s, a.new_version_caption);
    });
    connect(&core, &AppCore::web_action, this, [this](const QString& text) { tell_shared(u"web"_s, text); });
}

void EventTap::tell(int desk, const QString& lottery, const QString& kind, const QString& text)
{
    emit event(Event{desk, lottery, kind, text});
}

void EventTap::follow(Desk& desk)
{
    const int number = desk.number();
    const auto here = [this, &desk](const QString& kind, const QString& text) {
        tell(desk.number(), desk.lottery(), kind, text);
    };
    connect(&desk.feed(), &feed::DrawFeed::labels_changed, this,
            [this, number, here](const QString& a, const QString& b, const QString& c) {
                std::array<QString, 3>& label = labels_[number];
                const QString now[3] = {a, b, c};
                static const char16_t* const names[3] = {u"label new_iss", u"label next_iss", u"label new_award"};
                for (int i = 0; i < 3; ++i)
                    if (now[i] != label[i])
                        here(QString::fromUtf16(names[i]), now[i]);
                label = {a, b, c};
            });
    connect(&desk, &Desk::new_draw, this,
            [here](const QString& issue, const QString& numbers) { here(u"draw"_s, issue + u' ' + numbers); });
    // A bet is told once the records hold it, so that a kill after the event loses no record.
    connect(&desk, &Desk::bet_committed, this,
            [here](const QStringList& columns) { here(u"bet"_s, columns.join(u'\t')); });
    connect(&desk, &Desk::bet_unconfirmed, this,
            [here](const QStringList& columns) { here(u"unconfirmed"_s, columns.join(u'\t')); });
    connect(&desk, &Desk::bet_cancelled, this,
            [here](const QStringList& columns) { here(u"cancelled"_s, columns.join(u'\t')); });
    monitor::MonitorEngine& engine = desk.engine();
    connect(&engine, &monitor::MonitorEngine::bet_settled, this, [here, &engine](int row) {
        QStringList cells;
        for (const QString& cell : engine.bet_log().at(row).columns)
            cells << cell;
        here(u"settled"_s, cells.join(u'\t'));
    });
    connect(&engine, &monitor::MonitorEngine::line_changed, this,
            [here](monitor::Line which, const QString& text) { here(u"label "_s + line_name(int(which)), text); });
    connect(&engine, &monitor::MonitorEngine::monitoring_changed, this,
            [here](bool on) { here(on ? u"monitoring on"_s : u"monitoring off"_s, QString()); });
    connect(&engine, &monitor::MonitorEngine::alerted, this, [here](int position, const QString& title) {
        here(u"alert"_s, QString::number(position) + u' ' + title);
    });
}

} // namespace zorvik::app
