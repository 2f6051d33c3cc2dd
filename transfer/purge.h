#pragma once
// The purge of rows deleted on the server.
#include "transfer/received_table.h"
#include "transfer/tabelas.h"

namespace zov {

class Database;

// The value of a key column in a deletion record's DSKEYCACHE
// ("CDPRECOBASE=01;CDCLIENTE=J1;"): what follows the column name and one
// separator character, up to the next ";". Empty when the column is absent.
QString ValueField(const QString& stField, const ReceivedTable& deletions, int row);
QString ValueField(const QString& stField, const QString& dsKeyCache);

// Every occurrence of the placeholder replaced by the trimmed value.
QString AplicaParametros(const QString& placeholder, const QString& value, const QString& sString);

// Throws, naming the table, unless the deletion packet arrived with its columns.
void checkDeletions(const SyncSlot& slot, const ReceivedTable& deletions);

// One table's pass: deletes the local rows named by the deletion records,
// unless the local row changed after the deletion, then moves the table's
// date forward to the newest deletion date. Key values are always bound as
// parameters. One transaction per table, or the caller's when one is open.
void purgeTable(Database& db, const SyncSlot& slot, const ReceivedTable& deletions);

} // namespace zov
