#pragma once
// Reads members out of JSON replies by member paths such as "information[0].peroid" or
// "reg.hele". Replies are data: they are parsed, never run.

#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

namespace zorvik::support {

class JsonReader {
public:
    explicit JsonReader(const QString& text);
    // The member's text: strings as they are, numbers in their shortest decimal form, true and
    // false as "True" and "False"; empty for a missing member, null, an object or a list.
    QString value(const QString& path) const;
    // True when the member exists (null included).
    bool has(const QString& path) const;
    bool valid() const { return valid_; }

private:
    QJsonDocument doc_;
    bool valid_ = false;
};

// A JSON value as member text (the rule of JsonReader::value).
QString json_text(const QJsonValue& value);

// One member of one reply.
QString json_value(const QString& text, const QString& path);

} // namespace zorvik::support
