#pragma once
// The order record of the order window (ZOV00100): the order list query,
// the numbering, the situation of an order and its deletion.
#include <QString>

namespace zov {

class Database;
class Query;
struct TFiltro;

// qryPedido in SQLite: the branch's orders that have a salesperson, customer,
// payment method and price list here, with or without items, newest number
// first. Customer and product lists match by whole key.
QString qryPedidoSql();
// Opens (or reopens) qryPedido with the filter's parameters.
void abreQryPedido(Query& qryPedido, const TFiltro& filtro);

// The number of a new order of the branch: one past the highest, ten digits,
// "0000000001" for the first.
QString PrxCodPed(Database& db, const QString& cdFilial);

// The situation items take when a payment-method change re-sets them: '1'
// for a pending order, else '7'.
QString LancPedSit(const QString& idSitPedido);

// An item of the order (any, when nrItemPed is empty) with a shipped quantity.
bool temItemExpedido(Database& db, const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed = {});

// Deletes the order with its items and observation in one transaction, or
// nothing; a failure throws with its reason, to be shown.
void excluiPedido(Database& db, const QString& cdFilial, const QString& nrPedido);

} // namespace zov
