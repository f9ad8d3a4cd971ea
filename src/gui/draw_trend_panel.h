#pragma once
// The 走势图 tab of a desk: its known draws (the draw list's and the records'), newest at the
// bottom, each position a band of ten cells (the drawn digit marked, in the others the draws that
// digit has missed there), and below the counts per position and digit and per 大小单双. It
// follows new draws; the last 30, 50, 100 or 200 are shown, and a position's band can be hidden.

#include "monitor/draw_trend.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QTableView;

namespace zorvik::app {

class Desk;

// A table over one trend, shown anew when the trend is.
class TrendTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void set_trend(const monitor::DrawTrend& trend);
    const monitor::DrawTrend& trend() const { return trend_; }

protected:
    monitor::DrawTrend trend_;
};

// Rows: the draws; columns: issue, numbers, then five bands of ten digits.
class DrawTrendModel final : public TrendTableModel {
    Q_OBJECT
public:
    using TrendTableModel::TrendTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

// Rows: 出现次数, 当前遗漏, 最大遗漏, 最大连出; columns as the grid's (the first two name the row).
class TrendCountsModel final : public TrendTableModel {
    Q_OBJECT
public:
    using TrendTableModel::TrendTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

// Rows: the positions; columns: 大, 小, 单, 双, each with its four counts.
class TrendShapesModel final : public TrendTableModel {
    Q_OBJECT
public:
    using TrendTableModel::TrendTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

class DrawTrendPanel final : public QWidget {
    Q_OBJECT
public:
    explicit DrawTrendPanel(Desk& desk, QWidget* parent = nullptr);
    // Counts the desk's known draws again.
    void refresh();
    const DrawTrendModel& grid() const { return grid_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void show_bands();

    Desk& desk_;
    DrawTrendModel grid_;
    TrendCountsModel counts_;
    TrendShapesModel shapes_;
    QComboBox* last_ = nullptr;
    std::array<QCheckBox*, 5> bands_{};
    QTableView* grid_view_ = nullptr;
    QTableView* counts_view_ = nullptr;
};

} // namespace zorvik::app
