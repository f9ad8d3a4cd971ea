#include "rules/hit.h"

#include "rules/compiled_hit.h"
#include "support/text.h"

#include <bit>
#include <optional>

#include <QHash>
#include <QSet>
#include <algorithm>
#include <QStringTokenizer>
#include <QVarLengthArray>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::rules {

namespace {

// Calls f on every item of `text` as split_bet_items splits it (at commas when there is one;
// otherwise every non-blank character, a surrogate pair as one; a text shorter than two
// characters is its own item), without making a list. f returns false to stop.
template <typename F>
void for_each_item(QStringView text, F&& f)
{
    if (text.isEmpty())
        return;
    if (text.contains(u',')) {
        for (QStringView part : QStringTokenizer(text, u','))
            if (!f(part))
                return;
        return;
    }
    if (text.size() < 2) {
        f(text);
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u' ')
            continue;
        const qsizetype width =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        if (!f(text.mid(i, width)))
            return;
        i += width - 1;
    }
}

qsizetype count_items(QStringView text)
{
    qsizetype n = 0;
    for_each_item(text, [&n](QStringView) { return ++n, true; });
    return n;
}

// The drawn digits: the draw's digit text for each position letter A to E, any other letter as
// itself. Read piece by piece, so that a crafted input (tens of thousands of letters, long
// digit texts) is never built unless the rule needs it whole.
class DrawnText {
public:
    DrawnText(const QStringView (&digits)[5], qsizetype parts, QStringView letters)
        : digits_(digits), parts_(parts), letters_(letters)
    {
        for (QChar letter : letters_)
            size_ += piece(letter).size();
    }

    qsizetype size() const { return size_; }
    // Only a letter can bring a comma: the draw's digit texts are split at them.
    bool has_comma() const { return letters_.contains(u','); }

    // Calls f on every character in order; f returns false to stop.
    template <typename F>
    void each_char(F&& f) const
    {
        for (QChar letter : letters_) {
            for (QChar c : piece(letter))
                if (!f(c))
                    return;
        }
    }

    // Calls f on every distinct piece (each digit text once, each other letter once per use).
    template <typename F>
    void each_piece(F&& f) const
    {
        bool seen[5] = {};
        for (QChar letter : letters_) {
            const int index = letter.unicode() - u'A';
            if (index < 0 || index >= 5) {
                f(QStringView(&letter, 1));
            } else if (index < parts_ && !seen[index]) {
                seen[index] = true;
                f(digits_[index]);
            }
        }
    }

    QStringView build(QVarLengthArray<QChar, 64>& buffer) const
    {
        buffer.reserve(size_);
        each_char([&buffer](QChar c) { return buffer.append(c), true; });
        return QStringView(buffer.data(), buffer.size());
    }

private:
    QStringView piece(const QChar& letter) const
    {
        const int index = letter.unicode() - u'A';
        if (index >= 0 && index < 5)
            return index < parts_ ? digits_[index] : QStringView();
        return QStringView(&letter, 1);
    }

    const QStringView (&digits_)[5];
    qsizetype parts_;
    QStringView letters_;
    qsizetype size_ = 0;
};

// The items of a drawn text without a comma (non-blank characters, a surrogate pair as one), read
// piece by piece. An item is handed over in a small buffer: f must copy what it keeps.
template <typename F>
void each_drawn_char_item(const DrawnText& text, F&& f)
{
    if (text.size() == 0)
        return;
    if (text.size() < 2) {
        QVarLengthArray<QChar, 64> buffer;
        f(text.build(buffer));
        return;
    }
    QChar pending;
    bool has_pending = false;
    bool go = true;
    text.each_char([&](QChar c) {
        if (has_pending) {
            has_pending = false;
            if (c.isLowSurrogate()) {
                const QChar pair[2] = {pending, c};
                return go = f(QStringView(pair, 2));
            }
            if (!(go = f(QStringView(&pending, 1))))
                return false;
        }
        if (c == u' ')
            return true;
        if (c.isHighSurrogate()) {
            pending = c;
            has_pending = true;
            return true;
        }
        return go = f(QStringView(&c, 1));
    });
    if (go && has_pending)
        f(QStringView(&pending, 1));
}

// Which of many needles occur in one haystack, in time linear in their total length
// (Aho-Corasick): a crafted bet of many numbers against a long drawn text costs their sum, not
// their product.
class NeedleScan {
public:
    NeedleScan() { nodes_.push_back({}); }

