#include "library/situacao_empresa.h"

#include "library/formats.h"

namespace zov {

QString situacaoNaEmpresa(const QString& letra, const QString& nota)
{
    const QString l = letra.trimmed().toUpper();
    if (l == u"R")
        return QStringLiteral("Recebido");
    if (l == u"A")
        return QStringLiteral("Aprovado");
    if (l == u"F")
        return nota.trimmed().isEmpty() ? QStringLiteral("Faturado") : QStringLiteral("Faturado NF %1").arg(nota.trimmed());
    if (l == u"P")
        return QStringLiteral("Faturado em parte");
    if (l == u"C")
        return QStringLiteral("Cancelado");
    if (l == u"D")
        return QStringLiteral("Devolvido");
    return {};
}

QString detalheSituacaoNaEmpresa(const QString& letra, const QString& nota, const QVariant& valor, const QString& motivo)
{
    QString texto = situacaoNaEmpresa(letra, nota);
    const QString l = letra.trimmed().toUpper();
    if (l == u"P" && !nota.trimmed().isEmpty())
        texto += QStringLiteral(" NF ") + nota.trimmed();
    if ((l == u"F" || l == u"P") && !valor.isNull())
        texto += QStringLiteral(" (R$ %1)").arg(formatNumber(valor.toDouble(), QStringLiteral("#,##0.00")));
    if ((l == u"D" || l == u"C") && !motivo.trimmed().isEmpty())
        texto += QStringLiteral(": ") + motivo.trimmed();
    return texto;
}

} // namespace zov
