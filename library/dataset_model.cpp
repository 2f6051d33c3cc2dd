#include "library/dataset_model.h"

#include "library/errors.h"
#include "library/formats.h"

namespace zov {

DatasetModel::DatasetModel(Query& query, QObject* parent) : QAbstractTableModel(parent), q_(query)
{
    q_.addObserver(this);
    refreshColumns();
}

DatasetModel::~DatasetModel() { q_.removeObserver(this); }

void DatasetModel::refreshColumns()
{
    beginResetModel();
    rows_ = q_.active() ? q_.fetchedCount() : 0;
    columns_.clear();
    for (int i = 0; i < q_.fieldCount(); ++i)
        if (q_.field(i).visible)
            columns_.push_back(i);
    endResetModel();
}

Field& DatasetModel::fieldAt(int column) const { return q_.field(columns_.at(std::size_t(column))); }

int DatasetModel::columnOf(const QString& fieldName) const
{
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (q_.field(columns_[c]).fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(c);
    return -1;
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int DatasetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant DatasetModel::cellValue(int row, const Field& f) const
{
    // The edit buffer is the current row's only while the dataset is not
    // changing its rows: a cancelled new row is announced removed after its
    // buffer was cleared and the cursor moved to the row before.
    const bool editing = q_.state() == DataSetState::Edit || q_.state() == DataSetState::Insert;
    if (editing && !q_.changing() && row == q_.recNo() - 1)
        return f.value();
    return q_.valueAt(q_.storageRowAt(row), f.index());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= int(columns_.size()) || index.row() >= rowCount())
        return {};
    const Field& f = fieldAt(index.column());
    switch (role) {
    case Qt::DisplayRole: return f.displayTextOf(cellValue(index.row(), f));
    case Qt::EditRole: {
        const QVariant v = cellValue(index.row(), f);
        return f.kind() == FieldKind::Text ? v : QVariant(f.displayTextOf(v));
    }
    case Qt::TextAlignmentRole:
        if (f.kind() == FieldKind::Number || f.kind() == FieldKind::Integer)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return {};
    if (section < 0 || section >= int(columns_.size()))
        return {};
    return fieldAt(section).label();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags; // the root of a table has no flags of its own
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!editable_)
        return fl;
    const Field& f = fieldAt(index.column());
    if (f.readOnly || f.calculated)
        return fl;
    if (f.tag == 1 && q_.state() != DataSetState::Insert)
        return fl; // key fields are typed only into a new row
    return fl | Qt::ItemIsEditable;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    editRefused_ = false;
    editRefused_ = !runGuarded([&] {
        setCurrentRow(index.row());
        Field& f = fieldAt(index.column());
        if (q_.state() == DataSetState::Browse)
            q_.edit();
        if (f.kind() == FieldKind::Number || f.kind() == FieldKind::Integer
            || (f.kind() == FieldKind::DateTime && value.metaType().id() == QMetaType::QString))
            f.setTypedText(value.toString());
        else
            f.setValue(value);
    });
    return !editRefused_;
}

void DatasetModel::setCurrentRow(int row)
{
    // While the dataset changes its rows the grid's own moves are echoes; it is told where to go after.
    if (moving_ || q_.changing() || !q_.active() || row < 0 || row == q_.recNo() - 1)
        return;
    moving_ = true;
    try {
        q_.setRecNo(row + 1);
    } catch (...) {
        moving_ = false;
        emit currentRowChanged(q_.recNo() - 1); // the grid goes back where the dataset stayed
        throw;
    }
    moving_ = false;
}

void DatasetModel::datasetReset()
{
    refreshColumns(); // the fields may have changed with the reopening
    emit currentRowChanged(q_.recNo() - 1);
}

void DatasetModel::rowChanged(int pos)
{
    if (pos < 0 || pos >= rowCount() || columns_.empty())
        return;
    emit dataChanged(index(pos, 0), index(pos, int(columns_.size()) - 1));
}

void DatasetModel::rowAboutToBeInserted(int pos) { beginInsertRows({}, pos, pos); }

void DatasetModel::rowInserted(int)
{
    ++rows_;
    endInsertRows();
}

void DatasetModel::rowAboutToBeRemoved(int pos) { beginRemoveRows({}, pos, pos); }

void DatasetModel::rowRemoved(int)
{
    --rows_;
    endRemoveRows();
}

void DatasetModel::rowsFetched(int first, int last)
{
    fetching_ = true;
    beginInsertRows({}, first, last);
    rows_ += last - first + 1;
    endInsertRows();
    fetching_ = false;
}

bool DatasetModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && q_.active() && !q_.allFetched(); }

void DatasetModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid() && !fetching_)
        runGuarded([&] { q_.fetchMore(); });
}

void DatasetModel::currentChanged(int pos)
{
    if (!moving_)
        emit currentRowChanged(pos);
}

void DatasetModel::stateChanged()
{
    emit datasetStateChanged();
    rowChanged(q_.recNo() - 1);
}

} // namespace zov
