#include "monitor/monitor.h"

#include "monitor/bet_plan.h"

#include "support/text.h"

#include <atomic>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

// `count` results of a word, oldest in the lowest bit.
void append_results(QString& out, quint64 word, int count)
{
    for (int i = 0; i < count; ++i)
        out += (word >> i) & 1 ? u'中' : u'挂';
}

quint64 next_uid()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

} // namespace

QString words_text(quint64 words, int size)
{
    QString out(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        out[i] = (words >> (size - 1 - i)) & 1 ? u'中' : u'挂';
    return out;
}

Monitor::Monitor() : uid_(next_uid()), fields_(kFieldCount)
{
    make_derived(kStaleCondition | kStaleCompiled | kStaleFlags);
}

Monitor Monitor::from_text(const QString& text)
{
    Monitor m;
    m.fields_ = text.split(u'~');
    m.make_derived(kStaleCondition | kStaleCompiled | kStaleFlags);
    return m;
}

QString Monitor::text() const
{
    if (!counts_)
        return fields_.join(u'~');
    Monitor copy = *this;
    copy.flush_counts();
    return copy.fields_.join(u'~');
}

QString Monitor::field(Field f) const
{
    if (counts_) {
        switch (f) {
        case kCurrent:
            if (counts_->numeric_current)
                return QString::number(counts_->current);
            if (counts_->word_current)
                return words_text(counts_->words, counts_->word_count);
            break;
        case kDrawCount:
            return QString::number(counts_->draw_count);
        case kHistory:
            return (f < fields_.size() ? fields_[f] : QString()) + history_results();
        case kRuns:
            return QString::number(counts_->runs[0]) + u':' + QString::number(counts_->runs[1]);
        case kTotals:
            return QString::number(counts_->totals[0]) + u':' + QString::number(counts_->totals[1]) +
                   u':' + QString::number(counts_->totals[2]) + u':' +
                   QString::number(counts_->totals[3]);
        default:
            break;
        }
    }
    return f < fields_.size() ? fields_[f] : QString();
}

std::optional<int> Monitor::current_number() const
{
    if (counts_ && counts_->numeric_current)
        return counts_->current;
    if (counts_ && counts_->word_current)
        return std::nullopt; // results are never a number
    bool ok = false;
    const int value = raw(kCurrent).trimmed().toInt(&ok);
    if (!ok || value < -32768 || value > 32767)
        return std::nullopt;
    return value;
}

QString Monitor::history_results() const
{
    QString out;
    if (!counts_)
        return out;
    out.reserve((history_words_.size() * 64) + counts_->tail_length);
    for (quint64 word : history_words_)
        append_results(out, word, 64);
    append_results(out, counts_->tail, counts_->tail_length);
    return out;
}

void Monitor::flush_counts()
{
    if (!counts_)
        return;
    while (fields_.size() <= kTotals)
        fields_.append(QString());
    fields_[kHistory] += history_results();
    const Counts c = *counts_;
    counts_.reset();
    history_words_.clear();
    if (c.numeric_current)
        fields_[kCurrent] = QString::number(c.current);
    else if (c.word_current)
        fields_[kCurrent] = words_text(c.words, c.word_count);
    fields_[kDrawCount] = QString::number(c.draw_count);
    fields_[kRuns] = QString::number(c.runs[0]) + u':' + QString::number(c.runs[1]);
    fields_[kTotals] = QString::number(c.totals[0]) + u':' + QString::number(c.totals[1]) + u':' +
                       QString::number(c.totals[2]) + u':' + QString::number(c.totals[3]);
}

void Monitor::make_compiled() const
{
    derived_.compiled = rules::CompiledHit::compile(raw(kPositions), raw(kNumbers), raw(kPlay));
    compiled_made_ = true;
}

void Monitor::make_derived(quint8 stale)
{
    if (stale & kStaleCondition)
        derived_.bet_plan.reset(); // made with the record
    if (stale & kStaleCompiled) {
        derived_.compiled.reset();
        compiled_made_ = false;
    }
    if (stale & kStaleFlags) {
        const bool auto_bet = raw(kAutoBet) == u"1";
        derived_.awaiting = auto_bet && raw(kBetPending) == u"true";
        derived_.ready = auto_bet && raw(kBetPending) == u"false";
        derived_.chasing = false;
        for (QChar ch : raw(kPlanStep)) // any digit other than 0 makes the step above 0
            derived_.chasing = derived_.chasing || (ch > u'0' && ch <= u'9');
    }
    if (stale & kStaleCondition) {
        Condition c;
        const QStringView category = raw(kCategory);
        c.category = category == u"遗漏"   ? Condition::Miss
                     : category == u"连中" ? Condition::Run
                     : category == u"形态" ? Condition::Pattern
                                            : Condition::Other;
        const QStringView text = raw(kCondition);
        for (QChar ch : text)
            if (ch >= u'0' && ch <= u'9')
                c.threshold = std::min(32767, c.threshold * 10 + (ch.unicode() - u'0'));
        c.compare = text.contains(u'≥')   ? Condition::AtLeast
                    : text.contains(u'≤') ? Condition::AtMost
                    : text.contains(u'＝') ? Condition::Equal
                                           : Condition::Never;
        c.pattern_length = text.size() - text.count(u'＝');
        c.lowest = c.compare == Condition::AtMost ? std::numeric_limits<int>::min() : c.threshold;
        c.highest = c.compare == Condition::AtLeast ? std::numeric_limits<int>::max() : c.threshold;
        if (c.compare == Condition::Never) // a value no current (a 16-bit number) can be
            c.lowest = c.highest = std::numeric_limits<int>::max();
        c.on_hit = c.category == Condition::Run ? 1 : 0;
        c.on_miss = c.category == Condition::Miss ? 1 : 0;
        if (c.category == Condition::Pattern) {
            c.pattern = support::trim_blanks(text.toString().remove(u'＝'));
            c.pattern_is_words = c.pattern.size() <= 64;
            for (QChar ch : std::as_const(c.pattern)) {
                c.pattern_is_words = c.pattern_is_words && (ch == u'中' || ch == u'挂');
                c.pattern_words = (c.pattern_words << 1) | (ch == u'中' ? 1 : 0);
            }
        }
        derived_.condition = c;
    }
}

const std::shared_ptr<const BetPlan>& Monitor::bet_plan() const
{
    if (!derived_.bet_plan)
        derived_.bet_plan = std::make_shared<const BetPlan>(make_bet_plan(*this));
    return derived_.bet_plan;
}

void Monitor::set_placed(const QString& step, const QString& bet_info, const QString& order_id)
{
    while (fields_.size() <= kOrderId)
        fields_.append(QString());
    fields_[kBetPending] = u"true"_s;
    fields_[kPlanStep] = step;
    fields_[kBetInfo] = bet_info;
    fields_[kOrderId] = order_id;
    make_derived(kStaleFlags);
}

void Monitor::set(Field f, const QString& value)
{
    if (f == kPositions || f == kPlay || f == kTitle || f == kNumbers || f == kBetPlan || f == kMoneyUnit ||
        f == kBetInfo)
        derived_.bet_plan.reset();
    const quint8 stale = f == kPositions || f == kPlay || f == kNumbers ? kStaleCompiled
                         : f == kCategory || f == kCondition             ? kStaleCondition
                         : f == kAutoBet || f == kBetPending || f == kPlanStep ? kStaleFlags
                                                                               : 0;
    if (counts_ && ((f == kCurrent && (counts_->numeric_current || counts_->word_current)) ||
                    f == kDrawCount || f == kRuns || f == kTotals || f == kHistory))
        flush_counts();
    if (f == kCurrent || f == kRuns)
        stuck_ = false;
    while (fields_.size() <= f)
        fields_.append(QString());
    fields_[f] = value;
    if (stale)
        make_derived(stale);
}

void Monitor::set_counts(const Counts& counts)
{
    counts_ = counts;
    counts_changed();
}

void Monitor::counts_changed()
{
    if (!counts_ || counts_->tail_length < 64)
        return;
    history_words_.append(counts_->tail);
    counts_->tail = 0;
    counts_->tail_length = 0;
}

QString Monitor::part(Field f, int index) const
{
    const QString text = field(f);
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        start = text.indexOf(u':', start);
        if (start < 0)
            return QString();
        ++start;
    }
    const qsizetype end = text.indexOf(u':', start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

MonitorList::MonitorList(const QString& text)
{
    const QStringList elements = text.split(u'|');
    head_ = elements.first();
    items_.reserve(elements.size() - 1);
    for (qsizetype i = 1; i < elements.size(); ++i) {
        if (elements[i].isEmpty())
            items_.emplace_back(std::nullopt);
        else
            items_.emplace_back(Monitor::from_text(elements[i]));
    }
    count_ = int(items_.size());
}

QString MonitorList::text() const
{
    QString out = head_;
    for (const auto& item : items_) {
        out += u'|';
        if (item)
            out += item->text();
    }
    return out;
}

QVector<int> MonitorList::positions() const
{
    QVector<int> out;
    for (int i = 0; i < int(items_.size()); ++i) {
        if (items_[i])
            out.append(i + 1);
    }
    return out;
}

bool MonitorList::empty() const
{
    for (const auto& item : items_)
        if (item)
            return false;
    return true;
}

std::optional<Monitor> MonitorList::at(int position) const
{
    if (position < 1 || position > int(items_.size()))
        return std::nullopt;
    const Slot& item = items_[position - 1];
    return item ? std::optional<Monitor>(*item) : std::nullopt;
}

int MonitorList::position_of(quint64 uid) const
{
    // The index is checked against the list before it is trusted, and made again when stale.
    const int known = positions_.value(uid, 0);
    if (known > 0 && known <= int(items_.size()) && items_[known - 1] && items_[known - 1]->uid() == uid)
        return known;
    positions_.clear();
    positions_.reserve(items_.size());
    for (int i = 0; i < int(items_.size()); ++i)
        if (items_[i])
            positions_.insert(items_[i]->uid(), i + 1);
    return positions_.value(uid, 0);
}

QVector<std::pair<int, Monitor>> MonitorList::records() const
{
    QVector<std::pair<int, Monitor>> out;
    for (int i = 0; i < int(items_.size()); ++i) {
        if (items_[i])
            out.append({i + 1, *items_[i]});
    }
    return out;
}

void start_monitoring(Monitor& m)
{
    m.set(kStatus, u"监控中"_s);
    m.set(kCurrent, m.field(kInitial));
    m.set(kHistory, QString());
    m.set(kDrawCount, u"0"_s);
}

bool same_settings(const Monitor& a, const Monitor& b)
{
    for (Field f : {kPositions, kPlay, kTitle, kNumbers, kCategory, kCondition, kConditionText,
                    kInitial, kAutoBet, kBetPlan, kMoneyUnit}) {
        if (a.field(f) != b.field(f))
            return false;
    }
    return a.part(kBetInfo, 3) == b.part(kBetInfo, 3);
}

int MonitorList::find_same(const Monitor& record) const
{
    for (int i = 0; i < int(items_.size()); ++i) {
        if (items_[i] && same_settings(*items_[i], record))
            return i + 1;
    }
    return 0;
}

bool MonitorList::contains_text(const QString& record) const
{
    return text().contains(record);
}

void MonitorList::append(const Monitor& record)
{
    if (empty())
        clear();
    items_.emplace_back(record);
    count_ = int(items_.size());
}

bool MonitorList::replace(int position, const Monitor& record)
{
    if (position < 1 || position > int(items_.size()))
        return false;
    items_[position - 1] = record;
    return true;
}

void MonitorList::remove(int position)
{
    if (position >= 1 && position <= int(items_.size()))
        items_[position - 1].reset();
    std::vector<Slot> kept;
    for (auto& item : items_) {
        if (item)
            kept.push_back(std::move(item));
    }
    head_.clear();
    items_ = std::move(kept);
    count_ = int(items_.size());
}

QString MonitorList::stored_form() const
{
    QString stored = head_;
    for (const auto& item : items_) {
        stored += u'|';
        if (!item)
            continue;
        Monitor m = *item;
        m.set(kRuns, u"0:0"_s);
        m.set(kTotals, u"0:0:0:0"_s);
        m.set(kBetPending, u"false"_s);
        m.set(kPlanStep, u"0"_s);
        stored += m.text();
    }
    stored.replace(u"||"_s, u"|"_s);
    return stored.isEmpty() ? u"|"_s : stored;
}

MonitorList MonitorList::from_stored(const QString& stored)
{
    return MonitorList(QString(stored).replace(u"||"_s, u"|"_s));
}

} // namespace zorvik::monitor
