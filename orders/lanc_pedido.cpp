#include "orders/lanc_pedido.h"

namespace zov {

LancPedido::LancPedido(Database& db, PedidoView& view)
    : contexto(db, view), registro(contexto), cabecalho(contexto), pagamento(contexto), itens(contexto), observacao(contexto)
{
}

} // namespace zov
