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

void insertRow(Database& db, const QString& table, const QVariantMap& values)
{
    QStringList cols, params;
    QVariantMap bound;
    int i = 0;
    for (auto it = values.begin(); it != values.end(); ++it, ++i) {
        cols << it.key();
        params << QStringLiteral(":V%1").arg(i);
        bound.insert(QStringLiteral("V%1").arg(i), it.value());
    }
    db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(QLatin1Char(',')), params.join(QLatin1Char(','))),
            bound);
}

int countRows(Database& db, const QString& table, const QString& where, const QVariantMap& params)
{
    QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return db.scalar(sql, params).toInt();
}

} // namespace zov::test
