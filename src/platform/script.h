#pragma once
// Values written into page scripts. Whatever the value holds (a quote, a backslash, a line
// break), it reaches the page as data and never as code.

#include <QString>

namespace zorvik::platform {

// The text as a JavaScript string literal between `quote` (' or "), with backslashes, quotes,
// line breaks and other control characters escaped.
QString js_string(const QString& text, QChar quote = u'\'');
// The text's characters escaped as inside such a literal, without the quotes.
QString js_escaped(const QString& text, QChar quote = u'\'');
// A plain decimal number ("12", "-3", "1.95") as it stands; anything else as a string literal.
QString js_number(const QString& text);

} // namespace zorvik::platform
