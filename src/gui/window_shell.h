#pragma once
// The window's way of telling the user things: real message boxes, tray tips, the alert sound
// and the clipboard.

#include "notify/sound.h"
#include "gui/tray.h"
#include "support/shell.h"

#include <QPointer>
#include <functional>

class QMessageBox;

class QWidget;

namespace zorvik::app {

class WindowShell final : public support::Shell {
public:
    // `sound_box` gives the sound-file box's text for a sound played without a path.
    WindowShell(QWidget* window, QString data_dir, std::function<QString()> sound_box);

    void message(const QString& text) override;
    bool confirm(const QString& text, const QString& title) override;
    void tip(const QString& text) override;
    void alert_sound(const QString& path) override;
    void copy_text(const QString& text) override;
    void notice(const QString& text) override;
    void open_link(const QString& url) override;

    notify::TrayTips& tray() { return tray_; }
    // Where a tip goes when neither a tray nor a notification service can show it: the window.
    void set_window_tip(std::function<void(const QString&)> show) { window_tip_ = std::move(show); }

private:
    QWidget* window_;
    QString data_dir_;
    std::function<QString()> sound_box_;
    std::function<void(const QString&)> window_tip_;
    notify::TrayTips tray_;
    notify::AlertSound sound_;
    QPointer<QMessageBox> notice_box_; // the open slow-network notice, if any
};

} // namespace zorvik::app
