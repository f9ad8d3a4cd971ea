#pragma once
// The 远程访问 window: the web dashboard's address, port and password, turned on or off; the
// password is kept only as its digest, and a new one ends every session.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace zorvik::web {
class WebServer;
}

namespace zorvik::app {

class AppCore;

class WebDialog : public QDialog {
    Q_OBJECT
public:
    WebDialog(AppCore& core, web::WebServer& server, QWidget* parent = nullptr);

    // Keeps the settings (and a new password) and starts or stops the server as chosen; what
    // came of it is shown in the state line.
    void save();

private:
    void show_state(const QString& refusal = QString());

    AppCore& core_;
    web::WebServer& server_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* address_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLabel* state_ = nullptr;
};

} // namespace zorvik::app
