#include "transfer/received_table.h"

namespace zov {

void ReceivedTable::load(std::vector<Column> columns)
{
    columns_ = std::move(columns);
    cells_.clear();
    rowStart_.clear();
    loaded_ = true;
}

void ReceivedTable::unload()
{
    columns_.clear();
    cells_.clear();
    cells_.shrink_to_fit();
    rowStart_.clear();
    rowStart_.shrink_to_fit();
    loaded_ = false;
}

void ReceivedTable::clearRows()
{
    cells_.clear();
    rowStart_.clear();
}

int ReceivedTable::columnIndex(const QString& name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void ReceivedTable::appendRow(const QVariant* values, int count)
{
    rowStart_.push_back(cells_.size());
    const int n = std::min(count, columnCount());
    for (int c = 0; c < n; ++c)
        if (!values[c].isNull())
            cells_.push_back({c, values[c]});
}

ReceivedTable::Cells ReceivedTable::cells(int row) const
{
    if (row < 0 || row >= rowCount())
        return {nullptr, nullptr};
    const std::size_t begin = rowStart_[std::size_t(row)];
    const std::size_t end = row + 1 < rowCount() ? rowStart_[std::size_t(row) + 1] : cells_.size();
    return {cells_.data() + begin, cells_.data() + end};
}

QVariant ReceivedTable::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    const std::size_t begin = rowStart_[std::size_t(row)];
    const std::size_t end = row + 1 < rowCount() ? rowStart_[std::size_t(row) + 1] : cells_.size();
    for (std::size_t i = begin; i < end; ++i) {
        if (cells_[i].column == column)
            return cells_[i].value;
        if (cells_[i].column > column)
            break;
    }
    return {};
}

} // namespace zov
