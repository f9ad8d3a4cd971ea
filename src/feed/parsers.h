#pragma once
// Pure readers of the draw sources' replies: reply text in, values out.

#include <QString>
#include <array>
#include <optional>

namespace zorvik::feed {

// The five slots of one poll: newest issue, newest numbers, next issue (its sequence part when
// slot 3 holds a date part), the next issue's date part, seconds to the next bet cut-off.
struct FetchRecord {
    std::array<QString, 5> slot;
};

// The public results site's newest draw: issue "20" + period, numbers comma-joined.
struct PublicNewest {
    QString issue;
    QString numbers;
};
std::optional<PublicNewest> parse_public_newest(const QString& reply);

// The next issue after a public-site issue (yyyymmdd + three digits, 120 draws a day).
struct NextIssue {
    QString sequence;
    QString date; // yyyy-mm-dd, moved to the next day after the 120th draw
};
NextIssue next_public_issue(const QString& issue);

// Slot 4 from the countdown page: "0" for an empty reply, secondsLeft / 1000 rounded half to
// even, empty when the member is missing.
QString parse_public_countdown(const QString& reply);

// The trend page's history text (at most 99 draws, newest first), or nothing.
std::optional<QString> parse_trend(const QString& html);

// The Hele platform's site information (its message member read again as JSON).
struct HeleSite {
    QString ld;   // newest issue
    QString lr;   // newest numbers
    QString ud;   // next issue
    QString cdTs; // seconds to the cut-off
};
std::optional<HeleSite> parse_hele_site(const QString& reply);

// The Hele platform's history: the history text and the upload list of its ten newest draws.
struct HeleHistory {
    QString history;     // issue ":" numbers, "|" between, newest first
    QString upload_list; // [{"issue": "...", "number": "...", "nextsec": N},...]
    QString digest_source; // the text whose digest decides whether to upload
};
std::optional<HeleHistory> parse_hele_history(const QString& reply, const QString& countdown);

// The data centre's newest draw.
struct DatacenterNewest {
    QString peroid;
    QString prize;
    QString nexeId;
    QString nextsec;
};
// Nothing when the reply is not "ret" 0 or has no issue.
std::optional<DatacenterNewest> parse_datacenter_newest(const QString& reply);

// A countdown beyond a day either way (or not a number) is not a countdown: no lottery waits
// that long, and such values come only from a broken or hostile reply.
inline constexpr double kMaxCountdownSeconds = 86400;
bool countdown_in_range(double seconds);

// A text read as a number the way the stored formats were compared: its leading decimal
// number, 0 when there is none.
double leading_number(const QString& text);

} // namespace zorvik::feed
