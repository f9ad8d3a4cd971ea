#pragma once
// The Hele (合乐) platform's pure parts: play codes, number texts, the issue check, the order
// and login scripts and the readers of its replies.

#include <QString>

namespace zorvik::platform {

// The two-character play code of "|play|"; empty for a play the platform has none for.
QString hele_play_code(const QString& wrapped_play);
// The platform's number text for "|play|" and the numbers.
QString hele_codes(const QString& wrapped_play, const QString& numbers);
// True when the platform can take the play with these numbers: it has a code for the play and
// the numbers make a text for it. Anything else would be read as another play.
bool hele_supports(const QString& play, const QString& numbers);
// The orders text: code, number text (without a final ","), ".".
QString hele_orders(const QString& play, const QString& numbers);
// True when the platform's current draw number ("20151112-0567") is the next issue ("0567").
bool hele_issue_matches(const QString& draw_number, const QString& next_issue);

struct HeleOrder {
    QString orders;
    QString odds;
    int unit_index = 0;
    QString draw_id;
    int multiplier = 1;
    QString url; // the order endpoint
};
QString hele_order_script(const HeleOrder& order);
QString hele_login_script(const QString& account, const QString& password);

// A member of a reply whose member may be an object or an object's JSON text.
QString hele_member(const QString& reply, const QString& outer, const QString& inner);
// True when the site-information reply carries its "extra" member (null and "" do not count).
bool hele_extra_given(const QString& reply);
// "主账户：…" from the refresh reply; empty when it has no positive credit.
QString hele_credit_text(const QString& refresh_reply);

} // namespace zorvik::platform
