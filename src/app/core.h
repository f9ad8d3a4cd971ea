#pragma once
// The program without its window: the service link, the draw feed and the monitoring engine,
// wired together. The window and headless mode both run on it.

#include "app/options.h"
#include "feed/draw_feed.h"
#include "monitor/engine.h"
#include "service/service_link.h"

#include <QObject>
#include <QStringList>

namespace zorvik::support {
class Clock;
class HttpClient;
class Shell;
} // namespace zorvik::support

namespace zorvik::app {

// What choosing a lottery sets up besides the feed.
struct LotteryChoice {
    QString platform;    // "hele", "ucai" or "jw"
    QString units;       // the money-unit box's list
    bool auto_bet = true; // automatic betting offered
    QStringList addresses;
    int saved_index = 0;
};

class AppCore : public QObject {
    Q_OBJECT
public:
    AppCore(const QString& data_dir, support::Shell& shell, const support::Clock& clock,
            support::HttpClient& http, const NetConfig& net, QObject* parent = nullptr);

    QString settings_file() const { return settings_file_; }
    feed::DrawFeed& feed() { return feed_; }
    service::ServiceLink& service() { return service_; }
    monitor::MonitorEngine& engine() { return engine_; }

    // Asks the service for the data-centre and upload addresses and sets up the feed's.
    void init_var();
    // Starts the draw clock; the announcements follow its first poll.
    void start();

    // Applies a lottery as the user's choice would: the feed follows it and the platform's
    // address list is fetched.
    LotteryChoice choose_lottery(const QString& name);
    // The draw line: picked from the list (saved) or typed and confirmed (not saved).
    void pick_address(const QString& address, int index);
    void enter_address(const QString& address);

signals:
    void announced(const service::Announcement& announcement);

private:
    QString settings_file_;
    service::ServiceLink service_;
    feed::DrawFeed feed_;
    monitor::MonitorEngine engine_;
};

} // namespace zorvik::app
