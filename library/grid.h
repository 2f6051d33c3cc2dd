#pragma once
// Binds a table view to a dataset model: moving in the grid moves the
// dataset (through the guard), and the grid follows the dataset.
class QTableView;
class QWidget;

namespace zov {

class DatasetModel;

void bindGrid(QTableView* view, DatasetModel* model);

// Sizes each column by its field's display width and the content shown, within
// bounds, and again whenever the rows are read anew. The last column keeps
// whatever the view gives it only if it is stretched.
void sizeColumnsToFields(QTableView* view, DatasetModel* model);

// Repaints every grid of a window (after values were set behind their backs).
void RefreshGrid(QWidget* window);

} // namespace zov
