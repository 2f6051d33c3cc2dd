#pragma once
// The server's own database, on SQLite (a file) or PostgreSQL (a
// postgresql:// URI): the reference and order tables of the client's schema,
// plus what a server needs: last-update columns stamped with milliseconds by
// triggers on every insert and update, a log of deleted keys filled by
// triggers, and the orders it received (server/received_orders.h). Its
// layout is numbered: an older one is brought up to date when the database
// is opened, a newer one refused.
#include "server/sql_connection.h"

#include <QString>
#include <memory>

namespace zov::server {

// The stamp the triggers give on SQLite: never earlier than the one before it.
extern const char* const kStampSql;

// Creates the tables and indexes but no triggers yet, so bulk loads can write
// their own stamps fast. A file must not exist; a PostgreSQL database must
// have no tables (an empty database made by its administrator). On
// PostgreSQL everything up to finishServerDatabase is one transaction.
std::unique_ptr<Connection> createServerDatabase(const QString& target);
// Stamps every row of every synchronised table with now, then installs the
// triggers; from here on any change, even by hand, is stamped and logged.
void finishServerDatabase(Connection& db);
// Gives an SQLite file made before the stamp clock its clock and new triggers.
void ensureStampClock(Connection& db);
// Opens an existing server database; throws Error when it is not one, or of
// a newer layout. An older layout is brought up to date first.
std::unique_ptr<Connection> openServerDatabase(const QString& target);
// The same for looking only: no update, and any write fails.
std::unique_ptr<Connection> openServerDatabaseForReading(const QString& target);
// A connection for one request of a server that opened the database already.
std::unique_ptr<Connection> connectServerDatabase(const QString& target);
// PostgreSQL: removes every table and function of the database's schema
// (init --force).
void clearServerDatabase(const QString& target);

// The trigger statements (one string per trigger) for a table, for tests and
// for installing them.
QStringList triggerSql(Connection& db, const QString& table);
// Only the stamp: every insert and every change to the data sets the date
// column from the server's clock (tables the company writes, not downloaded).
QStringList stampTriggerSql(Connection& db, const QString& table, const QString& dateColumn);

} // namespace zov::server
