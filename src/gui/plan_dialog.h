#pragma once
// The 倍投计算器 window: the multipliers at which every win of a chase leaves a fixed profit or
// a profit rate, for the editor's play, numbers, money unit and odds (changeable here), with the
// money the whole chase needs. 应用 puts the multipliers into the editor's plan box.

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace zorvik::app {

struct PlanInputs {
    QString title;   // the play's display name; empty when the editor names no play
    QString numbers;
    QString unit;    // "元", "角", "分" or "厘"
    QString odds;
};

class PlanDialog : public QDialog {
    Q_OBJECT
public:
    PlanDialog(const PlanInputs& inputs, QWidget* parent = nullptr);

    // The plan as now shown ("1,2,4"); empty when there is none.
    QString multipliers() const { return multipliers_; }

signals:
    // 应用 was clicked with this plan.
    void applied(const QString& multipliers);

private:
    void calculate();

    PlanInputs inputs_;
    qint64 count_ = 0;
    QString multipliers_;
    QComboBox* unit_ = nullptr;
    QLineEdit* odds_ = nullptr;
    QSpinBox* steps_ = nullptr;
    QSpinBox* first_ = nullptr;
    QRadioButton* by_profit_ = nullptr;
    QDoubleSpinBox* profit_ = nullptr;
    QDoubleSpinBox* rate_ = nullptr;
    QSpinBox* max_multiplier_ = nullptr;
    QDoubleSpinBox* budget_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* play_ = nullptr;
};

} // namespace zorvik::app
