#include "server/server_database.h"

#include "db/schema.h"
#include "library/errors.h"
#include "server/received_orders.h"
#include "protocol/protocol_slots.h"

#include <QFileInfo>

namespace zov::server {

// Stamps never go backwards: each is the clock or the previous stamp plus a
// millisecond, whichever is later. A clock stepped back (daylight saving, a
// time correction) would otherwise hide later changes from every watermark.
const char* const kStampSql = "(SELECT ULTIMO FROM SRVRELOGIO)";
const char* const kAdvanceStampSql =
    "UPDATE SRVRELOGIO SET ULTIMO = max(strftime('%Y-%m-%d %H:%M:%f','now','localtime'), "
    "strftime('%Y-%m-%d %H:%M:%f', ULTIMO, '+0.001 seconds'))";

namespace {

// The server's mark in the file's header ("ZOVS").
constexpr qint32 kServerApplicationId = 0x5A4F5653;

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

QStringList triggerSql(Database& db, const QString& table)
{
    const SyncSlot* slot = syncSlotOf(table);
    if (!slot)
        return {};
    const QString stamp = QString::fromLatin1(kStampSql);
    const QString advance = QString::fromLatin1(kAdvanceStampSql);
    const QString t = slot->table;
    const QString dt = slot->dateColumn;
    QStringList others = db.columnNames(t);
    others.removeAll(dt);

    QStringList sql;
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_INS AFTER INSERT ON %1 BEGIN %4; "
                          "UPDATE %1 SET %2 = %3 WHERE rowid = NEW.rowid; END")
               .arg(t, dt, stamp, advance);
    // Only changes to data restamp a row: writing the stamp column alone (by
    // the insert trigger, or by hand) leaves it as written.
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_UPD AFTER UPDATE OF %4 ON %1 BEGIN %5; "
                          "UPDATE %1 SET %2 = %3 WHERE rowid = NEW.rowid; END")
               .arg(t, dt, stamp, others.join(QStringLiteral(", ")), advance);
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

std::unique_ptr<Database> createServerDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("O arquivo \"%1\" já existe.").arg(path));
    auto db = std::make_unique<Database>(path, Database::Mode::CreateIfMissing);
    db->transaction([&] {
        db->setApplicationId(kServerApplicationId, 1);
        db->execScript(QString::fromUtf8(schemaSql()));
        db->execScript(QString::fromLatin1(kServerTables));
        createReceivedOrderTables(*db);
        db->execScript(QString::fromLatin1(kClockTable));
        for (const SyncSlot& s : syncSlots())
            db->execScript(QStringLiteral("CREATE INDEX IX_SRV_%1_DT ON %1 (%2)").arg(s.table, s.dateColumn));
    });
    return db;
}

void finishServerDatabase(Database& db)
{
    db.transaction([&] {
        for (const SyncSlot& s : syncSlots()) {
            // One millisecond apart, the newest row now: a table loaded in one
            // go must not share one instant, or every download at that
            // watermark would send it whole again.
            db.execScript(QStringLiteral("UPDATE %1 SET %2 = strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime', "
                                         "'-' || (((SELECT MAX(rowid) FROM %1) - rowid) / 1000.0) || ' seconds')")
                              .arg(s.table, s.dateColumn));
            for (const QString& sql : triggerSql(db, s.table))
                db.execScript(sql);
        }
        // The clock starts past every stamp just written.
        db.execScript(QString::fromLatin1(kAdvanceStampSql));
    });
}

void ensureStampClock(Database& db)
{
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
            for (const QString& sql : triggerSql(db, s.table))
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

std::unique_ptr<Database> openServerDatabase(const QString& path)
{
    auto db = openChecked(path, false);
    // Calls that arrive together wait for each other's writes: an end of day
    // of exports must not fail because another is writing.
    db->setBusyTimeout(120000);
    ensureStampClock(*db);
    migrateReceivedOrders(*db);
    // SetPedidos looks deleted customers up by key.
    if (db->scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'IX_LOGDELECAO_CHAVE'")).toInt() == 0)
        db->execScript(QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LOGDELECAO_CHAVE ON LOGDELECAO (NMTABELA, DSKEYCACHE)"));
    return db;
}

std::unique_ptr<Database> openServerDatabaseForReading(const QString& path) { return openChecked(path, true); }

} // namespace zov::server
