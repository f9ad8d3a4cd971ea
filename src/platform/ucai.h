#pragma once
// The UCai (U彩) platform's pure parts: the method table, the code texts, the issue text, the
// order script and the readers of its pages and replies.

#include <QString>
#include <optional>

namespace zorvik::platform {

struct UcaiMethod {
    QString id;
    QString type; // "digital" or "input"
    QString menu; // the lottery's curmid
};

// The method of a play on that lottery, or nothing when the platform does not offer the play.
std::optional<UcaiMethod> ucai_method(const QString& play, const QString& lottery);
// The play's code text for the numbers; nothing when the numbers have too few "*" groups for
// the play's slots (the bet is then abandoned).
std::optional<QString> ucai_codes(const QString& play, const QString& numbers);
// The issue as the order names it: "date-issue"; on 欢乐分分彩 an issue below 1000 loses its
// leading digit ("0056" is sent as "056").
QString ucai_issue_text(const QString& lottery, const QString& date, const QString& issue);

struct UcaiOrder {
    UcaiMethod method;
    int lottery_id = 0;
    int unit_index = 0;
    QString issue_text;
    qint64 count = 0;
    QString cost;
    QString codes;
    int multiplier = 1;
    QString play;
};
// The page script that posts the order and stores the platform's reply in window.vemto_val.
QString ucai_order_script(const UcaiOrder& order);

// The logged-in user's name from the hall page; empty when the page shows no session.
QString ucai_user_from_hall(const QString& page);
// The balance label for the balance reply; empty when the reply is empty or a page.
QString ucai_balance_text(const QString& reply);

// The login form filled in and submitted.
QString ucai_login_script(const QString& account, const QString& password);

} // namespace zorvik::platform
