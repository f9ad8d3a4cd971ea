#pragma once
// The alert options Frame1: pop-up and sound alerts, the sound file and its test.

#include <QGroupBox>
#include <QPointer>

class QCheckBox;
class QLineEdit;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class AppCore;
class NotifyDialog;

class AlertOptions : public QGroupBox {
    Q_OBJECT
public:
    AlertOptions(AppCore& core, support::Shell& shell, QWidget* parent = nullptr);

    QCheckBox* tips_box() const { return alert_type_tips_; }
    QCheckBox* sound_box() const { return alert_type_sound_; }
    QLineEdit* sound_file_box() const { return alert_sound_file_; }
    QLineEdit* webhook_box() const { return alert_cfg_webhook_; }

signals:
    // "远程访问…" was clicked.
    void remote_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void test_sound();

    AppCore& core_;
    support::Shell& shell_;
    QCheckBox* alert_type_tips_ = nullptr;
    QCheckBox* alert_type_sound_ = nullptr;
    QLineEdit* alert_sound_file_ = nullptr;
    QLineEdit* alert_cfg_webhook_ = nullptr;
    QPointer<NotifyDialog> notify_dialog_;
};

} // namespace zorvik::app
