#include "server/server_database_pg.h"

#include "db/schema.h"
#include "library/errors.h"
#include "protocol/protocol_slots.h"
#include "server/pg_connection.h"
#include "server/received_orders.h"
#include "server/sessoes.h"
#include "server/situacoes.h"

namespace zov::server {

namespace {

// Held while the layout is read or changed, so processes starting together
// migrate once ("ZOVS").
const char* const kLayoutLock = "SELECT pg_advisory_xact_lock(1515148883)";

const char* const kMigrationsTable = R"sql(
CREATE TABLE SRVMIGRACAO (
  NRVERSAO INTEGER PRIMARY KEY,
  DSMIGRACAO VARCHAR(200) NOT NULL,
  DTAPLICADA TIMESTAMP(3) NOT NULL
)
)sql";

const char* const kServerTables = R"sql(
CREATE TABLE LOGDELECAO (
  NMTABELA VARCHAR(30) NOT NULL,
  DSKEYCACHE VARCHAR(400) NOT NULL,
  DTULTATUCACH TIMESTAMP(3) NOT NULL
);
CREATE INDEX IX_LOGDELECAO ON LOGDELECAO (NMTABELA, DTULTATUCACH);
CREATE INDEX IX_LOGDELECAO_CHAVE ON LOGDELECAO (NMTABELA, DSKEYCACHE);
CREATE TABLE SRVSEGREDO (SEGREDO BYTEA NOT NULL);
-- The last stamp given: the next one is never earlier, whichever process gives it.
CREATE TABLE SRVRELOGIO (ULTIMO TIMESTAMP(3) NOT NULL);
INSERT INTO SRVRELOGIO (ULTIMO) VALUES ('1985-01-01 00:00:00');
-- The clock or the last stamp plus a millisecond, whichever is later. The
-- row stays locked until the transaction ends, so a later stamp never
-- commits before an earlier one: a watermark never skips a change.
CREATE FUNCTION zov_carimbo() RETURNS TIMESTAMP(3) LANGUAGE sql VOLATILE AS $$
  UPDATE SRVRELOGIO SET ULTIMO = GREATEST(clock_timestamp()::timestamp(3), ULTIMO + interval '1 millisecond') RETURNING ULTIMO
$$;
)sql";

const char* const kAdvanceClock =
    "UPDATE SRVRELOGIO SET ULTIMO = GREATEST(clock_timestamp()::timestamp(3), ULTIMO + interval '1 millisecond')";

void createLayout(Connection& db)
{
    db.execScript(ddlFor(Engine::Postgres, QString::fromUtf8(schemaSql())));
    // The server keeps argon2 hashes there, longer than the client's width
    // (which SQLite never enforced).
    db.execScript(QStringLiteral("ALTER TABLE OPERADOR ALTER COLUMN CDSENHOPER TYPE VARCHAR(255)"));
    db.execScript(QString::fromLatin1(kServerTables));
    createReceivedOrderTables(db);
    for (const SyncSlot& s : syncSlots()) {
        db.execScript(QStringLiteral("CREATE INDEX IX_SRV_%1_DT ON %1 (%2)").arg(s.table, s.dateColumn));
        for (const QString& sql : postgresTriggerSql(db, s.table))
            db.execScript(sql);
    }
}

struct Migration {
    int version;
    const char* what;
    void (*apply)(Connection&);
};

// Numbered and applied in order, each once; a database records every one it
// took in SRVMIGRACAO. A new layout is a new entry here, never a change to
// an old one.
void createRefusalCounts(Connection& db) { db.execScript(QString::fromLatin1(kRecusasSql)); }

const Migration kMigrations[] = {
    {1, "tabelas do cliente, pedidos recebidos, relógio e registro de exclusões", &createLayout},
    {2, "recusas de entrada contadas no banco, para todos os processos", &createRefusalCounts},
    {3, "situação na empresa de cada pedido recebido (SITPEDIDOREC)", &createSituacoes},
    {4, "histórico de compras e títulos dos clientes (HISTCLIENTE, TITULOCLIENTE)", &createHistorico},
};

