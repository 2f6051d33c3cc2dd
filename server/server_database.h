#pragma once
// The server's own database: the reference and order tables of the client's
// schema, plus what a server needs: last-update columns stamped with
// milliseconds by triggers on every insert and update, a log of deleted keys
// filled by triggers, and the orders it received (server/received_orders.h).
#include "library/database.h"

#include <QString>
#include <memory>

namespace zov::server {

// The stamp every trigger writes: local time with milliseconds.
// The stamp the triggers give: never earlier than the one before it.
extern const char* const kStampSql;

// Creates the file with tables and indexes but no triggers yet, so bulk
// loads can write their own stamps fast. Throws Error when it exists.
std::unique_ptr<Database> createServerDatabase(const QString& path);
// Stamps every row of every synchronised table with now, then installs the
// triggers; from here on any change, even by hand, is stamped and logged.
void finishServerDatabase(Database& db);
// Gives a database made before the stamp clock its clock and new triggers.
void ensureStampClock(Database& db);
// Opens an existing server database; throws Error when the file is not one.
// A database of an older layout is brought up to date first.
std::unique_ptr<Database> openServerDatabase(const QString& path);
// The same for looking only: no update, and any write fails.
std::unique_ptr<Database> openServerDatabaseForReading(const QString& path);

// The trigger statements (one string per trigger) for a table, for tests and
// for installing them.
QStringList triggerSql(Database& db, const QString& table);

} // namespace zov::server
