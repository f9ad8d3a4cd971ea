#pragma once
// Output of the commands that write to streams themselves: UTF-8 text, and a failure line.

#include <QByteArray>
#include <QString>
#include <cstdio>

namespace zorvik::cli {

inline void write(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

// Writes the line on `err` and returns the exit code 2.
inline int fail(std::FILE* err, const QString& text)
{
    write(err, text + u'\n');
    return 2;
}

} // namespace zorvik::cli