    // The needle's handle for found(); equal needles share one.
    int add(QStringView needle)
    {
        int node = 0;
        for (QChar c : needle) {
            const quint64 key = edge(node, c);
            auto it = next_.constFind(key);
            if (it == next_.cend()) {
                nodes_.push_back({});
                it = next_.insert(key, int(nodes_.size() - 1));
            }
            node = *it;
        }
        return node;
    }

    void scan(QStringView hay)
    {
        link();
        nodes_[0].found = true; // the empty needle occurs everywhere
        int node = 0;
        for (QChar c : hay) {
            node = step(node, c);
            // Every needle ending here is found; a node met before has had its chain marked.
            for (int m = node; m > 0 && !nodes_[m].found; m = nodes_[m].fail)
                nodes_[m].found = true;
        }
    }

    bool found(int handle) const { return nodes_[handle].found; }

private:
    struct Node {
        int fail = 0;
        bool found = false;
    };

    static quint64 edge(int node, QChar c) { return (quint64(node) << 16) | c.unicode(); }

    int step(int node, QChar c) const
    {
        for (;;) {
            const auto it = next_.constFind(edge(node, c));
            if (it != next_.cend())
                return *it;
            if (node == 0)
                return 0;
            node = nodes_[node].fail;
        }
    }

    // Failure links, breadth first from the root.
    void link()
    {
        std::vector<std::vector<std::pair<QChar, int>>> children(nodes_.size());
        for (auto it = next_.cbegin(); it != next_.cend(); ++it)
            children[size_t(it.key() >> 16)].push_back({QChar(char16_t(it.key() & 0xFFFF)), *it});
        std::vector<int> queue;
        queue.reserve(nodes_.size());
        for (const auto& [c, child] : children[0]) {
            nodes_[child].fail = 0;
            queue.push_back(child);
        }
        for (size_t head = 0; head < queue.size(); ++head) {
            const int node = queue[head];
            for (const auto& [c, child] : children[size_t(node)]) {
                nodes_[child].fail = node == 0 ? 0 : step(nodes_[node].fail, c);
                queue.push_back(child);
            }
        }
    }

    std::vector<Node> nodes_;
    QHash<quint64, int> next_;
};

// Direct substring tests cost haystack x questions; past this much work the scan above is used.
constexpr qsizetype kDirectWork = qsizetype(1) << 16;

enum class Form { z6, z3, bz };

Form form_of(QStringView a, QStringView b, QStringView c)
{
    const int pairs = int(a == b) + int(b == c) + int(a == c);
    return pairs == 0 ? Form::z6 : pairs == 3 ? Form::bz : Form::z3;
}

// Drawn texts longer than this are built whole only by rules that cannot read them piece by
// piece; past it such a rule gives up (a miss): they come only from crafted input.
constexpr qsizetype kMaxDrawn = qsizetype(1) << 22;

bool compound_hit(const DrawnText& text, qsizetype n, QStringView numbers, QStringView play)
{
    if (n == 0)
        return false; // no position, nothing to match
    // The drawn items, as split_bet_items gives them: at commas (which only a letter brings, so
    // the text is built), else character by character, piece by piece.
    if (text.has_comma() && text.size() > kMaxDrawn)
        return false;
    QVarLengthArray<QChar, 64> buffer;
    const QStringView built = text.has_comma() ? text.build(buffer) : QStringView();
    const auto each_item = [&](auto&& f) {
        if (text.has_comma())
            for_each_item(built, f);
        else
            each_drawn_char_item(text, f);
    };

    // Without "*" the same set serves every position; it is not materialised n times.
    const bool per_position = numbers.contains(u'*');
    const qsizetype set_count = per_position ? numbers.count(u'*') + 1 : n;
    if (set_count != n)
        return false; // sets that do not match the positions: a miss
    qsizetype items = 0;
    each_item([&](QStringView) { return ++items < set_count; });
    if (set_count > items)
        return false; // more sets than drawn digits: a miss

    // Which drawn digits the shared set holds: asked directly, or in one scan of the set when
    // there are many.
    const bool scanned = !per_position && set_count * numbers.size() > kDirectWork;
    NeedleScan shared;
    std::vector<int> handles;
    if (scanned) {
        each_item([&](QStringView digit) {
            handles.push_back(shared.add(digit));
            return qsizetype(handles.size()) < set_count;
        });
        shared.scan(numbers);
    }
    QStringTokenizer sets(numbers, u'*');
    auto set = sets.begin();
    QVarLengthArray<QChar, 4> remembered[3];
    qsizetype i = 0;
    qsizetype matches = 0;
    each_item([&](QStringView digit) {
        if (i >= set_count)
            return false;
        bool match = false;
        if (per_position) {
            match = (*set).contains(digit);
            ++set;
        } else {
            match = scanned ? shared.found(handles[size_t(i)]) : numbers.contains(digit);
        }
        matches += match ? 1 : 0;
        if (i < 3)
            remembered[i].append(digit.data(), digit.size());
        ++i;
        return true;
    });
    const auto kept = [&](int k) { return QStringView(remembered[k].data(), remembered[k].size()); };
    bool form = false;
    if (play == u"直选复式")
        form = true;
    else if (play == u"组三复式")
        form = form_of(kept(0), kept(1), kept(2)) == Form::z3;
    else if (play == u"组六复式")
        form = form_of(kept(0), kept(1), kept(2)) == Form::z6;
    return form && matches == n;
}

