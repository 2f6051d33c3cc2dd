#pragma once
// The order's SQL in one place: the list of orders, the numbering, the items'
// statement and totals, the situation rules and the deletion. The order
// window, the mirror and the benches reach the stored order through it.
#include "library/dataset.h"
#include "library/decimal.h"

#include <QString>

namespace zov {

class Database;
struct TFiltro;

// Each total is the sum of the values its lines show (Desc. Méd. is an average).
struct TotaisPedido {
    Decimal bruto, liquido, descMedio, descTotal;
};

class BancoPedido {
public:
    explicit BancoPedido(Database& db) : db_(db) {}

    // qryPedido in SQLite: the branch's orders that have a salesperson, customer,
    // payment method and price list here, with or without items, newest number
    // first. Customer and product lists match by whole key.
    // porEmissao: the order-date restriction is on, also written as an indexable range.
    static QString qryPedidoSql(bool porEmissao = false);
    static UpdateSql updateSqlPedido();
    // qryPedido's fields: the list's five columns with their titles, the rest hidden, DsPedido.
    static void configuraQryPedido(Query& qryPedido);
    // Opens (or reopens) qryPedido with the filter's parameters.
    static void abreQryPedido(Query& qryPedido, const TFiltro& filtro);

    // The items of an order with their product.
    static QString qryItemPedidoSql();
    static UpdateSql updateSqlItem();
    // qryItemPedido as the items grid shows it: the statement, the columns with
    // their titles and formats, and the line value. The window and the printed
    // order both read the items through it.
    static void configuraQryItemPedido(Query& qryItemPedido);
    static UpdateSql updateSqlObservacao();

    // The situation items take when a payment-method change re-sets them: '1'
    // for a pending order, else '7'.
    static QString LancPedSit(const QString& idSitPedido);

    // The number of a new order of the branch: one past the highest, ten digits,
    // "0000000001" for the first.
    QString PrxCodPed(const QString& cdFilial) const;
    // An item of the order (any, when nrItemPed is empty) with a shipped quantity.
    bool temItemExpedido(const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed = {}) const;
    // An item of the order already approved.
    bool temItemAprovado(const QString& cdFilial, const QString& nrPedido) const;
    int quantidadeItens(const QString& cdFilial, const QString& nrPedido) const;
    void excluiItem(const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed) const;
    // Deletes the order with its items and observation in one transaction, or
    // nothing; a failure throws with its reason, to be shown.
    void excluiPedido(const QString& cdFilial, const QString& nrPedido) const;
    TotaisPedido totaisPedido(const QString& cdFilial, const QString& nrPedido) const;

private:
    Database& db_;
};

} // namespace zov
