// zorvik: the lottery monitoring assistant with its window. With --headless it becomes
// zorvik-headless, the same program without a window, which loads no widget library.

#include "core/core.h"
#include "core/program.h"
#include "web/headless_web.h"
#include "core/translations.h"
#include "gui/main_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Replaces this process with zorvik-headless beside it, with the same arguments; returns only
// when that program cannot be run.
void become_headless(char** argv)
{
    const QByteArray self = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath().toLocal8Bit();
    std::vector<char> program(self.begin(), self.end());
    for (const char c : std::string_view("/zorvik-headless"))
        program.push_back(c);
    program.push_back('\0');
    ::execv(program.data(), argv);
}

} // namespace

int main(int argc, char** argv)
{
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless = headless || std::strcmp(argv[i], "--headless") == 0;
    if (headless)
        become_headless(argv); // else the run goes on here, with the widget library loaded

    zorvik::app::prepare_program();
    std::vector<char*> args = headless ? zorvik::app::offscreen_args(argc, argv)
                                       : std::vector<char*>(argv, argv + argc);
    int app_argc = int(args.size());
    args.push_back(nullptr);
    auto app = std::make_unique<QApplication>(app_argc, args.data());
    QCoreApplication::setApplicationName(u"zorvik"_s);
    const zorvik::app::ProgramArgs given = zorvik::app::read_program_args();
    if (given.headless)
        return zorvik::app::run_headless(given, zorvik::web::headless_server(given.web));

    zorvik::app::install_chinese_translations();
    QFile style(u":/zorvik/style.qss"_s);
    if (style.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    zorvik::app::MainWindow window(given.data_dir, nullptr, given.net);
    if (given.virtual_money)
        window.bet_with_simulated_money();
    if (given.start)
        window.core().start_when_ready();
    window.show();
    // Real bets need the platform session before the first draw's bets.
    if (given.start)
        QTimer::singleShot(0, &window.core(), [&window] { window.core().login_at_start(); });
    if (!given.data_writable)
        window.tell_unwritable_data();
    return QCoreApplication::exec();
}
