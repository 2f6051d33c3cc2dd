#include "server/server_database.h"

#include "db/schema.h"
#include "library/errors.h"
#include "protocol/protocol_slots.h"
#include "server/pg_connection.h"
#include "server/received_orders.h"
#include "server/server_database_pg.h"
#include "server/sessoes.h"
#include "server/situacoes.h"
#include "server/sqlite_connection.h"

#include <QFile>
#include <QFileInfo>

namespace zov::server {

// Stamps never go backwards: each is the clock or the previous stamp plus a
// millisecond, whichever is later. A clock stepped back (daylight saving, a
// time correction) would otherwise hide later changes from every watermark.
const char* const kStampSql = "(SELECT ULTIMO FROM SRVRELOGIO)";
const char* const kAdvanceStampSql = "UPDATE SRVRELOGIO SET ULTIMO = max(strftime('%Y-%m-%d %H:%M:%f','now','localtime'), "
                                     "strftime('%Y-%m-%d %H:%M:%f', ULTIMO, '+0.001 seconds'))";

namespace {

// The server's mark in the file's header ("ZOVS").
constexpr qint32 kServerApplicationId = 0x5A4F5653;
// The file's layout (user_version): 1 for every file made before the layouts
// were numbered, whatever upgrades it still lacks; 2 has them all; 3 counts
// refused logins in the file.
constexpr int kSqliteVersion = 5;

Database& sqliteOf(Connection& db) { return static_cast<SqliteConnection&>(db).sqlite(); }

const char* const kClockTable = R"sql(
-- The last stamp given: the next one is never earlier.
CREATE TABLE SRVRELOGIO (ULTIMO VARCHAR(23) NOT NULL);
INSERT INTO SRVRELOGIO (ULTIMO) VALUES ('1985-01-01 00:00:00.000');
)sql";

const char* const kServerTables = R"sql(
-- Keys of deleted rows, per table: DSKEYCACHE lists COLUMN=value; per key column.
CREATE TABLE LOGDELECAO (
  NMTABELA VARCHAR(30) NOT NULL,
  DSKEYCACHE VARCHAR(400) NOT NULL,
  DTULTATUCACH DATETIME NOT NULL
);
CREATE INDEX IX_LOGDELECAO ON LOGDELECAO (NMTABELA, DTULTATUCACH);
)sql";

// A key value as the clients store it: dates as "YYYY-MM-DD HH:MM:SS[.fff]".
QString keyValueSql(const QString& column, const QString& row)
{
    const QString v = QStringLiteral("%1.%2").arg(row, column);
    if (!column.startsWith(QLatin1String("DT")))
        return QStringLiteral("ifnull(%1,'')").arg(v);
    const QString t = QStringLiteral("replace(ifnull(%1,''),'T',' ')").arg(v);
    return QStringLiteral("(CASE WHEN length(%1)=10 THEN %1||' 00:00:00' WHEN substr(%1,20)='.000' THEN substr(%1,1,19) ELSE %1 END)")
        .arg(t);
}

QString deletionKeySql(const QStringList& keys, const QString& row)
{
    QStringList parts;
    for (const QString& k : keys)
        parts << QStringLiteral("'%1='||%2||';'").arg(k, keyValueSql(k, row));
    return parts.join(QStringLiteral("||"));
}

} // namespace

QStringList stampTriggerSql(Connection& db, const QString& table, const QString& dateColumn)
{
    if (db.engine() == Engine::Postgres)
        return postgresStampTriggerSql(db, table, dateColumn);
    const QString stamp = QString::fromLatin1(kStampSql);
    const QString advance = QString::fromLatin1(kAdvanceStampSql);
    QStringList others = db.columnNames(table);
    others.removeAll(dateColumn);
    QStringList sql;
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_INS AFTER INSERT ON %1 BEGIN %4; "
                          "UPDATE %1 SET %2 = %3 WHERE rowid = NEW.rowid; END")
               .arg(table, dateColumn, stamp, advance);
    // Only changes to data restamp a row: writing the stamp column alone (by
    // the insert trigger, or by hand) leaves it as written.
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_UPD AFTER UPDATE OF %4 ON %1 BEGIN %5; "
                          "UPDATE %1 SET %2 = %3 WHERE rowid = NEW.rowid; END")
               .arg(table, dateColumn, stamp, others.join(QStringLiteral(", ")), advance);
    return sql;
}

