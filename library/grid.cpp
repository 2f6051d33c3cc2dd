#include "library/grid.h"

#include "library/dataset_model.h"
#include "library/errors.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QWidget>

namespace zov {

void bindGrid(QTableView* view, DatasetModel* model)
{
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->hide();
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, model,
                     [model](const QModelIndex& current, const QModelIndex&) {
                         if (current.isValid())
                             runGuarded([&] { model->setCurrentRow(current.row()); });
                     });
    QObject::connect(model, &DatasetModel::currentRowChanged, view, [view, model](int row) {
        if (row < 0 || row >= model->rowCount())
            return;
        const QModelIndex cur = view->currentIndex();
        if (cur.isValid() && cur.row() == row)
            return;
        const QModelIndex target = model->index(row, cur.isValid() ? cur.column() : 0);
        view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
    // A model reset forgets the selection; put the dataset's row back.
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        const int row = model->query().recNo() - 1;
        if (row >= 0 && row < model->rowCount())
            view->selectionModel()->setCurrentIndex(model->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
}

void RefreshGrid(QWidget* window)
{
    if (!window)
        return;
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        view->viewport()->update();
}

} // namespace zov
