#pragma once
// The betting area tz_frame (password, stop amounts, simulated money and the four status lines)
// and the bet log Frame2 with its table tz_list.

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QTableView;

namespace zorvik::app {

class AppCore;
class TipsGroup;

class BettingPanel : public QObject {
    Q_OBJECT
public:
    BettingPanel(AppCore& core, TipsGroup& tips, QObject* parent = nullptr);

    QGroupBox* settings_box() const { return tz_frame_; }
    QGroupBox* log_box() const { return log_frame_; }
    QLineEdit* password_box() const { return tz_plt_pass_; }
    QLineEdit* account_box() const { return tz_plt_user_; }
    QLineEdit* stop_profit_box() const { return plt_tz_zy_; }
    QLineEdit* stop_loss_box() const { return plt_tz_zs_; }
    QCheckBox* virtual_box() const { return tz_virtual_; }
    // The balance line into the virtual-balance box (the balance refresh).
    void mirror_balance();
    // The bet log shows at least this many rows, with its header and scroll bar.
    void keep_log_rows(int rows);

private:
    AppCore& core_;
    TipsGroup& tips_;
    QGroupBox* tz_frame_ = nullptr;
    QGroupBox* log_frame_ = nullptr;
    QLineEdit* tz_plt_user_ = nullptr;
    QLineEdit* tz_plt_pass_ = nullptr;
    QLineEdit* plt_tz_zy_ = nullptr;
    QLineEdit* plt_tz_zs_ = nullptr;
    QCheckBox* tz_virtual_ = nullptr;
    QLineEdit* tz_virtual_m_ = nullptr;
    QTableView* tz_list_ = nullptr;
};

} // namespace zorvik::app
