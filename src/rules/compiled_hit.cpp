#include "rules/compiled_hit.h"

#include <algorithm>
#include <bit>

namespace zorvik::rules {

namespace {

constexpr int kMaxLetters = 16;
constexpr quint32 kPowers[] = {1, 10, 100, 1000, 10000};

bool is_digit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

quint16 digit_bit(QChar c)
{
    return is_digit(c) ? quint16(1u << (c.unicode() - u'0')) : 0;
}

// Calls f on each item of a bet text without commas, as split_bet_items splits it: a text
// shorter than two characters is its own item, else every non-blank character (a surrogate pair
// is one item, never a digit).
template <typename F>
void each_char_item(QStringView numbers, F&& f)
{
    if (numbers.size() < 2) {
        if (!numbers.isEmpty())
            f(numbers.front());
        return;
    }
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const QChar c = numbers[i];
        if (c == u' ')
            continue;
        if (c.isHighSurrogate() && i + 1 < numbers.size() && numbers[i + 1].isLowSurrogate()) {
            f(QChar()); // a pair: an item that is no digit
            ++i;
            continue;
        }
        f(c);
    }
}

} // namespace

std::optional<DrawDigits> read_draw(QStringView draw)
{
    if (draw.size() != 9)
        return std::nullopt;
    DrawDigits out;
    for (int i = 0; i < 5; ++i) {
        if (!is_digit(draw[i * 2]) || (i < 4 && draw[i * 2 + 1] != u','))
            return std::nullopt;
        out.d[size_t(i)] = quint8(draw[i * 2].unicode() - u'0');
    }
    return out;
}

std::optional<CompiledHit> CompiledHit::compile(QStringView letters, QStringView numbers,
                                                QStringView play)
{
    std::optional<CompiledHit> c = compile_rule(letters, numbers, play);
    if (c && c->n_ <= 3)
        c->make_table();
    return c;
}

void CompiledHit::make_table()
{
    for (quint32 index = 0; index < kPowers[n_]; ++index) {
        // The draw that puts the index's digits at the positions; none when a position named
        // twice would need two digits.
        DrawDigits draw;
        std::array<int, 5> assigned{-1, -1, -1, -1, -1};
        bool possible = true;
        quint32 rest = index;
        for (int i = n_ - 1; i >= 0; --i) {
            const int digit = int(rest % 10);
            rest /= 10;
            int& at = assigned[positions_[size_t(i)]];
            possible = possible && (at < 0 || at == digit);
            at = digit;
            draw.d[positions_[size_t(i)]] = quint8(digit);
        }
        if (possible && hit_by_rule(draw))
            table_[index / 64] |= quint64(1) << (index % 64);
    }
    for (int i = 0; i < n_; ++i)
        weights_[size_t(i)] = quint16(kPowers[n_ - 1 - i]);
    tabled_ = true;
}

