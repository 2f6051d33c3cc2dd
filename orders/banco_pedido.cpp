#include "orders/banco_pedido.h"
#include "library/situacao_empresa.h"

#include "library/consiste.h"
#include "library/database.h"
#include "library/formats.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/filtro_pedido.h"

#include <algorithm>
#include <tuple>

namespace zov {

namespace {

const char* const kColunasPedido[] = {
    "NRPEDIDO",   "CDCLIENTE",     "IDTPIJURTRED",  "NRINSJURTRED",  "IDTPIJURTRAN",  "NRINSJURTRAN", "CDTIPTRANS",
    "CDFILIAL",   "CDVENDEDOR",    "DTPEDIDO",      "VRPECOMVDPED",  "VRPEDENFPED",   "VRPEDEDUPED",  "DTENTPED",
    "IDPRIOPED",  "DSPEDCLI",      "DSPEDVEN",      "DTHRLANPED",    "CDOPELANPED",   "IDSITPEDIDO",  "IDPGFRETTRAN",
    "CDFORMPGTO", "IDTPFORPGTPED", "NRDIAPGFIXPED", "NRPARCPGTOPED", "IDUTDIAPAGPED", "VRPBRUVOLPED", "VRPLIQVOLPED",
    "CDMODPGTO",  "CDFILIALPED",   "IDTIPOPEDIDO",  "CDPRECOBASE",   "CDTIPOOPER",    "IDENTRSAIDOP", "DTVALIPED",
};

const char* const kColunasGravadas[] = {"NRPEDIDO",     "CDPRODUTO",    "QTITEMPED",    "VRPREUNITPED", "NRITEMPED",    "IDSITITEMPED",
                                        "QTEXPITEMPED", "CDFILIAL",     "QTITEMPED2",   "DTENTITPED",   "IDITPEDDIFER", "VRPESOITPED",
                                        "VRDESITPED",   "IDITPEDRESER", "VRPRTABITPED", "VRPEDEMAXIPE", "CDOPERADOR"};

// The insert, update and delete of a table's columns; a new row's situation
// column takes '1' whatever the record holds.
template <std::size_t N>
UpdateSql updateSqlDe(const QString& tabela, const char* const (&colunas)[N], const QString& situacao, const QString& chave)
{
    QStringList sets, cols, vals;
    for (const char* c : colunas) {
        const QString col = QString::fromLatin1(c);
        sets << col + QStringLiteral(" = :") + col;
        cols << col;
        vals << (col == situacao ? QStringLiteral("'1'") : QStringLiteral(":") + col);
    }
    return UpdateSql(
        QStringLiteral("insert into %1 (%2) values (%3)").arg(tabela, cols.join(QStringLiteral(", ")), vals.join(QStringLiteral(", "))),
        QStringLiteral("update %1 set %2 ").arg(tabela, sets.join(QStringLiteral(", "))) + chave,
        QStringLiteral("delete from %1 ").arg(tabela) + chave);
}

} // namespace

QString BancoPedido::qryPedidoSql(bool porEmissao)
{
    // The list grid shows the first five columns. The outer joins keep orders without items, without a main customer
    // address, an outgoing operation type or a destination branch. Items are
    // only looked at by the product filter (EXISTS), so an order is one row.
    // Lists of customers and products are "_K1_K2_": a key is found only
    // whole ('_12_' is not inside '_123_'). Order numbers, operation types and
    // municipalities are fixed-width and zero-filled; status and priority are
    // lists of single letters.
    return QStringLiteral(
               "SELECT P.IDSITPEDIDO, P.NRPEDIDO, CASE WHEN TP.IDORIGDESTOP = 'L' THEN F.NMFILIAL ELSE C.NMFANTCLIE END AS NMRAZSOCCLIE, "
               "P.DTPEDIDO, P.DTENTPED, P.CDCLIENTE, P.IDTPIJURTRED, P.NRINSJURTRED, P.IDTPIJURTRAN, P.NRINSJURTRAN, P.CDTIPTRANS, "
               "P.CDFILIAL, P.CDVENDEDOR, P.VRPECOMVDPED, P.VRPEDENFPED, P.VRPEDEDUPED, P.IDPRIOPED, "
               "P.DSPEDCLI, P.DSPEDVEN, P.DTHRLANPED, P.CDOPELANPED, P.IDPGFRETTRAN, P.CDFORMPGTO, P.IDTPFORPGTPED, "
               "P.NRDIAPGFIXPED, P.NRPARCPGTOPED, P.IDUTDIAPAGPED, C.NMFANTCLIE, P.VRPBRUVOLPED, P.VRPLIQVOLPED, C.IDTPIJURCLIE, "
               "C.NRINSJURCLIE, P.CDMODPGTO, P.CDFILIALPED, V.NMFANVEN, M.DSMODPGTO, P.IDTIPOPEDIDO, P.IDPEDIDOIMPR, P.CDPRECOBASE, "
               "PB.DSPRECOBASE, P.CDTIPOOPER, TP.NMTIPOOPER, P.IDENTRSAIDOP, P.DTVALIPED, F.NMFILIAL, "
               "S.IDSITEMPRESA, S.NRNOTAFISCAL, S.DSMOTIVO, S.VRFATURADO "
               "FROM PEDIDO P "
               "JOIN VENDEDOR V ON V.CDVENDEDOR = P.CDVENDEDOR "
               "JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE "
               "JOIN MODPGTO M ON M.CDMODPGTO = P.CDMODPGTO "
               "JOIN PRECOBASE PB ON PB.CDPRECOBASE = P.CDPRECOBASE "
               "LEFT JOIN FILIAL F ON F.CDFILIAL = P.CDFILIALPED "
               "LEFT JOIN TIPOOPERAC TP ON TP.CDTIPOOPER = P.CDTIPOOPER AND TP.IDENTRSAIDOP = 'S' "
               "LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
               // What the company did with it, as the last refresh brought it.
               "LEFT JOIN SITPEDIDO S ON S.CDFILIAL = P.CDFILIAL AND S.NRPEDIDO = P.NRPEDIDO "
               "WHERE P.CDFILIAL = :P_CDFILIAL "
               "AND (instr(:P_CLIENTELISTA, '_' || P.CDCLIENTE || '_') > 0 OR :P_TCLIENTE = 'T') "
               "AND (instr(:P_PRIORIDADE, P.IDPRIOPED) > 0 OR :P_TPRIORIDADE = 'T') "
               "AND instr(:P_STATUS, P.IDSITPEDIDO) > 0 "
               "AND (instr(:P_NRPEDIDOLISTA, P.NRPEDIDO) > 0 OR :P_TPEDIDO = 'T') "
               "AND (instr(:P_CDTIPOOPER, P.CDTIPOOPER) > 0 OR :P_TCDTIPOOPER = 'T') "
               "AND (date(P.DTPEDIDO) BETWEEN :P_EMISSAODE AND :P_EMISSAOATE OR :P_TEMISSAO = 'T') "
               "AND (date(P.DTENTPED) BETWEEN :P_ENTREGADE AND :P_ENTREGAATE OR :P_TENTREGA = 'T') "
               "AND (P.NRPEDIDO BETWEEN :P_INTERVALODE AND :P_INTERVALOATE OR :P_TINTERVALO = 'T') "
               "AND (:P_TPRODUTO = 'T' OR EXISTS (SELECT 1 FROM ITEMPEDIDO I JOIN PRODUTO PR ON PR.CDPRODUTO = I.CDPRODUTO "
               "WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO AND instr(:P_PRODUTOLISTA, '_' || PR.CDARVPROD || '_') > 0)) "
               "AND (instr(:P_CDMUNICIPIO, E.CDPAIS || E.SGESTADO || E.CDMUNICIPIO) > 0 OR :P_TCDMUNICIPIO = 'T') "
               "AND (COALESCE(:P_SITEMPRESA, '') = '' OR COALESCE(S.IDSITEMPRESA, '-') = :P_SITEMPRESA) ")
        // The same order dates as a range the branch-and-date index can search.
        + (porEmissao ? QStringLiteral("AND P.DTPEDIDO >= :P_EMISSAODE AND P.DTPEDIDO < date(:P_EMISSAOATE, '+1 day') ") : QString())
        + QStringLiteral("ORDER BY P.NRPEDIDO DESC");
}

UpdateSql BancoPedido::updateSqlPedido()
{
    // A new order is always stored pending, whatever the record holds.
    return updateSqlDe(QStringLiteral("PEDIDO"), kColunasPedido, QStringLiteral("IDSITPEDIDO"),
                       QStringLiteral("where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL"));
}

void BancoPedido::configuraQryPedido(Query& qryPedido)
{
    // The list shows the status, number, display name and the two dates, in
    // that order; fields are laid out as they are defined.
    const std::pair<const char*, const char*> lista[] = {{"IDSITPEDIDO", "Status"},
                                                         {"NRPEDIDO", "Pedido"},
                                                         {"NMRAZSOCCLIE", "Cliente"},
                                                         {"DTPEDIDO", "Data Pedido"},
                                                         {"DTENTPED", "Data Entrega"}};
    for (const auto& [field, label] : lista)
        qryPedido.defineField(QString::fromLatin1(field)).displayLabel = QString::fromUtf8(label);
    qryPedido.defineField(QStringLiteral("NMRAZSOCCLIE"), FieldKind::Text);
    qryPedido.defineField(QStringLiteral("DTPEDIDO")).displayFormat = QStringLiteral("dd/MM/yyyy");
    qryPedido.defineField(QStringLiteral("DTENTPED")).displayFormat = QStringLiteral("dd/MM/yyyy");
    for (const char* c : kColunasPedido)
        qryPedido.defineField(QString::fromLatin1(c));
    for (const char* c : {"NMFANTCLIE", "IDTPIJURCLIE", "NRINSJURCLIE", "NMFANVEN", "DSMODPGTO", "DSPRECOBASE", "NMTIPOOPER", "NMFILIAL",
                          "IDPEDIDOIMPR", "IDSITEMPRESA", "NRNOTAFISCAL", "DSMOTIVO", "VRFATURADO"})
        qryPedido.defineField(QString::fromLatin1(c));
    for (int i = int(std::size(lista)); i < qryPedido.fieldCount(); ++i)
        qryPedido.field(i).visible = false;
    Field& ds = qryPedido.addCalculatedField(QStringLiteral("DsPedido"), FieldKind::Text);
    ds.visible = false;
    Field& empresa = qryPedido.addCalculatedField(QStringLiteral("DsSitEmpresa"), FieldKind::Text);
    empresa.displayLabel = QStringLiteral("Situação na Empresa");
    qryPedido.onCalcFields = [](Query& q) {
        q[QStringLiteral("DsPedido")].setValue(q[QStringLiteral("NRPEDIDO")].asString() + QStringLiteral(" - ")
                                               + q[QStringLiteral("NMFANTCLIE")].asString());
        q[QStringLiteral("DsSitEmpresa")].setValue(
            situacaoNaEmpresa(q[QStringLiteral("IDSITEMPRESA")].asString(), q[QStringLiteral("NRNOTAFISCAL")].asString()));
    };
}

void BancoPedido::abreQryPedido(Query& qryPedido, const TFiltro& filtro)
{
    qryPedido.close();
    const QVariantMap params = parametrosPedido(filtro);
    const QString sql = qryPedidoSql(params.value(QStringLiteral("P_TEMISSAO")).toString() != QLatin1String("T"));
    if (qryPedido.sql() != sql)
        qryPedido.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        qryPedido.setParam(it.key(), it.value());
    qryPedido.open();
}

QString BancoPedido::qryItemPedidoSql()
{
    // The grid's columns come first, in the grid's order (the line value is computed).
    return QStringLiteral(
        "SELECT I.NRITEMPED, P.CDARVPROD, P.NMPRODUTO, I.QTITEMPED, P.SGUNIDADE, I.VRPREUNITPED, "
        "CASE WHEN (NVL(I.QTITEMPED, 0) * NVL(I.VRPREUNITPED, 0)) <> 0 THEN (I.VRDESITPED * 100) / (I.QTITEMPED * I.VRPREUNITPED) "
        "ELSE 0 END AS PERDESC, I.VRDESITPED, I.DTENTITPED, "
        "I.NRPEDIDO, I.CDPRODUTO, I.IDSITITEMPED, I.QTEXPITEMPED, P.VRPREUNIT, I.CDFILIAL, I.QTITEMPED2, P.CDPRODESTO, "
        "I.IDITPEDDIFER, I.VRPESOITPED, I.IDITPEDRESER, I.VRPRTABITPED, I.VRPEDEMAXIPE, I.CDOPERADOR "
        "FROM ITEMPEDIDO I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
        "WHERE I.CDFILIAL = :CDFILIAL AND I.NRPEDIDO = :NRPEDIDO ORDER BY I.NRITEMPED");
}

UpdateSql BancoPedido::updateSqlItem()
{
    // A new item is always stored as new.
    return updateSqlDe(QStringLiteral("ITEMPEDIDO"), kColunasGravadas, QStringLiteral("IDSITITEMPED"),
                       QStringLiteral("where NRPEDIDO = :OLD_NRPEDIDO and NRITEMPED = :OLD_NRITEMPED and CDFILIAL = :OLD_CDFILIAL"));
}

void BancoPedido::configuraQryItemPedido(Query& qryItemPedido)
{
    qryItemPedido.setSql(qryItemPedidoSql());
    // The items grid's columns, in their order, with their titles and widths in
    // characters: what the widest value needs ("0000000001", a dated delivery),
    // so every column is readable in a laptop's width (the grid fits the name
    // in the rest; which columns take typing is the grid's business).
    const std::tuple<const char*, const char*, int> colunas[] = {
        {"NRITEMPED", "Nº Item ", 10},  {"CDARVPROD", "Produto", 12},   {"NMPRODUTO", "Nome do Produto", 20},
        {"QTITEMPED", "Quantidade", 9}, {"SGUNIDADE", "Un.", 3},        {"VRPREUNITPED", "Preço Unitário", 9},
        {"PERDESC", "Desc. (%)", 8},    {"VRDESITPED", "Vr. Desc.", 8}, {"DTENTITPED", "Entrega", 19}};
    for (const auto& [field, label, width] : colunas) {
        Field& f = qryItemPedido.defineField(QString::fromLatin1(field));
        f.displayLabel = QString::fromUtf8(label);
        f.displayWidth = width;
    }
    qryItemPedido.defineField(QStringLiteral("QTITEMPED")).displayFormat = QStringLiteral("##0.000");
    qryItemPedido.defineField(QStringLiteral("VRPREUNITPED")).displayFormat = QStringLiteral("###0.00");
    qryItemPedido.defineField(QStringLiteral("PERDESC")).displayFormat = QStringLiteral("###0.0000");
    qryItemPedido.defineField(QStringLiteral("VRDESITPED")).displayFormat = QStringLiteral("###0.00");
    qryItemPedido.defineField(QStringLiteral("DTENTITPED")).displayFormat = QStringLiteral("dd/MM/yyyy hh:mm:ss");
    for (const char* c : {"NRPEDIDO", "CDPRODUTO", "IDSITITEMPED", "QTEXPITEMPED", "VRPREUNIT", "CDFILIAL", "QTITEMPED2", "CDPRODESTO",
                          "IDITPEDDIFER", "VRPESOITPED", "IDITPEDRESER", "VRPRTABITPED", "VRPEDEMAXIPE", "CDOPERADOR"})
        qryItemPedido.defineField(QString::fromLatin1(c)).visible = false;
    qryItemPedido.defineField(QStringLiteral("PERDESC"), FieldKind::Number);
    qryItemPedido.addCalculatedField(QStringLiteral("VrTotalAux"), FieldKind::Number).visible = false;
    Field& total = qryItemPedido.addCalculatedField(QStringLiteral("VrTotal"), FieldKind::Number);
    total.displayLabel = QStringLiteral("Valor Total");
    total.displayFormat = QStringLiteral("###0.00");
    qryItemPedido.onCalcFields = [](Query& q) {
        const ValoresItem v = valoresItem(q[QStringLiteral("VRPREUNITPED")].asDecimal(escala::kPreco),
                                          q[QStringLiteral("QTITEMPED")].asDecimal(escala::kQuantidade),
                                          q[QStringLiteral("VRDESITPED")].asDecimal(escala::kValor));
        q[QStringLiteral("VrTotalAux")].setDecimal(v.bruto);
        q[QStringLiteral("VrTotal")].setDecimal(v.liquido);
    };
}

UpdateSql BancoPedido::updateSqlObservacao()
{
    return UpdateSql(QStringLiteral("insert into OBSPEDIDO (NRPEDIDO, TXOBSPED, CDFILIAL) values (:NRPEDIDO, :TXOBSPED, :CDFILIAL)"),
                     QStringLiteral("update OBSPEDIDO set NRPEDIDO = :NRPEDIDO, TXOBSPED = :TXOBSPED, CDFILIAL = :CDFILIAL "
                                    "where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL"),
                     QStringLiteral("delete from OBSPEDIDO where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL"));
}

QString BancoPedido::LancPedSit(const QString& idSitPedido)
{
    return idSitPedido == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("7");
}

QString BancoPedido::PrxCodPed(const QString& cdFilial) const
{
    // Numbers are zero-filled text, so the highest text is the highest
    // number; CAST makes the sum an integer whatever the text looks like.
    const QVariant next =
        db_.scalar(QStringLiteral("SELECT CAST(MAX(NRPEDIDO) AS INTEGER) + 1 AS NRPEDIDO FROM PEDIDO WHERE CDFILIAL = :P_CDFILIAL"),
                   {{QStringLiteral("P_CDFILIAL"), cdFilial}});
    if (next.isNull())
        return QStringLiteral("0000000001");
    return Ajusta(QString::number(next.toLongLong()), 10);
}

bool BancoPedido::temItemExpedido(const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed) const
{
    return db_.scalar(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO "
                                     "AND NRITEMPED = IFNULL(:P_NRITEMPED, NRITEMPED) AND QTEXPITEMPED > 0"),
                      {{QStringLiteral("P_CDFILIAL"), cdFilial},
                       {QStringLiteral("P_NRPEDIDO"), nrPedido},
                       {QStringLiteral("P_NRITEMPED"), nrItemPed}})
               .toInt()
        > 0;
}

