// zorvik: the lottery monitoring assistant's main window.

#include "app/main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"zorvik"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Zorvik lottery monitoring assistant"_s);
    parser.addHelpOption();
    const QCommandLineOption data_dir(u"data-dir"_s,
                                      u"Folder that holds bao/cfg.ini (default: the program's folder)."_s,
                                      u"DIR"_s);
    parser.addOption(data_dir);
    parser.process(app);

    const QString dir = parser.isSet(data_dir) ? QDir(parser.value(data_dir)).absolutePath()
                                               : QCoreApplication::applicationDirPath();
    QDir().mkpath(dir);

    QFile style(u":/zorvik/style.qss"_s);
    if (style.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));

    zorvik::app::MainWindow window(dir);
    window.show();
    return app.exec();
}
