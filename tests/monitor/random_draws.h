#pragma once
// A history of random draws for replays: issues PREFIX1000, PREFIX1001, …

#include "monitor/backtest.h"

#include <QStringList>
#include <random>

namespace zorvik::testing {

inline QVector<monitor::HistoryDraw> random_draws(int count, unsigned seed, const QString& prefix)
{
    std::mt19937 random(seed);
    QVector<monitor::HistoryDraw> draws;
    for (int i = 0; i < count; ++i) {
        QStringList digits;
        for (int k = 0; k < 5; ++k)
            digits << QString::number(random() % 10);
        draws.append({prefix + QString::number(1000 + i), digits.join(u',')});
    }
    return draws;
}

} // namespace zorvik::testing
