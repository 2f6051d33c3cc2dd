#include "orders/credito_cliente.h"

#include "library/database.h"
#include "library/formats.h"
#include "library/valores_item.h"

namespace zov {

namespace {

QString reais(const Decimal& v) { return formatNumber(v, QStringLiteral("#,##0.00")); }

} // namespace

CreditoCliente creditoDoCliente(Database& db, const QString& cliente, const QString& filial, const QString& pedidoAtual)
{
    CreditoCliente c;
    const QVariant limite =
        db.scalar(QStringLiteral("SELECT VRLIMCREDCLI FROM CLIENTE WHERE CDCLIENTE = :C"), {{QStringLiteral("C"), cliente}});
    c.temLimite = !limite.isNull() && limite.toDouble() > 0;
    c.limite = decimalLido(limite, escala::kDinheiro);
    {
        Statement st(db, QStringLiteral("SELECT VRABERTO, VRVENCIDO FROM TITULOCLIENTE WHERE CDCLIENTE = :C"));
        st.bind(QStringLiteral("C"), cliente);
        if (st.step()) {
            c.abertoEmpresa = decimalLido(st.rawValue(0), escala::kDinheiro);
            c.vencido = decimalLido(st.rawValue(1), escala::kDinheiro);
        }
    }
    // An order invoiced (in part) is in the company's receivables already; a
    // cancelled one is owed by no one.
    Statement linhas(db,
                     QStringLiteral("SELECT I.VRPREUNITPED, I.QTITEMPED, I.VRDESITPED FROM PEDIDO P "
                                    "JOIN ITEMPEDIDO I ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO "
                                    "LEFT JOIN SITPEDIDO S ON S.CDFILIAL = P.CDFILIAL AND S.NRPEDIDO = P.NRPEDIDO "
                                    "WHERE P.CDCLIENTE = :C AND P.IDSITPEDIDO IN ('1', '7') "
                                    "AND COALESCE(S.IDSITEMPRESA, '') NOT IN ('F', 'P', 'C') "
                                    "AND NOT (P.CDFILIAL = :F AND P.NRPEDIDO = :N)"));
    linhas.bind(QStringLiteral("C"), cliente);
    linhas.bind(QStringLiteral("F"), filial);
    linhas.bind(QStringLiteral("N"), pedidoAtual);
    while (linhas.step())
        c.pedidosAqui += valoresItem(linhaLida(linhas.rawValue(0), linhas.rawValue(1), linhas.rawValue(2))).liquido;
    return c;
}

QString perguntaDeCredito(const CreditoCliente& c, const Decimal& estePedido)
{
    QStringList partes;
    if (c.temLimite && c.emAberto() + estePedido > c.limite)
        partes << QStringLiteral("O pedido ultrapassa o limite de crédito do cliente: limite %1, em aberto %2, este pedido %3.")
                      .arg(reais(c.limite), reais(c.emAberto()), reais(estePedido));
    if (c.vencido > Decimal())
        partes << QStringLiteral("O cliente tem títulos vencidos: %1.").arg(reais(c.vencido));
    if (partes.isEmpty())
        return {};
    return partes.join(QLatin1Char('\n')) + QStringLiteral("\nConfirmar assim mesmo?");
}

QString resumoDeCredito(const CreditoCliente& c)
{
    if (!c.temLimite && c.emAberto() == Decimal() && c.vencido == Decimal())
        return {};
    return QStringLiteral("%1 · em aberto %2 · vencido %3")
        .arg(c.temLimite ? QStringLiteral("Limite de crédito ") + reais(c.limite) : QStringLiteral("Sem limite de crédito"),
             reais(c.emAberto()), reais(c.vencido));
}

} // namespace zov
