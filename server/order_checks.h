#pragma once
// What SetPedidos checks in the orders it receives, before it writes anything:
// every order and item of the call's branch, ten-digit order and item numbers,
// item numbers present and unique within their order, the line rules shared
// with the laptop (library/regras_item.h), finite numbers of a sane size,
// every value of its column's kind, texts within their column's width. An
// order that breaks one is refused by itself, with its first fault; only a
// call that cannot be read as orders (a row that names no order of the call,
// an order number twice) is refused whole (RequestError).
#include "protocol/packet.h"
#include "server/sql_connection.h"

#include <QHash>
#include <QString>

namespace zov::server {

// What a column of the server's tables takes, read from its declared type
// on either engine, and its width when it is a VARCHAR(n).
struct ColumnRule {
    enum Kind { Other, Text, Integer, Number, DateTime, Bytes } kind = Other;
    int width = -1;
};
QHash<QString, ColumnRule> columnRules(Connection& db, const QString& table);
// Why a received value cannot be stored in a column of that rule, in words
// for the salesperson; empty when it can. An ERP reads these tables: a text
// in a number's column, a fraction in an integer's or a NUL that would cut
// a text never reaches them.
QString valueFault(const PacketColumn& column, const QVariant& value, const ColumnRule& rule);

// The first rule a refused order breaks: the item (empty for the order as a
// whole), the column and why, for the salesperson.
struct OrderFault {
    QString item, field, reason;
};

// The refused orders by number.
QHash<QString, OrderFault> checkReceivedOrders(Connection& db, const QString& branch, const Packet& orders, const Packet& items,
                                               const Packet& notes);

} // namespace zov::server
