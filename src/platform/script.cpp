#include "platform/script.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

QString js_escaped(const QString& text, QChar quote)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (c == quote || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (u == u'\n') {
            out += u"\\n"_s;
        } else if (u == u'\r') {
            out += u"\\r"_s;
        } else if (u == u'\t') {
            out += u"\\t"_s;
        } else if (u < 0x20 || u == 0x7f || u == 0x2028 || u == 0x2029) {
            // Line and paragraph separators end a line inside older engines' literals.
            out += u"\\u"_s + QString::number(u, 16).rightJustified(4, u'0');
        } else if (u == u'<' || u == u'>') {
            // Keeps "</script>" and "<!--" inert should a script ever be written into a page.
            out += u"\\u"_s + QString::number(u, 16).rightJustified(4, u'0');
        } else {
            out += c;
        }
    }
    return out;
}

QString js_string(const QString& text, QChar quote)
{
    return quote + js_escaped(text, quote) + quote;
}

QString js_number(const QString& text)
{
    static const QRegularExpression plain(u"^-?\\d{1,15}(\\.\\d{1,15})?$"_s);
    return plain.match(text).hasMatch() ? text : js_string(text);
}

} // namespace zorvik::platform
