#pragma once
// Binds a table view to a dataset model: moving in the grid moves the
// dataset (through the guard), and the grid follows the dataset.
class QTableView;

namespace zov {

class DatasetModel;

void bindGrid(QTableView* view, DatasetModel* model);

} // namespace zov
