#pragma once
// What a desk is given by the service that holds it: the parts every desk shares and the few
// things it asks of them. A desk knows its holder only through this.

#include "core/notify_texts.h"
#include "core/options.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace zorvik::monitor {
class BetPlacer;
struct BetRow;
} // namespace zorvik::monitor
namespace zorvik::platform {
class PlatformSession;
}
namespace zorvik::records {
class RecordWriter;
struct BetRecord;
} // namespace zorvik::records
namespace zorvik::service {
class ServiceLink;
}
namespace zorvik::support {
class Clock;
class HttpClient;
class Shell;
} // namespace zorvik::support

namespace zorvik::app {

class Desk;

class DeskHost {
public:
    // The platform accounts a desk may bet with (see the core).
    static constexpr int kAccounts = 2;

    // Shared by every desk.
    virtual support::HttpClient& http() = 0;
    virtual const support::Clock& clock() const = 0;
    virtual support::Shell& shell() = 0;
    virtual records::RecordWriter& records() = 0;
    virtual QString settings_file() const = 0;
    virtual QString records_file() const = 0;
    virtual const NetConfig& net() const = 0;
    virtual service::ServiceLink& service() = 0;
    // The options as the user left them (the window's, else the settings file's).
    virtual Options options() const = 0;
    // Tells the first failure to write the settings file (see the core).
    virtual void report_write(bool written) = 0;

    // Money: simulated or real; the placer of a desk without an account; the accounts.
    virtual bool virtual_betting() const = 0;
    virtual monitor::BetPlacer& no_account() = 0;
    virtual void choose_placer() = 0;
    virtual int account_of(const QString& lottery) const = 0;
    virtual platform::PlatformSession& platform(int which) = 0;
    virtual void post_to_platform(int which, std::function<void()> op) = 0;
    virtual Desk* home_desk(int which) = 0;
    virtual void follow_home(int which) = 0;
    virtual void refresh_balance(int which) = 0;

    // Orders and bets: recorded before they are sent, told when placed or unknown, settled.
    virtual QString record_order(const QString& lottery, const monitor::BetRow& row) = 0;
    virtual records::BetRecord bet_record(const QString& lottery, const monitor::BetRow& row) const = 0;
    virtual void tell_unconfirmed(const QString& lottery, const QStringList& columns) = 0;
    virtual void bet_settled() = 0;
    virtual void notify(const QString& lottery, const QString& event, const QString& issue,
                        const QString& monitor, const QString& text, const NotifyMessage& message) = 0;

    // The total stop: a desk started (stopped again while the totals are reached), and what a
    // desk it stopped says.
    virtual void desk_started() = 0;
    virtual QString total_stop_text() const = 0;

protected:
    ~DeskHost() = default;
};

// A bet-log row's columns as a list (what the window and the records are told).
QStringList bet_columns(const monitor::BetRow& row);

} // namespace zorvik::app
