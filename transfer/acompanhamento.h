#pragma once
// What became of the orders this installation sent and what the customers
// bought and owe: getAcompanhamento's three elements into SITPEDIDO,
// HISTCLIENTE and TITULOCLIENTE, each by delta on its newest stamp, in one
// transaction after each refresh. What was typed in an order is never written.
#include <QString>

namespace zov {

// What a refresh changed, for the one message that says so.
struct MudancasAcompanhamento {
    int aprovados = 0, faturados = 0, parciais = 0, cancelados = 0, devolvidos = 0;
    bool vazia() const { return aprovados + faturados + parciais + cancelados + devolvidos == 0; }
    // "Desde a última atualização: 3 pedidos faturados, 1 devolvido para correção."
    QString texto() const;
};

// False with the reason kept for lastTransferError(); the situations held
// stay as they were.
bool AtualizaAcompanhamento();
// What the last refresh changed, taken once (the main window says it).
MudancasAcompanhamento TomaMudancasAcompanhamento();

} // namespace zov
