#pragma once
// One watched bet as its 21 text fields, and the list of all of them, in the text forms the
// settings file stores ("~" between fields, "|" before every record).

#include "rules/compiled_hit.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace zorvik::monitor {

struct BetPlan;

enum Field {
    kPositions = 0,
    kPlay,
    kTitle,
    kNumbers,
    kCategory,
    kCondition,
    kConditionText,
    kCurrent,
    kStatus,
    kHistory,
    kDrawCount,
    kInitial,
    kRuns,
    kTotals,
    kAutoBet,
    kBetPlan,
    kMoneyUnit,
    kBetPending,
    kPlanStep,
    kBetInfo,
    kOrderId,
    kFieldCount
};

// What a record's category and condition mean, read once from their texts.
struct Condition {
    enum Category : quint8 { Miss, Run, Pattern, Other } category = Other; // 遗漏 连中 形态
    enum Compare : quint8 { AtLeast, AtMost, Equal, Never } compare = Never;
    // The pattern as results (see Counts::words), when it is made of 中 and 挂 only and holds
    // at most 64 of them.
    bool pattern_is_words = false;
    int threshold = 0;           // every digit of the condition, at most 32767
    // The alert's range of current values, from the comparison and the threshold, and what a
    // hit and a miss multiply the current value plus one by (遗漏 counts misses, 连中 hits;
    // others stay 0): judging a draw then takes no branch on either.
    int lowest = std::numeric_limits<int>::max();
    int highest = std::numeric_limits<int>::max();
    int on_hit = 0;
    int on_miss = 0;
    qsizetype pattern_length = 0; // the condition's length without "＝" (形态)
    quint64 pattern_words = 0;
    QString pattern;              // the condition without "＝", trimmed: what a 形态 alerts on
};

// Results as bits, 1 for 中 and 0 for 挂, the newest in the lowest bit: the text of `size`
// results, oldest first.
QString words_text(quint64 words, int size);

// The statistics a draw updates, as numbers: kept so that judging a draw does not read and
// write their texts for every monitor. Formatted on demand into fields 7, 9, 10, 12 and 13.
struct Counts {
    // A 形态 current made of results only is held as `words` and `word_count` (else it stays
    // text in the record until the draws have pushed its other characters out).
    quint64 words = 0;
    // The latest results not yet moved into the history, oldest in the lowest bit (1 for 中).
    quint64 tail = 0;
    qint64 draw_count = 0;
    // Hits over every update, in 64 bits: never stored, it lets a replay count exactly where
    // the stored totals stop at 32767.
    qint64 all_hits = 0;
    qint16 current = 0;
    qint16 runs[2] = {};   // current hit run, current miss run
    qint16 totals[4] = {}; // hits, misses, longest hit run, longest miss run
    // Not bytes: a store of a byte may alias anything, and the compiler would read every other
    // member again after it.
    quint16 word_count = 0;
    quint16 tail_length = 0;
    bool numeric_current = false; // 遗漏 and 连中
    bool word_current = false;
};

// A record keeps the fields exactly as read, so its text form round-trips even when a stored
// record is malformed; a missing field reads as empty. Every record has an identity of its own
// (copies share it), by which work that waited can find it again in a list that changed.
class Monitor {
public:
    Monitor();
    static Monitor from_text(const QString& text);
    QString text() const;

    QString field(Field f) const;
    // A field the statistics never hold (anything but current, draw count, runs and totals),
    // without a copy.
    QStringView raw(Field f) const { return f < fields_.size() ? QStringView(fields_[f]) : QStringView(); }
    // The current value as a 16-bit integer, when it is one.
    std::optional<int> current_number() const;
    void set(Field f, const QString& value);
    // Element `index` of a ":"-separated field, empty when missing.
    QString part(Field f, int index) const;

    quint64 uid() const { return uid_; }

