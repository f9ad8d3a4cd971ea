// zorvik-headless: the lottery monitoring assistant without a window, printing one line per
// event. It runs on a GUI application of the offscreen platform (the platforms' pages need one)
// and links no widget library.

#include "core/program.h"
#include "web/headless_web.h"

#include <QGuiApplication>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    zorvik::app::prepare_program();
    std::vector<char*> args = zorvik::app::offscreen_args(argc, argv);
    int app_argc = int(args.size());
    args.push_back(nullptr);
    auto app = std::make_unique<QGuiApplication>(app_argc, args.data());
    QCoreApplication::setApplicationName(u"zorvik"_s);
    const zorvik::app::ProgramArgs given = zorvik::app::read_program_args();
    return zorvik::app::run_headless(given, zorvik::web::headless_server(given.web));
}
