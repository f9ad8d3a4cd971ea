#include "support/md5.h"

#include "support/gbk.h"

#include <QCryptographicHash>

namespace zorvik::support {

QString Md5_Calc(const QString& text)
{
    const QByteArray digest = QCryptographicHash::hash(to_gbk(text), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex().toUpper());
}

} // namespace zorvik::support
