#include "server/situacoes.h"

#include "db/schema.h"
#include "library/decimal.h"
#include "library/valores_item.h"
#include "server/server_database.h"

#include <QRegularExpression>

namespace zov::server {

namespace {

// The company's situation of each order received; stamped by the server.
const char* const kSituacoesSql = R"sql(
CREATE TABLE IF NOT EXISTS SITPEDIDOREC (
  CDFILIAL VARCHAR(4) NOT NULL,
  NRPEDIDO VARCHAR(10) NOT NULL,
  IDINSTALACAO VARCHAR(64) NOT NULL DEFAULT '',
  IDSITEMPRESA CHAR(1) NOT NULL,
  DSMOTIVO VARCHAR(255),
  NRNOTAFISCAL VARCHAR(20),
  VRFATURADO NUMERIC(15,2),
  DTSITUACAO DATETIME,
  DTULTATU DATETIME,
  PRIMARY KEY (CDFILIAL, NRPEDIDO, IDINSTALACAO)
);
CREATE INDEX IF NOT EXISTS IX_SITPEDIDOREC_DT ON SITPEDIDOREC (DTULTATU)
)sql";

// Made again on an upgrade that finds the table already there.
void stamped(Connection& db, const QString& table)
{
    const bool pg = db.engine() == Engine::Postgres;
    for (const char* kind : {"INS", "UPD"})
        db.execScript(QStringLiteral("DROP TRIGGER IF EXISTS TRG_%1_%2%3")
                          .arg(table, QLatin1String(kind), pg ? QStringLiteral(" ON ") + table : QString()));
    if (pg)
        db.execScript(QStringLiteral("DROP FUNCTION IF EXISTS zov_carimba_%1()").arg(table));
    for (const QString& sql : stampTriggerSql(db, table, QStringLiteral("DTULTATU")))
        db.execScript(sql);
}

const QString kLetras = QStringLiteral("RAFPCD");

} // namespace

void createSituacoes(Connection& db)
{
    db.execScript(ddlFor(db.engine(), QString::fromLatin1(kSituacoesSql)));
    stamped(db, QStringLiteral("SITPEDIDOREC"));
}

void createHistorico(Connection& db)
{
    // What the customers bought and what they owe: the laptop keeps the same
    // tables, so their layout is the client schema's. SetPedidos writes the
    // laptops' lines (IDORIGEM L); the company writes the rest.
    for (const char* tabela : {"HISTCLIENTE", "TITULOCLIENTE"}) {
        db.execScript(ddlFor(db.engine(), schemaTableSql(QString::fromLatin1(tabela))));
        stamped(db, QString::fromLatin1(tabela));
    }
    db.execScript(QStringLiteral("CREATE INDEX IF NOT EXISTS IX_HISTCLIENTE_DT ON HISTCLIENTE (DTULTATU);"
                                 "CREATE INDEX IF NOT EXISTS IX_HISTCLIENTE_PEDIDO ON HISTCLIENTE (CDFILIAL, NRPEDIDO);"
                                 "CREATE INDEX IF NOT EXISTS IX_HISTCLIENTE_DTPEDIDO ON HISTCLIENTE (DTPEDIDO);"
                                 "CREATE INDEX IF NOT EXISTS IX_TITULOCLIENTE_DT ON TITULOCLIENTE (DTULTATU)"));
}

QString descricaoSituacao(const QString& letra)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("R"), QStringLiteral("Recebido")},  {QStringLiteral("A"), QStringLiteral("Aprovado")},
        {QStringLiteral("F"), QStringLiteral("Faturado")},  {QStringLiteral("P"), QStringLiteral("Faturado em parte")},
        {QStringLiteral("C"), QStringLiteral("Cancelado")}, {QStringLiteral("D"), QStringLiteral("Devolvido")}};
    return words.value(letra.trimmed().toUpper());
}

void marcaRecebido(Connection& db, const QString& filial, const QString& pedido, const QString& instalacao)
{
    db.exec(QStringLiteral("INSERT INTO SITPEDIDOREC (CDFILIAL, NRPEDIDO, IDINSTALACAO, IDSITEMPRESA, DTSITUACAO) VALUES (:F, :N, "
                           "COALESCE(:I, ''), 'R', %1) "
                           "ON CONFLICT (CDFILIAL, NRPEDIDO, IDINSTALACAO) DO UPDATE SET IDSITEMPRESA = 'R', DSMOTIVO = NULL, "
                           "NRNOTAFISCAL = NULL, VRFATURADO = NULL, DTSITUACAO = %1")
                .arg(db.nowSql()),
            {{QStringLiteral("F"), filial}, {QStringLiteral("N"), pedido}, {QStringLiteral("I"), instalacao}});
}

