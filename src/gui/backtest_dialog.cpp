#include "gui/backtest_dialog.h"

#include "gui/widgets.h"
#include "gui/worker_run.h"
#include "support/shell.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

// Where a monitor stopped updating because a value would pass 32767, or empty.
QString stuck_text(const monitor::MonitorOutcome& o)
{
    return o.stuck_from ? u"从第%1期（%2）起停止更新（数值超过32767）"_s.arg(o.stuck_from).arg(o.stuck_issue)
                        : QString();
}


} // namespace

BacktestDialog::BacktestDialog(support::Shell& shell, QString held_history, QString all,
                               QString selected, QWidget* parent, const QString& stop_profit,
                               const QString& stop_loss)
    : QDialog(parent), shell_(shell), held_history_(std::move(held_history)), all_(std::move(all)),
      selected_(std::move(selected))
{
    setObjectName(u"backtest_dialog"_s);
    setWindowTitle(u"回测"_s);
    resize(1300, 560); // within a 1366-wide screen
    auto* layout = new QGridLayout(this);
    source_ = named<QComboBox>("backtest_source");
    const int held = held_history_.isEmpty() ? 0 : int(held_history_.count(u'|')) + 1;
    source_->addItems({u"程序已获取的开奖（%1期）"_s.arg(held), u"选择历史文件..."_s});
    only_selected_ = named<QCheckBox>("backtest_only_selected", u"仅回测选中的监控"_s);
    only_selected_->setEnabled(!selected_.isEmpty());
    start_ = named<QPushButton>("backtest_start", u"开始回测"_s);
    cancel_ = named<QPushButton>("backtest_cancel", u"取消"_s);
    // The stop amounts of the run: the window's, or what the user types for it (empty: none).
    stop_profit_ = named<QLineEdit>("backtest_stop_profit", stop_profit);
    stop_loss_ = named<QLineEdit>("backtest_stop_loss", stop_loss);
    stop_profit_->setPlaceholderText(u"止盈（空：不止盈）"_s);
    stop_loss_->setPlaceholderText(u"止损（负数，空：不止损）"_s);
    progress_ = named<QProgressBar>("backtest_progress");
    progress_->setFormat(u"%v / %m 期"_s);
    totals_ = named<QLabel>("backtest_totals");
    totals_->setWordWrap(true);
    results_ = new QStandardItemModel(this);
    table_ = results_table("backtest_table",
                           {u"序号", u"玩法", u"期数", u"中", u"挂", u"最大连中", u"最大遗漏", u"报警次数",
                            u"投注次数", u"中奖次数", u"成本", u"返奖", u"收入", u"最低收入", u"当前值", u"停止更新"},
                           results_);
    table_->sortByColumn(0, Qt::AscendingOrder); // list order first
    // Each column as narrow as its caption allows, the play wider and the money columns room
    // for their amounts: every column, money included, in view at the window's size.
    const QFontMetrics caption_width(table_->horizontalHeader()->font());
    for (int c = 0; c < results_->columnCount(); ++c)
        table_->setColumnWidth(
            c, std::max(48, caption_width.horizontalAdvance(results_->headerData(c, Qt::Horizontal).toString()) + 24));
    table_->setColumnWidth(1, 140);
    for (int c = 10; c <= 13; ++c)
        table_->setColumnWidth(c, std::max(table_->columnWidth(c), 84));

    layout->addWidget(source_, 0, 0);
    layout->addWidget(only_selected_, 0, 1);
    layout->addWidget(start_, 0, 2);
    layout->addWidget(cancel_, 0, 3);
    auto* stops = new QHBoxLayout;
    stops->addWidget(caption(u"止盈："_s));
    stops->addWidget(stop_profit_);
    stops->addWidget(caption(u"止损："_s));
    stops->addWidget(stop_loss_);
    stops->addStretch(1);
    layout->addLayout(stops, 1, 0, 1, 4);
    layout->addWidget(progress_, 2, 0, 1, 4);
    // The replay's outcome, and the parameter sweep of the selected monitor.
    auto* outcome = new QWidget;
    auto* outcome_layout = new QVBoxLayout(outcome);
    outcome_layout->setContentsMargins(0, 0, 0, 0);
    outcome_layout->addWidget(table_, 1);
    outcome_layout->addWidget(totals_);
    sweep_ = new SweepPanel(shell_, selected_.isEmpty() ? QString() : selected_.mid(1),
                            {[this] { return pick_source(); }, [this] { return stop_options(); }});
    tabs_ = named<QTabWidget>("backtest_tabs");
    tabs_->addTab(outcome, u"回测结果"_s);
    tabs_->addTab(sweep_, u"参数寻优"_s);
    layout->addWidget(tabs_, 3, 0, 1, 4);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(0, 1);

    run_ = new WorkerRun(shell_, start_, cancel_, progress_, this);
    connect(run_, &WorkerRun::finished, this, [this] {
        show_result();
        emit finished_replay();
    });
    connect(start_, &QPushButton::clicked, this, &BacktestDialog::start_clicked);
}

BacktestDialog::~BacktestDialog()
{
    run_->stop(); // before the result the work writes goes
}

