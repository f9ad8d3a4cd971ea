#include "gui/sweep_panel.h"

#include "gui/widgets.h"
#include "gui/worker_run.h"
#include "monitor/monitor.h"
#include "rules/bets.h"
#include "support/shell.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

constexpr int kIncomeColumn = 7;
// The variant a row stands for, kept on its first cell.
constexpr int kVariantRole = Qt::UserRole + 1;

QSpinBox* spin(const char* name, int value)
{
    auto* box = named<QSpinBox>(name);
    box->setRange(0, 32767);
    box->setValue(value);
    return box;
}

} // namespace

SweepPanel::SweepPanel(support::Shell& shell, QString record, Hooks hooks, QWidget* parent)
    : QWidget(parent), shell_(shell), record_(std::move(record)), hooks_(std::move(hooks))
{
    setObjectName(u"sweep_panel"_s);
    const monitor::Monitor m = monitor::Monitor::from_text(record_);
    const int own = m.condition().threshold;
    from_ = spin("sweep_threshold_from", std::max(0, own - 5));
    to_ = spin("sweep_threshold_to", own + 5);
    step_ = spin("sweep_threshold_step", 1);
    step_->setMinimum(1);
    plans_ = named<QLineEdit>("sweep_plans", record_.isEmpty() ? QString() : m.field(monitor::kBetPlan));
    plans_->setPlaceholderText(u"倍投方案，多个用 | 分隔，如 1,2,4|1,3,9"_s);
    units_ = named<QLineEdit>("sweep_units", record_.isEmpty() ? QString() : rules::unit_name(m.field(monitor::kMoneyUnit).toInt()));
    units_->setPlaceholderText(u"资金模式，如 元,角"_s);
    start_ = named<QPushButton>("sweep_start", u"开始寻优"_s);
    cancel_ = named<QPushButton>("sweep_cancel", u"取消"_s);
    apply_ = named<QPushButton>("sweep_apply", u"应用到编辑器"_s);
    apply_->setEnabled(false);
    progress_ = named<QProgressBar>("sweep_progress");
    summary_ = named<QLabel>("sweep_summary", record_.isEmpty() ? u"请先在监控列表中选中一个遗漏或连中监控"_s
                                                                : u"监控：%1 %2"_s.arg(m.field(monitor::kTitle), m.field(monitor::kCondition)));
    summary_->setWordWrap(true);
    start_->setEnabled(!record_.isEmpty());
    results_ = new QStandardItemModel(this);
    table_ = results_table("sweep_table",
                           {u"阈值", u"倍投方案", u"资金模式", u"投注次数", u"中奖次数", u"成本", u"返奖", u"收入",
                            u"最低收入", u"最大遗漏", u"最低收入期号"},
                           results_);
    table_->setColumnWidth(1, 160);

    auto* layout = new QGridLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(caption(u"阈值从"_s));
    row->addWidget(from_);
    row->addWidget(caption(u"到"_s));
    row->addWidget(to_);
    row->addWidget(caption(u"步长"_s));
    row->addWidget(step_);
    row->addWidget(caption(u"倍投方案"_s));
    row->addWidget(plans_, 2);
    row->addWidget(caption(u"资金模式"_s));
    row->addWidget(units_, 1);
    row->addWidget(start_);
    row->addWidget(cancel_);
    layout->addLayout(row, 0, 0, 1, 2);
    layout->addWidget(summary_, 1, 0, 1, 2);
    layout->addWidget(progress_, 2, 0, 1, 2);
    layout->addWidget(table_, 3, 0, 1, 2);
    layout->addWidget(apply_, 4, 1, Qt::AlignRight);

    run_ = new WorkerRun(shell_, start_, cancel_, progress_, this);
    connect(run_, &WorkerRun::finished, this, [this] {
        show_results();
        emit finished_sweep();
    });
    connect(start_, &QPushButton::clicked, this, [this] {
        if (const auto source = hooks_.draws())
            start(*source);
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { apply_->setEnabled(!table_->selectionModel()->selectedRows().isEmpty()); });
    connect(apply_, &QPushButton::clicked, this, [this] {
        const QModelIndexList rows = table_->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        const QVariant v = rows.first().data(kVariantRole);
        emit variant_chosen({v.toList().value(0).toInt(), v.toList().value(1).toString(),
                             v.toList().value(2).toInt()});
    });
}

bool SweepPanel::running() const
{
    return run_->running();
}

void SweepPanel::stop()
{
    run_->stop();
}

SweepPanel::~SweepPanel()
{
    run_->stop(); // before the results the work writes go
}

std::optional<monitor::SweepRanges> SweepPanel::ranges()
{
    monitor::SweepRanges r;
    if (to_->value() < from_->value()) {
        shell_.message(u"阈值范围有误：起点大于终点"_s);
        return std::nullopt;
    }
    for (int t = from_->value(); t <= to_->value(); t += step_->value())
        r.thresholds << t;
    for (const QString& plan : plans_->text().split(u'|', Qt::SkipEmptyParts))
        r.plans << plan.trimmed();
    if (!units_->text().trimmed().isEmpty()) {
        const auto units = monitor::parse_units(units_->text().replace(u'，', u','));
        if (!units) {
            shell_.message(u"资金模式有误：请填写元、角、分或厘，多个用逗号分隔"_s);
            return std::nullopt;
        }
        r.units = *units;
    }
    return r;
}

void SweepPanel::start(DrawSource source)
{
    if (record_.isEmpty())
        return;
    const auto r = ranges();
    if (!r)
        return;
    QString why;
    const auto variants = monitor::sweep_variants(record_, *r, &why);
    if (!variants) {
        shell_.message(u"无法寻优："_s + why);
        return;
    }
    monitor::BacktestOptions options = hooks_.stops ? hooks_.stops() : monitor::BacktestOptions{};
    const bool stops = options.stop_profit || options.stop_loss;
    run_->stop();
    variant_count_ = variants->size();
    outcomes_.reset();
    results_->removeRows(0, results_->rowCount());
    apply_->setEnabled(false);
    run_->run([this, record = record_, variants = *variants, options, stops, source = std::move(source)]() mutable {
        QString error;
        const auto draws = source(&error);
        if (!draws || draws->isEmpty())
            return draws ? u"没有可回测的开奖"_s : error;
        run_->set_total(stops ? qint64(variants.size()) * draws->size() : draws->size());
        options.progress = [this](qint64 n) { return run_->advance(n); };
        outcomes_ = std::make_unique<QVector<monitor::SweepOutcome>>(
            monitor::run_sweep(record, variants, *draws, options));
        return QString();
    });
}

void SweepPanel::show_results()
{
    if (!outcomes_)
        return;
    using monitor::report_money;
    for (const monitor::SweepOutcome& s : *outcomes_) {
        const monitor::MonitorOutcome& o = s.outcome;
        auto* first = sort_cell(QString::number(s.variant.threshold), s.variant.threshold);
        first->setData(QVariantList{s.variant.threshold, s.variant.plan, s.variant.unit}, kVariantRole);
        results_->appendRow({first, sort_cell(s.variant.plan), sort_cell(rules::unit_name(s.variant.unit), s.variant.unit),
                             sort_cell(QString::number(o.bets), o.bets), sort_cell(QString::number(o.wins), o.wins),
                             sort_cell(report_money(o.cost), o.cost), sort_cell(report_money(o.returned), o.returned),
                             sort_cell(report_money(o.income()), o.income()), sort_cell(report_money(o.lowest), o.lowest),
                             sort_cell(QString::number(o.longest_misses), double(o.longest_misses)),
                             sort_cell(o.lowest_issue)});
    }
    table_->sortByColumn(kIncomeColumn, Qt::DescendingOrder);
    summary_->setText(u"寻优%1个组合%2，按收入从高到低排列；选中一行后点击“应用到编辑器”，再点击“确定修改”保存"_s
                          .arg(variant_count_)
                          .arg(run_->cancelled() ? u"（已取消，结果不完整）"_s : QString()));
}

} // namespace zorvik::app
