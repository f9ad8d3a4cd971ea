#pragma once
// The hit test made once for a monitor's positions, numbers and play, so that judging a draw of
// five digits is a few integer operations. It gives hit_test's answer on every draw it accepts;
// for inputs it cannot be exact about it is not made, and for odd draws it answers nothing, so
// the caller keeps the text rule then.

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

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
    // The numbers of n digits a single bet text holds: a bit per number up to four digits, the
    // sorted numbers for five.
    struct Singles {
        std::vector<quint64> bits;
        std::vector<quint32> sorted;
    };

    Rule rule_ = Rule::Never;
    Form form_ = Form::None;
    quint8 n_ = 0;
    bool per_position_ = false;
    std::array<quint8, 5> positions_{};
    quint16 mask_ = 0;              // AnyItem, TwoItems, shared Compound: digits the bet holds
    quint16 twice_ = 0;             // TwoItems: digits that are two items or more
    std::array<quint16, 5> sets_{}; // per-position Compound: digits of each set
    std::shared_ptr<const Singles> singles_;
};

} // namespace zorvik::rules
