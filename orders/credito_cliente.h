#pragma once
// May the customer buy on credit today: its limit (CLIENTE.VRLIMCREDCLI),
// what the company's books hold open and overdue (TITULOCLIENTE), and this
// laptop's orders of it not yet invoiced. Read offline, asked at Confirm.
#include "library/decimal.h"

#include <QString>

namespace zov {

class Database;

struct CreditoCliente {
    bool temLimite = false; // no limit (null or zero): nothing to exceed
    Decimal limite, abertoEmpresa, vencido;
    Decimal pedidosAqui; // pending and sent-but-not-invoiced orders of this laptop, but the one at hand
    Decimal emAberto() const { return abertoEmpresa + pedidosAqui; }
};

CreditoCliente creditoDoCliente(Database& db, const QString& cliente, const QString& filial, const QString& pedidoAtual);

// The one question at Confirm ("O pedido ultrapassa o limite de crédito do
// cliente: limite 5.000,00, em aberto 4.200,00, este pedido 1.350,00.
// Confirmar assim mesmo?"), with the overdue bills when there are any; empty
// when nothing is to be asked. Exactly at the limit is within it.
QString perguntaDeCredito(const CreditoCliente& c, const Decimal& estePedido);

// The general page's line: "Limite de crédito 5.000,00 · em aberto 4.200,00 · vencido 0,00".
QString resumoDeCredito(const CreditoCliente& c);

} // namespace zov
