#include "transfer/parte_guardada.h"

#include "library/database.h"
#include "library/errors.h"

#include <QFile>

namespace zov {

namespace {

const QString kAlias = QStringLiteral("PARCIAL");

// Names come from the slot table and the local tables, never from the file.
QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString columnList(const QStringList& columns)
{
    QStringList q;
    for (const QString& c : columns)
        q << quoted(c);
    return q.join(QStringLiteral(", "));
}

QStringList keptColumns(Database& db, const QString& table)
{
    Statement st(db, QStringLiteral("SELECT name FROM pragma_table_info(:T, :S) ORDER BY cid"));
    st.bind(QStringLiteral("T"), table);
    st.bind(QStringLiteral("S"), kAlias.toLower());
    QStringList names;
    while (st.step())
        names << st.value(0, FieldKind::Text).toString();
    return names;
}

bool attached(Database& db)
{
    Statement st(db, QStringLiteral("SELECT 1 FROM pragma_database_list WHERE upper(name) = :N"));
    st.bind(QStringLiteral("N"), kAlias);
    return st.step();
}

std::optional<ParteGuardada> readFile(const QString& file)
{
    Database side(file, Database::Mode::OpenExisting);
    ParteGuardada p;
    {
        Statement st(side, QStringLiteral("SELECT CDFILIAL, NMSERVIDOR, DTGUARDADA FROM PARTEGUARDADA"));
        if (!st.step())
            return std::nullopt;
        p.filial = st.value(0, FieldKind::Text).toString();
        p.servidor = st.value(1, FieldKind::Text).toString();
        p.guardadaEm = st.value(2, FieldKind::DateTime).toDateTime();
    }
    Statement st(side,
                 QStringLiteral(
                     "SELECT NRSLOT, NMTABELA, NMCOLDATA, DTPEDIDA, DTMAISNOVA, NRLINHAS, IDPARCIAL FROM TABELAGUARDADA ORDER BY NRSLOT"));
    while (st.step())
        p.tabelas << TabelaGuardada{int(st.value(0, FieldKind::Integer).toLongLong()), st.value(1, FieldKind::Text).toString(),
                                    st.value(2, FieldKind::Text).toString(),           st.value(3, FieldKind::DateTime).toDateTime(),
                                    st.value(4, FieldKind::DateTime).toDateTime(),     st.value(5, FieldKind::Integer).toLongLong(),
                                    st.value(6, FieldKind::Integer).toLongLong() != 0};
    return p;
}

} // namespace

qint64 ParteGuardada::linhas() const
{
    qint64 n = 0;
    for (const TabelaGuardada& t : tabelas)
        n += t.linhas;
    return n;
}

const TabelaGuardada* ParteGuardada::tabela(int slot) const
{
    for (const TabelaGuardada& t : tabelas)
        if (t.slot == slot)
            return &t;
    return nullptr;
}

QString arquivoParteGuardada(const Database& db) { return db.path() + QStringLiteral("-parcial"); }

void descartaParteGuardada(const Database& db) { QFile::remove(arquivoParteGuardada(db)); }

std::optional<ParteGuardada> leParteGuardada(const Database& db, const QString& filial, const QString& servidor, const QDateTime& agora)
{
    const QString file = arquivoParteGuardada(db);
    if (!QFile::exists(file))
        return std::nullopt;
    std::optional<ParteGuardada> p;
    try {
        p = readFile(file);
    } catch (const std::exception&) {
        p.reset(); // a file cut by a crash while it was written: asked again
    }
    const bool valid = p && !p->tabelas.isEmpty() && p->filial == filial && p->servidor == servidor && p->guardadaEm.isValid()
        && p->guardadaEm <= agora && p->guardadaEm.secsTo(agora) <= 24 * 3600;
    if (!valid) {
        QFile::remove(file);
        return std::nullopt;
    }
    return p;
}

void aplicaParteGuardada(Database& db, const ParteGuardada& parte)
{
    if (!attached(db))
        db.exec(QStringLiteral("ATTACH DATABASE :F AS ") + kAlias, {{QStringLiteral("F"), arquivoParteGuardada(db)}});
    for (const TabelaGuardada& t : parte.tabelas) {
        // The columns both have: a layout changed since keeps what it can.
        QStringList columns;
        const QStringList kept = keptColumns(db, t.tabela);
        for (const QString& c : db.columnNames(t.tabela))
            if (kept.contains(c, Qt::CaseInsensitive))
                columns << c;
        if (columns.isEmpty())
            throw Error(QStringLiteral("A parte guardada da importação não tem a tabela %1.").arg(t.tabela));
        db.execScript(
            QStringLiteral("INSERT OR REPLACE INTO main.%1 (%2) SELECT %2 FROM %3.%1").arg(quoted(t.tabela), columnList(columns), kAlias));
    }
}

void soltaParteGuardada(Database& db)
{
    if (!db.inTransaction() && attached(db))
        db.execScript(QStringLiteral("DETACH DATABASE ") + kAlias);
}

ParteGuardada guardaParte(Database& db, const QList<TabelaGuardada>& tabelas, const QString& filial, const QString& servidor,
                          const QDateTime& agora)
{
    ParteGuardada p{filial, servidor, agora, {}};
    const QString file = arquivoParteGuardada(db);
    const QString novo = file + QStringLiteral("-novo");
    QFile::remove(novo);
    {
        // A scratch file: a crash while it is written leaves only it behind.
        Database side(novo, Database::Mode::CreateIfMissing);
        side.execScript(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"));
        side.execScript(QStringLiteral("CREATE TABLE PARTEGUARDADA (CDFILIAL TEXT, NMSERVIDOR TEXT, DTGUARDADA TEXT);"
                                       "CREATE TABLE TABELAGUARDADA (NRSLOT INTEGER, NMTABELA TEXT, NMCOLDATA TEXT, DTPEDIDA TEXT, "
                                       "DTMAISNOVA TEXT, NRLINHAS INTEGER, IDPARCIAL INTEGER)"));
        side.startTransaction();
        for (TabelaGuardada t : tabelas) {
            const QStringList columns = db.columnNames(t.tabela);
            side.execScript(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(t.tabela), columnList(columns)));
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?%1").arg(i + 1);
            Statement insert(side, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quoted(t.tabela), marks.join(QStringLiteral(", "))));
            // What this download brought: from the date it was asked with on.
            Statement rows(db,
                           QStringLiteral("SELECT %1 FROM main.%2 WHERE :D IS NULL OR %3 IS NULL OR %3 >= :D")
                               .arg(columnList(columns), quoted(t.tabela), quoted(t.colunaData)));
            rows.bind(QStringLiteral("D"), t.pedidaDesde.isValid() ? QVariant(t.pedidaDesde) : QVariant());
            const int date = int(columns.indexOf(t.colunaData));
            t.linhas = 0;
            t.maisNova = QDateTime();
            while (rows.step()) {
                for (int i = 0; i < columns.size(); ++i)
                    insert.bindExact(i + 1, rows.rawValue(i));
                insert.step();
                insert.reset();
                ++t.linhas;
                if (date >= 0) {
                    const QDateTime d = rows.value(date, FieldKind::DateTime).toDateTime();
                    if (d.isValid() && (!t.maisNova.isValid() || d > t.maisNova))
                        t.maisNova = d;
                }
            }
            side.exec(QStringLiteral("INSERT INTO TABELAGUARDADA VALUES (:S, :T, :C, :P, :M, :L, :X)"),
                      {{QStringLiteral("S"), t.slot},
                       {QStringLiteral("T"), t.tabela},
                       {QStringLiteral("C"), t.colunaData},
                       {QStringLiteral("P"), t.pedidaDesde.isValid() ? QVariant(t.pedidaDesde) : QVariant()},
                       {QStringLiteral("M"), t.maisNova.isValid() ? QVariant(t.maisNova) : QVariant()},
                       {QStringLiteral("L"), t.linhas},
                       {QStringLiteral("X"), t.parcial ? 1 : 0}});
            p.tabelas << t;
        }
        side.exec(QStringLiteral("INSERT INTO PARTEGUARDADA VALUES (:F, :S, :D)"),
                  {{QStringLiteral("F"), filial}, {QStringLiteral("S"), servidor}, {QStringLiteral("D"), agora}});
        side.commit();
    }
    QFile::remove(file);
    if (!QFile::rename(novo, file))
        throw Error(QStringLiteral("Não foi possível guardar a parte recebida em %1.").arg(file));
    return p;
}

} // namespace zov
