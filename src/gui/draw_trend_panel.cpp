#include "gui/draw_trend_panel.h"

#include "core/desk.h"
#include "gui/widgets.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

constexpr int kLead = 2; // issue and numbers before the bands
const char16_t* const kPositions[] = {u"万位", u"千位", u"百位", u"十位", u"个位"};
const char16_t* const kCounts[] = {u"出现次数", u"当前遗漏", u"最大遗漏", u"最大连出"};

int stat_of(const monitor::RunStats& s, int which)
{
    switch (which) {
    case 0: return s.appearances;
    case 1: return s.current_miss;
    case 2: return s.longest_miss;
    default: return s.longest_run;
    }
}

// Alternate bands are shaded, so that a position's ten cells read as one.
QVariant band_background(int column)
{
    if (column < kLead)
        return {};
    return ((column - kLead) / 10) % 2 ? QVariant(QColor(0xf2, 0xf4, 0xf7)) : QVariant();
}

QVariant band_header(int section)
{
    if (section < kLead)
        return section == 0 ? u"期号"_s : u"开奖号"_s;
    return QString::number((section - kLead) % 10);
}

QVariant band_tooltip(int section)
{
    return section < kLead ? QVariant() : QVariant(QString::fromUtf16(kPositions[(section - kLead) / 10]));
}

} // namespace

void TrendTableModel::set_trend(const monitor::DrawTrend& trend)
{
    beginResetModel();
    trend_ = trend;
    endResetModel();
}

int DrawTrendModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(trend_.draws.size());
}

int DrawTrendModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kLead + 50;
}

QVariant DrawTrendModel::data(const QModelIndex& index, int role) const
{
    const int r = index.row(), c = index.column();
    if (r < 0 || r >= trend_.draws.size())
        return {};
    const int miss = c >= kLead ? trend_.misses[r][size_t((c - kLead) / 10)][size_t((c - kLead) % 10)] : -1;
    switch (role) {
    case Qt::DisplayRole:
        if (c == 0)
            return trend_.draws[r].issue;
        if (c == 1)
            return trend_.draws[r].numbers;
        return miss == 0 ? QString::number((c - kLead) % 10) : QString::number(miss);
    case Qt::TextAlignmentRole:
        return c < kLead ? QVariant() : QVariant(Qt::AlignCenter);
    case Qt::BackgroundRole:
        return miss == 0 ? QVariant(QColor(0xc0, 0x20, 0x2f)) : band_background(c);
    case Qt::ForegroundRole:
        return miss == 0 ? QVariant(QColor(Qt::white)) : miss > 0 ? QVariant(QColor(0x9a, 0xa1, 0xab)) : QVariant();
    case Qt::UserRole: // the drawn cells
        return miss == 0;
    default:
        return {};
    }
}

QVariant DrawTrendModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return band_header(section);
    if (role == Qt::ToolTipRole)
        return band_tooltip(section);
    return {};
}

int TrendCountsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

int TrendCountsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kLead + 50;
}

QVariant TrendCountsModel::data(const QModelIndex& index, int role) const
{
    const int r = index.row(), c = index.column();
    if (role == Qt::DisplayRole) {
        if (c == 0)
            return QString::fromUtf16(kCounts[r]);
        if (c == 1)
            return QVariant();
        return stat_of(trend_.positions[size_t((c - kLead) / 10)].digits[size_t((c - kLead) % 10)], r);
    }
    if (role == Qt::TextAlignmentRole && c >= kLead)
        return Qt::AlignCenter;
    if (role == Qt::BackgroundRole)
        return band_background(c);
    return {};
}

QVariant TrendCountsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return section < kLead ? QVariant(section == 0 ? u"统计"_s : QString()) : band_header(section);
    if (role == Qt::ToolTipRole)
        return band_tooltip(section);
    return {};
}

int TrendShapesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

int TrendShapesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 16;
}

QVariant TrendShapesModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return Qt::AlignCenter;
    if (role != Qt::DisplayRole)
        return {};
    const monitor::PositionTrend& p = trend_.positions[size_t(index.row())];
    const int shape = index.column() / 4;
    const monitor::RunStats& s = shape < 2 ? p.big_small[size_t(shape)] : p.odd_even[size_t(shape - 2)];
    return stat_of(s, index.column() % 4);
}

