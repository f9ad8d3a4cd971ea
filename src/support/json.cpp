#include "support/json.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::support {

namespace {

// Walks "a.b[0].c" through the document; nothing when a step is missing.
std::optional<QJsonValue> walk(const QJsonDocument& doc, const QString& path)
{
    QJsonValue current = doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
    qsizetype i = 0;
    const qsizetype n = path.size();
    while (i < n) {
        if (path[i] == u'.') {
            ++i;
            continue;
        }
        if (path[i] == u'[') {
            const qsizetype close = path.indexOf(u']', i);
            if (close < 0)
                return std::nullopt;
            bool ok = false;
            const int index = path.mid(i + 1, close - i - 1).trimmed().toInt(&ok);
            if (!ok || !current.isArray() || index < 0 || index >= current.toArray().size())
                return std::nullopt;
            current = current.toArray().at(index);
            i = close + 1;
            continue;
        }
        qsizetype end = i;
        while (end < n && path[end] != u'.' && path[end] != u'[')
            ++end;
        const QString name = path.mid(i, end - i);
        if (!current.isObject() || !current.toObject().contains(name))
            return std::nullopt;
        current = current.toObject().value(name);
        i = end;
    }
    return current;
}

} // namespace

QString json_text(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
        return v.toBool() ? u"True"_s : u"False"_s;
    default:
        return QString();
    }
}

JsonReader::JsonReader(const QString& text)
{
    QJsonParseError error;
    doc_ = QJsonDocument::fromJson(text.toUtf8(), &error);
    valid_ = error.error == QJsonParseError::NoError && !doc_.isNull();
}

QString JsonReader::value(const QString& path) const
{
    if (!valid_)
        return QString();
    const auto v = walk(doc_, path);
    return v ? json_text(*v) : QString();
}

bool JsonReader::has(const QString& path) const
{
    return valid_ && walk(doc_, path).has_value();
}

QString json_value(const QString& text, const QString& path)
{
    return JsonReader(text).value(path);
}

} // namespace zorvik::support
