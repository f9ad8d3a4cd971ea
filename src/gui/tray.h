#pragma once
// The notification-area icon with the window caption as its tooltip, and the pop-up tips: a
// balloon from the icon where the desktop has a notification area, otherwise a notification
// through the desktop's notification service (org.freedesktop.Notifications).

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QSystemTrayIcon;

namespace zorvik::notify {

inline constexpr char16_t kTipTitle[] = u"Zorvik提示";
inline constexpr int kTipMilliseconds = 2000;
inline constexpr int kTipTextBytes = 255;
inline constexpr int kTipTitleBytes = 63;

// A tip as the icon's balloon shows it: its title, text (both cut to the balloon's fields),
// icon and time on screen.
struct Balloon {
    QString title;
    QString text;
    int icon = 0; // QSystemTrayIcon::MessageIcon
    int milliseconds = 0;
};
Balloon balloon_for(const QString& message);

class TrayTips : public QObject {
    Q_OBJECT
public:
    explicit TrayTips(QObject* parent = nullptr);
    ~TrayTips() override;

    // Shows the icon (where the desktop has a notification area) or removes it.
    void show_tray(bool on, const QIcon& icon = {}, const QString& tooltip = {});
    bool shown() const;
    void set_tooltip(const QString& text);
    QString tooltip() const;
    QIcon icon() const;
    // A tip titled "Zorvik提示" for 2 s that replaces the one on screen: a balloon from the icon,
    // or without one a desktop notification. False when neither can be shown.
    bool show_tip(const QString& message);

    // The D-Bus connection (by its Qt connection name) that carries desktop notifications;
    // empty, as by default, for the session bus.
    void use_bus(const QString& connection_name) { bus_name_ = connection_name; }

private:
    bool notify_desktop(const Balloon& tip);

    std::unique_ptr<QSystemTrayIcon> icon_;
    uint last_notification_ = 0; // the service's id of our last tip, replaced by the next
    bool calling_ = false;           // a Notify call awaits its answer
    std::optional<Balloon> waiting_; // the newest tip asked for meanwhile
    QString bus_name_;
    static constexpr int kAnswerMilliseconds = 3000; // a service that does not answer lets the next tip go
};

} // namespace zorvik::notify
