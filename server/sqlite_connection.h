#pragma once
// The server's connection to its SQLite file: the embedded engine of the
// demo, the tests and a small office.
#include "server/sql_connection.h"

namespace zov::server {

class SqliteConnection final : public Connection {
public:
    explicit SqliteConnection(std::unique_ptr<Database> db) : owned_(std::move(db)), db_(owned_.get()) {}
    // A connection someone else owns and closes.
    explicit SqliteConnection(Database& db) : db_(&db) {}
    // What only SQLite has: the file's mark and version, the older layouts.
    Database& sqlite() { return *db_; }

    Engine engine() const override { return Engine::Sqlite; }
    QString target() const override { return db_->path(); }
    std::unique_ptr<Cursor> prepare(const QString& sql) override;
    void execScript(const QString& sql) override { db_->execScript(sql); }
    bool inTransaction() const override { return db_->inTransaction(); }
    void begin() override { db_->startTransaction(); }
    void commit() override { db_->commit(); }
    void rollback() override { db_->rollback(); }
    // WAL gives a reader its snapshot at its first read; it takes no write lock.
    void beginSnapshot() override { db_->execScript(QStringLiteral("BEGIN")); }
    bool tableExists(const QString& table) override { return db_->tableExists(table); }
    std::vector<ColumnInfo> columns(const QString& table) override;
    QString nowSql() const override { return QStringLiteral("strftime('%Y-%m-%d %H:%M:%f','now','localtime')"); }

private:
    std::unique_ptr<Database> owned_;
    Database* db_;
};

} // namespace zov::server
