#pragma once
// The order header's checks (Vd_*), their field events and lookups: the
// customer, salesperson, operation type, dates and priority.
#include "orders/contexto_pedido.h"

namespace zov {

class CabecalhoPedido {
public:
    explicit CabecalhoPedido(ContextoPedido& ctx);
    CabecalhoPedido(const CabecalhoPedido&) = delete;
    CabecalhoPedido& operator=(const CabecalhoPedido&) = delete;

    void Vd_Cliente(bool boTestaVazio);
    void Vd_Vendedor(bool boTestaVazio);
    void Vd_TipoOper(bool boTestaVazio);
    void Vd_DataPedido(bool boTestaVazio);
    void Vd_DataEntrega(bool boTestaVazio);
    void Vd_Data();
    void Vd_Geral();
    void entraCliente();
    void clienteMudou();
    void saiCliente();
    void pesquisaCliente();
    void tipoOperMudou();
    void saiTipoOper();
    void pesquisaTipoOper();
    void dataPedidoMudou();
    void saiDataPedido();
    void dataEntregaMudou();
    void saiDataEntrega();
    void prioridadeClicada(Prioridade prioridade);

    // A header check that stops: the payment page's own checks first when it shows.
    [[noreturn]] void falhaCabecalho(ControlePedido controle, const QString& texto);
    // The customer and salesperson of the order as it is put into edit, to
    // come back to when a new one is refused; a new order has none.
    void lembraValores();
    void esqueceValores();

private:
    // A date check that stops: the payment page's checks and the customer's first.
    [[noreturn]] void falhaData(ControlePedido campo, const QString& texto);

    ContextoPedido& ctx_;
    // The last customer and salesperson checked, and the last accepted.
    QString stIns, stVend, stNrInsJurClie, stNmFantClie, stCdVendedor, stNmFanVen;
};

} // namespace zov
