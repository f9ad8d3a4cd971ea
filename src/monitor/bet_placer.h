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

struct BetResult {
    int status = 0;   // 1: placed
    QString order_id;
    QString amount;   // what was charged, a number as text
    QString message;  // for the betting status line
};

class BetPlacer {
public:
    virtual ~BetPlacer() = default;
    // May wait (a platform's page), running the event loop meanwhile.
    virtual BetResult place(const BetOrder& order) = 0;
};

} // namespace zorvik::monitor
