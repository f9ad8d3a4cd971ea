#include "rules/hit.h"

#include <QHash>
#include <QStringTokenizer>
#include <QVarLengthArray>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::rules {

namespace {

// Drawn digits longer than this come only from malformed input; they never hit.
constexpr qsizetype kMaxDrawn = qsizetype(1) << 22;

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

bool compound_hit(QStringView drawn, qsizetype n, QStringView numbers, QStringView play)
{
    if (n == 0)
        return false; // no position, nothing to match
    // Without "*" the same set serves every position; it is not materialised n times.
    const bool per_position = numbers.contains(u'*');
    const qsizetype set_count = per_position ? numbers.count(u'*') + 1 : n;
    // More sets than drawn digits, or sets that do not match the positions: a miss.
    if (set_count != n || set_count > count_items(drawn))
        return false;

    // Which drawn digits the shared set holds: asked directly, or in one scan of the set when
    // the drawn text is long.
    const bool scanned = !per_position && set_count * numbers.size() > kDirectWork;
    NeedleScan shared;
    QVarLengthArray<int, 8> handles;
    if (scanned) {
        for_each_item(drawn, [&](QStringView digit) {
            handles.append(shared.add(digit));
            return handles.size() < set_count;
        });
        shared.scan(numbers);
    }
    QStringTokenizer sets(numbers, u'*');
    auto set = sets.begin();
    QStringView remembered[3];
    qsizetype i = 0;
    qsizetype matches = 0;
    for_each_item(drawn, [&](QStringView digit) {
        if (i >= set_count)
            return false;
        bool match = false;
        if (per_position) {
            match = (*set).contains(digit);
            ++set;
        } else {
            match = scanned ? shared.found(handles[i]) : numbers.contains(digit);
        }
        matches += match ? 1 : 0;
        if (i < 3)
            remembered[i] = digit;
        ++i;
        return true;
    });
    bool form = false;
    if (play == u"直选复式")
        form = true;
    else if (play == u"组三复式")
        form = form_of(remembered[0], remembered[1], remembered[2]) == Form::z3;
    else if (play == u"组六复式")
        form = form_of(remembered[0], remembered[1], remembered[2]) == Form::z6;
    return form && matches == n;
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

HitResult hit_test(const QString& draw, const QString& letters, const QString& numbers,
                   const QString& play_text)
{
    const QStringView play = QStringView(play_text).trimmed();
    // The first five digits of the draw, A to E; a shorter draw leaves the rest missing.
    QStringView d[5];
    qsizetype parts = 0;
    for (QStringView part : QStringTokenizer(draw, u',')) {
        if (parts == 5)
            break;
        d[parts++] = part;
    }

    qsizetype projected = 0;
    for (QChar letter : letters) {
        const int index = letter.unicode() - u'A';
        projected += (index >= 0 && index < 5) ? (index < parts ? d[index].size() : 0) : 1;
    }
    if (numbers.isEmpty() || projected > kMaxDrawn)
        return {false, u"挂"_s};
    QVarLengthArray<QChar, 64> buffer;
    buffer.reserve(projected);
    for (QChar letter : letters) {
        const int index = letter.unicode() - u'A';
        if (index >= 0 && index < 5) {
            if (index < parts)
                buffer.append(d[index].data(), d[index].size());
        } else {
            buffer.append(letter);
        }
    }
    const QStringView drawn(buffer.data(), buffer.size());
    const qsizetype n = letters.size();

    bool hit = false;
    const bool any_item = QStringView(u"|定位胆|不定位:一码|").contains(play);
    if (any_item || play == u"不定位:二码") {
        // Hits when at least one item (two for 二码, counted one by one) occurs in the drawn text.
        const int needed = any_item ? 1 : 2;
        int count = 0;
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
        hit = count >= needed;
    } else if (play.contains(u"复式")) {
        hit = compound_hit(drawn, n, numbers, play);
    } else {
        hit = QStringView(numbers).contains(drawn);
    }
    return hit ? HitResult{true, u"中"_s} : HitResult{false, u"挂"_s};
}

} // namespace zorvik::rules
