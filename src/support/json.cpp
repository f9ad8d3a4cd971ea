#include "support/json.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::support {

namespace {

// Nesting deeper than this is not a reply of any server we read; refusing it keeps a crafted
// reply from exhausting the stack.
constexpr int kMaxDepth = 200;

// A reader of one JavaScript object literal: objects, arrays, strings in either quote, numbers
// (decimal, hexadecimal, legacy octal, signed), true, false, null, undefined, NaN, Infinity,
// bare or quoted member names, trailing commas, comments and grouping parentheses. Anything else
// (calls, operators, identifiers as values) makes the whole text unreadable.
class LiteralReader {
public:
    explicit LiteralReader(const QString& text) : s_(text) {}

    std::optional<QJsonValue> read()
    {
        skip_space();
        auto value = read_value(0);
        if (!value)
            return std::nullopt;
        // "var o = TEXT;" tolerates trailing semicolons; nothing else may follow.
        skip_space();
        while (at(u';')) {
            ++i_;
            skip_space();
        }
        if (i_ != s_.size())
            return std::nullopt;
        return value;
    }

private:
    bool at(char16_t c) const { return i_ < s_.size() && s_[i_] == c; }
    char16_t peek(qsizetype ahead = 0) const
    {
        return i_ + ahead < s_.size() ? s_[i_ + ahead].unicode() : u'\0';
    }

    static bool line_break(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }

    void skip_space()
    {
        while (i_ < s_.size()) {
            const QChar c = s_[i_];
            if (c.isSpace() || c == QChar(0xFEFF)) {
                ++i_;
            } else if (c == u'/' && peek(1) == u'/') {
                while (i_ < s_.size() && !line_break(s_[i_].unicode()))
                    ++i_;
            } else if (c == u'/' && peek(1) == u'*') {
                const qsizetype end = s_.indexOf(u"*/"_s, i_ + 2);
                i_ = end < 0 ? s_.size() + 1 : end + 2; // an open comment spoils the text
                if (end < 0)
                    return;
            } else {
                return;
            }
        }
    }

    std::optional<QJsonValue> read_value(int depth)
    {
        if (depth > kMaxDepth || i_ >= s_.size())
            return std::nullopt;
        const char16_t c = peek();
        if (c == u'{')
            return read_object(depth);
        if (c == u'[')
            return read_array(depth);
        if (c == u'"' || c == u'\'') {
            auto text = read_string();
            return text ? std::optional<QJsonValue>(*text) : std::nullopt;
        }
        if (c == u'(') {
            ++i_;
            skip_space();
            auto inner = read_value(depth + 1);
            skip_space();
            if (!inner || !at(u')'))
                return std::nullopt;
            ++i_;
            return inner;
        }
        if (c == u'-' || c == u'+') {
            ++i_;
            skip_space();
            auto number = read_value(depth + 1);
            if (!number || !number->isDouble())
                return std::nullopt;
            return c == u'-' ? QJsonValue(-number->toDouble()) : *number;
        }
        if ((c >= u'0' && c <= u'9') || c == u'.') {
            auto number = read_number();
            return number ? std::optional<QJsonValue>(*number) : std::nullopt;
        }
        const QString word = read_identifier();
        if (word == u"true")
            return QJsonValue(true);
        if (word == u"false")
            return QJsonValue(false);
        if (word == u"null")
            return QJsonValue(QJsonValue::Null);
        if (word == u"undefined")
            return QJsonValue(QJsonValue::Undefined);
        if (word == u"NaN")
            return QJsonValue(std::numeric_limits<double>::quiet_NaN());
        if (word == u"Infinity")
            return QJsonValue(std::numeric_limits<double>::infinity());
        return std::nullopt;
    }

    std::optional<QJsonValue> read_object(int depth)
    {
        ++i_; // {
        QJsonObject object;
        skip_space();
        while (!at(u'}')) {
            std::optional<QString> name;
            const char16_t c = peek();
            if (c == u'"' || c == u'\'') {
                name = read_string();
            } else if ((c >= u'0' && c <= u'9') || c == u'.') {
                if (const auto n = read_number())
                    name = json_text(QJsonValue(*n));
            } else {
                const QString word = read_identifier();
                if (!word.isEmpty())
                    name = word;
            }
            if (!name)
                return std::nullopt;
            skip_space();
            if (!at(u':'))
                return std::nullopt;
            ++i_;
            skip_space();
            auto value = read_value(depth + 1);
            if (!value)
                return std::nullopt;
            object.insert(*name, *value); // a repeated name: the last one wins, as in a script
            skip_space();
            if (at(u',')) {
                ++i_;
                skip_space();
            } else if (!at(u'}')) {
                return std::nullopt;
            }
        }
        ++i_; // }
        return QJsonValue(object);
    }

    std::optional<QJsonValue> read_array(int depth)
    {
        ++i_; // [
        QJsonArray array;
        skip_space();
        while (!at(u']')) {
            if (at(u',')) { // a hole
                array.append(QJsonValue(QJsonValue::Undefined));
                ++i_;
                skip_space();
                continue;
            }
            auto value = read_value(depth + 1);
            if (!value)
                return std::nullopt;
            array.append(*value);
            skip_space();
            if (at(u',')) {
                ++i_;
                skip_space();
            } else if (!at(u']')) {
                return std::nullopt;
            }
        }
        ++i_; // ]
        return QJsonValue(array);
    }

