#include "server/received_orders.h"
#include "server/situacoes.h"

#include "library/errors.h"
#include "library/valores_item.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace zov::server {

namespace {

const char* const kHeaderTable = R"sql(
-- One row per received copy: the same branch and number from two
-- installations (older clients: two workstation users) are two orders, kept
-- side by side. IDINSTALACAO is '' for a copy from an older client.
CREATE TABLE PEDIDORECEBIDO (
  IDRECEBIDO INTEGER PRIMARY KEY,
  CDFILIAL VARCHAR(4) NOT NULL,
  NRPEDIDO VARCHAR(10) NOT NULL,
  NMUSUARIO VARCHAR(60) NOT NULL DEFAULT '',
  IDINSTALACAO VARCHAR(64) NOT NULL DEFAULT '',
  CDFILIALENV VARCHAR(4),
  CDOPERADOR VARCHAR(12) NOT NULL DEFAULT '',
  DTRECEBIDO DATETIME NOT NULL,
  UNIQUE (CDFILIAL, NRPEDIDO, IDINSTALACAO, NMUSUARIO)
);
)sql";

// Where the previous layout is moved from while the new one is made.
const char* const kOldHeader = "PEDIDORECEBIDOANT";

struct CopyTable {
    const char* client; // the client's table, whose columns the copy has
    const char* copy;
    const char* key;
};
const CopyTable kCopyTables[] = {
    {"PEDIDO", "PEDIDOREC", "IDRECEBIDO"},
    {"ITEMPEDIDO", "ITEMPEDIDOREC", "IDRECEBIDO, NRITEMPED"},
    {"OBSPEDIDO", "OBSPEDIDOREC", "IDRECEBIDO"},
};

struct ColumnDefinitions {
    QStringList names, definitions;
};

ColumnDefinitions columnDefinitions(Connection& db, const QString& table)
{
    ColumnDefinitions c;
    for (const ColumnInfo& column : db.columns(table)) {
        QString definition = column.name;
        if (!column.type.isEmpty())
            definition += QLatin1Char(' ') + column.type;
        if (column.notNull)
            definition += QLatin1String(" NOT NULL");
        if (!column.fallback.isEmpty())
            definition += QLatin1String(" DEFAULT ") + column.fallback;
        c.names << column.name;
        c.definitions << definition;
    }
    if (c.names.isEmpty())
        throw Error(QStringLiteral("O banco do servidor não tem a tabela %1.").arg(table));
    return c;
}

// The two layouts the listing reads: how a client-side row finds its header.
struct Layout {
    QString orders, items, notes;
    QString (*match)(const QString& alias);
    QString receipt; // the header row's own id
};

QString byReceivedId(const QString& a) { return QStringLiteral("%1.IDRECEBIDO = R.IDRECEBIDO").arg(a); }
QString byBranchAndNumber(const QString& a) { return QStringLiteral("%1.CDFILIAL = R.CDFILIAL AND %1.NRPEDIDO = R.NRPEDIDO").arg(a); }

bool hasColumn(Connection& db, const char* table, const char* column)
{
    return db.columnNames(QLatin1String(table)).contains(QLatin1String(column), Qt::CaseInsensitive);
}

// "Faturado NF 123" from "F|123"; "-" for an order with none.
QString situacaoListada(const QString& raw)
{
    const QString letra = raw.section(QLatin1Char('|'), 0, 0);
    const QString nota = raw.section(QLatin1Char('|'), 1);
    const QString words = descricaoSituacao(letra);
    if (words.isEmpty())
        return QStringLiteral("-");
    return nota.isEmpty() ? words : words + QStringLiteral(" NF ") + nota;
}

