#include "core/headless.h"

#include "core/core.h"
#include "core/data_dir.h"
#include "feed/catalogue.h"
#include "support/clock.h"
#include "support/qt_http.h"
#include "support/shell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <memory>
#include <chrono>
#include <csignal>
#include <thread>
#include <cstdio>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

// One line per event, prefixed with the local time; line breaks inside a text are escaped.
void print(const QString& kind, const QString& text)
{
    QString line = QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s) + u' ' + kind;
    if (!text.isEmpty())
        line += u' ' + QString(text).replace(u"\r\n"_s, u"\\n"_s).replace(u'\n', u"\\n"_s).replace(u'\r', u"\\n"_s);
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

class PrintingShell final : public support::Shell {
public:
    void message(const QString& text) override { print(u"message"_s, text); }
    bool confirm(const QString& text, const QString& title) override
    {
        print(u"confirm"_s, title + u": "_s + text + u" -> OK"_s);
        return true;
    }
    void tip(const QString& text) override { print(u"tip"_s, text); }
    void alert_sound(const QString& path) override { print(u"sound"_s, path); }
    void copy_text(const QString& text) override { print(u"copy"_s, text); }
    // Notices come from what the desks share (the network, the browser): "[*]" with several.
    void notice(const QString& text) override { print(shared + u"notice"_s, text); }
    QString shared;
    void open_link(const QString& url) override { print(u"link"_s, url); }
};

// The name a status line has in the "label" lines.
QString line_name(int which)
{
    static const char16_t* const names[] = {u"bet_status_line", u"bet_summary_line",
                                            u"income_line", u"balance_line"};
    return which >= 0 && which < 4 ? QString::fromUtf16(names[which]) : QString();
}

int signal_pipe[2] = {-1, -1};

void on_signal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signal_pipe[1], &byte, 1);
}

} // namespace

