#pragma once
// Notifications through the services users already read (DingTalk, ServerChan, Telegram, Bark,
// ntfy, Gotify, …): each message is handed to the `apprise` program, one run per address, in
// the background, retried with growing pauses. Nothing waits for it.

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QProcess;

namespace zorvik::notify {

// The events a user may choose, in the order the window shows them; "test" is always sent.
inline constexpr const char16_t* kNotifyEvents[] = {u"alert", u"bet", u"refused", u"stop", u"unconfirmed",
                                                    u"summary"};

// An address's scheme ("ntfy" of "ntfy://host/topic"), the only part ever shown: the rest may
// hold a token.
QString url_scheme(const QString& url);
// Addresses one a line or separated by blanks; blank lines dropped.
QStringList split_urls(const QString& text);

class Apprise : public QObject {
    Q_OBJECT
public:
    // `attempts` tries in all per address, the pause doubling from `first_pause_ms`; each run is
    // ended after `timeout_ms`.
    explicit Apprise(QObject* parent = nullptr, QString program = QStringLiteral("apprise"), int attempts = 3,
                     int first_pause_ms = 1000, int timeout_ms = 15000);
    ~Apprise() override;

    // True when the program can be found.
    bool available() const;
    QString program() const { return program_; }

    void set_urls(const QStringList& urls) { urls_ = urls; }
    QStringList urls() const { return urls_; }
    void set_events(const QSet<QString>& events) { events_ = events; }
    QSet<QString> events() const { return events_; }

    // Sends to every address when the event is chosen (a test always); nothing without
    // addresses or without the program.
    void send(const QString& event, const QString& title, const QString& body);
    int in_flight() const { return in_flight_; }

signals:
    // `index` is the address's place in the list (from 0).
    void delivered(const QString& event, int index, const QString& scheme);
    // Every try failed; why, without the address.
    void failed(const QString& event, int index, const QString& scheme, const QString& reason);

private:
    struct Delivery {
        QString event;
        int index = 0;
        QString url;
        QString title;
        QString body;
    };
    void attempt(const Delivery& d, int left, int pause_ms);

    QString program_;
    int attempts_;
    int first_pause_ms_;
    int timeout_ms_;
    QStringList urls_;
    QSet<QString> events_;
    int in_flight_ = 0;
};

// Why a delivery failed, from the program's output: its first error or warning with every
// address taken out, else its exit code.
QString failure_reason(const QString& output, int code);

} // namespace zorvik::notify
