#pragma once
// Conversion between text and GBK (code page 936) bytes with a fixed codec, independent of the
// machine's locale; used only at the borders that need bytes.

#include <QByteArray>
#include <QString>

namespace zorvik::support {

// Characters GBK cannot hold become "?".
QByteArray to_gbk(const QString& text);
QString from_gbk(const QByteArray& bytes);
// The longest prefix of at most `limit` bytes that does not split a double-byte character.
QByteArray gbk_prefix(const QByteArray& bytes, qsizetype limit);
// The longest start of `text` whose GBK bytes are at most `limit`, cut between characters.
QString gbk_cut(const QString& text, qsizetype limit);

} // namespace zorvik::support
