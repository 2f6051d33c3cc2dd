#include "orders/lanc_pedido.h"

#include "library/consiste.h"
#include "library/database.h"
#include "library/dataset.h"
#include "search/filtro_pedido.h"

namespace zov {

QString qryPedidoSql()
{
    // The outer joins keep orders without items, without a main customer
    // address, an outgoing operation type or a destination branch. Items are
    // only looked at by the product filter (EXISTS), so an order is one row.
    // Lists of customers and products are "_K1_K2_": a key is found only
    // whole ('_12_' is not inside '_123_'). Order numbers, operation types and
    // municipalities are fixed-width and zero-filled; status and priority are
    // lists of single letters.
    return QStringLiteral(
        "SELECT P.NRPEDIDO, P.CDCLIENTE, P.IDTPIJURTRED, P.NRINSJURTRED, P.IDTPIJURTRAN, P.NRINSJURTRAN, P.CDTIPTRANS, "
        "P.CDFILIAL, P.CDVENDEDOR, P.DTPEDIDO, P.VRPECOMVDPED, P.VRPEDENFPED, P.VRPEDEDUPED, P.DTENTPED, P.IDPRIOPED, "
        "P.DSPEDCLI, P.DSPEDVEN, P.DTHRLANPED, P.CDOPELANPED, P.IDSITPEDIDO, P.IDPGFRETTRAN, P.CDFORMPGTO, P.IDTPFORPGTPED, "
        "P.NRDIAPGFIXPED, P.NRPARCPGTOPED, P.IDUTDIAPAGPED, C.NMFANTCLIE, P.VRPBRUVOLPED, P.VRPLIQVOLPED, C.IDTPIJURCLIE, "
        "C.NRINSJURCLIE, P.CDMODPGTO, P.CDFILIALPED, V.NMFANVEN, M.DSMODPGTO, P.IDTIPOPEDIDO, P.IDPEDIDOIMPR, P.CDPRECOBASE, "
        "PB.DSPRECOBASE, P.CDTIPOOPER, TP.NMTIPOOPER, P.IDENTRSAIDOP, P.DTVALIPED, F.NMFILIAL, "
        "CASE WHEN TP.IDORIGDESTOP = 'L' THEN F.NMFILIAL ELSE C.NMFANTCLIE END AS NMRAZSOCCLIE "
        "FROM PEDIDO P "
        "JOIN VENDEDOR V ON V.CDVENDEDOR = P.CDVENDEDOR "
        "JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE "
        "JOIN MODPGTO M ON M.CDMODPGTO = P.CDMODPGTO "
        "JOIN PRECOBASE PB ON PB.CDPRECOBASE = P.CDPRECOBASE "
        "LEFT JOIN FILIAL F ON F.CDFILIAL = P.CDFILIALPED "
        "LEFT JOIN TIPOOPERAC TP ON TP.CDTIPOOPER = P.CDTIPOOPER AND TP.IDENTRSAIDOP = 'S' "
        "LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
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
        "ORDER BY P.NRPEDIDO DESC");
}

void abreQryPedido(Query& qryPedido, const TFiltro& filtro)
{
    qryPedido.close();
    if (qryPedido.sql().isEmpty())
        qryPedido.setSql(qryPedidoSql());
    const QVariantMap params = parametrosPedido(filtro);
    for (auto it = params.begin(); it != params.end(); ++it)
        qryPedido.setParam(it.key(), it.value());
    qryPedido.open();
}

QString PrxCodPed(Database& db, const QString& cdFilial)
{
    // Numbers are zero-filled text, so the highest text is the highest
    // number; CAST makes the sum an integer whatever the text looks like.
    const QVariant next = db.scalar(QStringLiteral("SELECT CAST(MAX(NRPEDIDO) AS INTEGER) + 1 AS NRPEDIDO FROM PEDIDO WHERE CDFILIAL = :P_CDFILIAL"),
                                    {{QStringLiteral("P_CDFILIAL"), cdFilial}});
    if (next.isNull())
        return QStringLiteral("0000000001");
    return Ajusta(QString::number(next.toLongLong()), 10);
}

QString LancPedSit(const QString& idSitPedido) { return idSitPedido == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("7"); }

bool temItemExpedido(Database& db, const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed)
{
    return db
        .scalar(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO "
                               "AND NRITEMPED = IFNULL(:P_NRITEMPED, NRITEMPED) AND QTEXPITEMPED > 0"),
                {{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}, {QStringLiteral("P_NRITEMPED"), nrItemPed}})
        .toInt() > 0;
}

void excluiPedido(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    const QVariantMap key{{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}};
    db.transaction([&] {
        db.exec(QStringLiteral("DELETE FROM ITEMPEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
        db.exec(QStringLiteral("DELETE FROM OBSPEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
        db.exec(QStringLiteral("DELETE FROM PEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
    });
}

} // namespace zov
