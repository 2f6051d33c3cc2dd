// The order's base price list field: its check, its search and the default list.
#include "library/consiste.h"
#include "library/errors.h"
#include "orders/lanc_pedido.h"

namespace zov {

void PagamentoPedido::Vd_PrcBase(bool boTestaVazio)
{
    if (EmptyString(ctx_.tela.cdPrcBase)) {
        if (boTestaVazio)
            ctx_.falha(ControlePedido::PrcBase, PaginaPedido::Modalidade, ctx_.msg("PrcBase_Deve"));
        return;
    }
    if (!ctx_.pedidoEditando())
        return;
    ctx_.tela.cdPrcBase = Ajusta(ctx_.tela.cdPrcBase, 2);
    ctx_.poe("CDPRECOBASE", ctx_.tela.cdPrcBase);
    // A customer with lists of its own may use only those.
    const QString rank = rankPrcBaseCliente(ctx_.db, ctx_.valor("CDCLIENTE"));
    Statement st(ctx_.db, qryPesqPrcBaseSql());
    st.bind(QStringLiteral("P_CDCLIENTE"), ctx_.valor("CDCLIENTE"));
    st.bind(QStringLiteral("P_IDPESQ"), rank);
    st.bind(QStringLiteral("P_CDPRECOBASE"), ctx_.tela.cdPrcBase);
    st.bind(QStringLiteral("P_TCDPRECOBASE"), QVariant());
    if (!st.step()) {
        ctx_.tela.dsPrcBase.clear();
        ctx_.falha(ControlePedido::PrcBase, PaginaPedido::Modalidade,
                   ctx_.msg(rank == QLatin1String("1") ? "PrcBase_Nc_Cli" : "PrcBase_Nc"));
    }
    ctx_.tela.dsPrcBase = st.rawValue(1).toString();
    ctx_.poe("DSPRECOBASE", ctx_.tela.dsPrcBase);
    ctx_.view.atualizaTela();
}

void PagamentoPedido::prcBaseMudou()
{
    if (ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
    if (ctx_.pedidoEditando())
        ctx_.tela.dsPrcBase.clear();
}

void PagamentoPedido::saiPrcBase()
{
    if (ctx_.pedidoEditando())
        Vd_PrcBase(false);
}

void PagamentoPedido::pesquisaPrcBase()
{
    if (!ctx_.pesquisa || ctx_.pedidoExportado())
        return;
    const QString cliente = ctx_.valor("CDCLIENTE");
    if (cliente.isEmpty())
        ctx_.falha(ControlePedido::Cliente, PaginaPedido::DadosGerais, ctx_.msg("CLIE_NULO"));
    ctx_.preparaLista(qryPesqPrcBaseSql());
    ctx_.qryLista.setParam(QStringLiteral("P_CDCLIENTE"), cliente);
    ctx_.qryLista.setParam(QStringLiteral("P_IDPESQ"), rankPrcBaseCliente(ctx_.db, cliente));
    ctx_.qryLista.setParam(QStringLiteral("P_CDPRECOBASE"), QVariant());
    ctx_.qryLista.setParam(QStringLiteral("P_TCDPRECOBASE"), QStringLiteral("T"));
    ctx_.qryLista.defineField(QStringLiteral("CDPRECOBASE")).displayLabel = QStringLiteral("Código");
    ctx_.qryLista.defineField(QStringLiteral("DSPRECOBASE")).displayLabel = QStringLiteral("Descrição");
    ctx_.qryLista.defineField(QStringLiteral("IDPESQ")).visible = false;
    ctx_.qryLista.open();
    const bool escolheu = ctx_.pesquisa(ctx_.qryLista, QStringLiteral("Preço Base"));
    if (escolheu && (ctx_.qryPedido.state() != DataSetState::Browse || ctx_.registro->editaPedido())) {
        ctx_.tela.cdPrcBase = ctx_.qryLista[QStringLiteral("CDPRECOBASE")].asString();
        ctx_.tela.dsPrcBase = ctx_.qryLista[QStringLiteral("DSPRECOBASE")].asString();
        ctx_.poe("CDPRECOBASE", ctx_.tela.cdPrcBase);
        ctx_.poe("DSPRECOBASE", ctx_.tela.dsPrcBase);
    }
    ctx_.qryLista.close();
    ctx_.view.atualizaTela();
    ctx_.view.foca(ControlePedido::PrcBase);
}

QString qryVerPrcBaseSql()
{
    return QStringLiteral(
        "SELECT CDPRECOBASE, DSPRECOBASE, IDPESQ FROM ("
        "SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '1' AS IDPESQ FROM PRECOBASE PB JOIN PRECOBASECLI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PB.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE) "
        "AND PC.CDCLIENTE = :P_CDCLIENTE AND PC.IDPRBASEPRIN = 'S' "
        "UNION SELECT P.CDPRECOBASE, P.DSPRECOBASE, '2' FROM PRECOBASE P JOIN VENDEDOR V ON V.CDPRECOBASE = P.CDPRECOBASE "
        "WHERE V.CDVENDEDOR = :P_CDVENDEDOR AND P.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = "
        ":P_CDCLIENTE) "
        "UNION SELECT P.CDPRECOBASE, P.DSPRECOBASE, '3' FROM PRECOBASE P JOIN VENDEDOR V ON V.CDPRECOBASE = P.CDPRECOBASE "
        "WHERE V.CDVENDEDOR = :P_CDVENDEDOR AND :P_CDCLIENTE IS NULL "
        "UNION SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '4' FROM PRECOBASE PB JOIN PRECOUTI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PC.CDMODPGTO = :P_CDMODPGTO AND PB.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = "
        ":P_CDCLIENTE) "
        "UNION SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '5' FROM PRECOBASE PB JOIN PRECOUTI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PC.CDMODPGTO = :P_CDMODPGTO AND :P_CDCLIENTE IS NULL "
        "UNION SELECT P.CDPRECOBASE, P.DSPRECOBASE, '6' FROM PRECOBASE P JOIN VENDEDOR V ON V.CDPRECOBASE = P.CDPRECOBASE "
        "WHERE V.CDVENDEDOR = :P_CDVENDEAUX AND :P_CDCLIENTE IS NOT NULL "
        "UNION SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '7' FROM PRECOBASE PB JOIN PRECOUTI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PC.CDMODPGTO = :P_MODPGTOAUX AND :P_CDCLIENTE IS NOT NULL AND :P_CDVENDEAUX IS NULL"
        ") ORDER BY IDPESQ, CDPRECOBASE");
}

std::optional<PropostaPrcBase> propostaPrcBase(Database& db, const ParametrosPrcBase& p)
{
    // The proposal is the first row of the first rank that has any.
    Statement st(db, qryVerPrcBaseSql());
    st.bind(QStringLiteral("P_CDCLIENTE"), p.cdCliente);
    st.bind(QStringLiteral("P_CDVENDEDOR"), p.cdVendedor);
    st.bind(QStringLiteral("P_CDMODPGTO"), p.cdModPgto);
    st.bind(QStringLiteral("P_CDVENDEAUX"), p.cdVendeAux);
    st.bind(QStringLiteral("P_MODPGTOAUX"), p.modPgtoAux);
    if (!st.step())
        return std::nullopt;
    return PropostaPrcBase{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString()};
}

QString qryPesqPrcBaseSql()
{
    return QStringLiteral(
        "SELECT CDPRECOBASE, DSPRECOBASE, IDPESQ FROM ("
        "SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '1' AS IDPESQ FROM PRECOBASE PB JOIN PRECOBASECLI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PB.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE) AND PC.CDCLIENTE = "
        ":P_CDCLIENTE "
        "UNION SELECT CDPRECOBASE, DSPRECOBASE, '2' FROM PRECOBASE) "
        "WHERE IDPESQ = :P_IDPESQ AND (CDPRECOBASE = :P_CDPRECOBASE OR :P_TCDPRECOBASE = 'T') ORDER BY IDPESQ, CDPRECOBASE");
}

bool temListasProprias(Database& db, const QString& cdCliente)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE"),
                     {{QStringLiteral("P_CDCLIENTE"), cdCliente}})
               .toInt()
        > 0;
}

QString rankPrcBaseCliente(Database& db, const QString& cdCliente)
{
    const QVariant n = db.scalar(QStringLiteral("SELECT count(*) FROM PRECOBASECLI PC JOIN PRECOBASE PB ON PB.CDPRECOBASE = PC.CDPRECOBASE "
                                                "WHERE PC.CDCLIENTE = :P_CDCLIENTE"),
                                 {{QStringLiteral("P_CDCLIENTE"), cdCliente}});
    return n.toInt() > 0 ? QStringLiteral("1") : QStringLiteral("2");
}

} // namespace zov
