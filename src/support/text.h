#pragma once
// Text helpers shared by the rules, the feed and the drivers: regular-expression cleaning,
// digit-text splitting, padding, issue-number arithmetic and URL encoding.

#include <QString>
#include <QStringList>

namespace zorvik::support {

class Clock;

// Every match of `pattern` (case-insensitive, global) replaced by `replacement`.
QString regex_replace(const QString& text, const QString& pattern, const QString& replacement);
// Concatenation of the values of all matches of `pattern`, in order.
QString regex_keep(const QString& text, const QString& pattern);

// The ASCII digits of `text` read as a 16-bit signed integer; no digits give 0.
// A digit string above 32767 does not fit and is capped at 32767.
int to_int(const QString& text);

// Leading and trailing blanks (the space character only) removed.
QString trim_blanks(const QString& text);

// Every line break (a lone line feed, a lone carriage return, or the pair) written as the pair
// carriage return and line feed, as a Windows text box gives it.
QString crlf_line_breaks(const QString& text);

// The text trimmed with every HTML tag removed; `squeeze` also drops blanks and CR LF pairs.
QString strip_tags(const QString& text, bool squeeze);

// Non-blank characters joined by `separator`; a text shorter than 2 characters is returned as is.
QString join_chars(const QString& text, const QString& separator);
QString spread_chars(const QString& text);
// Parts between commas if the text has one, else one item per non-blank character.
QStringList split_bet_items(const QString& text);
// True if any two items are equal.
bool has_repeats(const QStringList& items);

// `pad` repeated (width - length) times on side "left" or "right"; any other side gives "".
QString pad_text(const QString& text, const QString& pad, int width, const QString& side);
// Subtracts `maximum` once when the number exceeds it, then zero-pads to the maximum's width.
QString wrap_pad(int& number, int maximum);
// Mode 1: the date text without "-", " " and ":"; mode 2: its yymmdd part.
QString date_digits(const QString& date, int mode);

struct IssueParts {
    QString sequence;
    QString date;
};
// Issue of a day-numbered draw; past the maximum it rolls over to 1 on the next day and
// writes the new date (yyyy-mm-dd) back into `date`.
IssueParts issue_next(int number, QString& date, int maximum);
// The local time in a `format_date` mode with ":", "-" and blanks removed.
QString now_digits(const Clock& clock, int mode);

// GBK bytes; digits and Latin letters copied, blank as "+", every other byte as %XX.
QString url_encode(const QString& text);

} // namespace zorvik::support