bool BacktestDialog::running() const
{
    return run_->running();
}

void BacktestDialog::closeEvent(QCloseEvent* event)
{
    run_->stop();
    sweep_->stop();
    QDialog::closeEvent(event);
}

std::optional<SweepPanel::DrawSource> BacktestDialog::pick_source()
{
    if (source_->currentIndex() == 0) {
        const QString text = QString(held_history_).replace(u'|', u'\n');
        return [text](QString* error) -> std::optional<QVector<monitor::HistoryDraw>> {
            monitor::HistoryError e;
            auto draws = monitor::parse_history(text, &e);
            if (!draws)
                *error = u"程序已获取的开奖 第"_s + QString::number(e.line) + u"行格式有误："_s + e.reason;
            return draws;
        };
    }
    const QString name = QFileDialog::getOpenFileName(this, u"选择历史文件"_s, QString(),
                                                      u"开奖历史 (*.txt *.csv);;所有文件 (*)"_s);
    if (name.isEmpty())
        return std::nullopt;
    return file_source(name);
}

SweepPanel::DrawSource BacktestDialog::file_source(const QString& name)
{
    // A large file is read and parsed on the worker: the window never waits for it.
    return [name](QString* error) -> std::optional<QVector<monitor::HistoryDraw>> {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = u"无法读取文件："_s + name;
            return std::nullopt;
        }
        monitor::HistoryError e;
        auto draws = monitor::parse_history_file(file.readAll(), &e);
        if (!draws)
            *error = name + u" 第"_s + QString::number(e.line) + u"行格式有误："_s + e.reason;
        return draws;
    };
}

monitor::BacktestOptions BacktestDialog::stop_options() const
{
    monitor::BacktestOptions options;
    const auto amount = [](const QLineEdit* box) -> std::optional<double> {
        bool ok = false;
        const double value = box->text().trimmed().toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    };
    options.stop_profit = amount(stop_profit_);
    options.stop_loss = amount(stop_loss_);
    return options;
}

void BacktestDialog::start_clicked()
{
    if (auto source = pick_source())
        run(std::move(*source));
}

void BacktestDialog::start_file(const QString& name)
{
    run(file_source(name));
}

void BacktestDialog::start(const QVector<monitor::HistoryDraw>& draws)
{
    run([draws](QString*) { return std::optional<QVector<monitor::HistoryDraw>>(draws); });
}

void BacktestDialog::run(SweepPanel::DrawSource source)
{
    run_->stop();
    const QString list = only_selected_->isChecked() ? selected_ : all_;
    monitor::BacktestOptions options = stop_options();
    result_.reset();
    results_->removeRows(0, results_->rowCount());
    totals_->clear();
    // The replay works on its own copies of the monitors and the draws.
    run_->run([this, list, options, source = std::move(source)]() mutable {
        QString error;
        const auto draws = source(&error);
        if (!draws || draws->isEmpty())
            return draws ? u"没有可回测的开奖"_s : error;
        run_->set_total(draws->size());
        options.progress = [this](qint64 n) { return run_->advance(n); };
        result_ = std::make_unique<monitor::BacktestResult>(monitor::run_backtest(list, *draws, options));
        return QString();
    });
}

void BacktestDialog::show_result()
{
    if (!result_)
        return;
    using monitor::report_money;
    const monitor::BacktestResult& r = *result_;
    for (const monitor::MonitorOutcome& o : r.monitors) {
        results_->appendRow({sort_cell(QString::number(o.position), o.position),
                             sort_cell(o.title),
                             sort_cell(QString::number(o.draws), double(o.draws)),
                             sort_cell(QString::number(o.hits), o.hits),
                             sort_cell(QString::number(o.misses), o.misses),
                             sort_cell(QString::number(o.longest_hits), o.longest_hits),
                             sort_cell(QString::number(o.longest_misses), o.longest_misses),
                             sort_cell(QString::number(o.alerts), o.alerts),
                             sort_cell(QString::number(o.bets), o.bets),
                             sort_cell(QString::number(o.wins), o.wins),
                             sort_cell(report_money(o.cost), o.cost),
                             sort_cell(report_money(o.returned), o.returned),
                             sort_cell(report_money(o.income()), o.income()),
                             sort_cell(report_money(o.lowest), o.lowest),
                             sort_cell(o.current),
                             sort_cell(stuck_text(o), double(o.stuck_from))});
    }
    QString stuck;
    for (const monitor::MonitorOutcome& o : r.monitors) {
        if (o.stuck_from)
            stuck += u"；序号%1的监控%2"_s.arg(o.position).arg(stuck_text(o));
    }
    totals_->setText(u"回测%1期%2：投注%3次，中奖%4次，成本%5，返奖%6，收入%7，最大盈利%8，最小收益%9"_s
                         .arg(r.draws_replayed)
                         .arg(run_->cancelled() ? u"（已取消）"_s : QString())
                         .arg(r.bets)
                         .arg(r.wins)
                         .arg(report_money(r.cost), report_money(r.returned), report_money(r.income),
                              report_money(r.best), report_money(r.worst)) +
                     stuck);
}

} // namespace zorvik::app
