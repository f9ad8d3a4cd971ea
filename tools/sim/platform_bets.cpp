#include "platform_bets.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::sim {

namespace {

// Distinct digits, at least one.
bool digit_set(const QString& s, bool allow_empty = false)
{
    if (s.isEmpty())
        return allow_empty;
    QSet<QChar> seen;
    for (QChar c : s) {
        if (!c.isDigit() || c.unicode() > u'9' || seen.contains(c))
            return false;
        seen.insert(c);
    }
    return true;
}

qint64 choose(qint64 n, int k)
{
    if (n < k)
        return 0;
    qint64 r = 1;
    for (int i = 0; i < k; ++i)
        r = r * (n - i) / (i + 1);
    return r;
}

QString sorted(QString s)
{
    std::sort(s.begin(), s.end());
    return s;
}

// The window's form for group plays: 2 for a pair (组三), 6 for all distinct, 0 otherwise.
int group_form(const QString& window)
{
    const QSet<QChar> distinct(window.begin(), window.end());
    if (window.size() == 3)
        return distinct.size() == 2 ? 3 : distinct.size() == 3 ? 6 : 0;
    return distinct.size() == 2 ? 2 : 0;
}

bool ticket_ok(const QString& t, int size, int pick)
{
    static const QRegularExpression digits(u"^[0-9]+$"_s);
    if (t.size() != size || !digits.match(t).hasMatch())
        return false;
    return pick == 0 || group_form(t) == pick;
}

std::optional<PlacedBet> direct(int first, int size, const QStringList& tickets, QChar slot_sep,
                                bool multi_digit)
{
    PlacedBet bet;
    bet.kind = PlacedBet::Direct;
    bet.first = first;
    bet.size = size;
    for (const QString& ticket : tickets) {
        const QStringList parts = ticket.split(slot_sep);
        if (parts.size() != size)
            return std::nullopt;
        QVector<QString> sets;
        qint64 lines = 1;
        for (QString slot : parts) {
            if (multi_digit)
                slot.remove(u'&');
            if (!digit_set(slot) || (!multi_digit && slot.size() != 1))
                return std::nullopt;
            sets << slot;
            lines *= slot.size();
        }
        bet.tickets << sets;
        bet.count += lines;
    }
    return bet.count > 0 ? std::optional(bet) : std::nullopt;
}

std::optional<PlacedBet> any(int first, int size, int pick, const QString& digits)
{
    if (!digit_set(digits))
        return std::nullopt;
    PlacedBet bet;
    bet.kind = PlacedBet::Any;
    bet.first = first;
    bet.size = size;
    bet.pick = pick;
    bet.digits = digits;
    bet.count = choose(digits.size(), pick);
    return bet.count > 0 ? std::optional(bet) : std::nullopt;
}

std::optional<PlacedBet> group_digits(int first, int size, int pick, const QString& digits)
{
    if (!digit_set(digits))
        return std::nullopt;
    PlacedBet bet;
    bet.kind = PlacedBet::Group;
    bet.first = first;
    bet.size = size;
    bet.pick = pick;
    bet.digits = digits;
    const qint64 n = digits.size();
    bet.count = pick == 3 ? n * (n - 1) : pick == 6 ? choose(n, 3) : choose(n, 2);
    return bet.count > 0 ? std::optional(bet) : std::nullopt;
}

std::optional<PlacedBet> group_tickets(int first, int size, int pick, const QStringList& tickets)
{
    PlacedBet bet;
    bet.kind = PlacedBet::Group;
    bet.first = first;
    bet.size = size;
    bet.pick = pick;
    for (const QString& t : tickets) {
        if (!ticket_ok(t, size, pick))
            return std::nullopt;
        bet.group_tickets << sorted(t);
    }
    bet.count = tickets.size();
    return bet.count > 0 ? std::optional(bet) : std::nullopt;
}

std::optional<PlacedBet> positions(const QStringList& parts, QChar digit_sep)
{
    if (parts.size() != 5)
        return std::nullopt;
    PlacedBet bet;
    QVector<QString> sets;
    for (QString slot : parts) {
        slot.remove(digit_sep);
        if (!digit_set(slot, true))
            return std::nullopt;
        sets << slot;
        bet.count += slot.size();
    }
    bet.tickets << sets;
    return bet.count > 0 ? std::optional(bet) : std::nullopt;
}

} // namespace

