// The payment terms of the order: the payment method, its kind of terms,
// fixed day and instalments, and the payment form.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/valores_item.h"
#include "orders/lanc_pedido.h"

namespace zov {

PagamentoPedido::PagamentoPedido(ContextoPedido& ctx) : ctx_(ctx), qryPesqMod(&ctx.db, QStringLiteral("qryPesqMod"))
{
    ctx_.pagamento = this;
    qryPesqMod.setSql(
        QStringLiteral("SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, NRPARCPGTOMOD, NRDIAPGFIXMOD, IDUTDIAPAGMOD, "
                       "VRPEDESMODPG, IDLANCPEDMOD FROM MODPGTO WHERE (CDMODPGTO = :P_CDMODPGTO) ORDER BY CDMODPGTO"));
}

void PagamentoPedido::abreModPgto(const QString& cdModPgto)
{
    qryPesqMod.close();
    qryPesqMod.setParam(QStringLiteral("P_CDMODPGTO"), cdModPgto);
    qryPesqMod.open();
}

Decimal PagamentoPedido::descontoModPgto()
{
    const QString cdModPgto = ctx_.valor("CDMODPGTO");
    if (!qryPesqMod.active() || qryPesqMod.isEmpty() || qryPesqMod[QStringLiteral("CDMODPGTO")].asString() != cdModPgto)
        abreModPgto(cdModPgto);
    return qryPesqMod.isEmpty() ? Decimal() : qryPesqMod[QStringLiteral("VRPEDESMODPG")].asDecimal(escala::kPercentual);
}

void PagamentoPedido::lembraModPgto() { stModPgto = ctx_.valor("CDMODPGTO"); }

void PagamentoPedido::esqueceModPgto()
{
    modalidadeMudou_ = false;
    stModPgto.clear();
}

void PagamentoPedido::Vd_CdModPgto(bool boTestaVazio)
{
    if (EmptyString(ctx_.tela.cdModPgto)) {
        if (boTestaVazio)
            ctx_.falha(ControlePedido::CdModPgto, PaginaPedido::Modalidade, ctx_.msg("MODPGT"));
        return;
    }
    if (!ctx_.pedidoEditando())
        return;
    ctx_.tela.cdModPgto = Ajusta(ctx_.tela.cdModPgto, 5);
    ctx_.poe("CDMODPGTO", ctx_.tela.cdModPgto);
    abreModPgto(ctx_.tela.cdModPgto);
    if (qryPesqMod.isEmpty()) {
        ctx_.tela.dsModPgto.clear();
        ctx_.falha(ControlePedido::CdModPgto, PaginaPedido::Modalidade, ctx_.msg("MODPGT_INV"));
    }
    ctx_.tela.dsModPgto = qryPesqMod[QStringLiteral("DSMODPGTO")].asString();
    ctx_.poe("DSMODPGTO", ctx_.tela.dsModPgto);
    if (ctx_.valor("CDPRECOBASE").isEmpty())
        propoePrcBasePorModPgto();
    ctx_.view.atualizaTela();
}

void PagamentoPedido::propoePrcBasePorModPgto()
{
    // The default list of a payment method: the customer's lists first,
    // any list of the method when the customer has none of its own.
    const QString cliente = ctx_.valor("CDCLIENTE");
    const bool semListas = !temListasProprias(ctx_.db, cliente);
    const QString mod = ctx_.valor("CDMODPGTO");
    const std::optional<PropostaPrcBase> proposta =
        propostaPrcBase(ctx_.db, ParametrosPrcBase{cliente, {}, mod, {}, semListas ? mod : QString()});
    if (!proposta)
        return;
    ctx_.poe("CDPRECOBASE", proposta->cdPrecoBase);
    ctx_.poe("DSPRECOBASE", proposta->dsPrecoBase);
    ctx_.tela.cdPrcBase = proposta->cdPrecoBase;
    ctx_.tela.dsPrcBase = proposta->dsPrecoBase;
}

void PagamentoPedido::aplicaModPgto()
{
    // The terms come from the method: its kind, fixed day, instalments and form.
    const QString kind = qryPesqMod[QStringLiteral("IDTPFORPGTOMOD")].asString();
    ctx_.poe("IDTPFORPGTPED", kind.isEmpty() ? QVariant() : QVariant(kind));
    formaPgtoClicada();
    if (kind == QLatin1String("F")) {
        ctx_.poe("NRDIAPGFIXPED", qryPesqMod[QStringLiteral("NRDIAPGFIXMOD")].value());
        ctx_.poe("NRPARCPGTOPED", qryPesqMod[QStringLiteral("NRPARCPGTOMOD")].value());
        ctx_.poe("IDUTDIAPAGPED", qryPesqMod[QStringLiteral("IDUTDIAPAGMOD")].value());
        ctx_.tela.diaFixo = qryPesqMod[QStringLiteral("NRDIAPGFIXMOD")].asString();
        ctx_.tela.parcelas = qryPesqMod[QStringLiteral("NRPARCPGTOMOD")].asString();
        ctx_.tela.proxMes = ctx_.valor("IDUTDIAPAGPED") == QLatin1String("E");
    }
    const QString forma = qryPesqMod[QStringLiteral("CDFORMPGTO")].asString();
    ctx_.poe("CDFORMPGTO", forma.isEmpty() ? QVariant() : QVariant(forma));
    AtualizaFormaPgto();
    ctx_.view.atualizaTela();
}

void PagamentoPedido::saiCdModPgto()
{
    if (!ctx_.pedidoEditando())
        return;
    Vd_CdModPgto(false);
    if (EmptyString(ctx_.tela.cdModPgto))
        return;
    const QString novo = ctx_.valor("CDMODPGTO");
    if (ctx_.qryPedido.state() == DataSetState::Edit && !stModPgto.isEmpty() && stModPgto != novo && !modalidadeMudou_) {
        if (!dialogs().confirm(ctx_.msg("MOD_SIT"))) {
            ctx_.view.foca(ControlePedido::CdModPgto);
            throw Abort{};
        }
        modalidadeMudou_ = true;
    }
    aplicaModPgto();
}

void PagamentoPedido::cdModPgtoMudou()
{
    if (ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
    const bool insercao = ctx_.qryPedido.state() == DataSetState::Insert;
    const bool edicao = ctx_.qryPedido.state() == DataSetState::Edit && Ajusta(ctx_.tela.cdModPgto, 5) != ctx_.valor("CDMODPGTO");
    if (!insercao && !edicao)
        return;
    ctx_.tela.dsModPgto.clear();
    if (ctx_.valor("IDTPFORPGTPED") != QLatin1String("V")) {
        ctx_.tela.diaFixo.clear();
        ctx_.tela.parcelas.clear();
        ctx_.tela.proxMes = false;
    } else {
        ctx_.tela.cdFormPgto.clear();
        ctx_.tela.nmFormPgto.clear();
    }
}

void PagamentoPedido::pesquisaModPgto()
{
    if (!ctx_.pesquisa || ctx_.pedidoExportado())
        return;
    ctx_.preparaLista(QStringLiteral("SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, NRPARCPGTOMOD, NRDIAPGFIXMOD, IDUTDIAPAGMOD "
                                     "FROM MODPGTO ORDER BY CDMODPGTO"));
    ctx_.qryLista.defineField(QStringLiteral("CDMODPGTO")).displayLabel = QStringLiteral("Código");
    ctx_.qryLista.defineField(QStringLiteral("DSMODPGTO")).displayLabel = QStringLiteral("Descrição");
    for (const char* hidden : {"CDFORMPGTO", "IDTPFORPGTOMOD", "NRPARCPGTOMOD", "NRDIAPGFIXMOD", "IDUTDIAPAGMOD"})
        ctx_.qryLista.defineField(QString::fromLatin1(hidden)).visible = false;
    ctx_.qryLista.open();
    const bool escolheu = ctx_.pesquisa(ctx_.qryLista, QStringLiteral("Modalidade de Pagamento"));
    const QString codigo = escolheu ? ctx_.qryLista[QStringLiteral("CDMODPGTO")].asString() : QString();
    const QString descricao = escolheu ? ctx_.qryLista[QStringLiteral("DSMODPGTO")].asString() : QString();
    ctx_.qryLista.close();
    if (escolheu && (ctx_.qryPedido.state() != DataSetState::Browse || ctx_.registro->editaPedido())) {
        ctx_.tela.cdModPgto = codigo;
        ctx_.tela.dsModPgto = descricao;
        ctx_.poe("CDMODPGTO", codigo);
        ctx_.poe("DSMODPGTO", descricao);
        abreModPgto(codigo);
        aplicaModPgto();
    }
    ctx_.view.atualizaTela();
    ctx_.view.foca(ControlePedido::CdModPgto);
}

void PagamentoPedido::formaPgtoClicada()
{
    if (!ctx_.pedidoEditando())
        return;
    const QString kind = ctx_.valor("IDTPFORPGTPED");
    const int posicao = kind == QLatin1String("F") ? 1 : kind == QLatin1String("V") ? 2 : 0;
    ctx_.tela.formaPgto = posicao;
    if (posicao == 1) {
        ctx_.tela.diaFixo = QStringLiteral("1");
        ctx_.tela.parcelas = QStringLiteral("1");
        ctx_.poe("NRDIAPGFIXPED", 1);
        ctx_.poe("NRPARCPGTOPED", 1);
        ctx_.tela.termos = true;
    } else {
        if (posicao == 2)
            ctx_.poe("IDTPFORPGTPED", QStringLiteral("V"));
        ctx_.tela.diaFixo.clear();
        ctx_.tela.parcelas.clear();
        ctx_.poe("NRDIAPGFIXPED", QVariant());
        ctx_.poe("NRPARCPGTOPED", QVariant());
        ctx_.tela.termos = false;
    }
    ctx_.poe("IDUTDIAPAGPED", QStringLiteral("I"));
    ctx_.tela.proxMes = false;
    ctx_.poe("CDFORMPGTO", QVariant());
    ctx_.tela.cdFormPgto.clear();
    ctx_.tela.nmFormPgto.clear();
}

void PagamentoPedido::FormPgto()
{
    const QString kind = ctx_.listaVazia() && !ctx_.pedidoEditando() ? QString() : ctx_.valor("IDTPFORPGTPED");
    ctx_.tela.formaPgto = kind == QLatin1String("F") ? 1 : kind == QLatin1String("V") ? 2 : 0;
    if (kind == QLatin1String("F")) {
        ctx_.tela.diaFixo = ctx_.valor("NRDIAPGFIXPED");
        ctx_.tela.parcelas = ctx_.valor("NRPARCPGTOPED");
        ctx_.tela.termos = true;
    } else {
        ctx_.tela.diaFixo.clear();
        ctx_.tela.parcelas.clear();
        ctx_.tela.termos = false;
    }
    ctx_.tela.proxMes = ctx_.valor("IDUTDIAPAGPED") == QLatin1String("E");
}

void PagamentoPedido::AtualizaFormaPgto()
{
    ctx_.tela.cdFormPgto = ctx_.valor("CDFORMPGTO");
    ctx_.tela.nmFormPgto.clear();
    if (ctx_.tela.cdFormPgto.isEmpty())
        return;
    ctx_.tela.nmFormPgto =
        ctx_.db
            .scalar(QStringLiteral("SELECT NMFORMPGTO FROM FORMPGTO WHERE (CDFORMPGTO = :P_CDFORMPGTO) ORDER BY CDFORMPGTO"),
                    {{QStringLiteral("P_CDFORMPGTO"), ctx_.tela.cdFormPgto}})
            .toString();
}

void PagamentoPedido::Vd_DiaFixo(bool boTestaVazio)
{
    if (!ctx_.pedidoEditando())
        return;
    // Only an order whose situation is pending ('1') is checked: a new one has no situation yet.
    const bool pendente = ctx_.valor("IDSITPEDIDO") == QLatin1String("1");
    if (!pendente || ctx_.tela.formaPgto != 1)
        return;
    const QString dia = ctx_.tela.diaFixo.trimmed();
    if (dia.isEmpty()) {
        if (boTestaVazio)
            ctx_.falha(ControlePedido::DiaFixo, PaginaPedido::Modalidade, ctx_.msg("DIAFIXO_NULL"));
        return;
    }
    bool ok = false;
    const int n = dia.toInt(&ok);
    if (!ok || n < 1 || n > 31)
        ctx_.falha(ControlePedido::DiaFixo, PaginaPedido::Modalidade, ctx_.msg("DIAFIXO_INV"));
}

void PagamentoPedido::diaFixoMudou()
{
    if (ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
}

void PagamentoPedido::saiDiaFixo() { Vd_DiaFixo(false); }

} // namespace zov