QString listingSql(const Layout& l, bool installation, bool operador, bool situacao)
{
    return QStringLiteral("SELECT R.CDFILIAL, R.NRPEDIDO, COALESCE(R.NMUSUARIO, '') AS NMUSUARIO, %7 AS IDINSTALACAO, "
                          "R.DTRECEBIDO AS RECEBIDO, "
                          "(SELECT P.CDCLIENTE FROM %1 P WHERE %4) AS CDCLIENTE, "
                          "(SELECT COUNT(*) FROM %2 I WHERE %5) AS ITENS, "
                          "%9 AS RECEBIDO_ID, "
                          "EXISTS (SELECT 1 FROM %3 O WHERE %6 AND length(O.TXOBSPED) > 0) AS OBS, "
                          "%8 AS CDOPERADOR, %10 AS SITUACAO "
                          "FROM PEDIDORECEBIDO R ORDER BY R.CDFILIAL, R.NRPEDIDO, NMUSUARIO, IDINSTALACAO")
        .arg(l.orders, l.items, l.notes, l.match(QStringLiteral("P")), l.match(QStringLiteral("I")), l.match(QStringLiteral("O")),
             installation ? QStringLiteral("COALESCE(R.IDINSTALACAO, '')") : QStringLiteral("''"),
             operador ? QStringLiteral("COALESCE(R.CDOPERADOR, '')") : QStringLiteral("''"), l.receipt,
             situacao ? QStringLiteral(
                 "(SELECT S.IDSITEMPRESA || '|' || COALESCE(S.NRNOTAFISCAL, '') FROM SITPEDIDOREC S WHERE S.CDFILIAL = R.CDFILIAL "
                 "AND S.NRPEDIDO = R.NRPEDIDO AND S.IDINSTALACAO = COALESCE(R.IDINSTALACAO, ''))")
                      : QStringLiteral("''"));
}

// Each order's total as the client shows it: the sum of its lines' values.
QHash<qint64, Decimal> totalsByReceipt(Connection& db, const Layout& l)
{
    QHash<qint64, Decimal> totals;
    Query st(db,
             QStringLiteral("SELECT %3, I.VRPREUNITPED, I.QTITEMPED, I.VRDESITPED FROM PEDIDORECEBIDO R JOIN %1 I ON %2")
                 .arg(l.items, l.match(QStringLiteral("I")), l.receipt));
    while (st.step())
        totals[st.value(0, FieldKind::Integer).toLongLong()] +=
            valoresItem(linhaLida(st.value(1, FieldKind::Number), st.value(2, FieldKind::Number), st.value(3, FieldKind::Number))).liquido;
    return totals;
}

// Money as people here read it: decimal comma, two places.
QString money(const Decimal& value)
{
    QString s = value.rounded(2).toString();
    if (!s.contains(QLatin1Char('.')))
        s += QStringLiteral(".00");
    else if (s.indexOf(QLatin1Char('.')) == s.size() - 2)
        s += QLatin1Char('0');
    return s.replace(QLatin1Char('.'), QLatin1Char(','));
}

// When it came, as people here read it; a stamp that is not a date as it is.
QString receivedAt(const QString& stored)
{
    const QDateTime at = dateTimeFromStorage(stored);
    return at.isValid() ? at.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : stored;
}

QString userLabel(const QString& user) { return user.isEmpty() ? QStringLiteral("(sem usuário)") : user; }

std::mutex& logMutex()
{
    static std::mutex m;
    return m;
}

std::function<void(const QString&)>& logSink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}

} // namespace

void createReceivedOrderTables(Connection& db)
{
    db.transaction([&] {
        db.execScript(ddlFor(db.engine(), QString::fromLatin1(kHeaderTable)));
        for (const CopyTable& t : kCopyTables) {
            const ColumnDefinitions c = columnDefinitions(db, QLatin1String(t.client));
            db.execScript(QStringLiteral("CREATE TABLE %1 (IDRECEBIDO INTEGER NOT NULL, %2, PRIMARY KEY (%3))")
                              .arg(QLatin1String(t.copy), c.definitions.join(QStringLiteral(", ")), QLatin1String(t.key)));
        }
    });
}

bool hasOldReceivedOrders(Connection& db)
{
    return db.tableExists(QStringLiteral("PEDIDORECEBIDO")) && !hasColumn(db, "PEDIDORECEBIDO", "IDRECEBIDO");
}

