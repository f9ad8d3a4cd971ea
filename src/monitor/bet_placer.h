#pragma once
// How the monitoring engine has a bet placed: one order in, one result out. The platform layer
// implements it (simulated money, or a platform account); the program hands the right one in.

#include <QString>

namespace zorvik::monitor {

struct BetOrder {
    QString lottery;  // the selected lottery's name
    QString issue;    // the issue bet on (the next issue)
    QString issue_date; // its date part, when the issue is shown as "date-issue"
    QString title;    // the play's full name, e.g. "前三(直选复式)"
    QString numbers;
    int unit_index = 0; // 1 元, 2 角, 3 分, 4 厘
    QString odds;
    qint64 count = 0;
    int multiplier = 1;
    QString cost;     // money text
};

// Statuses besides the drivers' own (1 placed, others refused).
// The placer is busy with another platform operation (a login, a balance read): the order was
// not sent and may be asked for again once it is idle.
inline constexpr int kPlacerBusy = -1000;
// The order was sent and its answer never came: it may have been placed. Not to be retried.
inline constexpr int kUnconfirmed = 2;

struct BetResult {
    int status = 0;   // 1: placed
    QString order_id;
    QString amount;   // what was charged, a number as text
    QString message;  // for the betting status line
    // The answer did not come in time: the outcome (placed, refused or still unknown) was worked
    // out afterwards from the balance.
    bool timed_out = false;
};

class BetPlacer {
public:
    virtual ~BetPlacer() = default;
    // May wait (a platform's page), running the event loop meanwhile.
    virtual BetResult place(const BetOrder& order) = 0;
};

} // namespace zorvik::monitor
