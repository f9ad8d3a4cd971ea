#include "core/headless.h"

#include "core/core.h"
#include "core/data_dir.h"
#include "core/events.h"
#include "feed/catalogue.h"
#include "support/clock.h"
#include "support/qt_http.h"
#include "support/shell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <map>
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
    Options options = settings_load(core.settings_file());
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
        desk.engine().set_alert_options(options.alert_type_tips, options.alert_type_sound);
    }
    // Every event, the desks' with their lottery when there are several.
    std::map<int, QString> tags;
    for (const auto& [number, lottery] : std::as_const(followed))
        tags[number] = several ? u'[' + lottery + u"] "_s : QString();
    EventTap events(core);
    QObject::connect(&events, &EventTap::event, [tags, shared](const Event& e) {
        const auto tag = tags.find(e.desk);
        print((tag != tags.end() ? tag->second : shared) + e.kind, e.text);
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
    // The first desk's stop amounts set from outside (the dashboard) apply at once.
    QObject::connect(&core, &AppCore::stops_changed, [&options](int desk, const QString& profit, const QString& loss) {
        if (desk == 1) {
            options.plt_tz_zy = profit;
            options.plt_tz_zs = loss;
        }
    });
    std::unique_ptr<QObject> served;
    if (run.serve) {
        QString said;
        served = run.serve(core, clock, said);
        if (!said.isEmpty())
            print(shared + u"web"_s, said);
    }
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
