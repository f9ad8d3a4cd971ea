#include "core/program.h"

#include "core/data_dir.h"
#include "support/repeat_filter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

// Qt's own warnings (the browser engine's among them) reach standard error at most once a
// minute each: a page polled in a bad state must not flood the log of an unattended run.
QMutex g_log_mutex;
support::RepeatFilter g_log_filter;
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

char g_platform_option[] = "-platform";
char g_offscreen[] = "offscreen";

} // namespace

void prepare_program()
{
    g_log_clock.start();
    qInstallMessageHandler(quiet_repeats);
    // The browser engine needs a GUI application. Its page sits on a tab that is mostly hidden,
    // or on no view at all: the platforms' timers must keep their pace.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") +
                " --disable-background-timer-throttling --disable-renderer-backgrounding"
                " --disable-backgrounding-occluded-windows");
}

std::vector<char*> offscreen_args(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        args.push_back(g_platform_option);
        args.push_back(g_offscreen);
    }
    return args;
}

ProgramArgs read_program_args()
{
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
    const QCommandLineOption web(u"web"_s, u"Serve the web dashboard at this address (headless)."_s,
                                 u"ADDRESS:PORT"_s);
    parser.addOptions({data_dir, headless_option, lottery, service, public_base, trend, datacenter,
                       start, virtual_money, web});
    parser.process(QCoreApplication::arguments());

    ProgramArgs args;
    DataDirInputs where;
    where.given = parser.value(data_dir);
    where.program_dir = QCoreApplication::applicationDirPath();
    where.user_dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    args.data_dir = choose_data_dir(where);
    args.data_writable = prepare_data_dir(args.data_dir);

    args.net = net_config_load(settings_path(args.data_dir));
    const auto override_with = [&](const QCommandLineOption& option, QString& value) {
        if (parser.isSet(option))
            value = parser.value(option);
    };
    override_with(service, args.net.service_base);
    override_with(public_base, args.net.public_base);
    override_with(trend, args.net.trend_base);
    override_with(datacenter, args.net.datacenter_default);
    args.headless = parser.isSet(headless_option);
    args.start = parser.isSet(start);
    args.virtual_money = parser.isSet(virtual_money);
    args.lotteries = parser.values(lottery);
    args.web = parser.value(web);
    return args;
}

int run_headless(const ProgramArgs& args, HeadlessServe serve)
{
    HeadlessOptions run;
    run.serve = std::move(serve);
    run.lotteries = args.lotteries;
    run.start = args.start;
    run.virtual_money = args.virtual_money;
    run.data_writable = args.data_writable;
    return run_headless(args.data_dir, args.net, run);
}

} // namespace zorvik::app
