#pragma once
// How the monitoring engine has a bet placed: one order in, one result out. The platform layer
// implements it (simulated money, or a platform account); the program hands the right one in.

#include <QString>
#include <functional>

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

// The order was not sent: it could not be recorded, or by its turn its issue had closed,
// monitoring had stopped or its monitor no longer bets.
inline constexpr int kNotSent = -1001;
// The platform had closed the order's issue: not placed.
inline constexpr int kIssueClosed = -1002;

// One order to place. `send` is asked right before it goes out (after what must come first,
// such as reading the balance): false keeps it back, and `done` then hears kNotSent. `done`
// hears the outcome, at once or once the platform has answered.
struct BetJob {
    BetOrder order;
    std::function<bool()> send;
    std::function<void(const BetResult&)> done;
};

class BetPlacer {
public:
    virtual ~BetPlacer() = default;
    // Places the order now or after the platform's operations asked for before it.
    virtual void submit(BetJob job) = 0;
};

// A placer that answers within the call (simulated money, a refusal, a replay).
class ImmediatePlacer : public BetPlacer {
public:
    void submit(BetJob job) final
    {
        if (job.send && !job.send()) {
            job.done(BetResult{kNotSent, {}, {}, {}});
            return;
        }
        job.done(place(job.order));
    }
    // May wait (a page), running the event loop meanwhile.
    virtual BetResult place(const BetOrder& order) = 0;
};

} // namespace zorvik::monitor
