#pragma once
// "Repetir Pedido": a new pending order for the same customer with the same
// products and quantities, typed into the order window as a salesperson would
// type it, so today's price list and rules price it. Its lines wait in the
// items grid unwritten: nothing is stored until Confirm, and Cancel leaves no
// trace.
#include "library/decimal.h"
#include "orders/codigos_pedido.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace zov {

class Database;
class LancPedido;
struct PedidoComprado;

struct PedidoParaRepetir {
    QString nrPedido;        // the one repeated, to name it
    QString registroCliente; // as the header's customer field takes it
    QString tipoOper, cdModPgto;
    Prioridade prioridade = Prioridade::Normal;
    int diasEntrega = 0; // from the order's date to its delivery
    struct Linha {
        QString cdProduto, cdArvProd, nmProduto;
        Decimal quantidade;
    };
    QList<Linha> linhas;
};

// One of this laptop's orders; none when it is not there.
std::optional<PedidoParaRepetir> pedidoParaRepetir(Database& db, const QString& cdFilial, const QString& nrPedido);
// An order of the customer's history: the customer and the lines only.
PedidoParaRepetir compraParaRepetir(Database& db, const QString& cdCliente, const PedidoComprado& compra);

// Takes out the lines whose product is unknown here or inactive; returns what
// was taken out, one text per line ("010010003 Caneta azul: inativo").
QStringList separaForaDeLinha(Database& db, PedidoParaRepetir& pedido);

// Starts the new order in the window's logic: the products left out are
// listed first, then the header and the lines are typed. Throws Abort after a
// message when nothing can be repeated or a check of the header stops.
void repetePedido(LancPedido& pedido, PedidoParaRepetir repetido);
// The order list's "Repetir Pedido": the current stored order.
void repeteAtual(LancPedido& pedido);

// The customer of the order on screen, stored or being typed, for its
// history; MensErro when the order has none yet.
struct ClienteDoPedido {
    QString cdCliente, cdFilial, nome, nrPedido;
};
ClienteDoPedido clienteDoPedido(LancPedido& pedido);

} // namespace zov