bool BancoPedido::temItemAprovado(const QString& cdFilial, const QString& nrPedido) const
{
    return db_.scalar(QStringLiteral("SELECT COUNT(*) AS NRITPEDAPROVADO FROM ITEMPEDIDO WHERE (CDFILIAL = :P_CDFILIAL) AND "
                                     "(NRPEDIDO = :P_NRPEDIDO) AND (IDSITITEMPED = '3' )"),
                      {{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}})
               .toInt()
        > 0;
}

int BancoPedido::quantidadeItens(const QString& cdFilial, const QString& nrPedido) const
{
    return db_
        .scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"),
                {{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}})
        .toInt();
}

void BancoPedido::excluiItem(const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed) const
{
    db_.exec(
        QStringLiteral("DELETE FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO AND NRITEMPED = :P_NRITEMPED"),
        {{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}, {QStringLiteral("P_NRITEMPED"), nrItemPed}});
}

void BancoPedido::excluiPedido(const QString& cdFilial, const QString& nrPedido) const
{
    const QVariantMap key{{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}};
    db_.transaction([&] {
        db_.exec(QStringLiteral("DELETE FROM ITEMPEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
        db_.exec(QStringLiteral("DELETE FROM OBSPEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
        db_.exec(QStringLiteral("DELETE FROM PEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
    });
}

TotaisPedido BancoPedido::totaisPedido(const QString& cdFilial, const QString& nrPedido) const
{
    // Each total is the sum of the values its lines show, never a formula of its own.
    Statement st(db_,
                 QStringLiteral("SELECT VRPREUNITPED, QTITEMPED, VRDESITPED FROM ITEMPEDIDO "
                                "WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"));
    st.bind(QStringLiteral("P_CDFILIAL"), cdFilial);
    st.bind(QStringLiteral("P_NRPEDIDO"), nrPedido);
    TotaisItens soma;
    while (st.step())
        soma.soma(linhaLida(st.rawValue(0), st.rawValue(1), st.rawValue(2)));
    return {soma.bruto(), soma.liquido(), soma.descMedio(), soma.descTotal()};
}

} // namespace zov
