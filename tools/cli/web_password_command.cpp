#include "web_password_command.h"

#include "web/web_config.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::cli {

namespace {

void say(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

} // namespace

int run_web_password_command(const QStringList& args, std::FILE* in, std::FILE* out, std::FILE* err)
{
    if (args.size() != 1) {
        say(err, u"usage: zorvik-cli web-password SETTINGS_FILE   (the password on standard input)"_s);
        return 2;
    }
    const QString file = args[0];
    if (!QFileInfo(file).isFile()) {
        say(err, u"no settings file: "_s + file);
        return 2;
    }
    QByteArray line;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, in)) {
        line += buffer;
        if (line.endsWith('\n'))
            break;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QString password = QString::fromUtf8(line);
    if (password.isEmpty()) {
        say(err, u"the password is empty"_s);
        return 2;
    }
    if (!web::save_web_digest(file, web::password_digest(password))) {
        say(err, u"cannot write "_s + file);
        return 2;
    }
    say(out, u"web password set; every session of the dashboard ends"_s);
    return 0;
}

} // namespace zorvik::cli
