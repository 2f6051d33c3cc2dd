#pragma once
// Writing made-up company rows: one prepared insert per table and column list.
#include "server/sql_connection.h"

#include <QStringList>
#include <QVariant>
#include <initializer_list>
#include <memory>
#include <utility>

namespace zov::server {

class RowWriter {
public:
    RowWriter(Connection& db, const QString& table, const QStringList& columns);
    // Values in the order of the columns.
    void write(const QVariantList& values);

private:
    std::unique_ptr<Query> st_;
    int count_;
};

using ColumnValues = std::initializer_list<std::pair<const char*, QVariant>>;
// One row given as column/value pairs (small tables).
void putRow(Connection& db, const char* table, ColumnValues values);

// Codes made of digits, zero-filled to their width.
QString code(qint64 number, int width);

} // namespace zov::server
