#pragma once
// A grid's view of a dataset: the visible fields as columns, display texts in
// the program's formats, and the grid's current row kept in step with the
// dataset's current record both ways.
#include "library/dataset.h"

#include <QAbstractTableModel>
#include <vector>

namespace zov {

class DatasetModel : public QAbstractTableModel, private DatasetObserver {
    Q_OBJECT
public:
    explicit DatasetModel(Query& query, QObject* parent = nullptr);
    ~DatasetModel() override;

    Query& query() const { return q_; }
    Field& fieldAt(int column) const;
    int columnOf(const QString& fieldName) const; // -1 when not shown
    // Editable cells put the dataset into edit; key fields (tag 1) only while inserting.
    void setEditable(bool editable) { editable_ = editable; }
    // Call after changing which fields are visible.
    void refreshColumns();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // A dataset that reads on demand shows the rows read; the view asks for more as it scrolls.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // The last edit the dataset refused (its error was shown): the text stays unwritten.
    bool lastEditRefused() const { return editRefused_; }

public slots:
    // The grid moved: move the dataset (posting a pending edit, as navigation does).
    void setCurrentRow(int row);

signals:
    // The dataset moved: the grid follows.
    void currentRowChanged(int row);
    void datasetStateChanged();

private:
    bool editRefused_ = false;
    void datasetReset() override;
    void rowChanged(int pos) override;
    void rowAboutToBeInserted(int pos) override;
    void rowInserted(int pos) override;
    void rowAboutToBeRemoved(int pos) override;
    void rowRemoved(int pos) override;
    void currentChanged(int pos) override;
    void stateChanged() override;
    void rowsFetched(int first, int last) override;
    QVariant cellValue(int row, const Field& f) const;

    Query& q_;
    std::vector<int> columns_; // field index of each column
    bool editable_ = false;
    bool moving_ = false;
    // The rows the view was told of: a change is announced before the dataset
    // makes it, and the count follows when it is done.
    int rows_ = 0;
    bool fetching_ = false; // announcing rows read: a view asking for more then waits
};

} // namespace zov
