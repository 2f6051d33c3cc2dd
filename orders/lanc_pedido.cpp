#include "orders/lanc_pedido.h"

namespace zov {

LancPedido::LancPedido(Database& db, PedidoView& view)
    : contexto(db, view),
      registro(contexto),
      cabecalho(contexto),
      pagamento(contexto),
      itens(contexto),
      observacao(contexto),
      emEdicao_([this]() -> std::optional<std::pair<QString, QString>> {
          if (!contexto.pedidoEditando() && !itens.itemEditando() && !observacao.observacaoEditando())
              return std::nullopt;
          return std::pair{contexto.valor("CDFILIAL"), contexto.valor("NRPEDIDO")};
      })
{}

} // namespace zov
