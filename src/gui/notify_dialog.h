#pragma once
// The 通知服务 window: the notification services' addresses (Apprise URLs, one a line), which
// events go to them, the daily summary's time, and a test that tells for each address whether
// it went out.

#include <QDialog>
#include <QHash>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTimeEdit;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class AppCore;

class NotifyDialog : public QDialog {
    Q_OBJECT
public:
    NotifyDialog(AppCore& core, QWidget* parent = nullptr);

    // Keeps the addresses and the choice of events (also when the window closes).
    // Keeps the addresses and the events; false when they could not be kept.
    bool save();
    // Sends a test to every address; each line of the result list tells how it went.
    void test();

protected:
    void done(int result) override;

private:
    AppCore& core_;
    QPlainTextEdit* urls_ = nullptr;
    QHash<QString, QCheckBox*> events_;
    QCheckBox* summary_ = nullptr;
    QTimeEdit* summary_at_ = nullptr;
    QListWidget* results_ = nullptr;
    bool saving_ = false;
};

} // namespace zorvik::app
