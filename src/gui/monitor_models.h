#pragma once
// The monitor view and the bet log as table models over the monitoring engine, so that ten
// thousand monitors rebuild without making ten thousand widgets.

#include <QAbstractTableModel>
#include <functional>

namespace zorvik::monitor {
class MonitorEngine;
}

namespace zorvik::app {

class MonitorTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // The list position of a row, under this role.
    static constexpr int kPositionRole = Qt::UserRole;
    static constexpr int kUidRole = Qt::UserRole + 1; // the record's identity

    // `newest_issue` gives the issue shown in the status column while monitoring is on.
    MonitorTableModel(monitor::MonitorEngine& engine, std::function<QString()> newest_issue,
                      QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    monitor::MonitorEngine& engine_;
    std::function<QString()> newest_issue_;
};

class BetLogModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BetLogModel(monitor::MonitorEngine& engine, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    monitor::MonitorEngine& engine_;
};

} // namespace zorvik::app
