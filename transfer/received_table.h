#pragma once
// One table as received from the server and held until the apply step: the
// data module's client datasets (cdsCliente, cdsClienteCache...).
//
// Rows keep only their non-null cells: a customer row has some 190 columns,
// mostly empty, and a large company sends hundreds of thousands of rows.
#include "library/database.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace zov {

class ReceivedTable {
public:
    struct Column {
        QString name;
        FieldKind kind;
    };

    explicit ReceivedTable(QString name = {}) : name_(std::move(name)) {}

    const QString& name() const { return name_; }
    // A table the download never loaded is an error for whoever reads it.
    bool loaded() const { return loaded_; }
    // Starts (or restarts) the table with these columns and no rows.
    void load(std::vector<Column> columns);
    // Back to not loaded.
    void unload();
    // Empties the rows, keeping the columns.
    void clearRows();

    int columnCount() const { return int(columns_.size()); }
    const std::vector<Column>& columns() const { return columns_; }
    const Column& column(int index) const { return columns_.at(std::size_t(index)); }
    int columnIndex(const QString& name) const; // -1 when absent, ignoring case

    // Values in column order; nulls are not kept.
    void appendRow(const std::vector<QVariant>& values) { appendRow(values.data(), int(values.size())); }
    void appendRow(const QVariant* values, int count);
    int rowCount() const { return int(rowStart_.size()); }
    std::size_t cellCount() const { return cells_.size(); }
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString& column) const { return value(row, columnIndex(column)); }

    // A row's non-null cells in column order: a loader walks each row once
    // instead of looking every column up from the row's start.
    struct Cell {
        int column;
        QVariant value;
    };
    struct Cells {
        const Cell* first;
        const Cell* last; // one past
        const Cell* begin() const { return first; }
        const Cell* end() const { return last; }
    };
    Cells cells(int row) const;

private:
    QString name_;
    bool loaded_ = false;
    std::vector<Column> columns_;
    std::vector<Cell> cells_;
    std::vector<std::size_t> rowStart_;
};

} // namespace zov
