#pragma once
// The server's database connection, whatever the engine: SQLite (a file, the
// embedded default) or PostgreSQL (a company's database). The server writes
// its statements once, in the SQL both engines take; the few things they say
// differently are asked of the connection (nowSql, columns, snapshot).
// Parameters are written ":NAME" (bound by name, without regard to case) or
// "?" (bound by position); nothing from outside is ever pasted into SQL.
#include "library/database.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace zov::server {

enum class Engine { Sqlite, Postgres };

// Whether a --db target names a PostgreSQL database (a postgresql:// or
// postgres:// URI) rather than a file.
bool isPostgresTarget(const QString& target);

// DDL written for SQLite in the words of an engine: for PostgreSQL, DATETIME
// is TIMESTAMP(3), REAL DOUBLE PRECISION, BLOB BYTEA, INTEGER BIGINT and an
// INTEGER PRIMARY KEY an identity column.
QString ddlFor(Engine engine, const QString& sql);

// A column of a table as the engine declares it.
struct ColumnInfo {
    QString name; // upper case
    QString type; // as declared: "VARCHAR(10)", "TIMESTAMP(3)"...
    bool notNull = false;
    QString fallback; // the DEFAULT expression; empty without one
};

// A prepared statement of one engine. An empty or blank text binds NULL, as
// the client's own statements do.
class Cursor {
public:
    virtual ~Cursor() = default;
    // Binds every parameter of that name; false when none has it.
    virtual bool bind(const QString& name, const QVariant& value) = 0;
    virtual void bindAt(int index, const QVariant& value) = 0; // 1-based
    // Advances: true while there is a row. The first call runs the statement.
    virtual bool step() = 0;
    // Runs a statement that returns no rows (or ignores them); the rows changed.
    virtual int exec() = 0;
    // Ready to run again; the bindings stay.
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0; // upper case
    // The kind the column's type gives (dates from their type or name).
    virtual FieldKind columnKind(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    // The value in a kind: Text a QString, Integer a qint64, Number a double,
    // DateTime a QDateTime (or the text when it is not a date), Blob a QByteArray.
    virtual QVariant value(int column, FieldKind kind) const = 0;
    // The text of a value as UTF-8, valid until the next step: a date-time as
    // "YYYY-MM-DD HH:MM:SS[.fff]", a number as its digits.
    virtual std::string_view utf8(int column) const = 0;
    virtual qint64 int64(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QByteArray bytes(int column) const = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Engine engine() const = 0;
    // Where it is, for messages: the file, or the URI without its password.
    virtual QString target() const = 0;

    virtual std::unique_ptr<Cursor> prepare(const QString& sql) = 0;
    // Runs statements without parameters, one or more separated by ';'.
    virtual void execScript(const QString& sql) = 0;
    // One statement with named values; the rows changed.
    int exec(const QString& sql, const QVariantMap& params = {});
    // First column of the first row (in the column's own kind), or null.
    QVariant scalar(const QString& sql, const QVariantMap& params = {});

    virtual bool inTransaction() const = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // The transaction rule: starts one only when none is open (else joins
    // it), commits at the end when it started it, rolls back on any error.
    void transaction(const std::function<void()>& body);
    // A read-only transaction in which every statement sees the same data.
    virtual void beginSnapshot() = 0;

    virtual bool tableExists(const QString& table) = 0;
    // In their order; empty when there is no such table.
    virtual std::vector<ColumnInfo> columns(const QString& table) = 0;
    QStringList columnNames(const QString& table);
    // An SQL expression for the local time now with milliseconds, of the
    // engine's date-time type.
    virtual QString nowSql() const = 0;
};

// A statement held by value, as the server's code uses one.
class Query {
public:
    Query(Connection& db, const QString& sql) : c_(db.prepare(sql)) {}
    bool bind(const QString& name, const QVariant& value) { return c_->bind(name, value); }
    void bindAt(int index, const QVariant& value) { c_->bindAt(index, value); }
    bool step() { return c_->step(); }
    int exec() { return c_->exec(); }
    void reset() { c_->reset(); }
    int columnCount() const { return c_->columnCount(); }
    QString columnName(int column) const { return c_->columnName(column); }
    FieldKind columnKind(int column) const { return c_->columnKind(column); }
    bool isNull(int column) const { return c_->isNull(column); }
    QVariant value(int column, FieldKind kind) const { return c_->value(column, kind); }
    QVariant value(int column) const { return c_->value(column, c_->columnKind(column)); }
    Cursor& cursor() { return *c_; }

private:
    std::unique_ptr<Cursor> c_;
};

} // namespace zov::server
