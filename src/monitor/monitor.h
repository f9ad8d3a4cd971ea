#pragma once
// One watched bet as its 21 text fields, and the list of all of them, in the text forms the
// settings file stores ("~" between fields, "|" before every record).

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace zorvik::monitor {

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

// A record keeps the fields exactly as read, so its text form round-trips even when a stored
// record is malformed; a missing field reads as empty.
class Monitor {
public:
    Monitor();
    static Monitor from_text(const QString& text);
    QString text() const;

    QString field(Field f) const;
    void set(Field f, const QString& value);
    // Element `index` of a ":"-separated field, empty when missing.
    QString part(Field f, int index) const;

private:
    QStringList fields_;
};

// True when both records were made from the same editor settings.
bool same_settings(const Monitor& a, const Monitor& b);

// Either empty or "|" followed by the records joined by "|"; position k is element k of the
// text split at "|". Empty elements are skipped wherever the list is walked.
class MonitorList {
public:
    MonitorList() = default;
    explicit MonitorList(const QString& text) : text_(text) {}
    const QString& text() const { return text_; }

    // Positions of the records, in order.
    QVector<int> positions() const;
    bool empty() const { return positions().isEmpty(); }
    std::optional<Monitor> at(int position) const;
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
    void clear() { text_.clear(); }

    // The form kept in the settings file: run statistics and open bets reset, never empty.
    QString stored_form() const;
    static MonitorList from_stored(const QString& stored);

private:
    QString text_;
};

} // namespace zorvik::monitor
