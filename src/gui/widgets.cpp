#include "gui/widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeWidget>

namespace zorvik::app {

QTreeWidget* list_view(const char* name, std::initializer_list<std::pair<QString, int>> columns)
{
    auto* view = named<QTreeWidget>(name);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers;
    for (const auto& column : columns)
        headers << column.first;
    view->setHeaderLabels(headers);
    int i = 0;
    for (const auto& column : columns)
        view->setColumnWidth(i++, column.second);
    return view;
}

QTableView* table_view(const char* name)
{
    auto* view = named<QTableView>(name);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 2);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return view;
}

void fill_list(QComboBox* box, const QString& items, int selected)
{
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items.split(u'|'));
    if (selected >= 0 && selected < box->count())
        box->setCurrentIndex(selected);
}

void shown_plain(QObject* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setTextFormat(Qt::PlainText);
}

QLabel* caption(const QString& text)
{
    return new QLabel(text);
}

QTableView* results_table(const char* name, std::initializer_list<const char16_t*> headers,
                          QStandardItemModel* model)
{
    model->setColumnCount(int(headers.size()));
    int c = 0;
    for (const char16_t* header : headers)
        model->setHeaderData(c++, Qt::Horizontal, QString::fromUtf16(header));
    auto* sorted = new QSortFilterProxyModel(model);
    sorted->setSourceModel(model);
    sorted->setSortRole(Qt::UserRole);
    QTableView* table = table_view(name);
    table->setModel(sorted);
    table->setSortingEnabled(true);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QStandardItem* sort_cell(const QString& text, std::optional<double> value)
{
    auto* item = new QStandardItem(text);
    item->setData(value ? QVariant(*value) : QVariant(text), Qt::UserRole);
    return item;
}

QHBoxLayout* button_row(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace zorvik::app
