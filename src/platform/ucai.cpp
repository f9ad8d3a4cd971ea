#include "platform/ucai.h"

#include "platform/script.h"
#include "support/text.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

namespace {

bool occurs_in(const QString& play, const QString& list)
{
    return list.contains(u'|' + play + u'|');
}

QString digits_of(const QString& text)
{
    return support::regex_replace(text, u"[^\\d]*"_s, QString());
}

QString joined(const QString& text)
{
    return support::join_chars(text, u"&"_s);
}

// Slots separated by "|": every slot the digits joined without "*", else group i in slot i.
// Nothing when the numbers have fewer groups than slots.
std::optional<QString> slot_layout(const QString& numbers, int count)
{
    QStringList out;
    if (!numbers.contains(u'*')) {
        const QString all = joined(digits_of(numbers));
        for (int i = 0; i < count; ++i)
            out << all;
        return out.join(u'|');
    }
    const QStringList groups = numbers.split(u'*');
    if (groups.size() < count)
        return std::nullopt;
    for (int i = 0; i < count; ++i)
        out << joined(digits_of(groups[i]));
    return out.join(u'|');
}

// The groups' digits joined, "|" between them; the digits joined in every one of `count`
// slots without "*".
QString tail_slots(const QString& numbers, int count)
{
    if (!numbers.contains(u'*')) {
        QStringList out;
        const QString all = joined(digits_of(numbers));
        for (int i = 0; i < count; ++i)
            out << all;
        return out.join(u'|');
    }
    QStringList out;
    for (const QString& group : numbers.split(u'*'))
        out << joined(digits_of(group));
    return out.join(u'|');
}

} // namespace

std::optional<UcaiMethod> ucai_method(const QString& play, const QString& lottery)
{
    struct Row {
        const char16_t* family; // "contains" test; empty for the 定位胆 list
        const char16_t* kind;   // second test
        int ids[3];
        const char16_t* type;
    };
    static const Row rows[] = {
        {u"", u"", {30, 2599, 2409}, u"digital"},
        {u"不定位", u"|前三(不定位:一码)|", {512, 2584, 2394}, u"digital"},
        {u"不定位", u"|前三(不定位:二码)|", {513, 2587, 2397}, u"digital"},
        {u"不定位", u"|后三(不定位:一码)|", {18, 2583, 2393}, u"digital"},
        {u"不定位", u"|后三(不定位:二码)|", {20, 2586, 2396}, u"digital"},
        {u"前二", u"直选单式", {22, 2589, 2399}, u"input"},
        {u"前二", u"直选复式", {22, 2589, 2399}, u"digital"},
        {u"前二", u"组选单式", {26, 2594, 2404}, u"input"},
        {u"后二", u"直选单式", {24, 2590, 2400}, u"input"},
        {u"后二", u"直选复式", {24, 2590, 2400}, u"digital"},
        {u"后二", u"组选单式", {28, 2595, 2405}, u"input"},
        {u"前三", u"直选单式", {2, 2565, 2377}, u"input"},
        {u"前三", u"直选复式", {2, 2565, 2377}, u"digital"},
        {u"前三", u"组三复式", {8, 2571, 2383}, u"digital"},
        {u"前三", u"组六复式", {9, 2572, 2384}, u"digital"},
        {u"中三", u"直选单式", {2291, 2633, 2443}, u"input"},
        {u"中三", u"直选复式", {2291, 2633, 2443}, u"digital"},
        {u"中三", u"组三复式", {2293, 2636, 2446}, u"digital"},
        {u"中三", u"组六复式", {2294, 2637, 2447}, u"digital"},
        {u"后三", u"直选单式", {5, 2568, 2380}, u"input"},
        {u"后三", u"直选复式", {5, 2568, 2380}, u"digital"},
        {u"后三", u"组三复式", {13, 2577, 2388}, u"digital"},
        {u"后三", u"组六复式", {14, 2578, 2389}, u"digital"},
        {u"后四(直选复式)", u"", {2265, 2608, 2418}, u"digital"},
        {u"五星(直选复式)", u"", {2274, 2617, 2427}, u"digital"},
        {u"五星组选60", u"", {2279, 2622, 2432}, u"digital"},
    };
    static const QString positions =
        u"|后一(定位胆)|前一(定位胆)|万位(定位胆)|千位(定位胆)|百位(定位胆)|十位(定位胆)|个位(定位胆)|"
        u"五星(定位胆)|后三(定位胆)|后二(定位胆)|"_s;
    int column = 0;
    QString menu = u"302"_s;
    if (lottery.contains(u"欢乐分分彩"_s)) {
        column = 1;
        menu = u"2505"_s;
    } else if (lottery.contains(u"欢乐五分彩"_s)) {
        column = 2;
        menu = u"2329"_s;
    }
    const auto make = [&](const Row& row) {
        return UcaiMethod{QString::number(row.ids[column]), QString::fromUtf16(row.type), menu};
    };
    if (occurs_in(play, positions))
        return make(rows[0]);
    // A play of a family matches one of that family's rows or none at all.
    const QString families[] = {u"不定位"_s, u"前二"_s, u"后二"_s, u"前三"_s, u"中三"_s, u"后三"_s};
    for (const QString& family : families) {
        if (!play.contains(family))
            continue;
        for (const Row& row : rows) {
            if (QStringView(row.family) != family)
                continue;
            const QString kind = QString::fromUtf16(row.kind);
            if (kind.startsWith(u'|') ? occurs_in(play, kind) : play.contains(kind))
                return make(row);
        }
        return std::nullopt;
    }
    for (const Row& row : rows) {
        if (QStringView(row.kind).isEmpty() && QStringView(row.family).size() > 2 &&
            play.contains(QString::fromUtf16(row.family)))
            return make(row);
    }
    return std::nullopt;
}

