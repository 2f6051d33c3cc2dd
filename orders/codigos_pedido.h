#pragma once
// The stored codes of an order and the texts the window shows for them.
#include "library/messages.h"

#include <QString>

namespace zov {

// PE, EX, EMITENTE, DESTINATARIO, TERCEIROS, SEM_FRETE.
const TMessages& msgCodigosPedido();

// "Pendente" for '1', "Exportado" for '7', empty for any other status.
QString textoSituacao(const QString& idSitPedido);

// The freight payer's text of a code ('0', '1', '2', '9'); empty otherwise.
QString textoFrete(const QString& idPgFretTran);
// The code of a freight text: each of the four texts gives its code, an
// empty text '9'; any other text leaves `atual` as it was.
QString codigoFrete(const QString& texto, const QString& atual);

// The payment kind shown: "X" (cash) for an empty stored kind, else the letter.
QString textoFormaPagamento(const QString& idTpForPgtPed);
// What is stored for a shown kind: empty for "X".
QString codigoFormaPagamento(const QString& texto);

// The priority of the radio buttons: '3' Normal, '2' Alta, '1' Urgente.
enum class Prioridade { Urgente = 1, Alta = 2, Normal = 3 };
QString codigoPrioridade(Prioridade p);
// Normal for an unknown code.
Prioridade prioridadeDoCodigo(const QString& idPrioPed);

// An item's kind as shown: nothing when the order has no items, "Normal" for an
// empty kind, else the text of its letter ("N" Normal, "S" Personalizado).
QString textoTipoItem(const QString& idItPedDifer, bool temItens = true);
// "Personalizado" stores "S", anything else "N".
QString codigoTipoItem(const QString& texto);

} // namespace zov