    // The statistics as numbers once a draw has updated them; nothing before.
    const std::optional<Counts>& counts() const { return counts_; }
    // The statistics to change in place, or nullptr before the first update.
    Counts* counts_for_update() { return counts_ ? &*counts_ : nullptr; }
    // Takes the statistics (from the texts, at the first update) or keeps the changed ones.
    void set_counts(const Counts& counts);
    // Drops statistics just taken by set_counts from the fields, unchanged: the fields still
    // hold them.
    void drop_counts() { counts_.reset(); }
    void counts_changed();
    // True when it bets automatically and a placed bet waits for its draw.
    bool awaiting_result() const { return derived().awaiting; }
    // True when it bets automatically, no placed bet waits for its draw and the latest draw
    // could update it.
    bool ready_to_bet() const { return derived().ready && !stuck_; }
    // True when the latest draw could not update it (a value would pass 32767): it then shows
    // no alert and bets nothing. Cleared when its current value or runs are set again.
    bool stuck() const { return stuck_; }
    void set_stuck(bool stuck) { stuck_ = stuck; }
    // True when a plan step above 0 is chasing a loss (any digit other than 0 in the step).
    bool chasing() const { return derived().chasing; }
    // The hit test made for its positions, numbers and play; nothing when those cannot be judged
    // without the text rule. Made at first use: a list read only to be written again (or to be
    // copied) never needs it.
    const rules::CompiledHit* compiled() const
    {
        if (!compiled_made_)
            make_compiled();
        return derived_.compiled ? &*derived_.compiled : nullptr;
    }
    const Condition& condition() const { return derived().condition; }
    // Its bets worked out (at first use, and again once a field they come from is set).
    const std::shared_ptr<const BetPlan>& bet_plan() const;
    // A placed bet written back: pending, the plan step, the bet information (with the count and
    // odds of its plan) and the order number.
    void set_placed(const QString& step, const QString& bet_info, const QString& order_id);

private:
    // What the texts mean: made with the record and again when a field it comes from is set
    // (the hit test at first use).
    struct Derived {
        Condition condition;
        mutable std::optional<rules::CompiledHit> compiled;
        mutable std::shared_ptr<const BetPlan> bet_plan;
        bool awaiting = false;
        bool ready = false;
        bool chasing = false;
    };
    enum Stale : quint8 { kStaleCondition = 1, kStaleCompiled = 2, kStaleFlags = 4 };
    // Never stale, so that the many reads of every draw check nothing.
    const Derived& derived() const { return derived_; }
    void make_derived(quint8 stale);
    void make_compiled() const;
    void flush_counts(); // writes the numbers back into the fields and drops them
    QString history_results() const; // the results not yet in the history text

    // What every draw reads comes first, together; the texts after.
    quint64 uid_;
    mutable bool compiled_made_ = false;
    bool stuck_ = false;
    std::optional<Counts> counts_;
    Derived derived_;
    QStringList fields_;
    QList<quint64> history_words_; // full words of 64 results moved out of the tail, oldest first
};

// A monitoring session starts: "监控中", the current value back to its initial value, no history
// and no draw counted.
void start_monitoring(Monitor& m);

// True when both records were made from the same editor settings.
bool same_settings(const Monitor& a, const Monitor& b);

// Either empty or "|" followed by the records joined by "|"; position k is element k of the
// text split at "|". Empty elements are skipped wherever the list is walked. Held as records, so
// that walking it splits nothing; its text is made when asked for.
class MonitorList {
public:
    MonitorList() = default;
    explicit MonitorList(const QString& text);
    QString text() const;

    // Positions of the records, in order.
    QVector<int> positions() const;
    bool empty() const;
    std::optional<Monitor> at(int position) const;
    // The record at a position, to change in place; nullptr for an empty or missing element.
    Monitor* find(int position)
    {
        if (position < 1 || position > count_)
            return nullptr;
        Slot& item = items_[position - 1];
        return item ? &*item : nullptr;
    }
    const Monitor* find(int position) const
    {
        if (position < 1 || position > count_)
            return nullptr;
        const Slot& item = items_[position - 1];
        return item ? &*item : nullptr;
    }
    // The position of the record with this identity, or 0.
    int position_of(quint64 uid) const;
    // Number of elements, the empty element 0 included (positions run below it).
    int size() const { return count_ + 1; }
    // Every record with its position, in order.
    QVector<std::pair<int, Monitor>> records() const;
    // Position of the first record with the same settings as `record` (the fields the editor
    // sets, not its statistics or bet state), or 0.
    int find_same(const Monitor& record) const;
    // The duplicate test: the record's text occurs anywhere in the list text.
    bool contains_text(const QString& record) const;

    void append(const Monitor& record);
    bool replace(int position, const Monitor& record);
    // Empties element `position` and rebuilds the list from the remaining records.
    void remove(int position);
    void clear()
    {
        head_.clear();
        items_.clear();
        count_ = 0;
        positions_.clear();
    }

    // The form kept in the settings file: run statistics and open bets reset, never empty.
    QString stored_form() const;
    static MonitorList from_stored(const QString& stored);

private:
    // An element: a record or none. Unlike std::optional it says which at its start, next to
    // the record's identity, so that walking the list reads no other memory for it; and it
    // starts a cache line, so that a record's hot fields share as few lines as they can.
    class alignas(64) Slot {
    public:
        Slot(std::nullopt_t) {}
        Slot(const Monitor& m) : present_(true), monitor_(m) {}
        explicit operator bool() const { return present_; }
        Monitor& operator*() { return monitor_; }
        const Monitor& operator*() const { return monitor_; }
        Monitor* operator->() { return &monitor_; }
        const Monitor* operator->() const { return &monitor_; }
        void reset() { *this = Slot(std::nullopt); }

    private:
        bool present_ = false;
        Monitor monitor_;
    };

    QString head_;            // element 0, before the first "|" (normally empty)
    std::vector<Slot> items_; // elements 1 to n (no copy-on-write check on every access)
    int count_ = 0;           // their number, kept: every walk of the list asks for it
    mutable QHash<quint64, int> positions_; // identity → position, made again after a change
};

} // namespace zorvik::monitor