std::optional<QString> ucai_codes(const QString& play, const QString& raw)
{
    const QString numbers =
        support::trim_blanks(QString(raw).replace(u"\r\n"_s, u" "_s).replace(u'\r', u' ').replace(u'\n', u' '));
    const QString digits = digits_of(numbers);
    if (play.contains(u"不定位"_s))
        return joined(digits);
    if (occurs_in(play, u"|前二(直选单式)|后二(直选单式)|前二(组选单式)|后二(组选单式)|前三(直选单式)|"
                        u"前三(组六单式)|前三(组三单式)|中三(直选单式)|中三(组六单式)|中三(组三单式)|"
                        u"后三(直选单式)|后三(组六单式)|后三(组三单式)|后四(直选单式)|五星(直选单式)|"_s))
        return QString(numbers).replace(u"  "_s, u" "_s).replace(u' ', u'&');
    if (play.contains(u"五星组选60"_s)) {
        const QStringList groups = QString(numbers).remove(u' ').split(u'*');
        if (groups.size() < 2)
            return std::nullopt;
        return joined(groups[0]) + u'|' + joined(groups[1]);
    }
    if (occurs_in(play, u"|后一(定位胆)|前一(定位胆)|万位(定位胆)|千位(定位胆)|百位(定位胆)|十位(定位胆)|"
                        u"个位(定位胆)|"_s)) {
        static const char16_t* const names[] = {u"前一(定位胆)", u"千位(定位胆)", u"百位(定位胆)",
                                                u"十位(定位胆)", u"后一(定位胆)"};
        for (int slot = 0; slot < 5; ++slot) {
            if (!play.contains(QString::fromUtf16(names[slot])))
                continue;
            QStringList layout(5);
            layout[slot] = joined(digits);
            return layout.join(u'|');
        }
        return QString();
    }
    if (play == u"后三(定位胆)")
        return u"||"_s + tail_slots(numbers, 3);
    if (play == u"后二(定位胆)")
        return u"|||"_s + tail_slots(numbers, 2);
    if (play == u"五星(定位胆)" || play == u"五星(直选复式)")
        return slot_layout(numbers, 5);
    if (occurs_in(play, u"|前三(组三复式)|中三(组三复式)|后三(组三复式)|前三(组六复式)|中三(组六复式)|"
                        u"后三(组六复式)|"_s))
        return joined(digits);
    if (play == u"后四(直选复式)")
        return slot_layout(numbers, 4);
    // The two- and three-digit direct plays take one slot per position, as 后四 and 五星 do.
    if (occurs_in(play, u"|前二(直选复式)|后二(直选复式)|"_s))
        return slot_layout(numbers, 2);
    if (occurs_in(play, u"|前三(直选复式)|中三(直选复式)|后三(直选复式)|"_s))
        return slot_layout(numbers, 3);
    return QString();
}

