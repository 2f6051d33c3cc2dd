#include "tests/support/server_engine.h"

#include "server/pg_connection.h"
#include "tests/support/temp_database.h"

#include <QCoreApplication>
#include <QDir>
#include <atomic>

namespace zov::test {

bool serverOnPostgres() { return qEnvironmentVariable("ZOV_TEST_ENGINE") == QLatin1String("postgres"); }

namespace {

// The cluster's own database, from libpq's PG* variables.
std::unique_ptr<server::Connection> cluster() { return server::connectPostgres(QStringLiteral("postgresql://")); }

} // namespace

QString freshServerTarget(const QString& folder)
{
    if (!serverOnPostgres())
        return QDir(folder).filePath(QStringLiteral("servidor.db"));
    static std::atomic<int> made{0};
    // A name of our own making: digits only, so it can stand in the statement.
    const QString name = QStringLiteral("zovteste_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    auto db = cluster();
    db->execScript(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    db->execScript(QStringLiteral("CREATE DATABASE %1").arg(name));
    return QStringLiteral("postgresql:///%1").arg(name);
}

void dropServerTarget(const QString& target)
{
    if (!server::isPostgresTarget(target))
        return;
    const QString name = target.section(QLatin1Char('/'), -1);
    cluster()->execScript(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

void insertRow(server::Connection& db, const QString& table, const QVariantMap& values)
{
    QVariantMap bound;
    const QString sql = insertRowSql(table, values, bound);
    db.exec(sql, bound);
}

int countRows(server::Connection& db, const QString& table, const QString& where, const QVariantMap& params)
{
    return db.scalar(countRowsSql(table, where), params).toInt();
}

} // namespace zov::test
