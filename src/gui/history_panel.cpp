#include "gui/history_panel.h"

#include "monitor/bet_log.h"

#include "core/core.h"
#include "gui/widgets.h"
#include "support/money.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

constexpr int kColumns = 11;
const char16_t* const kHeaders[kColumns] = {u"时间", u"彩种", u"玩法", u"期号", u"倍数", u"成本",
                                            u"开奖", u"状态", u"返奖", u"累计收入", u"订单号"};
const int kWidths[kColumns] = {132, 150, 150, 112, 40, 56, 80, 40, 56, 70, 120};
const QString kAll = u"全部"_s;

// Refills a filter's list, keeping its choice when that is still offered.
void refill(QComboBox* box, const QStringList& items)
{
    const QString chosen = box->currentText();
    box->blockSignals(true);
    box->clear();
    box->addItem(kAll);
    box->addItems(items);
    const int again = box->findText(chosen);
    box->setCurrentIndex(again < 0 ? 0 : again);
    box->blockSignals(false);
}

QString chosen(const QComboBox* box)
{
    return box->currentIndex() <= 0 ? QString() : box->currentText();
}

} // namespace

void RecordsModel::set_rows(QVector<records::BetRecord> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    running_.clear();
    double income[2] = {0, 0}; // real, simulated: never added together
    for (const records::BetRecord& b : rows_) {
        if (!b.result.isEmpty())
            income[b.simulated] += b.returned - b.cost;
        running_ << income[b.simulated];
    }
    endResetModel();
}

int RecordsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant RecordsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const records::BetRecord& b = rows_[index.row()];
    const bool open = b.result.isEmpty();
    if (role == Qt::ForegroundRole && index.column() == 7 && b.result == u"中")
        return QColor(255, 0, 0);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0: return b.placed_at;
    case 1: return b.lottery;
    case 2: return b.simulated ? b.monitor + u"（模拟）"_s : b.monitor;
    case 3: return b.issue;
    case 4: return b.multiplier;
    case 5: return support::amount_text(b.cost);
    case 6: return open ? u"---"_s : b.draw;
    case 7: return !b.confirmed() ? QString::fromUtf16(monitor::kUnconfirmedMark) : open ? u"---"_s : b.result;
    case 8: return open ? u"---"_s : support::amount_text(b.returned);
    case 9: return support::amount_text(running_[index.row()]);
    case 10: return b.order_no;
    }
    return {};
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumns)
        return QString::fromUtf16(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

HistoryPanel::HistoryPanel(AppCore& core, QWidget* parent) : QWidget(parent), core_(core)
{
    setObjectName(u"records_tab"_s);
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    day_ = named<QComboBox>("records_day");
    lottery_ = named<QComboBox>("records_lottery");
    monitor_ = named<QComboBox>("records_monitor");
    for (QComboBox* box : {day_, lottery_, monitor_}) {
        box->addItem(kAll);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    kind_ = named<QComboBox>("records_kind");
    kind_->addItems({kAll, u"真实投注"_s, u"模拟投注"_s});
    auto* refresh = named<QPushButton>("records_refresh", u"刷新"_s);
    filters->addWidget(caption(u"日期："_s));
    filters->addWidget(day_);
    filters->addWidget(caption(u"彩种："_s));
    filters->addWidget(lottery_);
    filters->addWidget(caption(u"玩法："_s));
    filters->addWidget(monitor_);
    filters->addWidget(caption(u"资金："_s));
    filters->addWidget(kind_);
    filters->addWidget(refresh);
    filters->addStretch(1);
    layout->addLayout(filters);
    list_ = table_view("records_list");
    model_ = new RecordsModel(list_);
    list_->setModel(model_);
    for (int c = 0; c < kColumns; ++c)
        list_->setColumnWidth(c, kWidths[c]);
    // The time and the order number are read whole: as wide as their longest texts.
    const QFontMetrics metrics = list_->fontMetrics();
    list_->setColumnWidth(0, metrics.horizontalAdvance(u"2026-12-08 00:00:00"_s) + 16);
    list_->setColumnWidth(kColumns - 1, metrics.horizontalAdvance(QString(32, u'D')) + 16);
    list_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(list_, 1);
    totals_ = named<QLabel>("records_totals");
    totals_->setWordWrap(true);
    layout->addWidget(totals_);

    for (QComboBox* box : {day_, lottery_, monitor_, kind_})
        connect(box, &QComboBox::currentIndexChanged, this, &HistoryPanel::show_rows);
    connect(refresh, &QPushButton::clicked, this, &HistoryPanel::reload);
    // New bets and settlements show while the tab is open.
    connect(&core_, &AppCore::bet_committed, this, [this] {
        if (isVisible())
            reload();
    });
}

HistoryPanel::~HistoryPanel() = default;

void HistoryPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

void HistoryPanel::reload()
{
    core_.records().flush(); // what was asked to be written is there to read
    if (!store_ || !store_->is_open()) {
        store_ = std::make_unique<records::RecordStore>();
        if (!store_->open(core_.records_file())) {
            totals_->setText(u"无法读取投注记录："_s + store_->error());
            model_->set_rows({});
            store_.reset();
            return;
        }
    }
    refill(day_, store_->days());
    refill(lottery_, store_->lotteries());
    refill(monitor_, store_->monitors(chosen(lottery_)));
    show_rows();
}

void HistoryPanel::show_rows()
{
    if (!store_)
        return;
    // The 玩法 filter lists the monitors of the lottery chosen.
    refill(monitor_, store_->monitors(chosen(lottery_)));
    records::BetFilter filter;
    if (const QString day = chosen(day_); !day.isEmpty())
        filter.day = QDate::fromString(day, Qt::ISODate);
    filter.lottery = chosen(lottery_);
    filter.monitor = chosen(monitor_);
    if (kind_->currentIndex() > 0)
        filter.simulated = kind_->currentIndex() == 2;
    model_->set_rows(store_->bets(filter));
    list_->scrollToBottom();
    QStringList lines;
    for (const records::DayTotals& d : store_->day_totals(filter))
        lines << d.day + (d.simulated ? u"（模拟）"_s : u"（真实）"_s) + u"：投注"_s + QString::number(d.bets) +
                     u"次，成本"_s + support::amount_text(d.cost) + u"，返奖"_s +
                     support::amount_text(d.returned) + u"，收入"_s + support::amount_text(d.income());
    totals_->setText(lines.isEmpty() ? u"没有投注记录"_s : lines.join(u'\n'));
}

} // namespace zorvik::app
