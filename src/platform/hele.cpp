#include "platform/hele.h"

#include "platform/script.h"
#include "support/json.h"
#include "support/money.h"
#include "support/text.h"

#include <QJsonObject>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

namespace {

QString digits_of(const QString& text)
{
    return support::regex_replace(text, u"[^\\d]*"_s, QString());
}

// `d` repeated `count` times with "_" between; with "*" in the numbers, "*" written as "_".
QString repeated(const QString& numbers, const QString& d, int count)
{
    if (numbers.contains(u'*'))
        return QString(numbers).replace(u'*', u'_');
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << d;
    return out.join(u'_');
}

} // namespace

QString hele_play_code(const QString& wrapped)
{
    static const struct {
        const char16_t* plays;
        const char16_t* code;
    } rows[] = {
        {u"|前一(定位胆)|万位(定位胆)|千位(定位胆)|百位(定位胆)|十位(定位胆)|个位(定位胆)|五星(定位胆)|"
         u"后三(定位胆)|后二(定位胆)|",
         u"5F"},
        {u"|后一(定位胆)|", u"1S"},
        {u"|前三(不定位:一码)|", u"CJ"},
        {u"|后三(不定位:一码)|", u"3J"},
        {u"|前二(直选单式)|前二(直选复式)|", u"BS"},
        {u"|前二(组选单式)|", u"BC"},
        {u"|后二(直选单式)|后二(直选复式)|", u"2S"},
        {u"|后二(组选单式)|", u"2C"},
        {u"|前二(不定位:一码)|", u"BG"},
        {u"|后二(不定位:一码)|", u"2G"},
        {u"|前三(直选单式)|前三(直选复式)|", u"CS"},
        {u"|前三(组三复式)|前三(组三单式)|", u"C3"},
        {u"|前三(组六单式)|前三(组六复式)|", u"C6"},
        {u"|中三(直选单式)|中三(直选复式)|", u"MS"},
        {u"|中三(组三复式)|中三(组三单式)|", u"M3"},
        {u"|中三(组六单式)|中三(组六复式)|", u"M6"},
        {u"|后三(直选单式)|后三(直选复式)|", u"3S"},
        {u"|后三(组三复式)|后三(组三单式)|", u"33"},
        {u"|后三(组六单式)|后三(组六复式)|", u"36"},
        {u"|前四(直选复式)|前四(直选单式)|", u"DS"},
        {u"|后四(直选复式)|后四(直选单式)|", u"4S"},
        {u"|五星(直选复式)|五星(直选单式)|", u"5S"},
    };
    if (wrapped.size() < 3)
        return QString();
    for (const auto& row : rows)
        if (QStringView(row.plays).contains(wrapped))
            return QString::fromUtf16(row.code);
    return QString();
}

QString hele_codes(const QString& wrapped, const QString& numbers)
{
    const auto in = [&](QStringView list) { return wrapped.size() > 2 && list.contains(wrapped); };
    const QString d = digits_of(numbers);
    if (in(u"|后一(定位胆)|前二(不定位:一码)|前三(不定位:一码)|前三(不定位:二码)|后二(不定位:一码)|"
           u"后三(不定位:一码)|后三(不定位:二码)|前三(组三复式)|中三(组三复式)|后三(组三复式)|"
           u"前三(组六复式)|中三(组六复式)|后三(组六复式)|"))
        return d;
    if (in(u"|前二(直选单式)|后二(直选单式)|前三(直选单式)|中三(直选单式)|后三(直选单式)|前四(直选单式)|"
           u"后四(直选单式)|五星(直选单式)|")) {
        QStringList tickets = QString(numbers).replace(u"  "_s, u" "_s).split(u' ');
        for (QString& ticket : tickets)
            if (!ticket.isEmpty())
                ticket = support::join_chars(ticket, u"_"_s);
        return tickets.join(u',');
    }
    if (in(u"|前二(组选单式)|后二(组选单式)|前三(组六单式)|前三(组三单式)|中三(组六单式)|中三(组三单式)|"
           u"后三(组六单式)|后三(组三单式)|"))
        return numbers.split(u' ').join(u',');
    if (wrapped == u"|前一(定位胆)|")
        return d + u"____"_s;
    if (wrapped == u"|千位(定位胆)|")
        return u"_"_s + d + u"___"_s;
    if (wrapped == u"|百位(定位胆)|")
        return u"__"_s + d + u"__"_s;
    if (wrapped == u"|十位(定位胆)|")
        return u"___"_s + d + u"_"_s;
    if (in(u"|前二(直选复式)|后二(直选复式)|"))
        return repeated(numbers, d, 2);
    if (in(u"|前三(直选复式)|中三(直选复式)|后三(直选复式)|"))
        return repeated(numbers, d, 3);
    if (wrapped == u"|后三(定位胆)|")
        return u"__"_s + repeated(numbers, d, 3);
    if (wrapped == u"|后二(定位胆)|")
        return u"___"_s + repeated(numbers, d, 2);
    if (wrapped == u"|五星(定位胆)|" || wrapped == u"|五星(直选复式)|")
        return repeated(numbers, d, 5);
    if (in(u"|前四(直选复式)|后四(直选复式)|"))
        return repeated(numbers, d, 4);
    return QString();
}

