// The payment terms of the order: the payment method, its kind of terms,
// fixed day and instalments, and the payment form.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "orders/lanc_pedido.h"

namespace zov {

void LancPedido::abreModPgto(const QString& cdModPgto)
{
    qryPesqMod.close();
    qryPesqMod.setParam(QStringLiteral("P_CDMODPGTO"), cdModPgto);
    qryPesqMod.open();
}

void LancPedido::Vd_CdModPgto(bool boTestaVazio)
{
    if (EmptyString(tela.cdModPgto)) {
        if (boTestaVazio)
            falha(ControlePedido::CdModPgto, PaginaPedido::Modalidade, msg("MODPGT"));
        return;
    }
    if (!pedidoEditando())
        return;
    tela.cdModPgto = Ajusta(tela.cdModPgto, 5);
    poe("CDMODPGTO", tela.cdModPgto);
    abreModPgto(tela.cdModPgto);
    if (qryPesqMod.isEmpty()) {
        tela.dsModPgto.clear();
        falha(ControlePedido::CdModPgto, PaginaPedido::Modalidade, msg("MODPGT_INV"));
    }
    tela.dsModPgto = qryPesqMod[QStringLiteral("DSMODPGTO")].asString();
    poe("DSMODPGTO", tela.dsModPgto);
    if (valor("CDPRECOBASE").isEmpty())
        propoePrcBasePorModPgto();
    view_.atualizaTela();
}

void LancPedido::propoePrcBasePorModPgto()
{
    // The default list of a payment method: the customer's lists first,
    // any list of the method when the customer has none of its own.
    const QString cliente = valor("CDCLIENTE");
    const bool semListas = db_.scalar(QStringLiteral("SELECT COUNT(*) CONTADOR FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE"),
                                      {{QStringLiteral("P_CDCLIENTE"), cliente}})
                               .toInt() == 0;
    const QString mod = valor("CDMODPGTO");
    const std::optional<PropostaPrcBase> proposta =
        propostaPrcBase(db_, ParametrosPrcBase{cliente, {}, mod, {}, semListas ? mod : QString()});
    if (!proposta)
        return;
    poe("CDPRECOBASE", proposta->cdPrecoBase);
    poe("DSPRECOBASE", proposta->dsPrecoBase);
    tela.cdPrcBase = proposta->cdPrecoBase;
    tela.dsPrcBase = proposta->dsPrecoBase;
}

void LancPedido::aplicaModPgto()
{
    // The terms come from the method: its kind, fixed day, instalments and form.
    const QString kind = qryPesqMod[QStringLiteral("IDTPFORPGTOMOD")].asString();
    poe("IDTPFORPGTPED", kind.isEmpty() ? QVariant() : QVariant(kind));
    formaPgtoClicada();
    if (kind == QLatin1String("F")) {
        poe("NRDIAPGFIXPED", qryPesqMod[QStringLiteral("NRDIAPGFIXMOD")].value());
        poe("NRPARCPGTOPED", qryPesqMod[QStringLiteral("NRPARCPGTOMOD")].value());
        poe("IDUTDIAPAGPED", qryPesqMod[QStringLiteral("IDUTDIAPAGMOD")].value());
        tela.diaFixo = qryPesqMod[QStringLiteral("NRDIAPGFIXMOD")].asString();
        tela.parcelas = qryPesqMod[QStringLiteral("NRPARCPGTOMOD")].asString();
        tela.proxMes = valor("IDUTDIAPAGPED") == QLatin1String("E");
    }
    const QString forma = qryPesqMod[QStringLiteral("CDFORMPGTO")].asString();
    poe("CDFORMPGTO", forma.isEmpty() ? QVariant() : QVariant(forma));
    AtualizaFormaPgto();
    view_.atualizaTela();
}

void LancPedido::saiCdModPgto()
{
    if (!pedidoEditando())
        return;
    Vd_CdModPgto(false);
    if (EmptyString(tela.cdModPgto))
        return;
    const QString novo = valor("CDMODPGTO");
    if (qryPedido.state() == DataSetState::Edit && !stModPgto.isEmpty() && stModPgto != novo && !modalidadeMudou) {
        if (!dialogs().confirm(msg("MOD_SIT"))) {
            view_.foca(ControlePedido::CdModPgto);
            throw Abort{};
        }
        modalidadeMudou = true;
    }
    aplicaModPgto();
}

void LancPedido::cdModPgtoMudou()
{
    if (qryPedido.state() == DataSetState::Browse)
        editaPedido();
    const bool insercao = qryPedido.state() == DataSetState::Insert;
    const bool edicao = qryPedido.state() == DataSetState::Edit && Ajusta(tela.cdModPgto, 5) != valor("CDMODPGTO");
    if (!insercao && !edicao)
        return;
    tela.dsModPgto.clear();
    if (valor("IDTPFORPGTPED") != QLatin1String("V")) {
        tela.diaFixo.clear();
        tela.parcelas.clear();
        tela.proxMes = false;
    } else {
        tela.cdFormPgto.clear();
        tela.nmFormPgto.clear();
    }
}

void LancPedido::pesquisaModPgto()
{
    if (!pesquisa_ || pedidoExportado())
        return;
    preparaLista(QStringLiteral("SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, NRPARCPGTOMOD, NRDIAPGFIXMOD, IDUTDIAPAGMOD "
                                   "FROM MODPGTO ORDER BY CDMODPGTO"));
    qryLista.defineField(QStringLiteral("CDMODPGTO")).displayLabel = QStringLiteral("Código");
    qryLista.defineField(QStringLiteral("DSMODPGTO")).displayLabel = QStringLiteral("Descrição");
    for (const char* hidden : {"CDFORMPGTO", "IDTPFORPGTOMOD", "NRPARCPGTOMOD", "NRDIAPGFIXMOD", "IDUTDIAPAGMOD"})
        qryLista.defineField(QString::fromLatin1(hidden)).visible = false;
    qryLista.open();
    const bool escolheu = pesquisa_(qryLista, QStringLiteral("Modalidade de Pagamento"));
    const QString codigo = escolheu ? qryLista[QStringLiteral("CDMODPGTO")].asString() : QString();
    const QString descricao = escolheu ? qryLista[QStringLiteral("DSMODPGTO")].asString() : QString();
    qryLista.close();
    if (escolheu && (qryPedido.state() != DataSetState::Browse || editaPedido())) {
        tela.cdModPgto = codigo;
        tela.dsModPgto = descricao;
        poe("CDMODPGTO", codigo);
        poe("DSMODPGTO", descricao);
        abreModPgto(codigo);
        aplicaModPgto();
    }
    view_.atualizaTela();
    view_.foca(ControlePedido::CdModPgto);
}

void LancPedido::formaPgtoClicada()
{
    if (!pedidoEditando())
        return;
    const QString kind = valor("IDTPFORPGTPED");
    const int posicao = kind == QLatin1String("F") ? 1 : kind == QLatin1String("V") ? 2 : 0;
    tela.formaPgto = posicao;
    if (posicao == 1) {
        tela.diaFixo = QStringLiteral("1");
        tela.parcelas = QStringLiteral("1");
        poe("NRDIAPGFIXPED", 1);
        poe("NRPARCPGTOPED", 1);
        tela.termos = true;
    } else {
        if (posicao == 2)
            poe("IDTPFORPGTPED", QStringLiteral("V"));
        tela.diaFixo.clear();
        tela.parcelas.clear();
        poe("NRDIAPGFIXPED", QVariant());
        poe("NRPARCPGTOPED", QVariant());
        tela.termos = false;
    }
    poe("IDUTDIAPAGPED", QStringLiteral("I"));
    tela.proxMes = false;
    poe("CDFORMPGTO", QVariant());
    tela.cdFormPgto.clear();
    tela.nmFormPgto.clear();
}

void LancPedido::FormPgto()
{
    const QString kind = listaVazia() && !pedidoEditando() ? QString() : valor("IDTPFORPGTPED");
    tela.formaPgto = kind == QLatin1String("F") ? 1 : kind == QLatin1String("V") ? 2 : 0;
    if (kind == QLatin1String("F")) {
        tela.diaFixo = valor("NRDIAPGFIXPED");
        tela.parcelas = valor("NRPARCPGTOPED");
        tela.termos = true;
    } else {
        tela.diaFixo.clear();
        tela.parcelas.clear();
        tela.termos = false;
    }
    tela.proxMes = valor("IDUTDIAPAGPED") == QLatin1String("E");
}

void LancPedido::AtualizaFormaPgto()
{
    tela.cdFormPgto = valor("CDFORMPGTO");
    tela.nmFormPgto.clear();
    if (tela.cdFormPgto.isEmpty())
        return;
    tela.nmFormPgto = db_.scalar(QStringLiteral("SELECT NMFORMPGTO FROM FORMPGTO WHERE (CDFORMPGTO = :P_CDFORMPGTO) ORDER BY CDFORMPGTO"),
                                 {{QStringLiteral("P_CDFORMPGTO"), tela.cdFormPgto}})
                         .toString();
}

void LancPedido::Vd_DiaFixo(bool boTestaVazio)
{
    if (!pedidoEditando())
        return;
    const bool pendente = qryPedido.state() == DataSetState::Insert || valor("IDSITPEDIDO") == QLatin1String("1");
    if (!pendente || tela.formaPgto != 1)
        return;
    const QString dia = tela.diaFixo.trimmed();
    if (dia.isEmpty()) {
        if (boTestaVazio)
            falha(ControlePedido::DiaFixo, PaginaPedido::Modalidade, msg("DIAFIXO_NULL"));
        return;
    }
    bool ok = false;
    const int n = dia.toInt(&ok);
    if (!ok || n < 1 || n > 31)
        falha(ControlePedido::DiaFixo, PaginaPedido::Modalidade, msg("DIAFIXO_INV"));
}

void LancPedido::diaFixoMudou()
{
    if (qryPedido.state() == DataSetState::Browse)
        editaPedido();
}

void LancPedido::saiDiaFixo() { Vd_DiaFixo(false); }

} // namespace zov
