// The order window's side of the product consultation: what it opens it
// with, and each chosen product stored as an item through the item store.
#include "orders/lanc_pedido.h"

#include "library/errors.h"
#include "library/velmora.h"

#include <QScopeGuard>

namespace zov {

ParametrosConsulta ItensPedido::parametrosConsulta()
{
    // A new order is checked whole before products are added to it.
    if (ctx_.qryPedido.state() == DataSetState::Insert)
        ctx_.cabecalho->Vd_Geral();
    ParametrosConsulta p;
    p.cdFilial = ctx_.Filtro.Filial;
    p.cdPrecoBase = ctx_.valor("CDPRECOBASE");
    p.cdCliente = ctx_.valor("CDCLIENTE");
    p.nrPedido = ctx_.valor("NRPEDIDO");
    p.cdVendedor = ctx_.valor("CDVENDEDOR");
    p.ajuste = ajusteModPgto().toDouble();
    const bool pendente = ctx_.qryPedido.state() == DataSetState::Insert || ctx_.valor("IDSITPEDIDO") == QLatin1String("1");
    p.podeConfirmar = ctx_.view.paginaAtual() == PaginaPedido::Itens && (qryItemPedido.state() == DataSetState::Insert || pendente);
    p.destino = this;
    return p;
}

void ItensPedido::incluiItem(const ProdutoEscolhido& produto)
{
    // The consultation only adds: a line being typed is stored first (or refused
    // with its message), never overwritten.
    descartaItemIntocado();
    if (itemEditando()) {
        // A refusal here is of the order's own line, not of a product chosen: said so.
        linhaEmDigitacao_ = QStringLiteral("A linha %1 do pedido (produto %2), em digitação na grade de itens, não pôde ser gravada:\n")
                                .arg(QString::number(valorItem("NRITEMPED").toLongLong()), DBPictObj(0).format(valorItem("CDARVPROD")));
        const auto limpa = qScopeGuard([this] { linhaEmDigitacao_.clear(); });
        gravaItem();
    }
    incluirItem();
    if (!itemEditando())
        throw Abort{};
    poeItem("CDARVPROD", produto.cdArvProd);
    poeItem("QTITEMPED", produto.quantidade);
    poeItem("VRPEDEMAXIPE", produto.descMax);
    // The item's own price (with the method's adjustment), and the percentage
    // chosen in the consultation: its value is worked out on that price.
    saiColunaItem(ColunaItem::Produto);
    saiColunaItem(ColunaItem::Quantidade);
    poeItem("PERDESC", produto.perDesc);
    GravaDescItem();
    try {
        gravaItem();
    } catch (...) {
        // The product stays ticked in the consultation: its refused line goes.
        if (itemEditando())
            qryItemPedido.cancel();
        ctx_.atualizaComandos();
        throw;
    }
}

void ItensPedido::itensIncluidos()
{
    abreItens();
    ctx_.view.atualizaTela();
    ctx_.atualizaComandos();
}

} // namespace zov