bool lacksInstallationIdentity(Connection& db)
{
    return db.tableExists(QStringLiteral("PEDIDORECEBIDO")) && !hasOldReceivedOrders(db)
        && !hasColumn(db, "PEDIDORECEBIDO", "IDINSTALACAO");
}

void migrateReceivedOrders(Connection& db)
{
    // Only files made by older servers have older layouts.
    if (db.engine() != Engine::Sqlite)
        return;
    // Copies kept before installations had an identity: theirs is ''.
    if (lacksInstallationIdentity(db)) {
        db.transaction([&] {
            if (!lacksInstallationIdentity(db))
                return;
            db.execScript(QStringLiteral("ALTER TABLE PEDIDORECEBIDO RENAME TO PEDIDORECEBIDOV1"));
            db.execScript(QString::fromLatin1(kHeaderTable));
            db.execScript(
                QStringLiteral("INSERT INTO PEDIDORECEBIDO (IDRECEBIDO, CDFILIAL, NRPEDIDO, NMUSUARIO, CDFILIALENV, DTRECEBIDO) "
                               "SELECT IDRECEBIDO, CDFILIAL, NRPEDIDO, NMUSUARIO, CDFILIALENV, DTRECEBIDO FROM PEDIDORECEBIDOV1"));
            db.execScript(QStringLiteral("DROP TABLE PEDIDORECEBIDOV1"));
        });
    }
    // Copies kept before sessions: no operator is known for them.
    if (db.tableExists(QStringLiteral("PEDIDORECEBIDO")) && !hasOldReceivedOrders(db) && !hasColumn(db, "PEDIDORECEBIDO", "CDOPERADOR")) {
        db.transaction([&] {
            if (!hasColumn(db, "PEDIDORECEBIDO", "CDOPERADOR"))
                db.execScript(QStringLiteral("ALTER TABLE PEDIDORECEBIDO ADD COLUMN CDOPERADOR VARCHAR(12) NOT NULL DEFAULT ''"));
        });
    }
    if (!hasOldReceivedOrders(db))
        return;
    db.transaction([&] {
        // Another connection may have moved them while this one waited for the lock.
        if (!hasOldReceivedOrders(db))
            return;
        const QString old = QString::fromLatin1(kOldHeader);
        db.execScript(QStringLiteral("ALTER TABLE PEDIDORECEBIDO RENAME TO %1").arg(old));
        createReceivedOrderTables(db);
        // The old key was branch and number, so no two rows clash on the new one.
        db.execScript(QStringLiteral("INSERT INTO PEDIDORECEBIDO (CDFILIAL, NRPEDIDO, NMUSUARIO, CDFILIALENV, DTRECEBIDO) "
                                     "SELECT CDFILIAL, NRPEDIDO, COALESCE(trim(NMUSUARIO), ''), CDFILIALENV, DTRECEBIDO FROM %1 "
                                     "ORDER BY CDFILIAL, NRPEDIDO")
                          .arg(old));
        for (const CopyTable& t : kCopyTables) {
            const QString client = QLatin1String(t.client);
            const QStringList columns = columnDefinitions(db, client).names;
            QStringList source;
            for (const QString& c : columns)
                source << QStringLiteral("S.") + c;
            db.execScript(QStringLiteral("INSERT INTO %1 (IDRECEBIDO, %2) SELECT R.IDRECEBIDO, %3 FROM %4 S "
                                         "JOIN PEDIDORECEBIDO R ON R.CDFILIAL = S.CDFILIAL AND R.NRPEDIDO = S.NRPEDIDO")
                              .arg(QLatin1String(t.copy), columns.join(QStringLiteral(", ")), source.join(QStringLiteral(", ")), client));
            // Only what was moved: rows no receipt speaks for stay where they were.
            db.execScript(QStringLiteral("DELETE FROM %1 WHERE EXISTS (SELECT 1 FROM PEDIDORECEBIDO R "
                                         "WHERE R.CDFILIAL = %1.CDFILIAL AND R.NRPEDIDO = %1.NRPEDIDO)")
                              .arg(client));
        }
        db.execScript(QStringLiteral("DROP TABLE %1").arg(old));
    });
}

