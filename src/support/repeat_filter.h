#pragma once
// Keeps a log free of floods: a line is let through the first time, and the same line again
// only once a minute has passed since it last went through, with the count left out meanwhile.

#include <QHash>
#include <QString>
#include <optional>

namespace zorvik::support {

class RepeatFilter {
public:
    static constexpr qint64 kQuietMs = 60000;
    // The line to write now (with the repeats it stands for), or nothing to write.
    std::optional<QString> pass(const QString& line, qint64 now_ms);

private:
    struct Seen {
        qint64 at = 0;
        int held = 0;
    };
    QHash<QString, Seen> seen_;
};

} // namespace zorvik::support
