#pragma once
// Data packets: one table's rows with named, typed columns, as exchanged with
// the application server and held in memory datasets.
//
// Values are QVariant as in the dataset layer: null, QString (text), double
// (number), qint64 (integer), QDateTime (date-time), QByteArray (bytes).
#include "library/database.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <string_view>
#include <vector>

namespace zov {

class Query;

enum class ColumnType { Text, Number, Integer, DateTime, Bytes };

// "text", "number", "integer", "datetime", "bytes".
const char* columnTypeName(ColumnType type);
bool columnTypeFromName(std::string_view name, ColumnType& type);
ColumnType columnTypeOf(FieldKind kind);
FieldKind fieldKindOf(ColumnType type);

struct PacketColumn {
    QString name; // upper case
    ColumnType type = ColumnType::Text;
    bool operator==(const PacketColumn& other) const = default;
};

using PacketRow = QVector<QVariant>;

// About what a row takes in memory (its values, their texts and bytes):
// what a receiver counts against how much it may hold.
std::size_t heldBytes(const PacketRow& row);

// The value as a column of this type holds it. Throws Error naming what is
// wrong when the value cannot be one (a text that is no number, say).
QVariant toColumnValue(const QVariant& value, ColumnType type);

class Packet {
public:
    Packet() = default; // the null packet
    // An empty packet with these columns. Throws Error on a blank or repeated name.
    explicit Packet(std::vector<PacketColumn> columns);

    bool isNull() const { return null_; }
    const std::vector<PacketColumn>& columns() const { return columns_; }
    int columnCount() const { return int(columns_.size()); }
    // The column of that name (any case), or -1.
    int columnIndex(const QString& name) const;

    int rowCount() const { return int(rows_.size()); }
    const PacketRow& row(int index) const { return rows_.at(std::size_t(index)); }
    const std::vector<PacketRow>& rows() const { return rows_; }
    QVariant value(int row, int column) const { return rows_.at(std::size_t(row)).value(column); }
    // Null when the packet has no such column.
    QVariant value(int row, const QString& column) const;

    // Adds a row after converting each value to its column's type; throws
    // Error (and adds nothing) on a wrong length or a value of the wrong kind.
    void addRow(PacketRow values);
    // Adds a row whose values already have their columns' types (decoders).
    void addCheckedRow(PacketRow values) { rows_.push_back(std::move(values)); }

private:
    bool null_ = true;
    std::vector<PacketColumn> columns_;
    std::vector<PacketRow> rows_;
};

// The fields of a dataset as packet columns (calculated fields left out).
std::vector<PacketColumn> packetColumnsOf(const Query& dataset);
// A dataset's rows (the visible ones, in order) as a packet.
Packet packetFromDataSet(const Query& dataset);
// Makes the dataset a memory dataset with the packet's columns and rows.
// A null packet leaves the dataset closed.
void loadDataSet(Query& dataset, const Packet& packet);

} // namespace zov