QString inicioDoHistorico(const QDate& hoje) { return hoje.addMonths(-12).toString(Qt::ISODate) + QStringLiteral(" 00:00:00.000"); }

void historicoDoPedido(Connection& db, const QString& filial, const QString& pedido, const QString& cliente, const QVariant& data,
                       const std::vector<LinhaHistorico>& linhas)
{
    const QVariantMap chave{{QStringLiteral("F"), filial}, {QStringLiteral("N"), pedido}, {QStringLiteral("C"), cliente}};
    db.exec(QStringLiteral("DELETE FROM HISTCLIENTE WHERE CDFILIAL = :F AND NRPEDIDO = :N AND CDCLIENTE = :C AND IDORIGEM = 'L'"), chave);
    // An order without a date is dated by its arrival.
    Query insert(
        db,
        QStringLiteral(
            "INSERT INTO HISTCLIENTE (CDCLIENTE, CDFILIAL, NRPEDIDO, NRITEMPED, IDORIGEM, DTPEDIDO, CDPRODUTO, QTITEMPED, "
            "VRPRECO, VRDESCONTO, VRLIQUIDO, IDSITEMPRESA) VALUES (:C, :F, :N, :I, 'L', COALESCE(:D, %1), :P, :Q, :V, :X, :L, 'R')")
            .arg(db.nowSql()));
    for (const LinhaHistorico& l : linhas) {
        const ValoresItem v = valoresItem(linhaLida(l.preco, l.quantidade, l.desconto));
        insert.bind(QStringLiteral("C"), cliente);
        insert.bind(QStringLiteral("F"), filial);
        insert.bind(QStringLiteral("N"), pedido);
        insert.bind(QStringLiteral("I"), l.item);
        insert.bind(QStringLiteral("D"), data);
        insert.bind(QStringLiteral("P"), l.produto);
        insert.bind(QStringLiteral("Q"), l.quantidade);
        insert.bind(QStringLiteral("V"), l.preco);
        insert.bind(QStringLiteral("X"), v.desconto.toDouble());
        insert.bind(QStringLiteral("L"), v.liquido.toDouble());
        insert.exec();
        insert.reset();
    }
    // Older than a year it is no one's history any more.
    db.exec(QStringLiteral("DELETE FROM HISTCLIENTE WHERE DTPEDIDO < :D"),
            {{QStringLiteral("D"), inicioDoHistorico(QDate::currentDate())}});
}

void apagaSituacao(Connection& db, const QString& filial, const QString& pedido, const QString& instalacao)
{
    db.exec(QStringLiteral("DELETE FROM SITPEDIDOREC WHERE CDFILIAL = :F AND NRPEDIDO = :N AND IDINSTALACAO = COALESCE(:I, '')"),
            {{QStringLiteral("F"), filial}, {QStringLiteral("N"), pedido}, {QStringLiteral("I"), instalacao}});
    db.exec(QStringLiteral("DELETE FROM HISTCLIENTE WHERE CDFILIAL = :F AND NRPEDIDO = :N AND IDORIGEM = 'L'"),
            {{QStringLiteral("F"), filial}, {QStringLiteral("N"), pedido}});
}

