// The order record: its list through the filter, what the header shows of
// it, a new order's defaults, the edit and the checks before it is posted.
#include "orders/registro_pedido.h"
#include "library/consiste.h"
#include "library/database.h"
#include "library/formats.h"
#include "library/inscricao.h"
#include "library/relogio.h"
#include "library/situacao_empresa.h"
#include "library/velmora.h"
#include "orders/banco_pedido.h"
#include "orders/cabecalho_pedido.h"
#include "orders/credito_cliente.h"
#include "orders/itens_pedido.h"
#include "orders/observacao_pedido.h"
#include "orders/pagamento_pedido.h"
#include "session/GeralZOV.h"

namespace zov {

namespace {

QString textoData(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return formatDate(v.toDate());
    return formatDate(v.toDateTime().date());
}

} // namespace

RegistroPedido::RegistroPedido(ContextoPedido& ctx) : ctx_(ctx)
{
    ctx_.registro = this;
    // Every change of state recomputes the commands.
    ctx_.qryPedido.onStateChange = [this](Query&) { atualizaComandos(); };
    ctx_.qryPedido.afterScroll = [this](Query&) {
        if (ctx_.qryPedido.state() == DataSetState::Browse)
            aposRolagem();
    };
}

void RegistroPedido::abreLista()
{
    BancoPedido::abreQryPedido(ctx_.qryPedido, ctx_.Filtro);
    filialAceita_ = true;
    ctx_.tela.periodoVisivel = ctx_.Filtro.Emissao.dtDe.isValid();
    ctx_.tela.periodoDe = ctx_.Filtro.Emissao.dtDe.isValid() ? formatDate(ctx_.Filtro.Emissao.dtDe) : QString();
    ctx_.tela.periodoAte = ctx_.Filtro.Emissao.dtAte.isValid() ? formatDate(ctx_.Filtro.Emissao.dtAte) : QString();
    aposRolagem();
    if (ctx_.listaVazia() && ctx_.view.paginaAtual() != PaginaPedido::Pedidos)
        mudaPagina(PaginaPedido::Pedidos);
}

void RegistroPedido::limpaCabecalho()
{
    const TelaPedido antes = ctx_.tela;
    ctx_.tela = TelaPedido{};
    ctx_.tela.filial = antes.filial;
    ctx_.tela.nmFilial = antes.nmFilial;
    ctx_.tela.periodoVisivel = antes.periodoVisivel;
    ctx_.tela.periodoDe = antes.periodoDe;
    ctx_.tela.periodoAte = antes.periodoAte;
    ctx_.tela.mascaraCliente = PictPess(QString());
}

void RegistroPedido::mostraPedidoNaTela()
{
    if (ctx_.listaVazia() && !ctx_.pedidoEditando()) {
        limpaCabecalho();
        return;
    }
    ctx_.tela.titulo = ctx_.qryPedido[QStringLiteral("DsPedido")].asString();
    ctx_.tela.exportado = ctx_.pedidoExportado();
    ctx_.tela.nrPedido = ctx_.valor("NRPEDIDO");
    ctx_.tela.cliente = ctx_.valor("NRINSJURCLIE");
    ctx_.tela.mascaraCliente = PictPess(ctx_.valor("IDTPIJURCLIE"));
    ctx_.tela.nmCliente = ctx_.valor("NMFANTCLIE");
    ctx_.tela.vendedor = ctx_.valor("CDVENDEDOR");
    ctx_.tela.nmVendedor = ctx_.valor("NMFANVEN");
    ctx_.tela.prioridade = prioridadeDoCodigo(ctx_.valor("IDPRIOPED"));
    ctx_.tela.dataPedido = textoData(ctx_.qryPedido[QStringLiteral("DTPEDIDO")].value());
    ctx_.tela.dataEntrega = textoData(ctx_.qryPedido[QStringLiteral("DTENTPED")].value());
    ctx_.tela.tipoOper = ctx_.valor("CDTIPOOPER");
    ctx_.tela.nmTipoOper = ctx_.valor("NMTIPOOPER");
    ctx_.tela.creditoCliente =
        resumoDeCredito(creditoDoCliente(ctx_.db, ctx_.valor("CDCLIENTE"), ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO")));
    ctx_.tela.situacaoEmpresa = detalheSituacaoNaEmpresa(ctx_.valor("IDSITEMPRESA"), ctx_.valor("NRNOTAFISCAL"),
                                                         ctx_.qryPedido[QStringLiteral("VRFATURADO")].value(), ctx_.valor("DSMOTIVO"));
    ctx_.tela.cdModPgto = ctx_.valor("CDMODPGTO");
    ctx_.tela.dsModPgto = ctx_.valor("DSMODPGTO");
    ctx_.tela.cdPrcBase = ctx_.valor("CDPRECOBASE");
    ctx_.tela.dsPrcBase = ctx_.valor("DSPRECOBASE");
    ctx_.pagamento->FormPgto();
    ctx_.pagamento->AtualizaFormaPgto();
}

void RegistroPedido::aposRolagem()
{
    mostraPedidoNaTela();
    if (!ctx_.listaVazia())
        ctx_.pagamento->abreModPgto(ctx_.valor("CDMODPGTO"));
    switch (ctx_.view.paginaAtual()) {
    case PaginaPedido::Itens: ctx_.itens->abreItens(); break;
    case PaginaPedido::Observacao: ctx_.observacao->abreObservacao(); break;
    default: break;
    }
    ctx_.view.atualizaTela();
    atualizaComandos();
}

void RegistroPedido::novoPedido()
{
    // After insert: the defaults of a new order.
    EventsSuspended quiet(ctx_.qryPedido);
    ctx_.poe("NRPEDIDO", BancoPedido(ctx_.db).PrxCodPed(ctx_.Filtro.Filial));
    ctx_.cabecalho->esqueceValores();
    ctx_.pagamento->esqueceModPgto();
    ctx_.itens->reiniciaDescontos();
    limpaCabecalho();
    ctx_.tela.nrPedido = ctx_.valor("NRPEDIDO");
    Statement vend(ctx_.db,
                   QStringLiteral("SELECT CDVENDEDOR, IDTPIJURVEN, NRINSJURVEN, NMRAZSOCVEN, NMFANVEN, DTNASCVEN, VRPECOMVEN FROM VENDEDOR "
                                  "WHERE CDOPERADOR = :P_CDOPERADOR ORDER BY NMFANVEN"));
    vend.bind(QStringLiteral("P_CDOPERADOR"), CdOperador());
    if (vend.step()) {
        ctx_.poe("CDVENDEDOR", vend.rawValue(0));
        ctx_.poe("NMFANVEN", vend.rawValue(4));
        ctx_.poe("VRPECOMVDPED", vend.rawValue(6));
        ctx_.tela.vendedor = vend.rawValue(0).toString();
        ctx_.tela.nmVendedor = vend.rawValue(4).toString();
    }
    ctx_.poe("CDFILIAL", ctx_.Filtro.Filial);
    ctx_.poe("IDPRIOPED", codigoPrioridade(Prioridade::Normal));
    ctx_.tela.prioridade = Prioridade::Normal;
    const QDate hoje = zov::dataDeHoje();
    ctx_.poe("DTPEDIDO", hoje);
    ctx_.tela.dataPedido = formatDate(hoje);
    ctx_.poe("NRDIAPGFIXPED", 0);
    ctx_.poe("NRPARCPGTOPED", 0);
    ctx_.tela.titulo = ctx_.valor("NRPEDIDO") + QStringLiteral(" - ");
    ctx_.tela.exportado = false;
    ctx_.pagamento->fechaModPgto();
    ctx_.pagamento->FormPgto();
    ctx_.pagamento->AtualizaFormaPgto();
}

bool RegistroPedido::editaPedido()
{
    // Before edit: a stored order that is not pending changes only its observation.
    if (ctx_.qryPedido.state() != DataSetState::Browse || ctx_.listaVazia())
        return ctx_.pedidoEditando();
    if (ctx_.valor("IDSITPEDIDO") != QLatin1String("1") && ctx_.view.paginaAtual() != PaginaPedido::Observacao)
        return false;
    ctx_.pagamento->lembraModPgto();
    ctx_.qryPedido.edit();
    aposEdicao();
    return true;
}

void RegistroPedido::aposEdicao()
{
    if (ctx_.view.paginaAtual() == PaginaPedido::Pedidos)
        mudaPagina(PaginaPedido::DadosGerais);
    if (ctx_.view.paginaAtual() != PaginaPedido::Itens)
        ctx_.itens->releItens();
    ctx_.cabecalho->lembraValores();
    atualizaComandos();
}

void RegistroPedido::antesDoPost(PreparoGravacao& p)
{
    // 1-2: the customer as typed, then every header check.
    ctx_.poe("NRINSJURCLIE", ctx_.tela.cliente);
    ctx_.poe("CDFILIALPED", QVariant());
    ctx_.pagamento->saiCdModPgto();
    ctx_.cabecalho->Vd_Geral();
    // 3: dates, the moment of the entry and who made it.
    ctx_.poe("DTPEDIDO", parseDateTime(ctx_.tela.dataPedido).date());
    ctx_.poe("DTHRLANPED", zov::agora());
    ctx_.poe("DTENTPED", QDateTime(parseDateTime(ctx_.tela.dataEntrega).date(), QTime(0, 0)));
    ctx_.poe("CDOPELANPED", CdOperador());
    // 4: priority, type and situation.
    ctx_.poe("IDPRIOPED", codigoPrioridade(ctx_.tela.prioridade));
    ctx_.poe("IDTIPOPEDIDO", QStringLiteral("1"));
    ctx_.poe("IDSITPEDIDO", QStringLiteral("1"));
    // 5: payment kind: cash is stored empty; a fixed day keeps its day and instalments.
    const QString kind = ctx_.valor("IDTPFORPGTPED");
    if (kind.isEmpty() || kind == QLatin1String("X")) {
        ctx_.poe("IDTPFORPGTPED", QVariant());
    } else if (kind == QLatin1String("F")) {
        ctx_.poe("NRDIAPGFIXPED", ctx_.tela.diaFixo.trimmed().isEmpty() ? QVariant() : QVariant(ctx_.tela.diaFixo.trimmed().toInt()));
        ctx_.poe("NRPARCPGTOPED", ctx_.tela.parcelas.trimmed().isEmpty() ? QVariant() : QVariant(ctx_.tela.parcelas.trimmed().toInt()));
    }
    // 6: the display name.
    const QVariant origem = ctx_.db.scalar(QStringLiteral("SELECT IDORIGDESTOP FROM TIPOOPERAC WHERE CDTIPOOPER = :P_CDTIPOOPER"),
                                           {{QStringLiteral("P_CDTIPOOPER"), ctx_.valor("CDTIPOOPER")}});
    ctx_.poe("NMRAZSOCCLIE", origem.toString() == QLatin1String("L") ? ctx_.valor("NMFILIAL") : ctx_.valor("NMFANTCLIE"));
    // 7: a stored order whose date or list changed prices its items again.
    if (ctx_.qryPedido.state() == DataSetState::Edit) {
        const QVariant antiga = ctx_.qryPedido[QStringLiteral("DTPEDIDO")].oldValue();
        const QDate dataAntiga = antiga.metaType().id() == QMetaType::QDate ? antiga.toDate() : antiga.toDateTime().date();
        if (dataAntiga != parseDateTime(ctx_.tela.dataPedido).date())
            p.reprecificaData = ctx_.itens->MudaData(true);
        if (ctx_.valor("CDPRECOBASE") != ctx_.qryPedido[QStringLiteral("CDPRECOBASE")].oldValue().toString())
            p.reprecificaLista = ctx_.itens->MudaPrcBase();
    }
    // 9: blank texts are stored as null.
    Seta_Campo_Null(ctx_.qryPedido);
}

} // namespace zov
