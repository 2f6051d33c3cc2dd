// The order's base price list field: its check, its search and the default list.
#include "library/consiste.h"
#include "library/errors.h"
#include "orders/lanc_pedido.h"

namespace zov {

void LancPedido::Vd_PrcBase(bool boTestaVazio)
{
    if (EmptyString(tela.cdPrcBase)) {
        if (boTestaVazio)
            falha(ControlePedido::PrcBase, PaginaPedido::Modalidade, msg("PrcBase_Deve"));
        return;
    }
    if (!pedidoEditando())
        return;
    tela.cdPrcBase = Ajusta(tela.cdPrcBase, 2);
    poe("CDPRECOBASE", tela.cdPrcBase);
    // A customer with lists of its own may use only those.
    const QString rank = rankPrcBaseCliente(db_, valor("CDCLIENTE"));
    Statement st(db_, qryPesqPrcBaseSql());
    st.bind(QStringLiteral("P_CDCLIENTE"), valor("CDCLIENTE"));
    st.bind(QStringLiteral("P_IDPESQ"), rank);
    st.bind(QStringLiteral("P_CDPRECOBASE"), tela.cdPrcBase);
    st.bind(QStringLiteral("P_TCDPRECOBASE"), QVariant());
    if (!st.step()) {
        tela.dsPrcBase.clear();
        falha(ControlePedido::PrcBase, PaginaPedido::Modalidade, msg(rank == QLatin1String("1") ? "PrcBase_Nc_Cli" : "PrcBase_Nc"));
    }
    tela.dsPrcBase = st.rawValue(1).toString();
    poe("DSPRECOBASE", tela.dsPrcBase);
    view_.atualizaTela();
}

void LancPedido::prcBaseMudou()
{
    if (qryPedido.state() == DataSetState::Browse)
        editaPedido();
    if (pedidoEditando())
        tela.dsPrcBase.clear();
}

void LancPedido::saiPrcBase()
{
    if (pedidoEditando())
        Vd_PrcBase(false);
}

void LancPedido::pesquisaPrcBase()
{
    if (!pesquisa_ || pedidoExportado())
        return;
    const QString cliente = valor("CDCLIENTE");
    if (cliente.isEmpty())
        falha(ControlePedido::Cliente, PaginaPedido::DadosGerais, msg("CLIE_NULO"));
    preparaLista(qryPesqPrcBaseSql());
    qryLista.setParam(QStringLiteral("P_CDCLIENTE"), cliente);
    qryLista.setParam(QStringLiteral("P_IDPESQ"), rankPrcBaseCliente(db_, cliente));
    qryLista.setParam(QStringLiteral("P_CDPRECOBASE"), QVariant());
    qryLista.setParam(QStringLiteral("P_TCDPRECOBASE"), QStringLiteral("T"));
    qryLista.defineField(QStringLiteral("CDPRECOBASE")).displayLabel = QStringLiteral("Código");
    qryLista.defineField(QStringLiteral("DSPRECOBASE")).displayLabel = QStringLiteral("Descrição");
    qryLista.defineField(QStringLiteral("IDPESQ")).visible = false;
    qryLista.open();
    const bool escolheu = pesquisa_(qryLista, QStringLiteral("Preço Base"));
    if (escolheu && (qryPedido.state() != DataSetState::Browse || editaPedido())) {
        tela.cdPrcBase = qryLista[QStringLiteral("CDPRECOBASE")].asString();
        tela.dsPrcBase = qryLista[QStringLiteral("DSPRECOBASE")].asString();
        poe("CDPRECOBASE", tela.cdPrcBase);
        poe("DSPRECOBASE", tela.dsPrcBase);
    }
    qryLista.close();
    view_.atualizaTela();
    view_.foca(ControlePedido::PrcBase);
}

} // namespace zov