QString receivedOrdersListing(Connection& db)
{
    const Layout layout = hasOldReceivedOrders(db) ? Layout{QStringLiteral("PEDIDO"), QStringLiteral("ITEMPEDIDO"),
                                                            QStringLiteral("OBSPEDIDO"), &byBranchAndNumber, QStringLiteral("R.ROWID")}
                                                   : Layout{QStringLiteral("PEDIDOREC"), QStringLiteral("ITEMPEDIDOREC"),
                                                            QStringLiteral("OBSPEDIDOREC"), &byReceivedId, QStringLiteral("R.IDRECEBIDO")};
    const QStringList heading = {QStringLiteral("Filial"),     QStringLiteral("Pedido"),     QStringLiteral("Usuário"),
                                 QStringLiteral("Operador"),   QStringLiteral("Instalação"), QStringLiteral("Recebido em"),
                                 QStringLiteral("Cliente"),    QStringLiteral("Itens"),      QStringLiteral("Total"),
                                 QStringLiteral("Observação"), QStringLiteral("Situação")};
    const std::vector<bool> right = {false, false, false, false, false, false, false, true, true, false, false};
    std::vector<QStringList> rows;
    const QHash<qint64, Decimal> totals = totalsByReceipt(db, layout);
    const bool current = !hasOldReceivedOrders(db);
    Query st(db,
             listingSql(layout, current && hasColumn(db, "PEDIDORECEBIDO", "IDINSTALACAO"),
                        current && hasColumn(db, "PEDIDORECEBIDO", "CDOPERADOR"),
                        current && hasColumn(db, "PEDIDORECEBIDO", "IDINSTALACAO") && db.tableExists(QStringLiteral("SITPEDIDOREC"))));
    while (st.step()) {
        const QString installation = st.value(3, FieldKind::Text).toString();
        const QString operador = st.value(9, FieldKind::Text).toString();
        rows.push_back({st.value(0, FieldKind::Text).toString(), st.value(1, FieldKind::Text).toString(),
                        userLabel(st.value(2, FieldKind::Text).toString()), operador.isEmpty() ? QStringLiteral("-") : operador,
                        installation.isEmpty() ? QStringLiteral("-") : installation.left(8),
                        receivedAt(st.value(4, FieldKind::Text).toString()), st.value(5, FieldKind::Text).toString(),
                        QString::number(st.value(6, FieldKind::Integer).toLongLong()),
                        money(totals.value(st.value(7, FieldKind::Integer).toLongLong())),
                        st.value(8, FieldKind::Integer).toInt() ? QStringLiteral("com observação") : QStringLiteral("sem observação"),
                        situacaoListada(st.value(10, FieldKind::Text).toString())});
    }
    if (rows.empty())
        return QStringLiteral("Nenhum pedido recebido.\n");

    std::vector<qsizetype> width(heading.size());
    for (qsizetype c = 0; c < heading.size(); ++c) {
        width[std::size_t(c)] = heading[c].size();
        for (const QStringList& r : rows)
            width[std::size_t(c)] = std::max(width[std::size_t(c)], r[c].size());
    }
    auto line = [&](const QStringList& cells) {
        QStringList padded;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            const int w = int(width[std::size_t(c)]);
            padded << (right[std::size_t(c)] ? cells[c].rightJustified(w) : cells[c].leftJustified(w));
        }
        // The last column is text of its own width: no padding after it.
        QString s = padded.join(QStringLiteral("  "));
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return s + QLatin1Char('\n');
    };
    QString out = line(heading);
    for (const QStringList& r : rows)
        out += line(r);
    return out;
}

void writeLog(const QString& text)
{
    const QString line = QStringLiteral("zov-appserver: ") + text;
    const std::lock_guard<std::mutex> lock(logMutex());
    if (logSink()) {
        logSink()(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void setLogSink(std::function<void(const QString& line)> sink)
{
    const std::lock_guard<std::mutex> lock(logMutex());
    logSink() = std::move(sink);
}

} // namespace zov::server
