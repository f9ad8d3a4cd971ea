#include "feed/parsers.h"

#include "support/date.h"
#include "support/json.h"
#include "support/text.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::feed {

namespace {

QString cleaned(const QString& text)
{
    return support::strip_tags(text, true);
}

} // namespace

std::optional<PublicNewest> parse_public_newest(const QString& reply)
{
    const support::JsonReader json(reply);
    const QString period = json.value(u"latestPeriods[0].period"_s);
    if (period.isEmpty())
        return std::nullopt;
    QString number = json.value(u"latestPeriods[0].number"_s);
    if (number.isEmpty())
        return std::nullopt;
    number = support::spread_chars(number.remove(u' '));
    return PublicNewest{u"20"_s + period, number};
}

NextIssue next_public_issue(const QString& issue)
{
    QString date = support::format_date(issue.mid(0, 4) + u'-' + issue.mid(4, 2) + u'-' +
                                            issue.mid(6, 2),
                                        2);
    const int sequence = issue.right(3).toInt() + 1;
    const support::IssueParts parts = support::issue_next(sequence, date, 120);
    return {parts.sequence, date};
}

QString parse_public_countdown(const QString& reply)
{
    if (reply.isEmpty())
        return u"0"_s;
    const support::JsonReader json(reply);
    const QString left = json.value(u"secondsLeft"_s);
    bool ok = false;
    const double seconds = left.toDouble(&ok) / 1000.0;
    if (!ok || !countdown_in_range(seconds))
        return QString();
    return QString::number(qint64(std::nearbyint(seconds)));
}

std::optional<QString> parse_trend(const QString& html)
{
    const QString open = u"<tbody id=\"cpdata\">"_s;
    const qsizetype start = html.indexOf(open);
    if (start < 0)
        return std::nullopt;
    qsizetype end = html.indexOf(u"</tbody>"_s, start);
    if (end < 0)
        end = html.size();
    const QStringList rows = html.mid(start, end - start).split(u"</tr>"_s);
    QString acc;
    int count = 1;
    for (qsizetype i = rows.size() - 1; i >= 0; --i) {
        if (count >= 100)
            break;
        const QString& row = rows[i];
        if (!row.contains(u"</td>"_s) || !row.contains(u"data-period"_s))
            continue;
        const QStringList cells = row.split(u"</td>"_s);
        if (cells.size() < 3)
            continue;
        const QString issue = u"20"_s + cleaned(cells[0]);
        const QString numbers = cleaned(cells[2]);
        if (numbers.size() != 5)
            continue;
        acc += support::trim_blanks(issue) + u':' + support::spread_chars(numbers) + u'|';
        ++count;
    }
    if (acc.isEmpty())
        return std::nullopt;
    acc.chop(1);
    return acc;
}

std::optional<HeleSite> parse_hele_site(const QString& reply)
{
    const support::JsonReader outer(reply);
    const support::JsonReader message(outer.value(u"message"_s));
    HeleSite site;
    site.ld = message.value(u"ld"_s);
    site.cdTs = message.value(u"cdTs"_s);
    if (site.ld.isEmpty())
        return std::nullopt;
    site.ud = message.value(u"ud"_s);
    if (site.ud.isEmpty())
        return std::nullopt;
    site.lr = message.value(u"lr"_s);
    if (site.lr.isEmpty())
        return std::nullopt;
    return site;
}

std::optional<HeleHistory> parse_hele_history(const QString& reply, const QString& countdown)
{
    if (!reply.contains(u"\"code\":1"_s))
        return std::nullopt;
    const QJsonArray draws =
        support::parse_object_literal(support::json_value(reply, u"message"_s))
            .value_or(QJsonValue())
            .toArray();
    QString acc;
    QString upload = u"["_s;
    int left = 10;
    // Entries come oldest first; the walk from index 99 down gives newest first. Indexes past
    // the reply's end are skipped.
    for (int i = 99; i >= 0; --i) {
        if (i >= draws.size())
            continue;
        const QJsonObject entry = draws.at(i).toObject();
        const QString issue = support::json_text(entry.value(u"n"_s));
        const QString numbers = support::json_text(entry.value(u"r"_s));
        acc += issue + u':' + numbers + u'|';
        if (left > 0) {
            upload += u"{\"issue\": \""_s + issue + u"\", \"number\": \""_s + numbers +
                      u"\", \"nextsec\": "_s + countdown + u"},"_s;
            --left;
        }
    }
    if (acc.isEmpty())
        return std::nullopt;
    upload.chop(1);
    upload += u']';
    HeleHistory h;
    h.digest_source = acc;
    h.history = acc.left(acc.size() - 1);
    h.upload_list = upload;
    return h;
}

std::optional<DatacenterNewest> parse_datacenter_newest(const QString& reply)
{
    const support::JsonReader json(reply);
    const QString ret = json.value(u"ret"_s);
    bool ok = true;
    const int code = ret.isEmpty() ? 0 : ret.toInt(&ok);
    if (!ok || code != 0)
        return std::nullopt;
    DatacenterNewest d;
    d.peroid = json.value(u"information[0].peroid"_s);
    d.prize = json.value(u"information[0].prize"_s);
    d.nexeId = json.value(u"information[0].nexeId"_s);
    d.nextsec = json.value(u"information[0].nextsec"_s);
    if (d.peroid.isEmpty())
        return std::nullopt;
    return d;
}

bool countdown_in_range(double seconds)
{
    return std::isfinite(seconds) && std::fabs(seconds) <= kMaxCountdownSeconds;
}

double leading_number(const QString& text)
{
    static const QRegularExpression number(u"^\\s*[-+]?(\\d+(\\.\\d*)?|\\.\\d+)"_s);
    const auto m = number.match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

} // namespace zorvik::feed