std::optional<CompiledHit> CompiledHit::compile_rule(QStringView letters, QStringView numbers,
                                                     QStringView play_text)
{
    if (letters.size() > kMaxLetters)
        return std::nullopt;
    CompiledHit c;
    c.n_ = quint8(letters.size());
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const int index = letters[i].unicode() - u'A';
        if (index < 0 || index >= 5)
            return std::nullopt; // another letter stands for itself in the drawn text
        if (i < 5)
            c.positions_[size_t(i)] = quint8(index);
    }
    if (letters.size() > 5)
        return std::nullopt;
    if (numbers.isEmpty())
        return c; // Never
    const QStringView play = play_text.trimmed();

    if (QStringView(u"|定位胆|不定位:一码|").contains(play) || play == u"不定位:二码") {
        if (numbers.contains(u','))
            return std::nullopt; // items of several characters: the text rule
        const bool two = !QStringView(u"|定位胆|不定位:一码|").contains(play);
        c.rule_ = two ? Rule::TwoItems : Rule::AnyItem;
        each_char_item(numbers, [&c](QChar item) {
            c.twice_ |= c.mask_ & digit_bit(item);
            c.mask_ |= digit_bit(item);
        });
        c.by_position_ = !two && play != u"不定位:一码";
        if (c.by_position_) {
            // Each position's digits: its own "*" part, or every digit of the bet.
            const bool starred = numbers.contains(u'*');
            size_t set = 0;
            for (QChar ch : numbers) {
                if (ch == u'*')
                    ++set;
                else if (set < c.sets_.size())
                    c.sets_[set] |= digit_bit(ch);
            }
            if (!starred)
                c.sets_.fill(c.mask_);
            c.starred_ = starred;
        }
        return c;
    }
    if (play.contains(u"复式")) {
        if (c.n_ == 0)
            return c;
        const bool per_position = numbers.contains(u'*');
        const qsizetype sets = per_position ? numbers.count(u'*') + 1 : c.n_;
        if (sets != c.n_)
            return c; // Never
        if (play == u"直选复式")
            c.form_ = Form::Any;
        else if (play == u"组三复式")
            c.form_ = Form::Z3;
        else if (play == u"组六复式")
            c.form_ = Form::Z6;
        else
            return c; // no form condition holds for another 复式 play
        c.rule_ = Rule::Compound;
        int set = 0;
        for (QChar ch : numbers) {
            if (per_position && ch == u'*')
                ++set;
            else
                c.sets_[size_t(set)] |= digit_bit(ch);
        }
        if (!per_position) // one set of digits for every position
            c.sets_.fill(c.sets_[0]);
        return c;
    }
    // A single bet hits when the drawn digits occur in its text: every run of n digits in it is
    // one of the numbers it holds.
    c.rule_ = Rule::Single;
    auto singles = std::make_shared<Singles>();
    if (c.n_ <= 4)
        singles->bits.assign((kPowers[c.n_] + 63) / 64, 0);
    for (qsizetype start = 0; start + c.n_ <= numbers.size(); ++start) {
        quint32 value = 0;
        qsizetype i = 0;
        while (i < c.n_ && is_digit(numbers[start + i]))
            value = value * 10 + (numbers[start + i++].unicode() - u'0');
        if (i < c.n_)
            continue;
        if (c.n_ <= 4)
            singles->bits[value / 64] |= quint64(1) << (value % 64);
        else
            singles->sorted.push_back(value);
    }
    // Tickets written more than once win once each.
    {
        std::vector<quint32> tickets;
        for_each_digit_run(numbers, [&](QStringView run) {
            if (run.size() != c.n_)
                return;
            quint32 value = 0;
            for (QChar d : run)
                value = value * 10 + (d.unicode() - u'0');
            tickets.push_back(value);
        });
        std::sort(tickets.begin(), tickets.end());
        for (size_t i = 0; i < tickets.size();) {
            size_t j = i;
            while (j < tickets.size() && tickets[j] == tickets[i])
                ++j;
            if (j - i > 1)
                singles->repeated.emplace_back(tickets[i], quint32(j - i));
            i = j;
        }
    }
    std::sort(singles->sorted.begin(), singles->sorted.end());
    singles->sorted.erase(std::unique(singles->sorted.begin(), singles->sorted.end()),
                          singles->sorted.end());
    c.singles_ = std::move(singles);
    return c;
}

qint64 CompiledHit::lines(const DrawDigits& draw) const
{
    switch (rule_) {
    case Rule::AnyItem:
    case Rule::TwoItems: {
        if (by_position_) {
            qint64 n = 0;
            for (int i = 0; i < n_; ++i)
                n += (sets_[size_t(i)] >> draw.d[positions_[size_t(i)]]) & 1;
            return std::max<qint64>(n, 1);
        }
        quint16 drawn = 0;
        for (int i = 0; i < n_; ++i)
            drawn |= quint16(1u << draw.d[positions_[size_t(i)]]);
        const qint64 p = std::popcount(quint16(drawn & mask_));
        return std::max<qint64>(rule_ == Rule::AnyItem ? p : p * (p - 1) / 2, 1);
    }
    case Rule::Single: {
        quint32 value = 0;
        for (int i = 0; i < n_; ++i)
            value = value * 10 + draw.d[positions_[size_t(i)]];
        const auto& repeated = singles_->repeated;
        const auto found = std::lower_bound(repeated.begin(), repeated.end(), std::pair<quint32, quint32>(value, 0));
        return found != repeated.end() && found->first == value ? found->second : 1;
    }
    default:
        return 1;
    }
}

} // namespace zorvik::rules
