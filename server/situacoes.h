#pragma once
// What became of each order a laptop sent, as the company's systems say it:
// SITPEDIDOREC, one row per branch, order number and installation, stamped
// like the reference tables. SetPedidos writes the R row with the order;
// getAcompanhamento hands an installation its rows by delta.
#include "server/remote_methods.h"

#include <QDate>
#include <QString>
#include <vector>

namespace zov::server {

// The table and what stamps it, for a new database and for an upgrade.
void createSituacoes(Connection& db);
// HISTCLIENTE (what the customers bought) and TITULOCLIENTE (what they owe).
void createHistorico(Connection& db);

// Received: written in the transaction that stores the order (a re-send
// starts over from R); gone with a refused re-send.
void marcaRecebido(Connection& db, const QString& filial, const QString& pedido, const QString& instalacao);
void apagaSituacao(Connection& db, const QString& filial, const QString& pedido, const QString& instalacao);

// An order's lines as its customer's history (IDORIGEM L), in the same
// transaction: a re-send replaces them. Lines older than 12 months go.
struct LinhaHistorico {
    QString item, produto;
    double quantidade = 0, preco = 0, desconto = 0;
};
void historicoDoPedido(Connection& db, const QString& filial, const QString& pedido, const QString& cliente, const QVariant& data,
                       const std::vector<LinhaHistorico>& linhas);
// The first stamp of the history kept: a year before today.
QString inicioDoHistorico(const QDate& hoje);

// The words of a situation letter ("Faturado em parte"), empty for none.
QString descricaoSituacao(const QString& letra);

// zov-appserver situacao: sets an order's situation by hand. Without an
// installation, the one order of that branch and number received. Throws
// Error with what is wrong (unknown order, two installations, bad letter).
struct NovaSituacao {
    QString filial, pedido, instalacao, letra, nota, motivo;
    QString valor; // as typed: "1234,56" or "1234.56"
};
QString defineSituacao(Connection& db, const NovaSituacao& s);

// PAD.rdmImpPedidos / getAcompanhamento: branch, installation, three
// watermarks. Element 0 holds the situations; 1 and 2 their columns only
// until the company's history and receivables are kept here.
std::string getAcompanhamento(Connection& db, const std::vector<WireValue>& args, const Chamador& who);

} // namespace zov::server
