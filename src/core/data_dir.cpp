#include "core/data_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

bool can_write(const QString& dir)
{
    return ::access(QFile::encodeName(dir).constData(), W_OK) == 0;
}

// A program installed by the system's package manager lives under /usr (not /usr/local).
bool installed_location(const QString& dir)
{
    const QString clean = QDir::cleanPath(dir);
    return clean == u"/usr"_s || (clean.startsWith(u"/usr/"_s) && !clean.startsWith(u"/usr/local"_s));
}

} // namespace

QString choose_data_dir(const DataDirInputs& in)
{
    if (!in.given.isEmpty())
        return QDir(in.given).absolutePath();
    const auto writable = in.writable ? in.writable : can_write;
    if (!installed_location(in.program_dir) &&
        (QFileInfo(in.program_dir + u"/bao"_s).isDir() || writable(in.program_dir)))
        return in.program_dir;
    return in.user_dir;
}

bool prepare_data_dir(const QString& dir)
{
    if (!QFileInfo(dir).isDir()) {
        if (!QDir().mkpath(dir))
            return false;
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
    }
    const QString bao = dir + u"/bao"_s;
    if (!QDir().mkpath(bao))
        return false;
    QTemporaryFile probe(bao + u"/.write-check-XXXXXX"_s);
    return probe.open();
}

QString unwritable_data_text(const QString& dir)
{
    return u"数据目录无法写入："_s + dir +
           u"\n本次运行中的设置和监控无法保存，请检查该目录的权限或用 --data-dir 指定其他目录。"_s;
}

} // namespace zorvik::app
