#include "app/headless.h"

#include "app/core.h"
#include "app/data_dir.h"
#include "feed/catalogue.h"
#include "support/clock.h"
#include "support/qt_http.h"
#include "support/shell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
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
    void notice(const QString& text) override { print(u"notice"_s, text); }
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
    QObject::connect(&stop, &QSocketNotifier::activated, qApp, [&http, &core, &stop] {
        stop.setEnabled(false);
        // Whatever is waiting gives up: the stop is not held by the network, a page or a bet.
        core.shutdown();
        http.stop();
        QCoreApplication::quit();
        // Past five seconds the program ends anyway; every record is committed as it is made.
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(4500));
            print(u"stopped"_s, u"(forced)"_s);
            std::_Exit(0);
        }).detach();
    });
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);

    QString new_iss, next_iss, new_award;
    feed::DrawFeed& feed = core.feed();
    QObject::connect(&feed, &feed::DrawFeed::labels_changed,
                     [&](const QString& a, const QString& b, const QString& c) {
                         if (a != new_iss)
                             print(u"label new_iss"_s, a);
                         if (b != next_iss)
                             print(u"label next_iss"_s, b);
                         if (c != new_award)
                             print(u"label new_award"_s, c);
                         new_iss = a;
                         next_iss = b;
                         new_award = c;
                     });
    QObject::connect(&core, &AppCore::new_draw, [](const QString& issue, const QString& numbers) {
        print(u"draw"_s, issue + u' ' + numbers);
    });
    monitor::MonitorEngine& engine = core.engine();
    const auto row_text = [&engine](int row) {
        QStringList cells;
        for (const QString& cell : engine.bet_log().at(row).columns)
            cells << cell;
        return cells.join(u'\t');
    };
    // A bet is told once the records hold it, so that a kill after the line loses no record.
    QObject::connect(&core, &AppCore::bet_committed,
                     [](const QStringList& columns) { print(u"bet"_s, columns.join(u'\t')); });
    QObject::connect(&core, &AppCore::bet_unconfirmed,
                     [](const QStringList& columns) { print(u"unconfirmed"_s, columns.join(u'\t')); });
    QObject::connect(&core, &AppCore::bet_cancelled,
                     [](const QStringList& columns) { print(u"cancelled"_s, columns.join(u'\t')); });
    QObject::connect(&engine, &monitor::MonitorEngine::bet_settled,
                     [&](int row) { print(u"settled"_s, row_text(row)); });
    QObject::connect(&engine, &monitor::MonitorEngine::line_changed,
                     [](monitor::Line which, const QString& text) {
                         print(u"label "_s + line_name(int(which)), text);
                     });
    QObject::connect(&engine, &monitor::MonitorEngine::monitoring_changed,
                     [](bool on) { print(on ? u"monitoring on"_s : u"monitoring off"_s, QString()); });
    QObject::connect(&engine, &monitor::MonitorEngine::alerted,
                     [](int position, const QString& title) {
                         print(u"alert"_s, QString::number(position) + u' ' + title);
                     });
    QObject::connect(&core, &AppCore::webhook_result, [](const QString& event, const QString& status) {
        print(u"webhook"_s, event + u' ' + status);
    });
    // The address's scheme only: the rest may hold a token.
    QObject::connect(&core, &AppCore::notify_result,
                     [](const QString& event, int, const QString& scheme, const QString& status) {
                         print(u"notify"_s, event + u' ' + scheme + u' ' + status);
                     });
    QObject::connect(&core, &AppCore::logged, [](const QString& text) { print(u"login"_s, text); });
    QObject::connect(&core, &AppCore::page_dialog, [](const QString& text) { print(u"dialog"_s, text); });
    QObject::connect(&core, &AppCore::announced, [](const service::Announcement& a) {
        print(u"status begin_plan"_s, a.begin_plan);
        if (!a.reached)
            return;
        print(u"status info_label_2"_s, a.qq);
        print(u"status info_label_5"_s, a.tips);
        if (a.new_version)
            print(u"status tips_label_38"_s, a.new_version_caption);
    });

    print(u"data"_s, data_dir);
    print(u"records"_s, core.records_file());
    if (!run.data_writable)
        print(u"message"_s, unwritable_data_text(data_dir));
    core.init_var();
    const Options options = settings_load(core.settings_file());
    core.engine().set_alert_options(options.alert_type_tips, options.alert_type_sound);
    core.set_options_source([&options] { return options; });
    core.engine().set_stop_source(
        [&options] { return std::pair<QString, QString>(options.plt_tz_zy, options.plt_tz_zs); });
    core.set_virtual(run.virtual_money);
    QObject::connect(&core, &AppCore::password_place, [](const QString& text) { print(u"password"_s, text); });
    core.set_credentials(options.plt_user, core.stored_password());
    core.set_webhook_url(options.webhook_url);
    core.stored_notify_urls();
    core.set_notify_choice(load_notify_choice(core.settings_file()));
    core.engine().load();
    if (run.start)
        core.start_when_ready();
    const QString chosen = run.lottery.isEmpty() ? options.caizhong : run.lottery;
    if (feed::find_lottery(chosen)) {
        core.choose_lottery(chosen);
        print(u"lottery"_s, chosen + u" "_s + feed.endpoints().platform_base);
    } else {
        print(u"message"_s, u"没有选择彩种: "_s + chosen);
    }
    // Real bets need the platform session before monitoring starts.
    if (run.start)
        core.login_at_start();
    core.start();
    const int code = QCoreApplication::exec();
    print(u"stopped"_s, QString());
    ::close(signal_pipe[0]);
    ::close(signal_pipe[1]);
    return code;
}

} // namespace zorvik::app
