#include "support/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zorvik::support {

QByteArray to_gbk(const QString& text)
{
    thread_local QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString from_gbk(const QByteArray& bytes)
{
    thread_local QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray gbk_prefix(const QByteArray& bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return bytes;
    qsizetype i = 0;
    while (i < limit) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const qsizetype width = (b >= 0x81 && b <= 0xFE) ? 2 : 1;
        if (i + width > limit)
            break;
        i += width;
    }
    return bytes.left(i);
}

QString gbk_cut(const QString& text, qsizetype limit)
{
    if (text.size() * 2 <= limit)
        return text; // no character takes more than two bytes
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        // A surrogate pair is one character (GBK writes it as one "?").
        const qsizetype width = text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const qsizetype size = to_gbk(text.mid(end, width)).size();
        if (bytes + size > limit)
            break;
        bytes += size;
        end += width;
    }
    return text.left(end);
}

} // namespace zorvik::support
