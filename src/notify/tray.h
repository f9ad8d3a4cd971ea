#pragma once
// The notification-area icon with the window caption as its tooltip, and the pop-up tips.

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

class QSystemTrayIcon;

namespace zorvik::notify {

inline constexpr char16_t kTipTitle[] = u"Zorvik提示";
inline constexpr int kTipMilliseconds = 2000;

class TrayTips : public QObject {
    Q_OBJECT
public:
    explicit TrayTips(QObject* parent = nullptr);
    ~TrayTips() override;

    // Shows the icon (where the desktop has a notification area) or removes it.
    void show_tray(bool on, const QIcon& icon = {}, const QString& tooltip = {});
    bool shown() const;
    void set_tooltip(const QString& text);
    // A balloon titled "Zorvik提示" for 2 s; it replaces the one on screen. Without an icon in
    // the notification area nothing is shown and false comes back.
    bool show_tip(const QString& message);

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

} // namespace zorvik::notify
