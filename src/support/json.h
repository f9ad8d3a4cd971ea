#pragma once
// Reads members out of server replies by member paths such as "information[0].peroid" or
// "reg.hele". A reply is read as a JavaScript object literal (single-quoted strings, bare member
// names, trailing commas and comments allowed), as data only: nothing in it is ever run.

#include <QJsonValue>
#include <QString>
#include <optional>

namespace zorvik::support {

// The value of an object-literal text, or nothing when the text is not one literal.
std::optional<QJsonValue> parse_object_literal(const QString& text);

class JsonReader {
public:
    explicit JsonReader(const QString& text);
    // The member's text: strings as they are, numbers in their shortest decimal form, true and
    // false as "True" and "False"; empty for a missing member, null, an object or a list.
    QString value(const QString& path) const;
    // True when the member exists (null included).
    bool has(const QString& path) const;
    bool valid() const { return root_.has_value(); }

private:
    std::optional<QJsonValue> root_;
};

// A JSON value as member text (the rule of JsonReader::value).
QString json_text(const QJsonValue& value);

// One member of one reply.
QString json_value(const QString& text, const QString& path);

} // namespace zorvik::support
