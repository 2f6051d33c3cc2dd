#include "orders/filtro_pedido.h"

namespace zov {

TFiltro filtroInicial(const QDate& today)
{
    TFiltro f;
    f.Emissao.dtDe = today.addDays(-10);
    f.Emissao.dtAte = today;
    return f;
}

namespace {

QString todos(bool all) { return all ? QStringLiteral("T") : QString(); }

// A date limit, or null when there is none (0 in the record).
QVariant dateParam(const QDate& d) { return d.isValid() ? QVariant(d) : QVariant(); }

} // namespace

QVariantMap parametrosPedido(const TFiltro& f)
{
    QString prioridade;
    if (f.Prioridade.boNormal)
        prioridade += QLatin1Char('3');
    if (f.Prioridade.boAlta)
        prioridade += QLatin1Char('2');
    if (f.Prioridade.boUrgente)
        prioridade += QLatin1Char('1');
    QString status;
    if (f.StatusPedido.boPendente)
        status += QLatin1Char('1');
    if (f.StatusPedido.boExportado)
        status += QLatin1Char('7');
    return {
        {QStringLiteral("P_CDFILIAL"), f.Filial},
        {QStringLiteral("P_TINTERVALO"), todos(!f.NrPedido.boIntervalo)},
        {QStringLiteral("P_INTERVALODE"), f.NrPedido.stDe},
        {QStringLiteral("P_INTERVALOATE"), f.NrPedido.stAte},
        {QStringLiteral("P_TPEDIDO"), todos(f.NrPedido.boTodos)},
        {QStringLiteral("P_NRPEDIDOLISTA"), f.NrPedido.stNrPedido},
        {QStringLiteral("P_TCLIENTE"), todos(f.Cliente.boTodos)},
        {QStringLiteral("P_CLIENTELISTA"), f.Cliente.stCliente},
        {QStringLiteral("P_TPRODUTO"), todos(f.Produto.boTodos)},
        {QStringLiteral("P_PRODUTOLISTA"), f.Produto.stProduto},
        {QStringLiteral("P_PRIORIDADE"), prioridade},
        {QStringLiteral("P_TPRIORIDADE"), todos(prioridade == QLatin1String("321"))},
        {QStringLiteral("P_STATUS"), status},
        {QStringLiteral("P_TEMISSAO"), todos(!f.Emissao.dtDe.isValid())},
        {QStringLiteral("P_EMISSAODE"), dateParam(f.Emissao.dtDe)},
        {QStringLiteral("P_EMISSAOATE"), dateParam(f.Emissao.dtAte)},
        {QStringLiteral("P_TENTREGA"), todos(!f.Entrega.dtDe.isValid())},
        {QStringLiteral("P_ENTREGADE"), dateParam(f.Entrega.dtDe)},
        {QStringLiteral("P_ENTREGAATE"), dateParam(f.Entrega.dtAte)},
        {QStringLiteral("P_TCDMUNICIPIO"), todos(f.MuniciCli.boTodos)},
        {QStringLiteral("P_CDMUNICIPIO"), f.MuniciCli.stMuniciCli},
        {QStringLiteral("P_TCDTIPOOPER"), todos(f.TipoOper.boTodos)},
        {QStringLiteral("P_CDTIPOOPER"), f.TipoOper.stTipoOper},
        {QStringLiteral("P_SITEMPRESA"), f.SitEmpresa},
    };
}

} // namespace zov