QString defineSituacao(Connection& db, const NovaSituacao& s)
{
    const QString letra = s.letra.trimmed().toUpper();
    if (letra.size() != 1 || !kLetras.contains(letra))
        throw Error(QStringLiteral("Situação \"%1\" inválida: use R, A, F, P, C ou D.").arg(s.letra));
    QVariant valor;
    if (!s.valor.trimmed().isEmpty()) {
        QString t = s.valor.trimmed();
        if (t.contains(QLatin1Char(',')))
            t = t.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || v < 0 || v >= 1e13)
            throw Error(QStringLiteral("Valor \"%1\" inválido.").arg(s.valor));
        valor = v;
    }
    const QString filial = s.filial.trimmed().rightJustified(4, QLatin1Char('0'));
    const QString pedido = s.pedido.trimmed().rightJustified(10, QLatin1Char('0'));
    QString instalacao = s.instalacao.trimmed().toLower();
    db.transaction([&] {
        QStringList found;
        Query st(db,
                 QStringLiteral(
                     "SELECT COALESCE(IDINSTALACAO, '') FROM PEDIDORECEBIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N ORDER BY IDRECEBIDO"));
        st.bind(QStringLiteral("F"), filial);
        st.bind(QStringLiteral("N"), pedido);
        while (st.step())
            found << st.value(0, FieldKind::Text).toString();
        if (found.isEmpty())
            throw Error(QStringLiteral("O pedido %1 da filial %2 não foi recebido.").arg(pedido, filial));
        if (instalacao.isEmpty()) {
            if (found.size() > 1)
                throw Error(QStringLiteral("O pedido %1 da filial %2 veio de mais de uma instalação (%3): diga qual com --instalacao.")
                                .arg(pedido, filial, found.join(QStringLiteral(", "))));
            instalacao = found.first();
        } else {
            // The start of an identity is enough, as the listing shows it.
            const QStringList matching = found.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(instalacao)));
            if (matching.size() != 1)
                throw Error(QStringLiteral("O pedido %1 da filial %2 não veio da instalação %3.").arg(pedido, filial, instalacao));
            instalacao = matching.first();
        }
        db.exec(
            QStringLiteral(
                "INSERT INTO SITPEDIDOREC (CDFILIAL, NRPEDIDO, IDINSTALACAO, IDSITEMPRESA, DSMOTIVO, NRNOTAFISCAL, VRFATURADO, DTSITUACAO) "
                "VALUES (:F, :N, :I, :S, :M, :NF, :V, %1) ON CONFLICT (CDFILIAL, NRPEDIDO, IDINSTALACAO) DO UPDATE SET "
                "IDSITEMPRESA = :S, DSMOTIVO = :M, NRNOTAFISCAL = :NF, VRFATURADO = :V, DTSITUACAO = %1")
                .arg(db.nowSql()),
            {{QStringLiteral("F"), filial},
             {QStringLiteral("N"), pedido},
             {QStringLiteral("I"), instalacao},
             {QStringLiteral("S"), letra},
             {QStringLiteral("M"), s.motivo.trimmed().isEmpty() ? QVariant() : QVariant(s.motivo.trimmed())},
             {QStringLiteral("NF"), s.nota.trimmed().isEmpty() ? QVariant() : QVariant(s.nota.trimmed())},
             {QStringLiteral("V"), valor}});
        // The customer's history shows what became of each line too.
        db.exec(QStringLiteral("UPDATE HISTCLIENTE SET IDSITEMPRESA = :S WHERE CDFILIAL = :F AND NRPEDIDO = :N AND IDORIGEM = 'L'"),
                {{QStringLiteral("S"), letra}, {QStringLiteral("F"), filial}, {QStringLiteral("N"), pedido}});
    });
    return QStringLiteral("Pedido %1 da filial %2: %3.").arg(pedido, filial, descricaoSituacao(letra));
}

