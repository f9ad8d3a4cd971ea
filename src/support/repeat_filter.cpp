#include "support/repeat_filter.h"

namespace zorvik::support {

namespace {
// Lines kept in mind at most: a log of ever-new lines must not grow the table without end.
constexpr qsizetype kKept = 512;
} // namespace

std::optional<QString> RepeatFilter::pass(const QString& line, qint64 now_ms)
{
    const auto found = seen_.find(line);
    if (found == seen_.end()) {
        if (seen_.size() >= kKept) {
            // The lines quiet for a minute go first; then all of them.
            seen_.removeIf([now_ms](const auto& it) { return now_ms - it.value().at >= kQuietMs; });
            if (seen_.size() >= kKept)
                seen_.clear();
        }
        seen_.insert(line, {now_ms, 0});
        return line;
    }
    if (now_ms - found->at < kQuietMs) {
        ++found->held;
        return std::nullopt;
    }
    const int held = std::exchange(found->held, 0);
    found->at = now_ms;
    if (held == 0)
        return line;
    return line + QStringLiteral(" (repeated %1 times since)").arg(held);
}

} // namespace zorvik::support
