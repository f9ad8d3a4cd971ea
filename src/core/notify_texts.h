#pragma once
// The short Chinese texts a notification service shows: a title read at a glance on a lock
// screen, and a body with the details.

#include "records/records.h"

#include <QDate>
#include <QString>
#include <QVector>

namespace zorvik::app {

struct NotifyMessage {
    QString title;
    QString body;
};

// A monitor that alerted: its title, category and current value.
struct AlertLine {
    QString title;
    QString category;
    QString current;
};

// "报警：前三(直选复式) 遗漏 12" (with "等N项" when several alerted at once).
NotifyMessage alert_message(const QString& lottery, const QString& issue, const QVector<AlertLine>& alerting);
// "投注成功：20261208-0721 前三(直选复式) ×4 成本 8.00".
NotifyMessage bet_message(const QString& lottery, const QString& issue, const QString& title, int multiplier,
                          double cost, const QString& order_no);
NotifyMessage refused_message(const QString& lottery, const QString& issue, const QString& title,
                              const QString& reason);
// Why monitoring stopped, in words: `why` is the records' "button", "exit", "stop rule" or
// "total stop".
QString stop_reason(const QString& why);
NotifyMessage stop_message(const QString& lottery, const QString& why);
NotifyMessage unconfirmed_message(const QString& lottery, const QString& issue, const QString& title,
                                  int multiplier, double cost);
// The day's confirmed bets per lottery and kind of money: bets, wins, cost, return and income.
NotifyMessage summary_message(const QDate& day, const QVector<records::BetRecord>& bets);
NotifyMessage test_message();

} // namespace zorvik::app