int latestVersion() { return kMigrations[std::size(kMigrations) - 1].version; }

QString refusedNewer(const QString& uri, int version)
{
    return QStringLiteral("O banco %1 está na versão %2 do zov-appserver, mais nova que a deste programa (%3); atualize o zov-appserver.")
        .arg(uriWithoutPassword(uri))
        .arg(version)
        .arg(latestVersion());
}

bool hasAnyTable(Connection& db)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM pg_tables WHERE schemaname = current_schema()")).toInt() > 0;
}

// The version of an existing server database; throws when it is not one.
int versionOf(Connection& db, const QString& uri)
{
    if (!db.tableExists(QStringLiteral("SRVMIGRACAO"))) {
        if (hasAnyTable(db))
            throw Error(QStringLiteral("O banco %1 não é um banco do zov-appserver.").arg(uriWithoutPassword(uri)));
        throw Error(QStringLiteral("O banco %1 está vazio: crie as tabelas com zov-appserver init --db URI.").arg(uriWithoutPassword(uri)));
    }
    return db.scalar(QStringLiteral("SELECT COALESCE(MAX(NRVERSAO), 0) FROM SRVMIGRACAO")).toInt();
}

void migrate(Connection& db, int from)
{
    for (const Migration& m : kMigrations) {
        if (m.version <= from)
            continue;
        m.apply(db);
        db.exec(QStringLiteral("INSERT INTO SRVMIGRACAO (NRVERSAO, DSMIGRACAO, DTAPLICADA) VALUES (:V, :D, LOCALTIMESTAMP(3))"),
                {{QStringLiteral("V"), m.version}, {QStringLiteral("D"), QString::fromUtf8(m.what)}});
    }
}

// A key value as the clients store it: dates as "YYYY-MM-DD HH:MM:SS[.fff]".
QString keyValueSql(const QString& column)
{
    if (!column.startsWith(QLatin1String("DT")))
        return QStringLiteral("COALESCE(OLD.%1::text, '')").arg(column);
    return QStringLiteral("COALESCE(to_char(OLD.%1, 'YYYY-MM-DD HH24:MI:SS') || "
                          "CASE WHEN to_char(OLD.%1, 'MS') = '000' THEN '' ELSE '.' || to_char(OLD.%1, 'MS') END, '')")
        .arg(column);
}

} // namespace

int postgresSchemaVersion() { return latestVersion(); }

QStringList postgresStampTriggerSql(Connection& db, const QString& table, const QString& dateColumn)
{
    QStringList others = db.columnNames(table);
    others.removeAll(dateColumn);
    QStringList sql;
    sql << QStringLiteral("CREATE FUNCTION zov_carimba_%1() RETURNS trigger LANGUAGE plpgsql AS $$ "
                          "BEGIN NEW.%2 := zov_carimbo(); RETURN NEW; END $$")
               .arg(table, dateColumn);
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_INS BEFORE INSERT ON %1 FOR EACH ROW EXECUTE FUNCTION zov_carimba_%1()").arg(table);
    // Only changes to data restamp a row: writing the stamp column alone (by
    // hand) leaves it as written.
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_UPD BEFORE UPDATE OF %2 ON %1 FOR EACH ROW EXECUTE FUNCTION zov_carimba_%1()")
               .arg(table, others.join(QStringLiteral(", ")));
    return sql;
}

