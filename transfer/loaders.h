#pragma once
// The table loaders: every received row is inserted, or updated in place when
// its key exists locally. Columns are copied by name as they arrive (a null
// stays null, texts are not trimmed); local columns the server does not send
// keep their values. A table is written whole or not at all, so the newest
// date of a table never passes a row that was not written.
#include "library/errors.h"
#include "transfer/received_table.h"
#include "transfer/tabelas.h"

#include <functional>
#include <memory>
#include <vector>

namespace zov {

class Database;

// Called with the row number just written and the row count, at most every
// ~50 ms and for the last row.
using RowProgress = std::function<void(int row, int total)>;

// Throws, naming the table, unless its rows arrived as a packet with its key columns.
void checkRows(const LoaderInfo& loader, const ReceivedTable& rows);

void loadTable(Database& db, const LoaderInfo& loader, const ReceivedTable& rows, const RowProgress& progress);

// A table whose rows all went in and whose commit failed: no row is to blame.
Error tableCommitError(const QString& table, int rows, const std::exception& cause);

// One table's rows written part by part, inside the caller's transaction:
// the statement is prepared once for the columns the server sent.
class TableLoad {
public:
    TableLoad(Database& db, const LoaderInfo& loader, const std::vector<ReceivedTable::Column>& received);
    ~TableLoad();
    TableLoad(const TableLoad&) = delete;
    TableLoad& operator=(const TableLoad&) = delete;
    // rows has the columns given above. total: the table's row count when
    // known, else 0 (progress and messages then count rows only).
    void write(const ReceivedTable& rows, int total, const RowProgress& progress);
    int written() const { return written_; }

private:
    QString table_;
    std::unique_ptr<Statement> statement_;
    std::vector<int> paramOf_; // received column -> statement parameter, or -1
    std::vector<bool> isKey_;  // per statement parameter
    int written_ = 0;
};

// The name a loader shows in its progress line: the rows dataset's name
// without its first three letters, in capitals (cdsCliente -> CLIENTE).
QString progressTableName(const QString& rowsDataset);

} // namespace zov