// 定位胆 and 不定位:一码 (needed 1) and 不定位:二码 (needed 2): at least that many items of the
// bet, counted one by one, occur in the drawn text.
bool item_hit(const DrawnText& text, QStringView numbers, int needed)
{
    int count = 0;
    // Items of single characters are looked up in the set of characters the pieces hold, so a
    // drawn text of any length costs its pieces, not its length.
    const bool single_chars = !numbers.contains(u',') && numbers.size() >= 2 &&
                              std::none_of(numbers.begin(), numbers.end(),
                                           [](QChar c) { return c.isSurrogate(); });
    if (single_chars && text.size() > 64) {
        QSet<char16_t> held;
        text.each_piece([&held](QStringView piece) {
            for (QChar c : piece)
                held.insert(c.unicode());
        });
        for_each_item(numbers, [&](QStringView item) {
            count += held.contains(item.front().unicode()) ? 1 : 0;
            return count < needed;
        });
        return count >= needed;
    }
    if (text.size() > kMaxDrawn)
        return false;
    QVarLengthArray<QChar, 64> buffer;
    const QStringView drawn = text.build(buffer);
    if (count_items(numbers) * drawn.size() <= kDirectWork) {
        for_each_item(numbers, [&](QStringView item) {
            count += drawn.contains(item) ? 1 : 0;
            return count < needed;
        });
    } else {
        NeedleScan scan;
        std::vector<int> handles;
        for_each_item(numbers, [&](QStringView item) {
            handles.push_back(scan.add(item));
            return true;
        });
        scan.scan(drawn);
        for (int handle : handles)
            if (scan.found(handle) && ++count >= needed)
                break;
    }
    return count >= needed;
}

} // namespace

QString triple_form(const QString& a, const QString& b, const QString& c)
{
    switch (form_of(a, b, c)) {
    case Form::z6:
        return u"z6"_s;
    case Form::bz:
        return u"bz"_s;
    default:
        return u"z3"_s;
    }
}

namespace {

quint16 digit_bits(QStringView text)
{
    quint16 bits = 0;
    for (QChar c : text)
        if (c >= u'0' && c <= u'9')
            bits |= quint16(1u << (c.unicode() - u'0'));
    return bits;
}

// The digits of a five-digit draw at the positions A to E; nothing for another draw or letter.
std::optional<QVarLengthArray<int, 5>> drawn_digits(QStringView draw, QStringView letters)
{
    const std::optional<DrawDigits> digits = read_draw(draw);
    if (!digits || letters.size() > 5)
        return std::nullopt;
    QVarLengthArray<int, 5> drawn;
    for (QChar letter : letters) {
        const int index = letter.unicode() - u'A';
        if (index < 0 || index >= 5)
            return std::nullopt;
        drawn.append(digits->d[size_t(index)]);
    }
    return drawn;
}

// 定位胆 with a "*" part per position: the positions whose drawn digit is in their own part.
// Nothing where the draw or the positions are not plain digits (the item rule judges then).
std::optional<qint64> starred_positions_hit(QStringView draw, QStringView letters, QStringView numbers)
{
    const auto drawn = drawn_digits(draw, letters);
    if (!drawn)
        return std::nullopt;
    qint64 lines = 0;
    qsizetype at = 0;
    for (int digit : *drawn) {
        quint16 set = 0;
        if (at <= numbers.size()) {
            qsizetype end = numbers.indexOf(u'*', at);
            if (end < 0)
                end = numbers.size();
            set = digit_bits(numbers.mid(at, end - at));
            at = end + 1;
        }
        lines += (set >> digit) & 1;
    }
    return lines;
}

// 定位胆 (and a play text inside its list) with its numbers in "*" parts, one per position.
bool by_starred_position(QStringView play, QStringView numbers)
{
    return QStringView(u"|定位胆|不定位:一码|").contains(play) && play != u"不定位:一码" &&
           numbers.contains(u'*') && !numbers.contains(u',');
}

} // namespace

