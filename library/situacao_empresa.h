#pragma once
// The words of the company's situation of an order sent (SITPEDIDO), as the
// order list and the order window show them.
#include <QString>
#include <QVariant>

namespace zov {

// "Recebido", "Faturado NF 123", "Faturado em parte", "Devolvido"…; empty for none.
QString situacaoNaEmpresa(const QString& letra, const QString& nota);
// With what goes with it: the invoice and its value, or the reason.
// "Faturado NF 123 (R$ 74,53)", "Devolvido: falta o CNPJ do cliente".
QString detalheSituacaoNaEmpresa(const QString& letra, const QString& nota, const QVariant& valor, const QString& motivo);

} // namespace zov