int run_headless(const QString& data_dir, const NetConfig& net, const HeadlessOptions& run)
{
    if (::pipe(signal_pipe) != 0)
        return 1;
    PrintingShell shell;
    support::SystemClock clock;
    support::QtHttpClient http([&shell](const QString& text) { shell.notice(text); });

    AppCore core(data_dir, shell, clock, http, net);
    QSocketNotifier stop(signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, qApp, [&http, &core, &stop, &shell] {
        stop.setEnabled(false);
        // Whatever is waiting gives up: the stop is not held by the network, a page or a bet.
        core.shutdown();
        http.stop();
        QCoreApplication::quit();
        // Past five seconds the program ends anyway; every record is committed as it is made.
        std::thread([stopped = shell.shared + u"stopped"_s] {
            std::this_thread::sleep_for(std::chrono::milliseconds(4500));
            print(stopped, u"(forced)"_s);
            std::_Exit(0);
        }).detach();
    });
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);

    // The desks: the lotteries named on the command line, else every desk of the settings file.
    const Options options = settings_load(core.settings_file());
    QVector<std::pair<int, QString>> followed; // desk number, lottery
    const QVector<DeskSettings> kept = load_desks(core.settings_file());
    if (run.lotteries.isEmpty()) {
        followed.append({1, options.caizhong});
        for (const DeskSettings& d : kept)
            followed.append({d.number, d.lottery});
    } else {
        // A lottery kept in the file is followed with its own monitors; the first other one takes
        // the first desk (as a single --lottery always did) unless its lottery was named too.
        QStringList others;
        for (const QString& name : run.lotteries) {
            const auto desk = std::find_if(kept.cbegin(), kept.cend(), [&](const DeskSettings& d) { return d.lottery == name; });
            if (name == options.caizhong)
                followed.append({1, name});
            else if (desk != kept.cend())
                followed.append({desk->number, name});
            else
                others << name;
        }
        int next = kept.isEmpty() ? 2 : kept.last().number + 1;
        for (const QString& name : std::as_const(others)) {
            const bool first_free = std::none_of(followed.cbegin(), followed.cend(), [](const auto& f) { return f.first == 1; });
            followed.append({first_free ? 1 : next++, name});
        }
    }
    // With several desks every line tells its lottery, and shared events "[*]".
    const bool several = followed.size() > 1;
    const QString shared = several ? u"[*] "_s : QString();
    shell.shared = shared;
    for (const auto& [number, lottery] : std::as_const(followed)) {
        Desk& desk = number == 1 ? core.desk() : core.add_desk(number);
        const QString tag = several ? u'[' + lottery + u"] "_s : QString();
        auto label = std::make_shared<std::array<QString, 3>>(); // new_iss, next_iss, new_award
        QObject::connect(&desk.feed(), &feed::DrawFeed::labels_changed,
                         [label, tag](const QString& a, const QString& b, const QString& c) {
                             const QString now[3] = {a, b, c};
                             static const char16_t* const names[3] = {u"label new_iss", u"label next_iss",
                                                                      u"label new_award"};
                             for (int i = 0; i < 3; ++i)
                                 if (now[i] != (*label)[i])
                                     print(tag + QString::fromUtf16(names[i]), now[i]);
                             *label = {a, b, c};
                         });
        QObject::connect(&desk, &Desk::new_draw, [tag](const QString& issue, const QString& numbers) {
            print(tag + u"draw"_s, issue + u' ' + numbers);
        });
        monitor::MonitorEngine& engine = desk.engine();
        const auto row_text = [&engine](int row) {
            QStringList cells;
            for (const QString& cell : engine.bet_log().at(row).columns)
                cells << cell;
            return cells.join(u'\t');
        };
        // A bet is told once the records hold it, so that a kill after the line loses no record.
        QObject::connect(&desk, &Desk::bet_committed,
                         [tag](const QStringList& columns) { print(tag + u"bet"_s, columns.join(u'\t')); });
        QObject::connect(&desk, &Desk::bet_unconfirmed,
                         [tag](const QStringList& columns) { print(tag + u"unconfirmed"_s, columns.join(u'\t')); });
        QObject::connect(&desk, &Desk::bet_cancelled,
                         [tag](const QStringList& columns) { print(tag + u"cancelled"_s, columns.join(u'\t')); });
        QObject::connect(&engine, &monitor::MonitorEngine::bet_settled,
                         [tag, row_text](int row) { print(tag + u"settled"_s, row_text(row)); });
        QObject::connect(&engine, &monitor::MonitorEngine::line_changed,
                         [tag](monitor::Line which, const QString& text) {
                             print(tag + u"label "_s + line_name(int(which)), text);
                         });
        QObject::connect(&engine, &monitor::MonitorEngine::monitoring_changed, [tag](bool on) {
            print(tag + (on ? u"monitoring on"_s : u"monitoring off"_s), QString());
        });
        QObject::connect(&engine, &monitor::MonitorEngine::alerted, [tag](int position, const QString& title) {
            print(tag + u"alert"_s, QString::number(position) + u' ' + title);
        });
        engine.set_alert_options(options.alert_type_tips, options.alert_type_sound);
    }
    QObject::connect(&core, &AppCore::webhook_result, [shared](const QString& event, const QString& status) {
        print(shared + u"webhook"_s, event + u' ' + status);
    });
    // The address's scheme only: the rest may hold a token.
    QObject::connect(&core, &AppCore::notify_result,
                     [shared](const QString& event, int, const QString& scheme, const QString& status) {
                         print(shared + u"notify"_s, event + u' ' + scheme + u' ' + status);
                     });
    QObject::connect(&core, &AppCore::logged, [shared](const QString& text) { print(shared + u"login"_s, text); });
    QObject::connect(&core, &AppCore::page_dialog,
                     [shared](const QString& text) { print(shared + u"dialog"_s, text); });
    QObject::connect(&core, &AppCore::total_stop_reached,
                     [shared](const QString& text) { print(shared + u"total_stop"_s, text); });
    QObject::connect(&core, &AppCore::announced, [shared](const service::Announcement& a) {
        print(shared + u"status begin_plan"_s, a.begin_plan);
        if (!a.reached)
            return;
        print(shared + u"status info_label_2"_s, a.qq);
        print(shared + u"status info_label_5"_s, a.tips);
        if (a.new_version)
            print(shared + u"status tips_label_38"_s, a.new_version_caption);
    });

    print(shared + u"data"_s, data_dir);
    print(shared + u"records"_s, core.records_file());
    if (!run.data_writable)
        print(shared + u"message"_s, unwritable_data_text(data_dir));
    core.init_var();
    core.set_options_source([&options] { return options; });
    core.engine().set_stop_source(
        [&options] { return std::pair<QString, QString>(options.plt_tz_zy, options.plt_tz_zs); });
    const auto [total_profit, total_loss] = load_total_stops(core.settings_file());
    core.set_total_stops(total_profit, total_loss);
    core.set_virtual(run.virtual_money);
    QObject::connect(&core, &AppCore::password_place,
                     [shared](const QString& text) { print(shared + u"password"_s, text); });
    core.set_credentials(options.plt_user, core.stored_password());
    core.set_credentials(core.stored_account(1), core.stored_password(1), 1);
    core.set_webhook_url(options.webhook_url);
    core.stored_notify_urls();
    core.set_notify_choice(load_notify_choice(core.settings_file()));
    for (const auto& desk : core.desks())
        desk->engine().load();
    if (run.start)
        core.start_when_ready();
    for (const auto& [number, lottery] : std::as_const(followed)) {
        Desk& desk = **std::find_if(core.desks().cbegin(), core.desks().cend(),
                                    [number](const auto& d) { return d->number() == number; });
        const QString tag = several ? u'[' + lottery + u"] "_s : QString();
        if (feed::find_lottery(lottery)) {
            desk.choose_lottery(lottery);
            print(tag + u"lottery"_s, lottery + u" "_s + desk.feed().endpoints().platform_base);
        } else {
            print(tag + u"message"_s, u"没有选择彩种: "_s + lottery);
        }
    }
    // Real bets need the platform session before monitoring starts.
    if (run.start)
        core.login_at_start();
    core.start();
    const int code = QCoreApplication::exec();
    print(shared + u"stopped"_s, QString());
    ::close(signal_pipe[0]);
    ::close(signal_pipe[1]);
    return code;
}

} // namespace zorvik::app
