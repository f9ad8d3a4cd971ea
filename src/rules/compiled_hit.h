#pragma once
// The hit test made once for a monitor's positions, numbers and play, so that judging a draw of
// five digits is a few integer operations. It gives hit_test's answer on every draw it accepts;
// for inputs it cannot be exact about it is not made, and for odd draws it answers nothing, so
// the caller keeps the text rule then.

#include <QString>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace zorvik::rules {

// Calls f(run) on every run of digits of a bet text: the tickets of a 单式 bet.
template <typename F>
void for_each_digit_run(QStringView text, F&& f)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool digit = i < text.size() && text[i] >= u'0' && text[i] <= u'9';
        if (digit && start < 0)
            start = i;
        if (digit || start < 0)
            continue;
        f(text.mid(start, i - start));
        start = -1;
    }
}

// A draw of exactly five single digits joined by commas, as numbers; nothing for any other text.
struct DrawDigits {
    std::array<quint8, 5> d{};
};
std::optional<DrawDigits> read_draw(QStringView draw);

class CompiledHit {
public:
    static std::optional<CompiledHit> compile(QStringView letters, QStringView numbers,
                                              QStringView play);
    bool hit(const DrawDigits& draw) const;
    // win_lines' answer for a draw this hits (an answer for a miss is meaningless).
    qint64 lines(const DrawDigits& draw) const;

private:
    enum class Rule : quint8 { AnyItem, TwoItems, Compound, Never, Single };
    enum class Form : quint8 { Any, Z3, Z6, None };
    // The numbers of n digits a single bet text holds: a bit per number up to four digits, the
    // sorted numbers for five.
    struct Singles {
        std::vector<quint64> bits;
        std::vector<quint32> sorted;
        // Tickets (runs of exactly n digits) the text holds more than once, with their count.
        std::vector<std::pair<quint32, quint32>> repeated;
    };

    static std::optional<CompiledHit> compile_rule(QStringView letters, QStringView numbers,
                                                   QStringView play);
    bool hit_by_rule(const DrawDigits& draw) const;
    // With three positions or fewer, every answer is worked out once: the digits at the
    // positions, read as a number, index a bit. A draw is then judged without a branch on its
    // digits, from memory next to the rest of the monitor.
    void make_table();

    Rule rule_ = Rule::Never;
    Form form_ = Form::None;
    quint8 n_ = 0;
    std::array<quint8, 5> positions_{};
    quint16 mask_ = 0;              // AnyItem, TwoItems: digits the bet holds
    quint16 twice_ = 0;             // TwoItems: digits that are two items or more
    bool by_position_ = false;      // AnyItem as 定位胆: a line per position hit, from sets_
    bool starred_ = false;          // by_position_ with a "*" part per position: hits by sets_
    std::array<quint16, 5> sets_{}; // Compound: digits each position may hold
    std::shared_ptr<const Singles> singles_;
    bool tabled_ = false;
    std::array<quint16, 3> weights_{}; // the table's index: the digit at position i times weight i
    std::array<quint64, 16> table_{};
};

// Inline: it runs for every monitor after every draw.
Q_ALWAYS_INLINE bool CompiledHit::hit(const DrawDigits& draw) const
{
    if (tabled_) {
        const quint32 index = weights_[0] * draw.d[positions_[0]] + weights_[1] * draw.d[positions_[1]] +
                              weights_[2] * draw.d[positions_[2]];
        return (table_[index >> 6] >> (index & 63)) & 1;
    }
    return hit_by_rule(draw);
}

inline bool CompiledHit::hit_by_rule(const DrawDigits& draw) const
{
    switch (rule_) {
    case Rule::Never:
        return false;
    case Rule::AnyItem:
    case Rule::TwoItems: {
        if (starred_) {
            for (int i = 0; i < n_; ++i)
                if ((sets_[size_t(i)] >> draw.d[positions_[size_t(i)]]) & 1)
                    return true;
            return false;
        }
        quint16 drawn = 0;
        for (int i = 0; i < n_; ++i)
            drawn |= quint16(1u << draw.d[positions_[size_t(i)]]);
        if (rule_ == Rule::AnyItem)
            return (drawn & mask_) != 0;
        // Two items drawn: two distinct digits of the bet, or one the bet holds twice.
        const quint16 held = drawn & mask_;
        return (drawn & twice_) != 0 || (held & (held - 1)) != 0;
    }
    case Rule::Compound: {
        int v[3] = {10, 10, 10}; // a missing digit equals no digit but the other missing ones
        for (int i = 0; i < n_; ++i) {
            const int digit = draw.d[positions_[size_t(i)]];
            if (!(sets_[size_t(i)] & (1u << digit)))
                return false;
            if (i < 3)
                v[i] = digit;
        }
        const int pairs = int(v[0] == v[1]) + int(v[1] == v[2]) + int(v[0] == v[2]);
        switch (form_) {
        case Form::Any:
            return true;
        case Form::Z3:
            return pairs == 1;
        case Form::Z6:
            return pairs == 0;
        default:
            return false;
        }
    }
    case Rule::Single: {
        quint32 value = 0;
        for (int i = 0; i < n_; ++i)
            value = value * 10 + draw.d[positions_[size_t(i)]];
        if (n_ <= 4)
            return (singles_->bits[value / 64] >> (value % 64)) & 1;
        return std::binary_search(singles_->sorted.begin(), singles_->sorted.end(), value);
    }
    }
    return false;
}

} // namespace zorvik::rules