qint64 PlacedBet::wins(const QString& draw) const
{
    const QString window = draw.mid(first, size);
    qint64 n = 0;
    switch (kind) {
    case Position:
        for (int i = 0; i < 5 && i < draw.size(); ++i)
            n += tickets[0][i].contains(draw[i]) ? 1 : 0;
        return n;
    case Direct:
        for (const auto& t : tickets) {
            bool all = true;
            for (int i = 0; i < size; ++i)
                all = all && t[i].contains(window[i]);
            n += all ? 1 : 0;
        }
        return n;
    case Any: {
        qint64 present = 0;
        for (QChar d : digits)
            present += window.contains(d) ? 1 : 0;
        return choose(present, pick);
    }
    case Group: {
        if (group_form(window) != pick)
            return 0;
        if (!group_tickets.isEmpty())
            return group_tickets.count(sorted(window));
        for (QChar d : window)
            if (!digits.contains(d))
                return 0;
        return 1;
    }
    }
    return 0;
}

double PlacedBet::payout(double prize) const
{
    switch (kind) {
    case Position:
        return prize / 100;
    case Direct:
        return prize * std::pow(10.0, size - 3);
    case Any:
        return pick == 2 ? prize / 54 : size == 3 ? prize / 270 : prize / 189.9;
    case Group:
        return pick == 3 ? prize / 3 : pick == 6 ? prize / 6 : prize / 20;
    }
    return 0;
}

std::optional<PlacedBet> hele_bet_form(const QString& orders, bool* known_code)
{
    *known_code = false;
    if (orders.size() < 3 || !orders.endsWith(u'.'))
        return std::nullopt;
    const QString code = orders.left(2);
    const QString text = orders.mid(2, orders.size() - 3);
    struct Play {
        const char16_t* code;
        PlacedBet::Kind kind;
        int first, size, pick;
    };
    static const Play plays[] = {
        {u"5F", PlacedBet::Position, 0, 5, 0}, {u"1S", PlacedBet::Position, 4, 1, 0},
        {u"CJ", PlacedBet::Any, 0, 3, 1},      {u"3J", PlacedBet::Any, 2, 3, 1},
        {u"BG", PlacedBet::Any, 0, 2, 1},      {u"2G", PlacedBet::Any, 3, 2, 1},
        {u"BS", PlacedBet::Direct, 0, 2, 0},   {u"2S", PlacedBet::Direct, 3, 2, 0},
        {u"CS", PlacedBet::Direct, 0, 3, 0},   {u"MS", PlacedBet::Direct, 1, 3, 0},
        {u"3S", PlacedBet::Direct, 2, 3, 0},   {u"DS", PlacedBet::Direct, 0, 4, 0},
        {u"4S", PlacedBet::Direct, 1, 4, 0},   {u"5S", PlacedBet::Direct, 0, 5, 0},
        {u"BC", PlacedBet::Group, 0, 2, 2},    {u"2C", PlacedBet::Group, 3, 2, 2},
        {u"C3", PlacedBet::Group, 0, 3, 3},    {u"M3", PlacedBet::Group, 1, 3, 3},
        {u"33", PlacedBet::Group, 2, 3, 3},    {u"C6", PlacedBet::Group, 0, 3, 6},
        {u"M6", PlacedBet::Group, 1, 3, 6},    {u"36", PlacedBet::Group, 2, 3, 6},
    };
    for (const Play& p : plays) {
        if (QStringView(p.code) != code)
            continue;
        *known_code = true;
        switch (p.kind) {
        case PlacedBet::Position:
            if (p.size == 1) {
                QStringList parts(5);
                parts[4] = text;
                return text.isEmpty() ? std::nullopt : positions(parts, u'&');
            }
            return positions(text.split(u'_'), u'&');
        case PlacedBet::Any:
            return any(p.first, p.size, p.pick, text);
        case PlacedBet::Direct:
            return direct(p.first, p.size, text.split(u','), u'_', true);
        case PlacedBet::Group:
            // 单式 tickets are joined with ","; a lone 组三 ticket has its pair, which 复式 digits
            // never have; 组选 of two digits is only ever 单式.
            if (text.contains(u',') || p.pick == 2 || (p.pick == 3 && group_form(text) == 3))
                return group_tickets(p.first, p.size, p.pick, text.split(u','));
            return group_digits(p.first, p.size, p.pick, text);
        }
    }
    return std::nullopt;
}