QStringList postgresTriggerSql(Connection& db, const QString& table)
{
    const SyncSlot* slot = syncSlotOf(table);
    if (!slot)
        return {};
    const QString t = slot->table;
    QStringList key, changed;
    for (const QString& k : slot->keys) {
        key << QStringLiteral("'%1=' || %2 || ';'").arg(k, keyValueSql(k));
        changed << QStringLiteral("OLD.%1 IS DISTINCT FROM NEW.%1").arg(k);
    }
    QStringList sql = postgresStampTriggerSql(db, t, slot->dateColumn);
    sql << QStringLiteral("CREATE FUNCTION zov_exclui_%1() RETURNS trigger LANGUAGE plpgsql AS $$ "
                          "BEGIN INSERT INTO LOGDELECAO (NMTABELA, DSKEYCACHE, DTULTATUCACH) VALUES ('%1', %2, zov_carimbo()); "
                          "RETURN NULL; END $$")
               .arg(t, key.join(QStringLiteral(" || ")));
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_DEL AFTER DELETE ON %1 FOR EACH ROW EXECUTE FUNCTION zov_exclui_%1()").arg(t);
    // A row whose key changes is gone under its old key.
    sql << QStringLiteral("CREATE TRIGGER TRG_%1_KEY AFTER UPDATE OF %2 ON %1 FOR EACH ROW WHEN (%3) EXECUTE FUNCTION zov_exclui_%1()")
               .arg(t, slot->keys.join(QStringLiteral(", ")), changed.join(QStringLiteral(" OR ")));
    return sql;
}

std::unique_ptr<Connection> createPostgresServerDatabase(const QString& uri)
{
    auto db = connectPostgres(uri);
    // One transaction until finishPostgresServerDatabase: a load that fails
    // leaves the database as empty as it was.
    db->begin();
    try {
        db->execScript(QString::fromLatin1(kLayoutLock));
        if (hasAnyTable(*db))
            throw Error(QStringLiteral("O banco %1 já tem tabelas: o init cria o banco do servidor num banco vazio "
                                       "(--force apaga as tabelas que houver).")
                            .arg(uriWithoutPassword(uri)));
        db->execScript(QString::fromLatin1(kMigrationsTable));
        migrate(*db, 0);
        // Bulk loads write their rows unstamped; finish stamps them once.
        for (const SyncSlot& s : syncSlots())
            db->execScript(QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER USER").arg(s.table));
    } catch (...) {
        db->rollback();
        throw;
    }
    return db;
}

void finishPostgresServerDatabase(Connection& db)
{
    db.transaction([&] {
        for (const SyncSlot& s : syncSlots()) {
            // One millisecond apart, the newest row now (as on SQLite).
            db.execScript(QStringLiteral("UPDATE %1 SET %2 = S.STAMP FROM (SELECT ctid AS ROWREF, clock_timestamp()::timestamp(3) - "
                                         "((COUNT(*) OVER () - ROW_NUMBER() OVER ()) * interval '1 millisecond') AS STAMP FROM %1) S "
                                         "WHERE %1.ctid = S.ROWREF")
                              .arg(s.table, s.dateColumn));
            db.execScript(QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER USER").arg(s.table));
        }
        db.execScript(QString::fromLatin1(kAdvanceClock));
    });
    if (db.inTransaction())
        db.commit();
}

std::unique_ptr<Connection> openPostgresServerDatabase(const QString& uri, bool readOnly)
{
    auto db = connectPostgres(uri);
    if (readOnly) {
        const int version = versionOf(*db, uri);
        if (version > latestVersion())
            throw Error(refusedNewer(uri, version));
        db->execScript(QStringLiteral("SET default_transaction_read_only = on"));
        return db;
    }
    db->transaction([&] {
        db->execScript(QString::fromLatin1(kLayoutLock));
        const int version = versionOf(*db, uri);
        if (version > latestVersion())
            throw Error(refusedNewer(uri, version));
        migrate(*db, version);
    });
    return db;
}

void clearPostgresServerDatabase(const QString& uri)
{
    auto db = connectPostgres(uri);
    db->execScript(QStringLiteral("DO $$ DECLARE r record; BEGIN "
                                  "FOR r IN SELECT tablename FROM pg_tables WHERE schemaname = current_schema() LOOP "
                                  "EXECUTE format('DROP TABLE %I CASCADE', r.tablename); END LOOP; "
                                  "FOR r IN SELECT p.oid::regprocedure AS f FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                                  "WHERE n.nspname = current_schema() AND p.proname LIKE 'zov\\_%' LOOP "
                                  "EXECUTE 'DROP FUNCTION ' || r.f::text; END LOOP; END $$"));
}

} // namespace zov::server