    static int hex_value(char16_t c)
    {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    }

    // `count` hexadecimal digits, or -1.
    int read_hex(int count)
    {
        int value = 0;
        for (int k = 0; k < count; ++k) {
            const int d = hex_value(peek());
            if (d < 0)
                return -1;
            value = value * 16 + d;
            ++i_;
        }
        return value;
    }

    std::optional<QString> read_string()
    {
        const char16_t quote = peek();
        ++i_;
        QString out;
        while (i_ < s_.size()) {
            const char16_t c = s_[i_++].unicode();
            if (c == quote)
                return out;
            if (line_break(c))
                return std::nullopt;
            if (c != u'\\') {
                out += QChar(c);
                continue;
            }
            if (i_ >= s_.size())
                return std::nullopt;
            const char16_t e = s_[i_++].unicode();
            switch (e) {
            case u'n': out += u'\n'; break;
            case u't': out += u'\t'; break;
            case u'r': out += u'\r'; break;
            case u'b': out += u'\b'; break;
            case u'f': out += u'\f'; break;
            case u'v': out += u'\v'; break;
            case u'0': out += QChar(0); break;
            case u'x':
            case u'u': {
                const int v = read_hex(e == u'x' ? 2 : 4);
                if (v < 0)
                    return std::nullopt;
                out += QChar(char16_t(v));
                break;
            }
            case u'\r':
                if (at(u'\n'))
                    ++i_;
                break; // a continued line
            case u'\n':
            case 0x2028:
            case 0x2029:
                break;
            default:
                out += QChar(e);
            }
        }
        return std::nullopt;
    }

    std::optional<double> read_number()
    {
        const qsizetype start = i_;
        if (peek() == u'0' && (peek(1) == u'x' || peek(1) == u'X')) {
            i_ += 2;
            double value = 0;
            qsizetype digits = 0;
            for (int d; (d = hex_value(peek())) >= 0; ++i_, ++digits)
                value = value * 16 + d;
            if (digits == 0 || ident_char(peek()))
                return std::nullopt;
            return value;
        }
        while (peek() >= u'0' && peek() <= u'9')
            ++i_;
        const QString whole = s_.mid(start, i_ - start);
        // Legacy octal: a leading zero and only octal digits, as a script engine reads it.
        if (whole.size() > 1 && whole[0] == u'0' && peek() != u'.' && peek() != u'e' &&
            peek() != u'E' && !whole.contains(u'8') && !whole.contains(u'9')) {
            double value = 0;
            for (QChar d : whole)
                value = value * 8 + (d.unicode() - u'0');
            return value;
        }
        if (at(u'.')) {
            ++i_;
            while (peek() >= u'0' && peek() <= u'9')
                ++i_;
        }
        if (peek() == u'e' || peek() == u'E') {
            ++i_;
            if (peek() == u'+' || peek() == u'-')
                ++i_;
            const qsizetype exponent = i_;
            while (peek() >= u'0' && peek() <= u'9')
                ++i_;
            if (i_ == exponent)
                return std::nullopt;
        }
        const QString text = s_.mid(start, i_ - start);
        if (text == u"." || ident_char(peek()))
            return std::nullopt;
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok) // beyond double range: a script reads Infinity
            return text.contains(u'e') || text.contains(u'E') || text.size() > 300
                       ? std::optional<double>(std::numeric_limits<double>::infinity())
                       : std::nullopt;
        return value;
    }

    static bool ident_char(char16_t c)
    {
        return c == u'_' || c == u'$' || QChar(c).isLetterOrNumber();
    }

    QString read_identifier()
    {
        const qsizetype start = i_;
        while (i_ < s_.size() && ident_char(s_[i_].unicode()))
            ++i_;
        return s_.mid(start, i_ - start);
    }

    const QString& s_;
    qsizetype i_ = 0;
};

// Walks "a.b[0].c" from the root; nothing when a step is missing.
std::optional<QJsonValue> walk(const QJsonValue& root, const QString& path)
{
    QJsonValue current = root;
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
    if (current.isUndefined())
        return std::nullopt;
    return current;
}

} // namespace

std::optional<QJsonValue> parse_object_literal(const QString& text)
{
    return LiteralReader(text).read();
}

QString json_text(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (std::isnan(d))
            return u"NaN"_s;
        if (std::isinf(d))
            return d > 0 ? u"Infinity"_s : u"-Infinity"_s;
        if (d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case QJsonValue::Bool:
        return v.toBool() ? u"True"_s : u"False"_s;
    default:
        return QString();
    }
}

JsonReader::JsonReader(const QString& text) : root_(parse_object_literal(text)) {}

QString JsonReader::value(const QString& path) const
{
    if (!root_)
        return QString();
    const auto v = walk(*root_, path);
    return v ? json_text(*v) : QString();
}

bool JsonReader::has(const QString& path) const
{
    return root_ && walk(*root_, path).has_value();
}

QString json_value(const QString& text, const QString& path)
{
    return JsonReader(text).value(path);
}

} // namespace zorvik::support