namespace {

struct UcaiRow {
    int ids[3]; // 重庆时时彩, 欢乐分分彩, 欢乐五分彩
    const char16_t* type;
};

const UcaiRow kUcaiRows[] = {
    {{30, 2599, 2409}, u"digital"},     {{512, 2584, 2394}, u"digital"},
    {{513, 2587, 2397}, u"digital"},    {{18, 2583, 2393}, u"digital"},
    {{20, 2586, 2396}, u"digital"},     {{22, 2589, 2399}, u"input"},
    {{22, 2589, 2399}, u"digital"},     {{26, 2594, 2404}, u"input"},
    {{24, 2590, 2400}, u"input"},       {{24, 2590, 2400}, u"digital"},
    {{28, 2595, 2405}, u"input"},       {{2, 2565, 2377}, u"input"},
    {{2, 2565, 2377}, u"digital"},      {{8, 2571, 2383}, u"digital"},
    {{9, 2572, 2384}, u"digital"},      {{2291, 2633, 2443}, u"input"},
    {{2291, 2633, 2443}, u"digital"},   {{2293, 2636, 2446}, u"digital"},
    {{2294, 2637, 2447}, u"digital"},   {{5, 2568, 2380}, u"input"},
    {{5, 2568, 2380}, u"digital"},      {{13, 2577, 2388}, u"digital"},
    {{14, 2578, 2389}, u"digital"},     {{2265, 2608, 2418}, u"digital"},
    {{2274, 2617, 2427}, u"digital"},   {{2279, 2622, 2432}, u"digital"},
};

} // namespace

int ucai_row(int lottery_id, int method_id, const QString& type)
{
    const int column = lottery_id == 16 ? 1 : lottery_id == 15 ? 2 : lottery_id == 1 ? 0 : -1;
    if (column < 0)
        return -1;
    for (int row = 0; row < int(std::size(kUcaiRows)); ++row)
        if (kUcaiRows[row].ids[column] == method_id && QStringView(kUcaiRows[row].type) == type)
            return row;
    return -1;
}

std::optional<PlacedBet> ucai_bet_form(int row, const QString& codes)
{
    // The digit plays write each slot's digits joined by "&" ("1&2&3"), slots separated by "|";
    // any other layout ("123", "1,2", "1&&2") is refused, as the platform does.
    static const QRegularExpression slot(u"^(\\d(&\\d)*)?$"_s);
    const bool typed = QStringView(kUcaiRows[std::clamp(row, 0, int(std::size(kUcaiRows)) - 1)].type) == u"input";
    if (!typed) {
        for (const QString& part : codes.split(u'|'))
            if (!slot.match(part).hasMatch())
                return std::nullopt;
    }
    // Rows by play: the direct and group plays of 前二, 后二, 前三, 中三, 后三 in turn.
    struct Span {
        int first, size;
    };
    const auto slots_direct = [&](Span s) {
        return direct(s.first, s.size, {codes}, u'|', true);
    };
    const auto tickets = [&](Span s) {
        QStringList spread;
        for (const QString& t : codes.split(u'&'))
            spread << QStringList(t.begin(), t.end()).join(u'#');
        return direct(s.first, s.size, spread, u'#', false);
    };
    const auto joined = [&] { return QString(codes).remove(u'&'); };
    switch (row) {
    case 0:
        return positions(codes.split(u'|'), u'&');
    case 1: return any(0, 3, 1, joined());
    case 2: return any(0, 3, 2, joined());
    case 3: return any(2, 3, 1, joined());
    case 4: return any(2, 3, 2, joined());
    case 5: return tickets({0, 2});
    case 6: return slots_direct({0, 2});
    case 7: return group_tickets(0, 2, 2, codes.split(u'&'));
    case 8: return tickets({3, 2});
    case 9: return slots_direct({3, 2});
    case 10: return group_tickets(3, 2, 2, codes.split(u'&'));
    case 11: return tickets({0, 3});
    case 12: return slots_direct({0, 3});
    case 13: return group_digits(0, 3, 3, joined());
    case 14: return group_digits(0, 3, 6, joined());
    case 15: return tickets({1, 3});
    case 16: return slots_direct({1, 3});
    case 17: return group_digits(1, 3, 3, joined());
    case 18: return group_digits(1, 3, 6, joined());
    case 19: return tickets({2, 3});
    case 20: return slots_direct({2, 3});
    case 21: return group_digits(2, 3, 3, joined());
    case 22: return group_digits(2, 3, 6, joined());
    case 23: return slots_direct({1, 4});
    case 24: return slots_direct({0, 5});
    default:
        return std::nullopt; // 五星组选60 is not offered by this platform
    }
}

double unit_value(int unit_index)
{
    switch (unit_index) {
    case 1: return 1;
    case 2: return 0.1;
    case 3: return 0.01;
    case 4: return 0.001;
    default: return 0;
    }
}

} // namespace zorvik::sim
