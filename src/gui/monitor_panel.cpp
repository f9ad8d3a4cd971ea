#include "gui/monitor_panel.h"

#include "core/core.h"
#include "gui/monitor_models.h"
#include "gui/tips_label.h"
#include "gui/trend_chart.h"
#include "gui/widgets.h"
#include "feed/catalogue.h"
#include "support/shell.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

MonitorPanel::MonitorPanel(Desk& desk, support::Shell& shell, TipsGroup& tips, QWidget* parent)
    : QWidget(parent), desk_(desk), shell_(shell), tips_(tips)
{
    monitor::MonitorEngine& engine = desk_.engine();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    alert_list_ = table_view("alert_list");
    model_ = new MonitorTableModel(engine, [this] { return desk_.feed().awd_iss(); }, alert_list_);
    alert_list_->setModel(model_);
    for (int i = 0; i < int(std::size(monitor::kMonitorColumns)); ++i)
        alert_list_->setColumnWidth(i, monitor::kMonitorColumns[i].width);
    // The statistics column takes the width left over; the others keep their widths.
    alert_list_->horizontalHeader()->setSectionResizeMode(
        int(std::size(monitor::kMonitorColumns)) - 1, QHeaderView::Stretch);
    keep_list_rows(10);
    // A tip no tray or notification service could show: a banner the user closes, replaced by
    // the next tip; never a box that holds the window.
    tip_banner_ = named<QFrame>("tip_banner");
    tip_banner_->setStyleSheet(u"#tip_banner { background: #fff4d6; border: 1px solid #e0b050; }"_s);
    auto* banner = new QHBoxLayout(tip_banner_);
    banner->setContentsMargins(6, 2, 2, 2);
    tip_text_ = named<QLabel>("tip_banner_text");
    tip_text_->setWordWrap(true);
    auto* close = named<QPushButton>("tip_banner_close", u"关闭"_s);
    close->setFlat(true);
    banner->addWidget(tip_text_, 1);
    banner->addWidget(close);
    tip_banner_->hide();
    connect(close, &QPushButton::clicked, tip_banner_, &QWidget::hide);
    layout->addWidget(tip_banner_);
    layout->addWidget(alert_list_, 1);
    // An empty list says what to do first, written in the list itself.
    empty_hint_ = new QLabel(alert_list_->viewport());
    empty_hint_->setObjectName(u"alert_list_hint"_s);
    empty_hint_->setTextFormat(Qt::PlainText);
    empty_hint_->setWordWrap(true);
    empty_hint_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    empty_hint_->setStyleSheet(u"color: #1a5fa8; padding: 8px"_s);
    alert_list_->viewport()->installEventFilter(this);

    detail_panel_ = named<QWidget>("monitor_detail_panel");
    auto* detail = new QGridLayout(detail_panel_);
    detail->setContentsMargins(0, 0, 0, 0);
    alert_show_tz_number_ = named<QLineEdit>("alert_show_tz_number");
    alert_show_tz_number_->setReadOnly(true);
    alert_show_tz_info_ = named<QLabel>("alert_show_tz_info");
    alert_show_tz_info_->setWordWrap(true);
    detail->addWidget(caption(u"号码："_s), 0, 0);
    detail->addWidget(alert_show_tz_number_, 0, 1);
    detail->addWidget(tips_.make(tips::kFoldDetail, u"︽"_s), 0, 2);
    detail->addWidget(tips_.make(tips::kCopyNumbers, u"复制号码"_s), 0, 3);
    detail->addWidget(tips_.make(tips::kModifySelected, u"修改"_s), 0, 4);
    detail->addWidget(alert_show_tz_info_, 1, 0, 1, 5);
    trend_ = new TrendChart;
    trend_->setMaximumHeight(150);
    detail->addWidget(trend_, 2, 0, 1, 5);
    detail->setColumnStretch(1, 1);
    detail_panel_->hide();
    layout->addWidget(detail_panel_);

    auto* buttons = buttons_ = new QHBoxLayout;
    auto* alert_new = named<QPushButton>("alert_new", u"添加监控"_s);
    auto* alert_del = named<QPushButton>("alert_del", u"删除选中"_s);
    auto* alert_delall = named<QPushButton>("alert_delall", u"清空所有"_s);
    auto* backtest = named<QPushButton>("backtest_do", u"回测"_s);
    // Usable once the maker's service answered (the announcements).
    begin_plan_ = named<QPushButton>("begin_plan", QString::fromUtf16(service::kBeginPlanWaiting));
    begin_plan_->setEnabled(false);
    buttons->addWidget(alert_new);
    buttons->addWidget(alert_del);
    buttons->addWidget(alert_delall);
    buttons->addWidget(backtest);
    buttons->addStretch(1);
    buttons->addWidget(begin_plan_);
    layout->addLayout(buttons);

    connect(alert_new, &QPushButton::clicked, this, &MonitorPanel::new_requested);
    connect(alert_del, &QPushButton::clicked, this,
            [this] { desk_.engine().delete_monitor(selected_position()); });
    connect(alert_delall, &QPushButton::clicked, this, [this] { desk_.engine().delete_all(); });
    connect(backtest, &QPushButton::clicked, this, &MonitorPanel::backtest_requested);
    connect(begin_plan_, &QPushButton::clicked, this, [this] { desk_.begin_plan_clicked(); });
    connect(alert_list_, &QTableView::clicked, this, &MonitorPanel::show_detail_panel);
    // An open detail panel follows the selection (keyboard, rebuilds), so what it shows is
    // always the row that copy and modify act on.
    connect(alert_list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (rebuilding_)
            return;
        const QModelIndexList rows = alert_list_->selectionModel()->selectedRows();
        selected_uid_ = rows.isEmpty() ? 0 : rows.first().data(MonitorTableModel::kUidRole).toULongLong();
        follow_selection();
    });
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        rebuilding_ = true;
        kept_scroll_ = alert_list_->verticalScrollBar()->value();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &MonitorPanel::rows_rebuilt);
    connect(model_, &QAbstractItemModel::modelReset, this, &MonitorPanel::show_empty_hint);
    show_empty_hint();
    connect(&engine, &monitor::MonitorEngine::monitoring_changed, this, [this](bool on) {
        begin_plan_->setText(on ? QString::fromUtf16(monitor::kMonitoringCaption)
                                : QString::fromUtf16(service::kBeginPlanReady));
    });
}

