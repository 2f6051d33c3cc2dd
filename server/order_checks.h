#pragma once
// What SetPedidos checks in the orders it receives, before it writes anything:
// every order and item of the call's branch, ten-digit order and item numbers,
// item numbers present and unique within their order, positive quantities,
// prices not below zero, a discount no larger than its line, finite numbers
// of a sane size, texts within their column's width. A call that breaks any
// of them is refused whole (RequestError) with a text naming the order, the
// item and the field.
#include "server/sql_connection.h"
#include "protocol/packet.h"

#include <QHash>
#include <QString>

namespace zov::server {

// The width of each VARCHAR(n) column of a client table, by column name.
QHash<QString, int> textWidths(Connection& db, const QString& table);

void checkReceivedOrders(Connection& db, const QString& branch, const Packet& orders, const Packet& items, const Packet& notes);

} // namespace zov::server