std::string getAcompanhamento(Connection& db, const std::vector<WireValue>& args, const Chamador& who)
{
    if (args.size() != 3)
        throw RequestError(QStringLiteral("getAcompanhamento espera 3 argumentos e recebeu %1.").arg(args.size()));
    requireSessionBranch(args[0], who);
    if (args[1].kind != WireValue::Text || args[1].text.trimmed().isEmpty() || args[1].text.size() > 64)
        throw RequestError(QStringLiteral("getAcompanhamento: o argumento 2 deve ser a identidade da instalação."));
    if (args[2].kind != WireValue::Array || args[2].items.size() != 3)
        throw RequestError(QStringLiteral("getAcompanhamento: o argumento 3 deve ser uma lista de 3 datas."));
    QStringList since;
    for (int i = 0; i < 3; ++i) {
        const WireValue& v = args[2].items[std::size_t(i)];
        QDateTime dt;
        if (!v.isNull() && (v.kind != WireValue::Text || !dateTimeFromWire(v.text.toStdString(), dt)))
            throw RequestError(QStringLiteral("getAcompanhamento: o elemento %1 do argumento 3 não é uma data-hora.").arg(i));
        since << (v.isNull() ? QString() : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
    }

    Packet situacoes({{"CDFILIAL", ColumnType::Text},
                      {"NRPEDIDO", ColumnType::Text},
                      {"IDSITEMPRESA", ColumnType::Text},
                      {"DSSITEMPRESA", ColumnType::Text},
                      {"DSMOTIVO", ColumnType::Text},
                      {"NRNOTAFISCAL", ColumnType::Text},
                      {"VRFATURADO", ColumnType::Number},
                      {"DTSITUACAO", ColumnType::DateTime},
                      {"DTULTATU", ColumnType::DateTime}});
    {
        Query st(db,
                 QStringLiteral("SELECT CDFILIAL, NRPEDIDO, IDSITEMPRESA, DSMOTIVO, NRNOTAFISCAL, VRFATURADO, DTSITUACAO, DTULTATU "
                                "FROM SITPEDIDOREC WHERE CDFILIAL = :F AND IDINSTALACAO = :I%1 ORDER BY DTULTATU")
                     .arg(since[0].isEmpty() ? QString() : QStringLiteral(" AND DTULTATU >= :W")));
        st.bind(QStringLiteral("F"), args[0].text.trimmed());
        st.bind(QStringLiteral("I"), args[1].text.trimmed().toLower());
        if (!since[0].isEmpty())
            st.bind(QStringLiteral("W"), since[0]);
        while (st.step()) {
            const QString letra = st.value(2, FieldKind::Text).toString();
            situacoes.addRow({st.value(0, FieldKind::Text), st.value(1, FieldKind::Text), letra, descricaoSituacao(letra),
                              st.value(3, FieldKind::Text), st.value(4, FieldKind::Text), st.value(5, FieldKind::Number),
                              st.value(6, FieldKind::DateTime), st.value(7, FieldKind::DateTime)});
        }
    }
    // What the branch's customers bought in the last 12 months, from every
    // laptop and from the company; and what each customer owes.
    Packet historico({{"CDCLIENTE", ColumnType::Text},
                      {"CDFILIAL", ColumnType::Text},
                      {"NRPEDIDO", ColumnType::Text},
                      {"NRITEMPED", ColumnType::Text},
                      {"IDORIGEM", ColumnType::Text},
                      {"DTPEDIDO", ColumnType::DateTime},
                      {"CDPRODUTO", ColumnType::Text},
                      {"QTITEMPED", ColumnType::Number},
                      {"VRPRECO", ColumnType::Number},
                      {"VRDESCONTO", ColumnType::Number},
                      {"VRLIQUIDO", ColumnType::Number},
                      {"IDSITEMPRESA", ColumnType::Text},
                      {"DTULTATU", ColumnType::DateTime}});
    {
        Query st(
            db,
            QStringLiteral("SELECT CDCLIENTE, CDFILIAL, NRPEDIDO, NRITEMPED, IDORIGEM, DTPEDIDO, CDPRODUTO, QTITEMPED, VRPRECO, "
                           "VRDESCONTO, VRLIQUIDO, IDSITEMPRESA, DTULTATU FROM HISTCLIENTE WHERE CDFILIAL = :F AND DTPEDIDO >= :INICIO%1 "
                           "ORDER BY DTULTATU")
                .arg(since[1].isEmpty() ? QString() : QStringLiteral(" AND DTULTATU >= :W")));
        st.bind(QStringLiteral("F"), args[0].text.trimmed());
        st.bind(QStringLiteral("INICIO"), inicioDoHistorico(QDate::currentDate()));
        if (!since[1].isEmpty())
            st.bind(QStringLiteral("W"), since[1]);
        while (st.step()) {
            PacketRow row;
            for (int c = 0; c < 13; ++c) {
                const FieldKind kind = c == 5 || c == 12 ? FieldKind::DateTime : c >= 7 && c <= 10 ? FieldKind::Number : FieldKind::Text;
                row << st.value(c, kind);
            }
            historico.addRow(row);
        }
    }
    Packet titulos({{"CDCLIENTE", ColumnType::Text},
                    {"VRABERTO", ColumnType::Number},
                    {"VRVENCIDO", ColumnType::Number},
                    {"DTULTATU", ColumnType::DateTime}});
    {
        Query st(db,
                 QStringLiteral("SELECT CDCLIENTE, VRABERTO, VRVENCIDO, DTULTATU FROM TITULOCLIENTE%1 ORDER BY DTULTATU")
                     .arg(since[2].isEmpty() ? QString() : QStringLiteral(" WHERE DTULTATU >= :W")));
        if (!since[2].isEmpty())
            st.bind(QStringLiteral("W"), since[2]);
        while (st.step())
            titulos.addRow({st.value(0, FieldKind::Text), st.value(1, FieldKind::Number), st.value(2, FieldKind::Number),
                            st.value(3, FieldKind::DateTime)});
    }
    std::string body;
    ResultWriter result(body);
    result.packet(situacoes);
    result.packet(historico);
    result.packet(titulos);
    result.finish();
    return body;
}

} // namespace zov::server
