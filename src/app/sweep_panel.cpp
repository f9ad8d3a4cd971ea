#include "app/sweep_panel.h"

#include "app/widgets.h"
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
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

const char16_t* const kHeaders[] = {u"阈值", u"倍投方案", u"资金模式", u"投注次数", u"中奖次数", u"成本",
                                    u"返奖",  u"收入",     u"最低收入", u"最大遗漏", u"最低收入期号"};
constexpr int kIncomeColumn = 7;
// The variant a row stands for, kept on its first cell.
constexpr int kVariantRole = Qt::UserRole + 1;

QStandardItem* cell(const QString& text, std::optional<double> value = std::nullopt)
{
    auto* item = new QStandardItem(text);
    item->setData(value ? QVariant(*value) : QVariant(text), Qt::UserRole);
    return item;
}

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
    cancel_->setEnabled(false);
    apply_ = named<QPushButton>("sweep_apply", u"应用到编辑器"_s);
    apply_->setEnabled(false);
    progress_ = named<QProgressBar>("sweep_progress");
    summary_ = named<QLabel>("sweep_summary", record_.isEmpty() ? u"请先在监控列表中选中一个遗漏或连中监控"_s
                                                                : u"监控：%1 %2"_s.arg(m.field(monitor::kTitle), m.field(monitor::kCondition)));
    summary_->setWordWrap(true);
    start_->setEnabled(!record_.isEmpty());
    results_ = new QStandardItemModel(0, int(std::size(kHeaders)), this);
    for (int c = 0; c < int(std::size(kHeaders)); ++c)
        results_->setHeaderData(c, Qt::Horizontal, QString::fromUtf16(kHeaders[c]));
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(results_);
    sorted->setSortRole(Qt::UserRole);
    table_ = table_view("sweep_table");
    table_->setModel(sorted);
    table_->setSortingEnabled(true);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(1, 160);

    auto* layout = new QGridLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(caption(u"阈值从"_s));
    row->addWidget(from_);
    row->addWidget(caption(u"到"_s));
    row->addWidget(to_);
    row->addWidget(caption(u"步长"_s));
    row->addWidget(step_);
    row->addWidget(plans_, 2);
    row->addWidget(units_, 1);
    row->addWidget(start_);
    row->addWidget(cancel_);
    layout->addLayout(row, 0, 0, 1, 2);
    layout->addWidget(summary_, 1, 0, 1, 2);
    layout->addWidget(progress_, 2, 0, 1, 2);
    layout->addWidget(table_, 3, 0, 1, 2);
    layout->addWidget(apply_, 4, 1, Qt::AlignRight);

    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, &SweepPanel::poll);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel_requested_ = true; });
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

SweepPanel::~SweepPanel()
{
    stop_worker();
}

void SweepPanel::stop_worker()
{
    cancel_requested_ = true;
    if (worker_.joinable())
        worker_.join();
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
    stop_worker();
    monitor::BacktestOptions options = hooks_.stops ? hooks_.stops() : monitor::BacktestOptions{};
    const bool stops = options.stop_profit || options.stop_loss;
    variant_count_ = variants->size();
    replayed_ = 0;
    total_ = 0;
    failure_.clear();
    cancel_requested_ = false;
    done_ = false;
    outcomes_.reset();
    results_->removeRows(0, results_->rowCount());
    apply_->setEnabled(false);
    progress_->setRange(0, 0); // busy until the draws are known
    start_->setEnabled(false);
    cancel_->setEnabled(true);
    worker_ = std::thread([this, record = record_, variants = *variants, options, stops,
                           source = std::move(source)]() mutable {
        QString error;
        const auto draws = source(&error);
        if (!draws || draws->isEmpty()) {
            failure_ = draws ? u"没有可回测的开奖"_s : error;
            done_ = true;
            return;
        }
        total_ = stops ? qint64(variants.size()) * draws->size() : draws->size();
        options.progress = [this](qint64 n) {
            replayed_ = n;
            return !cancel_requested_.load();
        };
        outcomes_ = std::make_unique<QVector<monitor::SweepOutcome>>(
            monitor::run_sweep(record, variants, *draws, options));
        done_ = true;
    });
    poll_->start();
}

void SweepPanel::poll()
{
    // The bar counts in thousandths of the work: its range is an int.
    const qint64 total = total_;
    if (total > 0 && progress_->maximum() != 1000)
        progress_->setRange(0, 1000);
    if (total > 0)
        progress_->setValue(int(replayed_ * 1000 / total));
    if (!done_)
        return;
    poll_->stop();
    if (worker_.joinable())
        worker_.join();
    start_->setEnabled(true);
    cancel_->setEnabled(false);
    if (!failure_.isEmpty()) {
        progress_->setRange(0, 1);
        shell_.message(failure_);
    }
    show_results();
    emit finished_sweep();
}

void SweepPanel::show_results()
{
    if (!outcomes_)
        return;
    using monitor::money2;
    for (const monitor::SweepOutcome& s : *outcomes_) {
        const monitor::MonitorOutcome& o = s.outcome;
        auto* first = cell(QString::number(s.variant.threshold), s.variant.threshold);
        first->setData(QVariantList{s.variant.threshold, s.variant.plan, s.variant.unit}, kVariantRole);
        results_->appendRow({first, cell(s.variant.plan), cell(rules::unit_name(s.variant.unit), s.variant.unit),
                             cell(QString::number(o.bets), o.bets), cell(QString::number(o.wins), o.wins),
                             cell(money2(o.cost), o.cost), cell(money2(o.returned), o.returned),
                             cell(money2(o.income()), o.income()), cell(money2(o.lowest), o.lowest),
                             cell(QString::number(o.longest_misses), double(o.longest_misses)),
                             cell(o.lowest_issue)});
    }
    table_->sortByColumn(kIncomeColumn, Qt::DescendingOrder);
    summary_->setText(u"寻优%1个组合%2，按收入从高到低排列；选中一行后点击“应用到编辑器”，再点击“确定修改”保存"_s
                          .arg(variant_count_)
                          .arg(cancel_requested_ ? u"（已取消，结果不完整）"_s : QString()));
}

} // namespace zorvik::app
