#pragma once
// The date formatter used for issue dates, countdown texts and time stamps.

#include <QDateTime>
#include <QString>
#include <optional>

namespace zorvik::support {

// Reads "yyyy-m-d", "yyyy/m/d" or "yyyy年m月d日", optionally followed by "h:m" or "h:m:s",
// or a time alone (dated 1899-12-30, the zero date of the stored formats).
std::optional<QDateTime> parse_date(const QString& value);

// Modes 0 to 13 of the date formatter; an empty value comes back unchanged, a value that is not
// a date and an unknown mode give the empty text.
QString format_date(const QString& value, int mode);
QString format_date(const QDateTime& value, int mode);

} // namespace zorvik::support
