#include "gui/plan_dialog.h"

#include "gui/widgets.h"
#include "monitor/plan_calc.h"
#include "rules/bets.h"
#include "rules/validate.h"
#include "support/money.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

PlanDialog::PlanDialog(const PlanInputs& inputs, QWidget* parent) : QDialog(parent), inputs_(inputs)
{
    setObjectName(u"plan_dialog"_s);
    setWindowTitle(u"倍投计算器"_s);
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);
    play_ = named<QLabel>("plan_play");
    play_->setWordWrap(true);
    layout->addWidget(play_);

    auto* form = new QGridLayout;
    unit_ = named<QComboBox>("plan_unit");
    unit_->addItems({u"元"_s, u"角"_s, u"分"_s, u"厘"_s});
    unit_->setCurrentIndex(std::max(0, unit_->findText(inputs.unit)));
    odds_ = named<QLineEdit>("plan_odds", inputs.odds);
    steps_ = named<QSpinBox>("plan_steps");
    steps_->setRange(1, 100);
    steps_->setValue(10);
    first_ = named<QSpinBox>("plan_first");
    first_->setRange(1, 99999999);
    by_profit_ = named<QRadioButton>("plan_by_profit", u"每次中奖盈利金额："_s);
    auto* by_rate = named<QRadioButton>("plan_by_rate", u"盈利率（%）："_s);
    by_profit_->setChecked(true);
    profit_ = named<QDoubleSpinBox>("plan_profit");
    profit_->setRange(-1e9, 1e9);
    profit_->setDecimals(3);
    profit_->setValue(10);
    rate_ = named<QDoubleSpinBox>("plan_rate");
    rate_->setRange(-100, 1e6);
    rate_->setDecimals(2);
    rate_->setValue(10);
    max_multiplier_ = named<QSpinBox>("plan_max_multiplier");
    max_multiplier_->setRange(0, 99999999);
    max_multiplier_->setSpecialValueText(u"不限"_s);
    budget_ = named<QDoubleSpinBox>("plan_budget");
    budget_->setRange(0, 1e12);
    budget_->setDecimals(3);
    budget_->setSpecialValueText(u"不限"_s);
    int row = 0;
    form->addWidget(caption(u"资金模式："_s), row, 0);
    form->addWidget(unit_, row, 1);
    form->addWidget(caption(u"赔率："_s), row, 2);
    form->addWidget(odds_, row++, 3);
    form->addWidget(caption(u"期数："_s), row, 0);
    form->addWidget(steps_, row, 1);
    form->addWidget(caption(u"起始倍数："_s), row, 2);
    form->addWidget(first_, row++, 3);
    form->addWidget(by_profit_, row, 0);
    form->addWidget(profit_, row, 1);
    form->addWidget(by_rate, row, 2);
    form->addWidget(rate_, row++, 3);
    form->addWidget(caption(u"最大倍数："_s), row, 0);
    form->addWidget(max_multiplier_, row, 1);
    form->addWidget(caption(u"资金上限："_s), row, 2);
    form->addWidget(budget_, row++, 3);
    layout->addLayout(form);

    table_ = named<QTableWidget>("plan_table");
    table_->setColumnCount(7);
    table_->setHorizontalHeaderLabels({u"期"_s, u"倍数"_s, u"本期投入"_s, u"累计投入"_s, u"中奖返还"_s, u"中奖盈利"_s, u"盈利率"_s});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(table_, 1);
    summary_ = named<QLabel>("plan_summary");
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    auto* apply = named<QPushButton>("plan_apply", u"应用"_s);
    auto* close = named<QPushButton>("plan_close", u"关闭"_s);
    layout->addLayout(button_row({apply, close}));

    // The numbers as the play takes them, and their lines.
    const int positions = monitor::title_positions(inputs_.title);
    const QString play = monitor::title_play(inputs_.title);
    QString numbers = inputs_.numbers;
    const QString refused = positions > 0 && !play.isEmpty() ? rules::validate_numbers(numbers, positions, play)
                                                            : u"请先在编辑器中选择位置和玩法"_s;
    if (refused.isEmpty())
        count_ = rules::bet_count(inputs_.title, numbers);
    play_->setText(refused.isEmpty() ? inputs_.title + u"　号码："_s + numbers.left(60) + u"　共 "_s +
                                           QString::number(count_) + u" 注"_s
                                     : refused);

    connect(unit_, &QComboBox::currentIndexChanged, this, &PlanDialog::calculate);
    connect(odds_, &QLineEdit::textChanged, this, &PlanDialog::calculate);
    for (QSpinBox* box : {steps_, first_, max_multiplier_})
        connect(box, &QSpinBox::valueChanged, this, &PlanDialog::calculate);
    for (QDoubleSpinBox* box : {profit_, rate_, budget_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &PlanDialog::calculate);
    connect(by_profit_, &QRadioButton::toggled, this, &PlanDialog::calculate);
    connect(apply, &QPushButton::clicked, this, [this] {
        if (multipliers_.isEmpty())
            return;
        emit applied(multipliers_);
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    calculate();
}

void PlanDialog::calculate()
{
    table_->setRowCount(0);
    multipliers_.clear();
    bool odds_ok = false;
    const double odds = odds_->text().trimmed().toDouble(&odds_ok);
    if (count_ <= 0)
        return;
    if (!odds_ok || odds <= 0) {
        summary_->setText(u"赔率应为正数"_s);
        return;
    }
    monitor::PlanQuery q;
    q.title = inputs_.title;
    q.count = count_;
    q.unit = unit_->currentText();
    q.odds = odds_->text().trimmed();
    q.steps = steps_->value();
    q.first = first_->value();
    q.rate = !by_profit_->isChecked();
    q.target = q.rate ? rate_->value() : profit_->value();
    if (max_multiplier_->value() > 0)
        q.max_multiplier = max_multiplier_->value();
    if (budget_->value() > 0)
        q.budget = budget_->value();
    const monitor::PlanTable t = monitor::calculate_plan(q);
    table_->setRowCount(int(t.rows.size()));
    for (int i = 0; i < t.rows.size(); ++i) {
        const monitor::PlanRow& r = t.rows[i];
        const QString cells[] = {QString::number(r.step),           QString::number(r.multiplier),
                                 support::amount_text(r.cost),      support::amount_text(r.total),
                                 support::amount_text(r.win),       support::amount_text(r.profit),
                                 support::money_text(r.rate) + u'%'};
        for (int c = 0; c < 7; ++c)
            table_->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    multipliers_ = monitor::plan_multipliers(t);
    summary_->setText(u"方案："_s + (multipliers_.isEmpty() ? u"无"_s : multipliers_) + u"\n资金需求："_s +
                      support::amount_text(t.money) + (t.ended.isEmpty() ? QString() : u"\n"_s + t.ended));
}

} // namespace zorvik::app
