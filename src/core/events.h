#pragma once
// Everything the running program tells, one event at a time: what headless mode prints and the
// web dashboard pushes. Desks added later are followed too.

#include <QObject>
#include <QString>
#include <array>
#include <map>

namespace zorvik::app {

class AppCore;
class Desk;

struct Event {
    int desk = 0;    // the desk's number; 0 for what the desks share
    QString lottery; // the desk's lottery (empty for what they share)
    QString kind;    // "draw", "label new_iss", "bet", "settled", "alert", "total_stop", …
    QString text;
};

class EventTap final : public QObject {
    Q_OBJECT
public:
    explicit EventTap(AppCore& core, QObject* parent = nullptr);

signals:
    void event(const zorvik::app::Event& e);

private:
    void follow(Desk& desk);
    void tell(int desk, const QString& lottery, const QString& kind, const QString& text);
    void tell_shared(const QString& kind, const QString& text) { tell(0, QString(), kind, text); }

    std::map<int, std::array<QString, 3>> labels_; // per desk: new_iss, next_iss, new_award
};

// The name a status line has in the "label" events.
QString line_name(int which);

} // namespace zorvik::app
