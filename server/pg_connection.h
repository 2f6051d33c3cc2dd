#pragma once
// The server's connection to a PostgreSQL database, through libpq.
#include "server/sql_connection.h"

namespace zov::server {

// Connects to the database a postgresql:// URI names; throws Error with a
// readable text (the URI shown without its password) when it cannot.
std::unique_ptr<Connection> connectPostgres(const QString& uri);
// The URI without its password, for messages and logs.
QString uriWithoutPassword(const QString& uri);

} // namespace zov::server
