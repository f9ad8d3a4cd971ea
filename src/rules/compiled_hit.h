#pragma once
// The hit test made once for a monitor's positions, numbers and play, so that judging a draw of
// five digits is a few integer operations. It gives hit_test's answer on every draw it accepts;
// for inputs it cannot be exact about it is not made, and for odd draws it answers nothing, so
// the caller keeps the text rule then.

#include <QString>
#include <array>
#include <optional>

namespace zorvik::rules {

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

private:
    enum class Rule : quint8 { AnyItem, TwoItems, Compound, Never, Single };
    enum class Form : quint8 { Any, Z3, Z6, None };

    Rule rule_ = Rule::Never;
    Form form_ = Form::None;
    quint8 n_ = 0;
    std::array<quint8, 5> positions_{};
    quint16 mask_ = 0;                 // AnyItem, shared Compound: digits the bet holds
    std::array<quint16, 5> sets_{};    // per-position Compound: digits of each set
    bool per_position_ = false;
    std::array<quint32, 10> counts_{}; // TwoItems: how often each digit is a bet item
    QString numbers_;                  // Single: the bet text, searched for the drawn digits
};

} // namespace zorvik::rules
