#pragma once
// Small helpers the window's areas share for making their controls.

#include <QString>
#include <optional>
#include <initializer_list>
#include <utility>

class QComboBox;
class QHBoxLayout;
class QWidget;
class QObject;
class QLabel;
class QStandardItem;
class QStandardItemModel;
class QTableView;
class QTreeWidget;

namespace zorvik::app {

// A widget with its object name (the control names the program is known by).
// A label shows its text as it is: texts from a platform's page or a server never become
// markup. The few labels with a link of ours say so themselves. Other widgets are left alone.
void shown_plain(QObject* widget);

template <typename W, typename... Args>
W* named(const char* name, Args&&... args)
{
    W* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    shown_plain(w);
    return w;
}

// A report-style list with its headers and column widths.
QTreeWidget* list_view(const char* name, std::initializer_list<std::pair<QString, int>> columns);
// A table view over a model: whole rows selected one at a time, nothing editable.
QTableView* table_view(const char* name);
// A table of results the user sorts by clicking a header: a model with these headers behind a
// proxy that sorts by each cell's Qt::UserRole value (see sort_cell).
QTableView* results_table(const char* name, std::initializer_list<const char16_t*> headers,
                          QStandardItemModel* model);
// A cell showing `text` that sorts by `value` (by the text when none is given).
QStandardItem* sort_cell(const QString& text, std::optional<double> value = std::nullopt);
// The box emptied, the "|"-separated items added and the given index selected.
void fill_list(QComboBox* box, const QString& items, int selected);
QLabel* caption(const QString& text);
// A dialog's row of buttons, to the right.
QHBoxLayout* button_row(std::initializer_list<QWidget*> buttons);

} // namespace zorvik::app
