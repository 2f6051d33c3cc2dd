#include "tests/support/temp_database.h"

#include "db/dbgeralped.h"

#include <QStringList>

namespace zov::test {

TempDatabase::TempDatabase() : path_(dir_.filePath(QStringLiteral("dbVelmora.sqlite")))
{
    SetDatabasePath(path_);
    ActiveDBGeralPed();
}

TempDatabase::~TempDatabase()
{
    FreeDBGeralPed();
    SetDatabasePath(QString());
}

Database& TempDatabase::db() { return DataBaseGeralPed(); }

QString insertRowSql(const QString& table, const QVariantMap& values, QVariantMap& bound)
{
    QStringList cols, params;
    int i = 0;
    for (auto it = values.begin(); it != values.end(); ++it, ++i) {
        cols << it.key();
        params << QStringLiteral(":V%1").arg(i);
        bound.insert(QStringLiteral("V%1").arg(i), it.value());
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(QLatin1Char(',')), params.join(QLatin1Char(',')));
}

QString countRowsSql(const QString& table, const QString& where)
{
    return QStringLiteral("SELECT count(*) FROM %1").arg(table) + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
}

void insertRow(Database& db, const QString& table, const QVariantMap& values)
{
    QVariantMap bound;
    const QString sql = insertRowSql(table, values, bound);
    db.exec(sql, bound);
}

int countRows(Database& db, const QString& table, const QString& where, const QVariantMap& params)
{
    return db.scalar(countRowsSql(table, where), params).toInt();
}

} // namespace zov::test
