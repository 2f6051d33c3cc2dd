#pragma once
// The export step of the transfer data module: the pending-order list, the
// SetPedidos call with the chosen orders and every active customer, and the
// marking of the orders the server took.
//
// CriaExportaPedidos answers true or false and never raises; when it fails,
// lastTransferError() says what failed: the connection, the server's own
// text, or the local marking.
#include <QString>
#include <QStringList>
#include <functional>

namespace zov {

class Query;

// stPedidosExport: "_" + each chosen number + "_" ("_12_34_"), or empty.
const QString& PedidosExport();
// Adds (idCheck "S") or removes (any other) one order number.
void SetPedidosExportados(const QString& nrPedidos, const QString& idCheck);
// Empties the list (the export window does when it opens and closes).
void LimpaPedidosExport();

// Shows what the server refused: products true for cdsItemInativo (orders
// with inactive products), false for cdsClienteInativoPed (inactive
// customers). The app installs the inactive-product dialog; without one
// nothing is shown (the refusals are still in the result).
// What a list of refusals holds: orders with inactive products, orders of
// inactive customers, orders with a value the server does not take.
enum class TipoRecusa { Produtos, Clientes, Valores };
using MostraInativos = std::function<void(Query& dataset, TipoRecusa tipo)>;
void SetMostraInativos(MostraInativos show);

struct PedidoRecusado {
    QString nrPedido;
    QString motivo; // "produto 01.001 ARROZ inativo", "cliente ... inativo"
};

struct ResultadoExportacao {
    QStringList enviados; // the orders sent, in number order
    QStringList aceitos;  // the orders marked exported here
    QList<PedidoRecusado> recusados;
    // Not sent at all: held in edit by an order window (also in recusados).
    QList<PedidoRecusado> naoEnviados;
};

// What the last export sent, took and refused.
const ResultadoExportacao& UltimaExportacao();

// Runs ExportaPedidos in the data module (created when missing, kept after).
// False on any error.
bool CriaExportaPedidos();

// The workstation user name sent with the orders (argument 7).
QString NomeEstacao();
// What the export is doing, for a window's progress line (empty: nobody listens).
using ProgressoExportacao = std::function<void(const QString& etapa)>;
void SetProgressoExportacao(ProgressoExportacao progresso);
// What the user reads when the request left but no whole reply came back.
QString msgEntregaIncerta(const QString& motivo);

} // namespace zov