QStringList triggerSql(Connection& db, const QString& table)
{
    if (db.engine() == Engine::Postgres)
        return postgresTriggerSql(db, table);
    const SyncSlot* slot = syncSlotOf(table);
    if (!slot)
        return {};
    const QString stamp = QString::fromLatin1(kStampSql);
    const QString advance = QString::fromLatin1(kAdvanceStampSql);
    const QString t = slot->table;
    QStringList sql = stampTriggerSql(db, t, slot->dateColumn);
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_DEL AFTER DELETE ON %1 BEGIN %4; "
                          "INSERT INTO LOGDELECAO (NMTABELA, DSKEYCACHE, DTULTATUCACH) VALUES ('%1', %2, %3); END")
               .arg(t, deletionKeySql(slot->keys, QStringLiteral("OLD")), stamp, advance);
    // A row whose key changes is gone under its old key.
    QStringList changed;
    for (const QString& k : slot->keys)
        changed << QStringLiteral("OLD.%1 IS NOT NEW.%1").arg(k);
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_KEY AFTER UPDATE OF %2 ON %1 WHEN %3 BEGIN %6; "
                          "INSERT INTO LOGDELECAO (NMTABELA, DSKEYCACHE, DTULTATUCACH) VALUES ('%1', %4, %5); END")
               .arg(t, slot->keys.join(QStringLiteral(", ")), changed.join(QStringLiteral(" OR ")),
                    deletionKeySql(slot->keys, QStringLiteral("OLD")), stamp, advance);
    return sql;
}

namespace {

std::unique_ptr<Connection> createSqlite(const QString& path)
{
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("O arquivo \"%1\" já existe.").arg(path));
    auto conn = std::make_unique<SqliteConnection>(std::make_unique<Database>(path, Database::Mode::CreateIfMissing));
    Database& db = conn->sqlite();
    db.transaction([&] {
        db.setApplicationId(kServerApplicationId, kSqliteVersion);
        db.execScript(QString::fromUtf8(schemaSql()));
        db.execScript(QString::fromLatin1(kServerTables));
        createReceivedOrderTables(*conn);
        db.execScript(QString::fromLatin1(kClockTable));
        createSituacoes(*conn);
        createHistorico(*conn);
        for (const SyncSlot& s : syncSlots())
            db.execScript(QStringLiteral("CREATE INDEX IX_SRV_%1_DT ON %1 (%2)").arg(s.table, s.dateColumn));
        db.execScript(QStringLiteral("CREATE INDEX IX_LOGDELECAO_CHAVE ON LOGDELECAO (NMTABELA, DSKEYCACHE)"));
        db.execScript(QString::fromLatin1(kRecusasSql));
    });
    return conn;
}

} // namespace

std::unique_ptr<Connection> createServerDatabase(const QString& target)
{
    return isPostgresTarget(target) ? createPostgresServerDatabase(target) : createSqlite(target);
}

void finishServerDatabase(Connection& conn)
{
    if (conn.engine() == Engine::Postgres) {
        finishPostgresServerDatabase(conn);
        return;
    }
    Database& db = sqliteOf(conn);
    db.transaction([&] {
        for (const SyncSlot& s : syncSlots()) {
            // One millisecond apart, the newest row now: a table loaded in one
            // go must not share one instant, or every download at that
            // watermark would send it whole again.
            db.execScript(QStringLiteral("UPDATE %1 SET %2 = strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime', "
                                         "'-' || (((SELECT MAX(rowid) FROM %1) - rowid) / 1000.0) || ' seconds')")
                              .arg(s.table, s.dateColumn));
            for (const QString& sql : triggerSql(conn, s.table))
                db.execScript(sql);
        }
        // The clock starts past every stamp just written.
        db.execScript(QString::fromLatin1(kAdvanceStampSql));
    });
}

