#include "library/pedidos_em_edicao.h"

#include <map>

namespace zov {

namespace {

// Windows live on the GUI thread, as the export does: no lock needed.
std::map<int, PedidoEmEdicaoFn>& registrados()
{
    static std::map<int, PedidoEmEdicaoFn> all;
    return all;
}

} // namespace

RegistroPedidoEmEdicao::RegistroPedidoEmEdicao(PedidoEmEdicaoFn qual)
{
    static int proximo = 0;
    id_ = ++proximo;
    registrados().emplace(id_, std::move(qual));
}

RegistroPedidoEmEdicao::~RegistroPedidoEmEdicao() { registrados().erase(id_); }

bool PedidoEmEdicao(const QString& filial, const QString& numero)
{
    for (const auto& [id, qual] : registrados()) {
        const auto pedido = qual();
        if (pedido && pedido->first.trimmed() == filial.trimmed() && pedido->second.trimmed() == numero.trimmed())
            return true;
    }
    return false;
}

} // namespace zov
