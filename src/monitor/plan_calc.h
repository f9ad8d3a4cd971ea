#pragma once
// The multiplier-plan calculator (倍投计算器): for each step the smallest whole multiplier, never
// below the first nor the step before, at which a win (one winning line, as the engine counts a
// hit) leaves the target over everything staked so far: a fixed profit, or a profit rate.

#include <QString>
#include <QVector>
#include <optional>

namespace zorvik::monitor {

struct PlanQuery {
    QString title;           // the play's display name, "前三(直选复式)"
    qint64 count = 0;        // bet lines
    QString unit = QStringLiteral("元");
    QString odds = QStringLiteral("1920");
    int steps = 10;
    int first = 1;           // the first multiplier
    bool rate = false;       // target: false, a profit of `target` a win; true, `target` % of the stake
    double target = 0;
    std::optional<qint64> max_multiplier; // a step needing more ends the plan before it
    std::optional<double> budget;         // a step taking the stake past it ends the plan before it
};

struct PlanRow {
    int step = 0;
    int multiplier = 0;
    double cost = 0;  // this step's
    double total = 0; // steps 1 … this one
    double win = 0;   // what a win at this step returns
    double profit = 0;
    double rate = 0;  // profit / total, %
};

struct PlanTable {
    QVector<PlanRow> rows;
    double money = 0; // what the whole chase needs
    QString ended;    // why the plan ends before the steps asked for; empty when it does not
};

PlanTable calculate_plan(const PlanQuery& query);

// The multipliers, "1,2,4": the plan box's text.
QString plan_multipliers(const PlanTable& table);

// The positions a title's group covers ("前三" 3, "五星" 5, "万位,百位" 2); 0 for none.
int title_positions(const QString& title);
// The bare play of a title: "直选复式" of "前三(直选复式)".
QString title_play(const QString& title);

} // namespace zorvik::monitor
