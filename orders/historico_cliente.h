#pragma once
// What a customer bought over the last 12 months, read offline: the company's
// history brought by the refresh (HISTCLIENTE: orders sent from any laptop,
// and the company's own) and this laptop's orders not yet in it. The history
// window, the items grid's "Últ. Preço" and the consultation read it.
#include "library/decimal.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

namespace zov {

class Database;

enum class OrigemCompra {
    Vendedor,       // sent from a laptop (IDORIGEM L)
    Empresa,        // the company's own (IDORIGEM E)
    EsteComputador, // this laptop's, not yet in the company's history
};
QString textoOrigem(OrigemCompra origem);

struct LinhaComprada {
    QString cdProduto, cdArvProd, nmProduto;
    Decimal quantidade, preco, liquido;
};

struct PedidoComprado {
    QDateTime quando;
    QString nrPedido;
    OrigemCompra origem = OrigemCompra::Vendedor;
    QString situacao;
    Decimal valor;
    bool contaComoCompra = true; // a cancelled or returned order gives no price
    QList<LinhaComprada> linhas;
};

struct ProdutoComprado {
    QString cdProduto, cdArvProd, nmProduto;
    QDate ultimaData;
    Decimal ultimoPreco, quantidade;
};

struct UltimoPreco {
    QDate data;
    Decimal preco;
};

// The first day the history keeps: a year before today.
QDate inicioDoHistorico(const QDate& hoje);

class HistoricoCliente {
public:
    // Everything of the customer at the branch read at once; the order being
    // typed (semPedido) is not part of its own history.
    HistoricoCliente(Database& db, const QString& cdCliente, const QString& cdFilial, const QString& semPedido = {});

    // Newest first.
    const QList<PedidoComprado>& pedidos() const { return pedidos_; }
    // One row per product, by name: its last date and price, and the quantity bought.
    QList<ProdutoComprado> porProduto() const;
    // By product code (CDPRODUTO): the price of its newest line.
    QHash<QString, UltimoPreco> ultimosPrecos() const;

private:
    QList<PedidoComprado> pedidos_;
};

// "12,50 em 03/11/26", with an arrow when today's price is higher.
QString textoUltimoPreco(const UltimoPreco& ultimo, const Decimal& precoAtual);

} // namespace zov
