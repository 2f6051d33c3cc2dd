#pragma once
// Binds a table view to a dataset model: moving in the grid moves the
// dataset (through the guard), and the grid follows the dataset.
class QTableView;
class QWidget;

namespace zov {

class DatasetModel;

void bindGrid(QTableView* view, DatasetModel* model);

// Repaints every grid of a window (after values were set behind their backs).
void RefreshGrid(QWidget* window);

} // namespace zov
