#pragma once
// The SQLite connection: opening, pragmas, prepared statements, the dialect
// functions and the transaction rule.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zov {

enum class FieldKind { Text, Integer, Number, DateTime, Blob };

// Text of a date-time as stored: "yyyy-MM-dd HH:mm:ss", with ".zzz" when it has milliseconds.
QString dateTimeToStorage(const QDateTime& value);
// Parses the stored forms (also with "T" and date only); invalid when not a date.
QDateTime dateTimeFromStorage(const QString& text);
// A stored date as a value of its own kind: "YYYY-MM-DD" a QDate, a moment a QDateTime;
// null when it is not a date. A value keeps its form when it is written back.
QVariant dateFromStorage(const QString& text);
// The kind a column's declared type gives ("VARCHAR(10)" -> Text, "DATETIME" -> DateTime...).
// Without a declared type the column name's prefix decides dates; otherwise unknown (false).
bool kindFromDeclaredType(const char* declType, FieldKind& kind);
// Converts a value to the representation of a kind (null stays null).
QVariant convertToKind(const QVariant& value, FieldKind kind);

class Database;
struct TableAccess;

// A list read in part (rows fetched on demand): before a statement writes a
// table it reads, the list reads its remaining rows, so what it read and what
// it reads next belong to the same state of the tables.
class PartReader {
public:
    virtual ~PartReader() = default;
    virtual bool readsAnyOf(const std::vector<QByteArray>& tables) const = 0;
    virtual void readRest() = 0;
    // The connection closes: the list keeps what it read.
    virtual void connectionClosing() = 0;
};

// A prepared statement. Parameters are found by name without regard to case;
// an empty or blank text binds NULL.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int parameterCount() const;
    QString parameterName(int index) const; // without the leading ':' (1-based index)
    // Binds every parameter whose name matches (case-insensitive). False when none does.
    bool bind(const QString& name, const QVariant& value);
    void bindAt(int index, const QVariant& value); // 1-based
    // Binds a value exactly as it is: a blank text stays a blank text.
    void bindExact(int index, const QVariant& value);
    void clearBindings();

    // Advances: true while there is a row.
    bool step();
    // Runs a statement that returns no rows; returns the rows it changed.
    int exec();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    FieldKind columnKind(int column) const; // declared type, name prefix, then storage class
    // The kind the statement itself tells (declared type or a plain column's name prefix);
    // false for a computed column, whose kind only its rows can tell.
    bool declaredKind(int column, FieldKind& kind) const;
    // The value as stored: null, qint64, double, QString or QByteArray.
    QVariant rawValue(int column) const;
    QVariant value(int column, FieldKind kind) const;
    QVariant value(int column) const { return value(column, columnKind(column)); }
    // Whether the column holds text equal to s, without making a string of it.
    bool textEquals(int column, const QString& s) const;

    sqlite3_stmt* handle() const { return stmt_; }
    const QString& sql() const { return sql_; }
    // The tables the statement reads and writes (triggers' included), as the engine names them.
    const std::vector<QByteArray>& tablesRead() const { return read_; }
    const std::vector<QByteArray>& tablesWritten() const { return written_; }

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
    std::vector<QByteArray> read_;
    std::vector<QByteArray> written_;
};

class Database {
public:
    enum class Mode { OpenExisting, CreateIfMissing };
    // Runs on a file just opened, before anything changes it (the journal
    // mode included); throws Error to refuse the file.
    using FileCheck = std::function<void(Database&)>;
    // Throws Error with a readable text when the file cannot be opened as a database.
    Database(const QString& path, Mode mode, const FileCheck& check = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }
    const QString& path() const { return path_; }
    bool isNew() const { return created_; }

    // Runs one or more statements without parameters.
    void execScript(const QString& sql);
    // Runs one statement with positional or named values; returns rows changed.
    int exec(const QString& sql, const QVariantMap& params = {});
    // First column of the first row, or null.
    QVariant scalar(const QString& sql, const QVariantMap& params = {});
    bool tableExists(const QString& table);
    // The table's column names in their order; empty when there is no such table.
    QStringList columnNames(const QString& table);
    // PRAGMA application_id and user_version: who made the file, and its version.
    // Throws a readable Error when the file cannot be written (read-only
    // file or folder, query-only): found before a long job, not at its end.
    void checkWritable();
    qint32 applicationId();
    void setApplicationId(qint32 id, int version);

    bool inTransaction() const;
    void startTransaction();
    void commit();
    void rollback();
    // The transaction rule: start one only when none is open (else join it),
    // commit at the end when we started it, roll back on any error and rethrow.
    void transaction(const std::function<void()>& body);
    // Runs once when the open transaction ends: with true when it committed, false when
    // it rolled back. Whoever only joined a transaction learns here whether its work stayed.
    void onTransactionEnd(std::function<void(bool committed)> listener);

    // Lists read in part; see PartReader.
    void addPartReader(PartReader* reader);
    void removePartReader(PartReader* reader);
    // Called before a statement writes these tables; empty: any table.
    void beforeWrite(const std::vector<QByteArray>& tables);

    // The last error of the connection, in the engine's words.
    QString lastError() const;
    // The last failure as the user reads it: what happened and what to do, in
    // Portuguese, then the engine's own text on a detail line (never a statement).
    QString errorText() const;
    static QString errorText(int code, const QString& engineText);
    [[noreturn]] void raise(const QString& what) const;

    // Bulk reference loads may trade durability for speed; orders never do.
    void setFullDurability(bool full);
    // How long a statement waits for another connection's write (5 s unless told).
    void setBusyTimeout(int ms);

private:
    friend class Statement;
    void finishTransaction(bool committed);

    sqlite3* db_ = nullptr;
    std::vector<std::function<void(bool)>> endListeners_;
    std::vector<PartReader*> partReaders_;
    QString path_;
    bool created_ = false;
    TableAccess* tableAccess_ = nullptr; // where a Statement being prepared notes its tables
};

} // namespace zov