// After a rebuild the monitor the user selected stays selected, wherever its row is now, and
// the list stays where it was scrolled; with none (or it was deleted) the last row is selected
// and scrolled into view.
void MonitorPanel::rows_rebuilt()
{
    const int rows = model_->rowCount();
    int kept = -1;
    for (int row = 0; selected_uid_ != 0 && row < rows && kept < 0; ++row)
        if (model_->index(row, 0).data(MonitorTableModel::kUidRole).toULongLong() == selected_uid_)
            kept = row;
    if (kept >= 0) {
        alert_list_->selectRow(kept);
        alert_list_->verticalScrollBar()->setValue(kept_scroll_);
    } else if (rows > 0) {
        alert_list_->selectRow(rows - 1);
        alert_list_->scrollToBottom();
    }
    rebuilding_ = false;
    const QModelIndexList selected = alert_list_->selectionModel()->selectedRows();
    selected_uid_ = selected.isEmpty() ? 0 : selected.first().data(MonitorTableModel::kUidRole).toULongLong();
    follow_selection();
}

bool MonitorPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The hint covers the empty list's viewport.
    if (watched == alert_list_->viewport() && event->type() == QEvent::Resize)
        empty_hint_->setGeometry(alert_list_->viewport()->rect());
    return QWidget::eventFilter(watched, event);
}

void MonitorPanel::take_back_begin_plan()
{
    buttons_->addWidget(begin_plan_);
    begin_plan_->show();
}

void MonitorPanel::show_tip(const QString& text)
{
    tip_text_->setText(text);
    tip_banner_->show();
}

void MonitorPanel::show_empty_hint()
{
    const bool empty = model_->rowCount() == 0;
    empty_hint_->setVisible(empty);
    empty_hint_->setGeometry(alert_list_->viewport()->rect());
    if (!empty)
        return;
    empty_hint_->setText(!feed::find_lottery(desk_.feed().lottery())
                             ? u"第一步：在左侧“彩种”中选择要跟踪的彩种；第二步：点击下方“添加监控”，"
                               u"选择位置和玩法，输入号码和报警条件。"_s
                             : u"还没有监控：点击下方“添加监控”，选择位置和玩法，输入号码和报警条件。"_s);
}

void MonitorPanel::select_position(int position)
{
    if (position >= 1 && position <= model_->rowCount())
        alert_list_->selectRow(position - 1);
}

std::optional<int> MonitorPanel::selected_position() const
{
    const QModelIndexList rows = alert_list_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().data(MonitorTableModel::kPositionRole).toInt();
}

void MonitorPanel::follow_selection()
{
    if (detail_panel_->isHidden())
        return;
    if (selected_position())
        show_detail_panel();
    else
        fold_detail_panel();
}

void MonitorPanel::show_detail_panel()
{
    const auto position = selected_position();
    if (!position)
        return;
    const auto record = desk_.engine().list().at(*position);
    if (!record) {
        fold_detail_panel();
        return;
    }
    // The open panel takes its room from the list, never from the screen: the window keeps
    // fitting 1366×768.
    keep_list_rows(3);
    if (detail_panel_->isHidden())
        emit detail_shown(true);
    detail_panel_->show();
    alert_show_tz_number_->setText(record->field(monitor::kNumbers));
    alert_show_tz_number_->setCursorPosition(0);
    const QString info = monitor::detail_text(*record);
    alert_show_tz_info_->setText(info);
    alert_show_tz_info_->setVisible(!info.isEmpty()); // no blank band for a monitor that does not bet
    trend_->show_trend(monitor::compute_trend(*record, desk_.known_draws()));
}

void MonitorPanel::fold_detail_panel()
{
    const bool was_shown = !detail_panel_->isHidden();
    detail_panel_->hide();
    keep_list_rows(10);
    if (was_shown)
        emit detail_shown(false);
}

void MonitorPanel::keep_list_rows(int rows)
{
    alert_list_->setMinimumHeight(alert_list_->horizontalHeader()->sizeHint().height() +
                                  rows * alert_list_->verticalHeader()->defaultSectionSize() + 4);
}

void MonitorPanel::copy_numbers()
{
    shell_.copy_text(alert_show_tz_number_->text());
    shell_.tip(u"号码已复制到剪切板"_s);
}

} // namespace zorvik::app
