#pragma once
// The table loaders: every received row is inserted, or updated in place when
// its key exists locally. Columns are copied by name as they arrive (a null
// stays null, texts are not trimmed); local columns the server does not send
// keep their values. A table is written whole or not at all, so the newest
// date of a table never passes a row that was not written.
#include "transfer/received_table.h"
#include "transfer/tabelas.h"

#include <functional>

namespace zov {

class Database;

// Called with the row number just written and the row count, at most every
// ~50 ms and for the last row.
using RowProgress = std::function<void(int row, int total)>;

// Throws, naming the table, unless its rows arrived as a packet with its key columns.
void checkRows(const LoaderInfo& loader, const ReceivedTable& rows);

void loadTable(Database& db, const LoaderInfo& loader, const ReceivedTable& rows, const RowProgress& progress);

// The name a loader shows in its progress line: the rows dataset's name
// without its first three letters, in capitals (cdsCliente -> CLIENTE).
QString progressTableName(const QString& rowsDataset);

} // namespace zov
