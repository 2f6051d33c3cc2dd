// The one place where the order window meets the search dialogs and the order filter.
#include "orders/ZOV00100.h"

#include "db/dbgeralped.h"
#include "orders/ZOV00101.h"
#include "orders/ZOV00102.h"
#include "search/pesquisaZOV.h"

namespace zov {

PesquisaFn PesquisaPedido(QWidget*)
{
    return [](Query& lista, const QString& titulo) { return PesquisarZOV(lista, titulo, false, true); };
}

bool FiltraPedidos(TFiltro& filtro, const std::function<void()>& reabre, QWidget* parent)
{
    return CriaFiltroPedido(filtro, reabre, parent);
}

void ConsultaProdutos(LancPedido& pedido, QWidget* parent)
{
    const ParametrosConsulta p = pedido.itens.parametrosConsulta();
    ConsultaProdEst(DataBaseGeralPed(), p, parent);
}

} // namespace zov
