// zorvik: the lottery monitoring assistant, with its window or headless.

#include "app/headless.h"
#include "app/core.h"
#include "app/data_dir.h"
#include "app/main_window.h"
#include "app/translations.h"

#include "support/repeat_filter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QMutex>
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt's own warnings (the browser engine's among them) reach standard error at most once a
// minute each: a page polled in a bad state must not flood the log of an unattended run.
QMutex g_log_mutex;
zorvik::support::RepeatFilter g_log_filter;
QElapsedTimer g_log_clock;

void quiet_repeats(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    std::optional<QString> line = message;
    if (type != QtFatalMsg) {
        const QMutexLocker lock(&g_log_mutex);
        line = g_log_filter.pass(message, g_log_clock.elapsed());
    }
    if (!line)
        return;
    const QByteArray bytes = qFormatLogMessage(type, context, *line).toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int main(int argc, char** argv)
{
    g_log_clock.start();
    qInstallMessageHandler(quiet_repeats);
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless = headless || std::strcmp(argv[i], "--headless") == 0;
    // The embedded browser needs a GUI application; without a window it runs offscreen. Its
    // page sits on a tab that is mostly hidden: the platforms' timers must keep their pace.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") +
                " --disable-background-timer-throttling --disable-renderer-backgrounding"
                " --disable-backgrounding-occluded-windows");
    std::vector<char*> args(argv, argv + argc);
    char platform_option[] = "-platform";
    char offscreen[] = "offscreen";
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        args.push_back(platform_option);
        args.push_back(offscreen);
    }
    int app_argc = int(args.size());
    args.push_back(nullptr);
    auto app = std::make_unique<QApplication>(app_argc, args.data());
    QCoreApplication::setApplicationName(u"zorvik"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Zorvik lottery monitoring assistant"_s);
    parser.addHelpOption();
    const QCommandLineOption data_dir(u"data-dir"_s,
                                      u"Folder that holds bao/cfg.ini (default: the program's folder)."_s,
                                      u"DIR"_s);
    const QCommandLineOption headless_option(u"headless"_s, u"Run without a window, printing events."_s);
    const QCommandLineOption lottery(u"lottery"_s, u"Lottery to follow in headless mode (may be given several times)."_s, u"NAME"_s);
    const QCommandLineOption service(u"service-base"_s, u"The maker's service."_s, u"URL"_s);
    const QCommandLineOption public_base(u"public-base"_s, u"The public results site."_s, u"URL"_s);
    const QCommandLineOption trend(u"trend-base"_s, u"The public site's trend host."_s, u"URL"_s);
    const QCommandLineOption datacenter(u"datacenter-base"_s, u"The data centre's default address."_s,
                                        u"URL"_s);
    const QCommandLineOption start(u"start"_s, u"Start monitoring as soon as draw history is there."_s);
    const QCommandLineOption virtual_money(u"virtual"_s, u"Bet with simulated money (我要装逼)."_s);
    parser.addOptions({data_dir, headless_option, lottery, service, public_base, trend, datacenter,
                       start, virtual_money});
    parser.process(*app);

    zorvik::app::DataDirInputs where;
    where.given = parser.value(data_dir);
    where.program_dir = QCoreApplication::applicationDirPath();
    where.user_dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString dir = zorvik::app::choose_data_dir(where);
    const bool writable = zorvik::app::prepare_data_dir(dir);

    zorvik::app::NetConfig net = zorvik::app::net_config_load(zorvik::app::settings_path(dir));
    const auto override_with = [&](const QCommandLineOption& option, QString& value) {
        if (parser.isSet(option))
            value = parser.value(option);
    };
    override_with(service, net.service_base);
    override_with(public_base, net.public_base);
    override_with(trend, net.trend_base);
    override_with(datacenter, net.datacenter_default);

    if (headless) {
        zorvik::app::HeadlessOptions run;
        run.lotteries = parser.values(lottery);
        run.start = parser.isSet(start);
        run.virtual_money = parser.isSet(virtual_money);
        run.data_writable = writable;
        return zorvik::app::run_headless(dir, net, run);
    }

    zorvik::app::install_chinese_translations();
    QFile style(u":/zorvik/style.qss"_s);
    if (style.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    zorvik::app::MainWindow window(dir, nullptr, net);
    if (parser.isSet(virtual_money))
        window.bet_with_simulated_money();
    if (parser.isSet(start))
        window.core().start_when_ready();
    window.show();
    // Real bets need the platform session before the first draw's bets.
    if (parser.isSet(start))
        QTimer::singleShot(0, &window.core(), [&window] { window.core().login_at_start(); });
    if (!writable)
        window.tell_unwritable_data();
    return QCoreApplication::exec();
}
