#pragma once
// The orders the server received, in tables of their own: PEDIDORECEBIDO is
// one row per received copy (branch, number, workstation user), and
// PEDIDOREC / ITEMPEDIDOREC / OBSPEDIDOREC hold the copy's rows, with every
// column of the client's PEDIDO / ITEMPEDIDO / OBSPEDIDO plus IDRECEBIDO.
#include "server/sql_connection.h"

#include <QString>
#include <functional>

namespace zov::server {

// Creates the tables, their columns taken from the client tables of the file.
void createReceivedOrderTables(Connection& db);
// A database made when orders were kept in PEDIDO / ITEMPEDIDO / OBSPEDIDO,
// keyed by branch and number only: moves them into the tables above, in one
// transaction. Does nothing on a database already laid out so.
void migrateReceivedOrders(Connection& db);
// True when the file still has the layout migrateReceivedOrders moves from.
bool hasOldReceivedOrders(Connection& db);

// The listing of `zov-appserver pedidos`: a heading and one line per received
// order, by branch, number and user. Reads either layout and writes nothing.
QString receivedOrdersListing(Connection& db);

// The server's log: one line on stderr, "zov-appserver: " and the text.
void writeLog(const QString& text);
// Sends the log lines (with their prefix) to sink instead; empty: stderr again.
void setLogSink(std::function<void(const QString& line)> sink);

} // namespace zov::server