QVariant TrendShapesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::fromUtf16(kPositions[section]);
    static const char16_t* const shapes[] = {u"大", u"小", u"单", u"双"};
    return QString::fromUtf16(shapes[section / 4]) + QString::fromUtf16(kCounts[section % 4]);
}

DrawTrendPanel::DrawTrendPanel(Desk& desk, QWidget* parent) : QWidget(parent), desk_(desk)
{
    setObjectName(u"trend_panel"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    last_ = named<QComboBox>("trend_last");
    for (const int n : {30, 50, 100, 200})
        last_->addItem(u"最近 %1 期"_s.arg(n), n);
    last_->setCurrentIndex(1);
    bar->addWidget(caption(u"显示："_s));
    bar->addWidget(last_);
    bar->addSpacing(12);
    for (int p = 0; p < 5; ++p) {
        bands_[size_t(p)] = new QCheckBox(QString::fromUtf16(kPositions[p]));
        bands_[size_t(p)]->setObjectName(u"trend_band_"_s + QString::number(p));
        bands_[size_t(p)]->setChecked(true);
        bar->addWidget(bands_[size_t(p)]);
        connect(bands_[size_t(p)], &QCheckBox::toggled, this, &DrawTrendPanel::show_bands);
    }
    bar->addStretch(1);
    layout->addLayout(bar);
    grid_view_ = named<QTableView>("trend_grid");
    counts_view_ = named<QTableView>("trend_counts");
    auto* shapes_view = named<QTableView>("trend_shapes");
    grid_view_->setModel(&grid_);
    counts_view_->setModel(&counts_);
    shapes_view->setModel(&shapes_);
    // Small cells, so that the five bands fit a 1366-pixel screen with little scrolling.
    QFont small = font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1.5));
    for (QTableView* v : {grid_view_, counts_view_}) {
        v->setFont(small);
        v->setTextElideMode(Qt::ElideNone);
        v->verticalHeader()->hide();
        v->verticalHeader()->setDefaultSectionSize(18);
        v->horizontalHeader()->setMinimumSectionSize(16);
        v->horizontalHeader()->setDefaultSectionSize(19);
        v->setColumnWidth(0, 104);
        v->setColumnWidth(1, 66);
        v->setSelectionMode(QAbstractItemView::NoSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
    shapes_view->verticalHeader()->setDefaultSectionSize(20);
    shapes_view->horizontalHeader()->setDefaultSectionSize(64);
    shapes_view->setSelectionMode(QAbstractItemView::NoSelection);
    // The counts under the grid, in two tabs of one small height, so that the window keeps its
    // size on a small screen.
    auto* stats = named<QTabWidget>("trend_stats");
    stats->addTab(counts_view_, u"号码统计"_s);
    stats->addTab(shapes_view, u"大小单双"_s);
    stats->setMinimumHeight(60);
    grid_view_->setMinimumHeight(60);
    // The counts scroll sideways with the grid.
    connect(grid_view_->horizontalScrollBar(), &QScrollBar::valueChanged, counts_view_->horizontalScrollBar(),
            &QScrollBar::setValue);
    // The grid over the counts, the split movable.
    auto* split = named<QSplitter>("trend_split", Qt::Vertical);
    split->addWidget(grid_view_);
    split->addWidget(stats);
    split->setChildrenCollapsible(false);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    connect(last_, &QComboBox::currentIndexChanged, this, &DrawTrendPanel::refresh);
    // A new draw is counted once the desk has taken it into its known draws.
    connect(&desk_, &Desk::new_draw, this, [this] { QTimer::singleShot(0, this, &DrawTrendPanel::refresh); });
}

void DrawTrendPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void DrawTrendPanel::refresh()
{
    const monitor::DrawTrend trend = monitor::compute_draw_trend(desk_.known_draws(), last_->currentData().toInt());
    grid_.set_trend(trend);
    counts_.set_trend(trend);
    shapes_.set_trend(trend);
    grid_view_->scrollToBottom();
}

void DrawTrendPanel::show_bands()
{
    for (int p = 0; p < 5; ++p)
        for (int d = 0; d < 10; ++d) {
            grid_view_->setColumnHidden(kLead + p * 10 + d, !bands_[size_t(p)]->isChecked());
            counts_view_->setColumnHidden(kLead + p * 10 + d, !bands_[size_t(p)]->isChecked());
        }
}

} // namespace zorvik::app