bool hele_supports(const QString& play, const QString& numbers)
{
    const QString wrapped = u'|' + play + u'|';
    QString text = hele_codes(wrapped, numbers);
    if (text.endsWith(u','))
        text.chop(1);
    return !hele_play_code(wrapped).isEmpty() && !text.isEmpty();
}

QString hele_orders(const QString& play, const QString& numbers)
{
    const QString wrapped = u'|' + play + u'|';
    QString text = hele_codes(wrapped, numbers);
    if (text.endsWith(u','))
        text.chop(1);
    return hele_play_code(wrapped) + text + u'.';
}

bool hele_issue_matches(const QString& draw_number, const QString& next_issue)
{
    const QString tail = QString(draw_number).remove(u'-').right(next_issue.size());
    bool a = false;
    bool b = false;
    const qint64 platform = tail.toLongLong(&a);
    const qint64 ours = next_issue.toLongLong(&b);
    return a && b && !next_issue.isEmpty() && platform == ours;
}

QString hele_order_script(const HeleOrder& o)
{
    return u"(function(){var order = { 'orders': "_s + js_string(o.orders) +
           u", 'flag': ['N'], 'isCno': false, 'rebate': 0, 'cnoSetting': 'N'};"_s +
           u"order.prize = "_s + js_number(o.odds) + u';' + u"order.unit = "_s +
           QString::number(o.unit_index) + u';' + u"order.draws = [{'draw': { 'id': "_s +
           js_number(o.draw_id) + u"}, 'multiply': "_s + js_string(QString::number(o.multiplier)) +
           u"}];"_s + u"jQuery.ajax({'type': 'POST','async': false,'url':"_s + js_string(o.url) +
           u", 'data':{'order': JSON.stringify(order) }}).done(function(res){window.vemto_val=JSON."
           u"stringify(res)});"_s +
           u"return window.vemto_val; })()"_s;
}

QString hele_login_script(const QString& account, const QString& password)
{
    return u"(function(){$('#userid').val("_s + js_string(account) + u");$('#password').val("_s +
           js_string(password) +
           u");$('#login').trigger('click');setTimeout('window.vemto_rtn = $(\"#nick\").val();', "
           u"3000);return $('#nick').val();})()"_s;
}

QString hele_member(const QString& reply, const QString& outer, const QString& inner)
{
    const support::JsonReader whole(reply);
    const QString direct = whole.value(outer + u'.' + inner);
    if (!direct.isEmpty())
        return direct;
    return support::json_value(whole.value(outer), inner);
}

bool hele_extra_given(const QString& reply)
{
    const auto root = support::parse_object_literal(reply);
    if (!root || !root->isObject())
        return false;
    const QJsonValue extra = root->toObject().value(u"extra"_s);
    return !(extra.isUndefined() || extra.isNull() || (extra.isString() && extra.toString().isEmpty()));
}

QString hele_credit_text(const QString& reply)
{
    if (reply.isEmpty())
        return QString();
    bool ok = false;
    const double credit = support::json_value(reply, u"data.totalCredit"_s).toDouble(&ok);
    if (!ok || !(credit > 0))
        return QString();
    return u"主账户："_s + support::money_text(credit);
}

} // namespace zorvik::platform