void ensureStampClock(Connection& conn)
{
    if (conn.engine() != Engine::Sqlite)
        return;
    Database& db = sqliteOf(conn);
    if (db.tableExists(QStringLiteral("SRVRELOGIO")))
        return;
    // A database made before the clock: add it past the newest stamp and
    // build the triggers again on it.
    db.transaction([&] {
        db.execScript(QString::fromLatin1(kClockTable));
        for (const SyncSlot& s : syncSlots()) {
            db.exec(QStringLiteral("UPDATE SRVRELOGIO SET ULTIMO = max(ULTIMO, IFNULL((SELECT MAX(%1) FROM %2), ULTIMO))")
                        .arg(s.dateColumn, s.table));
            for (const char* kind : {"INS", "UPD", "DEL", "KEY"})
                db.execScript(QStringLiteral("DROP TRIGGER IF EXISTS TRG_%1_%2").arg(s.table, QLatin1String(kind)));
            for (const QString& sql : triggerSql(conn, s.table))
                db.execScript(sql);
        }
        db.exec(QStringLiteral("UPDATE SRVRELOGIO SET ULTIMO = max(ULTIMO, IFNULL((SELECT MAX(DTULTATUCACH) FROM LOGDELECAO), ULTIMO))"));
    });
}

namespace {

// Opens a server database, refusing any other file before anything changes
// it. Read-only: nothing this connection runs may write (query_only), and an
// unmarked file is left unmarked.
std::unique_ptr<Database> openChecked(const QString& path, bool readOnly)
{
    const QString refused = QStringLiteral("\"%1\" não é um banco de dados do zov-appserver (use zov-appserver init).").arg(path);
    auto check = [&](Database& db) {
        const qint32 id = db.applicationId();
        if (id != kServerApplicationId) {
            if (id != 0 || !db.tableExists(QStringLiteral("LOGDELECAO")) || !db.tableExists(QStringLiteral("PEDIDORECEBIDO")))
                throw Error(refused);
            if (!readOnly)
                db.setApplicationId(kServerApplicationId, 1); // made before the mark
        }
        if (readOnly)
            db.execScript(QStringLiteral("PRAGMA query_only = ON"));
    };
    try {
        return std::make_unique<Database>(path, Database::Mode::OpenExisting, check);
    } catch (const Error& e) {
        if (e.text().contains(refused))
            throw Error(refused);
        throw;
    }
}

} // namespace

namespace {

// The file's layout; a newer one than this program's is refused.
int sqliteVersion(Database& db)
{
    const int version = db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
    if (version > kSqliteVersion)
        throw Error(QStringLiteral("O banco \"%1\" é da versão %2 do zov-appserver, mais nova que esta (%3); atualize o zov-appserver.")
                        .arg(db.path())
                        .arg(version)
                        .arg(kSqliteVersion));
    return version;
}

// Brings a file of an older layout up to date, in one go: each upgrade
// looks at the file's shape, so a file made by any earlier server is taken.
void upgradeSqlite(SqliteConnection& conn)
{
    Database& db = conn.sqlite();
    const int version = sqliteVersion(db);
    if (version == kSqliteVersion)
        return;
    if (version < 2) {
        ensureStampClock(conn);
        migrateReceivedOrders(conn);
        // SetPedidos looks deleted customers up by key.
        db.execScript(QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LOGDELECAO_CHAVE ON LOGDELECAO (NMTABELA, DSKEYCACHE)"));
    }
    db.transaction([&] {
        db.execScript(QString::fromLatin1(kRecusasSql));
        if (version < 4)
            createSituacoes(conn);
        if (version < 5)
            createHistorico(conn);
        db.execScript(QStringLiteral("PRAGMA user_version = %1").arg(kSqliteVersion));
    });
}

} // namespace

std::unique_ptr<Connection> openServerDatabase(const QString& target)
{
    if (isPostgresTarget(target))
        return openPostgresServerDatabase(target, false);
    auto conn = std::make_unique<SqliteConnection>(openChecked(target, false));
    // Calls that arrive together wait for each other's writes: an end of day
    // of exports must not fail because another is writing.
    conn->sqlite().setBusyTimeout(120000);
    upgradeSqlite(*conn);
    return conn;
}

std::unique_ptr<Connection> openServerDatabaseForReading(const QString& target)
{
    if (isPostgresTarget(target))
        return openPostgresServerDatabase(target, true);
    auto conn = std::make_unique<SqliteConnection>(openChecked(target, true));
    sqliteVersion(conn->sqlite());
    return conn;
}

std::unique_ptr<Connection> connectServerDatabase(const QString& target)
{
    // PostgreSQL's layout was brought up to date when the server started.
    return isPostgresTarget(target) ? connectPostgres(target) : openServerDatabase(target);
}

void clearServerDatabase(const QString& target)
{
    if (isPostgresTarget(target)) {
        clearPostgresServerDatabase(target);
        return;
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(target + QLatin1String(suffix));
}

} // namespace zov::server
