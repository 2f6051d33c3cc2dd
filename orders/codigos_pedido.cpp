#include "orders/codigos_pedido.h"

namespace zov {

namespace {

struct Frete {
    const char* code;
    const char* key;
};
const Frete kFretes[] = {{"0", "EMITENTE"}, {"1", "DESTINATARIO"}, {"2", "TERCEIROS"}, {"9", "SEM_FRETE"}};

} // namespace

const TMessages& msgCodigosPedido()
{
    static const TMessages table{
        "PE|Pendente",
        "EX|Exportado",
        "EMITENTE|0 - Emitente",
        "DESTINATARIO|1 - Destinatário/Remetente",
        "TERCEIROS|2 - Terceiros",
        "SEM_FRETE|9 - Sem Frete",
    };
    return table;
}

QString textoSituacao(const QString& idSitPedido)
{
    if (idSitPedido == QLatin1String("1"))
        return msgCodigosPedido().Msg(QStringLiteral("PE"));
    if (idSitPedido == QLatin1String("7"))
        return msgCodigosPedido().Msg(QStringLiteral("EX"));
    return {};
}

QString textoFrete(const QString& idPgFretTran)
{
    for (const Frete& f : kFretes)
        if (idPgFretTran == QLatin1String(f.code))
            return msgCodigosPedido().Msg(QLatin1String(f.key));
    return {};
}

QString codigoFrete(const QString& texto, const QString& atual)
{
    if (texto.isEmpty())
        return QStringLiteral("9");
    for (const Frete& f : kFretes)
        if (texto == msgCodigosPedido().Msg(QLatin1String(f.key)))
            return QLatin1String(f.code);
    return atual;
}

QString textoFormaPagamento(const QString& idTpForPgtPed)
{
    return idTpForPgtPed.trimmed().isEmpty() ? QStringLiteral("X") : idTpForPgtPed;
}

QString codigoFormaPagamento(const QString& texto) { return texto == QLatin1String("X") ? QString() : texto; }

QString codigoPrioridade(Prioridade p) { return QString::number(int(p)); }

Prioridade prioridadeDoCodigo(const QString& idPrioPed)
{
    if (idPrioPed == QLatin1String("1"))
        return Prioridade::Urgente;
    if (idPrioPed == QLatin1String("2"))
        return Prioridade::Alta;
    return Prioridade::Normal;
}

QString textoTipoItem(const QString& idItPedDifer, bool temItens)
{
    if (!temItens)
        return {};
    if (idItPedDifer.trimmed().isEmpty() || idItPedDifer == QLatin1String("N"))
        return QStringLiteral("Normal");
    if (idItPedDifer == QLatin1String("S"))
        return QStringLiteral("Personalizado");
    return idItPedDifer;
}

QString codigoTipoItem(const QString& texto) { return texto == QLatin1String("Personalizado") ? QStringLiteral("S") : QStringLiteral("N"); }

} // namespace zov
