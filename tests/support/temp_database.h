#pragma once
// A fresh database made from db/schema.sql in a temporary folder, opened as
// the program's one connection, for each test that needs one.
#include "library/database.h"
#include "tests/support/qt_print.h"

#include <QTemporaryDir>
#include <memory>

namespace zov::test {

class TempDatabase {
public:
    TempDatabase();  // creates the file and connects DataBaseGeralPed() to it
    ~TempDatabase(); // disconnects
    Database& db();
    QString path() const { return path_; }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString path_;
};

// Inserts one row given as column -> value (every value bound as a parameter).
// The statements of insertRow and countRows, for any engine's connection.
QString insertRowSql(const QString& table, const QVariantMap& values, QVariantMap& bound);
QString countRowsSql(const QString& table, const QString& where);
void insertRow(Database& db, const QString& table, const QVariantMap& values);
int countRows(Database& db, const QString& table, const QString& where = {}, const QVariantMap& params = {});

} // namespace zov::test
