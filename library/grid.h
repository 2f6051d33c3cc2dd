#pragma once
// Binds a table view to a dataset model: moving in the grid moves the
// dataset (through the guard), and the grid follows the dataset.
class QAbstractItemView;
class QTableView;
class QWidget;

namespace zov {

class DatasetModel;

void bindGrid(QTableView* view, DatasetModel* model);

// Sizes each column by its field's display width and the content shown, within
// bounds, and again whenever the rows are read anew. The last column keeps
// whatever the view gives it only if it is stretched.
void sizeColumnsToFields(QTableView* view, DatasetModel* model);

// The cell editor open in a view, or null.
QWidget* openEditor(QAbstractItemView* view);
// An open cell editor writes what was typed into its row now and closes: Qt
// commits an Enter only later, by a queued call, after the key has acted on the
// row. False when the row refused the text (its error was shown); true
// otherwise, also with no editor open.
bool commitOpenEditor(QAbstractItemView* view);

// Repaints every grid of a window (after values were set behind their backs).
void RefreshGrid(QWidget* window);

} // namespace zov