HitResult hit_test(QStringView draw, QStringView letters, QStringView numbers, QStringView play_text)
{
    const QStringView play = play_text.trimmed();
    // The first five digit texts of the draw, A to E; a shorter draw leaves the rest missing.
    QStringView d[5];
    qsizetype parts = 0;
    for (QStringView part : QStringTokenizer(draw, u',')) {
        if (parts == 5)
            break;
        d[parts++] = part;
    }
    const DrawnText drawn(d, parts, letters);
    if (numbers.isEmpty())
        return {false, u"挂"_s};

    bool hit = false;
    const bool any_item = QStringView(u"|定位胆|不定位:一码|").contains(play);
    const std::optional<qint64> starred =
        by_starred_position(play, numbers) ? starred_positions_hit(draw, letters, numbers) : std::nullopt;
    if (starred) {
        // Each position is bet with its own digits, as the platform takes the order.
        hit = *starred > 0;
    } else if (any_item || play == u"不定位:二码") {
        hit = item_hit(drawn, numbers, any_item ? 1 : 2);
    } else if (play.contains(u"复式")) {
        hit = compound_hit(drawn, letters.size(), numbers, play);
    } else if (drawn.size() <= numbers.size()) {
        // The drawn digits as one of the bet numbers: never longer than the bet text.
        QVarLengthArray<QChar, 64> buffer;
        hit = numbers.contains(drawn.build(buffer));
    }
    return hit ? HitResult{true, u"中"_s} : HitResult{false, u"挂"_s};
}

qint64 win_lines(QStringView draw, QStringView letters, QStringView numbers, QStringView play_text)
{
    if (!hit_test(draw, letters, numbers, play_text).hit)
        return 0;
    // Beyond a hit, lines are counted for five-digit draws at the positions A to E only.
    const auto drawn = drawn_digits(draw, letters);
    if (!drawn)
        return 1;
    const QStringView play = play_text.trimmed();
    qint64 lines = 0;
    if (play == u"不定位:一码" || play == u"不定位:二码") {
        quint16 present = 0;
        for (int digit : *drawn)
            present |= quint16(1u << digit);
        const qint64 p = std::popcount(quint16(digit_bits(numbers) & present));
        lines = play == u"不定位:一码" ? p : p * (p - 1) / 2;
    } else if (by_starred_position(play, numbers)) {
        lines = starred_positions_hit(draw, letters, numbers).value_or(1);
    } else if (QStringView(u"|定位胆|不定位:一码|").contains(play)) {
        // One set for every position: a line per position whose digit is in it.
        const quint16 set = digit_bits(numbers);
        for (int digit : *drawn)
            lines += (set >> digit) & 1;
    } else if (!play.contains(u"复式")) {
        // Tickets are the runs of digits; each one equal to the drawn number wins.
        for_each_digit_run(numbers, [&](QStringView run) {
            bool same = run.size() == drawn->size();
            for (qsizetype k = 0; same && k < run.size(); ++k)
                same = run[k].unicode() - u'0' == (*drawn)[k];
            lines += same;
        });
    }
    return std::max<qint64>(lines, 1);
}

qint64 bet_lines(const QString& draw, const QString& letters, const QString& numbers, const QString& play)
{
    return win_lines(draw, letters, support::trim_blanks(numbers), play);
}

HitResult bet_hit(const QString& draw, const QString& letters, const QString& numbers, const QString& play)
{
    return hit_test(draw, letters, support::trim_blanks(numbers), play);
}

} // namespace zorvik::rules