QString ucai_issue_text(const QString& lottery, const QString& date, const QString& issue)
{
    QString sent = issue;
    bool ok = false;
    const qint64 value = issue.toLongLong(&ok);
    if (lottery == u"U彩平台-欢乐分分彩" && ok && value < 1000)
        sent = issue.right(3);
    return date + u'-' + sent;
}

QString ucai_order_script(const UcaiOrder& o)
{
    const QString project = u"{ 'type':'"_s + o.method.type + u"','methodid':"_s + o.method.id +
                            u",'codes':'"_s + js_escaped(o.codes) + u"', 'nums':"_s +
                            QString::number(o.count) + u",'omodel':0, 'times':"_s +
                            QString::number(o.multiplier) + u",'money':'"_s + js_escaped(o.cost) +
                            u"','mode':"_s + QString::number(o.unit_index) + u",'desc':'"_s +
                            js_escaped(o.play) + u"'}"_s;
    return u"(function(){var data = {'flag':'save',  'pmodelradio': 0,'pmodel': 0,  "
           u"'lt_trace_times_margin': 1, 'lt_trace_margin': 50, 'lt_trace_times_same': 1, "
           u"'lt_trace_diff': 1, 'lt_trace_times_diff':2, 'lt_trace_count_input':10, "
           u"'lt_trace_money': 0};"_s +
           u"data.curmid="_s + o.method.menu + u';' + u"data.lotteryid="_s +
           QString::number(o.lottery_id) + u';' + u"data.lt_project_modes="_s +
           QString::number(o.unit_index) + u';' + u"data.lt_issue_start="_s +
           js_string(o.issue_text) + u';' + u"data.lt_total_nums="_s +
           js_string(QString::number(o.count)) + u';' + u"data.lt_total_money="_s +
           js_string(o.cost) + u';' + u"data['lt_project[]'] = "_s + js_string(project, u'"') +
           u';' +
           u"jQuery.ajax({'type':'POST','async':false,'url':'/?controller=game&action=play', "
           u"'data': data, 'dataType': 'text', 'success': function(res){window.vemto_val=res;}});"
           u"return window.vemto_val; })()"_s;
}

QString ucai_user_from_hall(const QString& page)
{
    const qsizetype at = page.indexOf(u"moneyContent"_s);
    if (at < 0)
        return QString();
    const qsizetype end = page.indexOf(u"</p>"_s, at);
    QString piece = page.mid(at, end < 0 ? -1 : end - at);
    const qsizetype p = piece.indexOf(u"<p>"_s);
    if (p < 0)
        return piece;
    piece = piece.mid(p + 3);
    const qsizetype next = piece.indexOf(u"<p>"_s);
    return next < 0 ? piece : piece.left(next);
}

QString ucai_balance_text(const QString& reply)
{
    if (reply.isEmpty() || reply.contains(u'<'))
        return QString();
    return u"彩票账户:"_s + reply;
}

QString ucai_login_script(const QString& account, const QString& password)
{
    return u"(function(){jQuery('#userName').val("_s + js_string(account) +
           u");jQuery('#password').val("_s + js_string(password) +
           u");jQuery('#submit').trigger('click');window.vemto_val = 1;return 1;})()"_s;
}

} // namespace zorvik::platform
