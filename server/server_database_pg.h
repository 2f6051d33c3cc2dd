#pragma once
// The server database on PostgreSQL: its numbered migrations, the stamp
// clock and the triggers in PL/pgSQL. Several server processes may use one
// database at once: the clock is a row every stamp locks until its
// transaction ends, so stamps follow the order in which changes commit.
#include "server/sql_connection.h"

namespace zov::server {

// The layout version this server writes and reads.
int postgresSchemaVersion();

std::unique_ptr<Connection> createPostgresServerDatabase(const QString& uri);
void finishPostgresServerDatabase(Connection& db);
std::unique_ptr<Connection> openPostgresServerDatabase(const QString& uri, bool readOnly);
void clearPostgresServerDatabase(const QString& uri);
QStringList postgresTriggerSql(Connection& db, const QString& table);
QStringList postgresStampTriggerSql(Connection& db, const QString& table, const QString& dateColumn);

} // namespace zov::server
