#include "library/grid.h"

#include "library/dataset_model.h"
#include "library/errors.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>
#include <QWidget>
#include <algorithm>

#include <string_view>

namespace zov {

QWidget* openEditor(QAbstractItemView* view)
{
    const QModelIndex i = view ? view->currentIndex() : QModelIndex();
    return i.isValid() ? view->indexWidget(i) : nullptr;
}

bool commitOpenEditor(QAbstractItemView* view)
{
    QWidget* editor = openEditor(view);
    if (!editor)
        return true;
    const QModelIndex i = view->currentIndex();
    QAbstractItemDelegate* delegate = view->itemDelegateForIndex(i);
    delegate->setModelData(editor, view->model(), i);
    const auto* model = qobject_cast<const DatasetModel*>(view->model());
    if (model && model->lastEditRefused())
        return false;
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

namespace {

// Ctrl+End goes to the list's last row, not the last one read so far.
class ReadsToTheEnd : public QObject {
public:
    ReadsToTheEnd(DatasetModel* model, QObject* parent) : QObject(parent), model_(model) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_End && (k->modifiers() & Qt::ControlModifier) && !model_->query().allFetched())
                runGuarded([this] { model_->query().fetchAll(); });
        }
        return false;
    }

private:
    DatasetModel* model_;
};

} // namespace

void bindGrid(QTableView* view, DatasetModel* model)
{
    view->installEventFilter(new ReadsToTheEnd(model, view));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->hide();
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, model,
                     [view, model](const QModelIndex& current, const QModelIndex&) {
                         if (!current.isValid() || runGuarded([&] { model->setCurrentRow(current.row()); }))
                             return;
                         // A refused move: the view may still select the row it was heading
                         // for once this signal returns (a key's selection comes after the
                         // current index), so the dataset's row is selected again after that.
                         QMetaObject::invokeMethod(
                             view,
                             [view, model] {
                                 const int row = model->query().recNo() - 1;
                                 if (row < 0 || row >= model->rowCount())
                                     return;
                                 const QModelIndex cur = view->currentIndex();
                                 view->selectionModel()->setCurrentIndex(model->index(row, cur.isValid() ? cur.column() : 0),
                                                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                             },
                             Qt::QueuedConnection);
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
            view->selectionModel()->setCurrentIndex(model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
}

namespace {

void sizeColumns(QTableView* view, DatasetModel* model)
{
    const QFontMetrics fm = view->fontMetrics();
    // Numbers and dates are digits, wider than the average letter.
    const int charWidth = std::max(fm.averageCharWidth(), fm.horizontalAdvance(QLatin1Char('0')));
    // A code of capital letters (an alphanumeric CNPJ) is sized by its widest
    // character, not by the first rows read.
    int codeWidth = charWidth;
    for (char ch : std::string_view("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
        codeWidth = std::max(codeWidth, fm.horizontalAdvance(QLatin1Char(ch)));
    // The cell's margins and frame: more would starve the stretched column
    // (the items grid's product name) of its room.
    const int padding = fm.horizontalAdvance(QLatin1Char('M'));
    for (int c = 0; c < model->columnCount(); ++c) {
        const Field& f = model->fieldAt(c);
        // A field wider than a long name would push the rest off screen.
        const int byField = std::min(f.displayWidth, 40) * (f.wideCharacters ? codeWidth : charWidth) + padding;
        view->resizeColumnToContents(c); // the header's text and the rows shown
        const int byContent = view->columnWidth(c);
        view->setColumnWidth(c, std::min(std::max(byField, byContent), 60 * charWidth));
    }
}

} // namespace

void sizeColumnsToFields(QTableView* view, DatasetModel* model)
{
    sizeColumns(view, model);
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] { sizeColumns(view, model); });
}

void RefreshGrid(QWidget* window)
{
    if (!window)
        return;
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        view->viewport()->update();
}

} // namespace zov
