#pragma once
// The order window's logic (ZOV00100), built of its parts: the order record
// and its commands, the header checks, the payment terms, the items (with
// pricing and the consultation's entry) and the observation. They share one
// ContextoPedido. No widgets: the window forwards field events, keys and
// commands to the part they belong to, and implements PedidoView. Field
// checks that stop throw Abort after showing their message (MensErro).
#include "library/pedidos_em_edicao.h"
#include "orders/banco_pedido.h"
#include "orders/cabecalho_pedido.h"
#include "orders/contexto_pedido.h"
#include "orders/itens_pedido.h"
#include "orders/observacao_pedido.h"
#include "orders/pagamento_pedido.h"
#include "orders/registro_pedido.h"

namespace zov {

class LancPedido {
public:
    LancPedido(Database& db, PedidoView& view);
    LancPedido(const LancPedido&) = delete;
    LancPedido& operator=(const LancPedido&) = delete;

    void setPesquisa(PesquisaFn pesquisa) { contexto.pesquisa = std::move(pesquisa); }

    ContextoPedido contexto;
    RegistroPedido registro;
    CabecalhoPedido cabecalho;
    PagamentoPedido pagamento;
    ItensPedido itens;
    ObservacaoPedido observacao;

private:
    // The export leaves alone the order this window holds in edit.
    RegistroPedidoEmEdicao emEdicao_;
};

} // namespace zov
