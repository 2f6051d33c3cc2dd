#pragma once
// Which engine the server tests run on: SQLite files, or PostgreSQL when the
// run says so (ZOV_TEST_ENGINE=postgres, with libpq's PG* variables naming a
// throwaway cluster, as scripts/test gives them).
#include "server/sql_connection.h"

#include <QString>

namespace zov::test {

bool serverOnPostgres();
// A new, empty server database: a file in folder, or a database of its own
// on the cluster. Fails the run when PostgreSQL is asked for and not there.
QString freshServerTarget(const QString& folder);
// Removes a database freshServerTarget made (a file goes with its folder).
void dropServerTarget(const QString& target);

void insertRow(server::Connection& db, const QString& table, const QVariantMap& values);
int countRows(server::Connection& db, const QString& table, const QString& where = {}, const QVariantMap& params = {});

} // namespace zov::test
