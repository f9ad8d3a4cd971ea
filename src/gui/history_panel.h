#pragma once
// The 投注历史 tab: the bets the records hold, filtered by day, lottery and monitor, with each
// day's totals and the running income.

#include "records/records.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QTableView;

namespace zorvik::app {

class AppCore;

// The rows: placed time, lottery, monitor, issue, multiplier, cost, draw, result, return, the
// running income and the order number.
class RecordsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void set_rows(QVector<records::BetRecord> rows);
    const QVector<records::BetRecord>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVector<records::BetRecord> rows_;
    QVector<double> running_; // income after each row
};

class HistoryPanel : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPanel(AppCore& core, QWidget* parent = nullptr);
    ~HistoryPanel() override;
    // Reads the records again (the filters' lists too), keeping the chosen filters.
    void reload();
    RecordsModel* model() const { return model_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void show_rows();

    AppCore& core_;
    std::unique_ptr<records::RecordStore> store_;
    QComboBox* day_ = nullptr;
    QComboBox* lottery_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* monitor_ = nullptr;
    QLabel* totals_ = nullptr;
    QTableView* list_ = nullptr;
    RecordsModel* model_ = nullptr;
};

} // namespace zorvik::app
