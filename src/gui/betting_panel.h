#pragma once
// The betting area tz_frame (account and password, stop amounts, simulated money and the four
// status lines), shared by the desks and showing the selected one, and each desk's bet log
// Frame2 with its table tz_list.

#include <QObject>
#include <QString>
#include <array>
#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace zorvik::app {

class AppCore;
class Desk;
class TipsGroup;

class BettingPanel : public QObject {
    Q_OBJECT
public:
    BettingPanel(AppCore& core, TipsGroup& tips, QObject* parent = nullptr);

    QGroupBox* settings_box() const { return tz_frame_; }
    // A desk's bet log; it goes with the desk (forget_desk first).
    QGroupBox* make_log_box(Desk& desk);
    void forget_desk(Desk& desk);
    // The desk whose lines, stop amounts and platform account the area shows and edits.
    void select_desk(Desk& desk);
    QLineEdit* password_box() const { return tz_plt_pass_; }
    QLineEdit* account_box() const { return tz_plt_user_; }
    QLineEdit* stop_profit_box() const { return plt_tz_zy_; }
    QLineEdit* stop_loss_box() const { return plt_tz_zs_; }
    QCheckBox* virtual_box() const { return tz_virtual_; }
    // The first desk's stop amounts (止盈, 止损) and its platform account (name, password), as
    // typed, whichever desk is shown.
    const std::pair<QString, QString>& first_stops() const { return first_stops_; }
    const std::pair<QString, QString>& first_account() const { return typed_[0]; }
    // An account's name and password as kept (the other platform's goes straight to the core
    // while the first desk's platform is shown).
    void load_account(int which, const QString& account, const QString& password);
    // The balance line into the virtual-balance box (the balance refresh).
    void mirror_balance();
    // The bet logs show at least this many rows, with their header and scroll bar.
    void keep_log_rows(int rows);

private:
    struct Log {
        Desk* desk;
        QTableView* table;
    };
    void show_account();
    void typed();

    AppCore& core_;
    TipsGroup& tips_;
    Desk* selected_ = nullptr;
    int which_ = 0; // the account of the selected desk's platform
    std::array<std::pair<QString, QString>, 2> typed_;
    std::array<bool, 2> login_shown_{true, true};
    std::array<bool, 2> login_enabled_{true, true};
    std::pair<QString, QString> first_stops_{QStringLiteral("1000"), QStringLiteral("-1000")};
    std::vector<Log> logs_;
    int log_rows_ = 8;
    QGroupBox* tz_frame_ = nullptr;
    QLineEdit* tz_plt_user_ = nullptr;
    QLineEdit* tz_plt_pass_ = nullptr;
    QPushButton* tz_plt_login_ = nullptr;
    QLineEdit* plt_tz_zy_ = nullptr;
    QLineEdit* plt_tz_zs_ = nullptr;
    QCheckBox* tz_virtual_ = nullptr;
    QLineEdit* tz_virtual_m_ = nullptr;
};

} // namespace zorvik::app
