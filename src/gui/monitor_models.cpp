#include "gui/monitor_models.h"

#include "monitor/engine.h"

#include <QColor>
#include <QFont>

namespace zorvik::app {

MonitorTableModel::MonitorTableModel(monitor::MonitorEngine& engine,
                                     std::function<QString()> newest_issue, QObject* parent)
    : QAbstractTableModel(parent), engine_(engine), newest_issue_(std::move(newest_issue))
{
    // The engine rebuilds its rows whole; the view follows with a reset.
    connect(&engine_, &monitor::MonitorEngine::rows_changed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int MonitorTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(engine_.rows().size());
}

int MonitorTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(std::size(monitor::kMonitorColumns));
}

QVariant MonitorTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= engine_.rows().size())
        return {};
    const monitor::MonitorRow& row = engine_.rows().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const auto record = engine_.list().at(row.position);
        if (!record)
            return {};
        return monitor::row_columns(*record, engine_.monitoring(),
                                    newest_issue_ ? newest_issue_() : QString())
            .value(index.column());
    }
    case Qt::ForegroundRole:
        return row.marked ? QVariant(QColor(255, 0, 0)) : QVariant();
    case Qt::FontRole:
        if (row.marked && index.column() > 0) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case kPositionRole:
        return row.position;
    case kUidRole:
        return row.uid;
    default:
        return {};
    }
}

QVariant MonitorTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= int(std::size(monitor::kMonitorColumns)))
        return {};
    return QString::fromUtf16(monitor::kMonitorColumns[section].header);
}

BetLogModel::BetLogModel(monitor::MonitorEngine& engine, QObject* parent)
    : QAbstractTableModel(parent), engine_(engine)
{
    // At most a hundred rows: every change is shown by a reset.
    const auto reset = [this] {
        beginResetModel();
        endResetModel();
    };
    connect(&engine_, &monitor::MonitorEngine::bet_log_reset, this, reset);
    connect(&engine_, &monitor::MonitorEngine::bet_added, this, reset);
    connect(&engine_, &monitor::MonitorEngine::bet_rows_dropped, this, reset);
    const auto changed = [this](int row) { emit dataChanged(index(row, 0), index(row, monitor::kBetColumnCount - 1)); };
    connect(&engine_, &monitor::MonitorEngine::bet_settled, this, changed);
    connect(&engine_, &monitor::MonitorEngine::bet_resolved, this, changed);
}

int BetLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(engine_.bet_log().size());
}

int BetLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : monitor::kBetColumnCount;
}

QVariant BetLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= engine_.bet_log().size() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return engine_.bet_log().at(index.row()).columns.at(size_t(index.column()));
}

QVariant BetLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= monitor::kBetColumnCount)
        return {};
    return QString::fromUtf16(monitor::kBetLogColumns[section].header);
}

} // namespace zorvik::app
