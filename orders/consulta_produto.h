#pragma once
// What the product consultation (ZOV00102) gives the window that opened it:
// the products chosen, to be added as items through that window's own store.
#include <QString>

namespace zov {

struct ProdutoEscolhido {
    QString cdArvProd;
    double quantidade = 0;
    double preco = 0;   // the price shown: the list's, with the method's adjustment
    double perDesc = 0; // the percentage chosen
    double vrDesc = 0;  // its value on the list's price
    double descMax = 0; // the maximum that applied
};

class DestinoConsulta {
public:
    virtual ~DestinoConsulta() = default;
    // Stores one item with every check and question of the item store;
    // throws (or aborts after its own message) when the item is refused.
    virtual void incluiItem(const ProdutoEscolhido& produto) = 0;
    // Every chosen product was added.
    virtual void itensIncluidos() = 0;
};

struct ParametrosConsulta {
    QString cdFilial;
    QString cdPrecoBase;
    QString cdCliente;
    QString nrPedido; // the order the products go to: not its own last price
    QString cdVendedor;
    // The payment method's adjustment of the list's prices (%): the consultation
    // shows the price the item will get.
    double ajuste = 0;
    bool podeConfirmar = false;
    DestinoConsulta* destino = nullptr; // null: an empty list
};

} // namespace zov
