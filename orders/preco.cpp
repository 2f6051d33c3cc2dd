// Item prices from the order's base price list, and the repricing of every
// item when the order's list or date changes.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/regras_item.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/lanc_pedido.h"

namespace zov {

QDate ItensPedido::dataDoPedido() const
{
    const QDateTime typed = parseDateTime(ctx_.tela.dataPedido);
    if (typed.isValid())
        return typed.date();
    const QVariant v = ctx_.qryPedido.active() ? ctx_.qryPedido[QStringLiteral("DTPEDIDO")].value() : QVariant();
    return v.metaType().id() == QMetaType::QDate ? v.toDate() : v.toDateTime().date();
}

bool ItensPedido::temPrecoNaData(const QString& cdPrecoBase, const QString& cdArvProd, const QDate& data, Decimal* preco)
{
    // A row without an end date is valid from its start on.
    Statement st(ctx_.db,
                 QStringLiteral("SELECT I.CDPRECOBASE, I.DTINIVALIPB, P.CDARVPROD, I.VRITEPREBASE FROM ITEMPREBASE I JOIN PRODUTO P ON "
                                "I.CDPRODUTO = P.CDPRODUTO "
                                "WHERE I.CDPRECOBASE = :P_CDPRECOBASE AND P.CDARVPROD = :P_CDARVPROD "
                                "AND (date(:P_DTPEDIDO) BETWEEN date(I.DTINIVALIPB) AND NVL(date(I.DTFIMVALIPB), date(:P_DTPEDIDO)))"));
    st.bind(QStringLiteral("P_CDPRECOBASE"), cdPrecoBase);
    st.bind(QStringLiteral("P_CDARVPROD"), cdArvProd);
    st.bind(QStringLiteral("P_DTPEDIDO"), data);
    if (!st.step())
        return false;
    if (preco)
        *preco = Decimal::fromDouble(st.rawValue(3).toDouble(), escala::kPreco);
    return true;
}

Decimal ItensPedido::ajusteModPgto() const
{
    const QVariant ajuste =
        ctx_.db.scalar(QStringLiteral("SELECT VRPEADPBASE FROM PRECOUTI WHERE (CDEMPRESA = :P_CDEMPRESA ) AND "
                                      "((CDFILIAL = :P_CDFILIAL ) OR (CDFILIAL IS NULL)) AND (CDMODPGTO = :P_CDMODPGTO ) AND "
                                      "(CDPRECOBASE = :P_CDPRECOBASE) AND (CDLIVROPRECO IS NULL)"),
                       {{QStringLiteral("P_CDEMPRESA"), EmprProc()},
                        {QStringLiteral("P_CDFILIAL"), ctx_.valor("CDFILIAL").isEmpty() ? ctx_.Filtro.Filial : ctx_.valor("CDFILIAL")},
                        {QStringLiteral("P_CDMODPGTO"), ctx_.valor("CDMODPGTO")},
                        {QStringLiteral("P_CDPRECOBASE"), ctx_.valor("CDPRECOBASE")}});
    return ajuste.isNull() ? Decimal() : Decimal::fromDouble(ajuste.toDouble(), escala::kPercentual);
}

void ItensPedido::PrecoBase(bool boMod)
{
    if (!itemEditando())
        return;
    Decimal tabela;
    if (!temPrecoNaData(ctx_.valor("CDPRECOBASE"), valorItem("CDARVPROD"), dataDoPedido(), &tabela))
        falhaItem(ColunaItem::Produto, ctx_.msg("PRECO_NAO_CAD"));
    poeDecimalItem("VRPRTABITPED", tabela);
    const Decimal preco = precoUnitario(tabela, ajusteModPgto());
    if (boMod) {
        // The same price from the new list: the discount stays as it is.
        const bool mudou = vazioItem("VRPREUNITPED") || decimalItem("VRPREUNITPED", escala::kPreco) != preco;
        poeDecimalItem("VRPREUNITPED", preco);
        if (mudou)
            GravaDescItem();
    } else if (vazioItem("VRPREUNITPED")) {
        poeDecimalItem("VRPREUNITPED", preco);
    } else if (!boPrecoAlt) {
        boPrecoAlt = true;
        poeDecimalItem("VRPREUNITPED", preco);
    }
}

void ItensPedido::reprecifica(bool boMod)
{
    // Every line priced again and stored; applied by the caller's transaction.
    EventsSuspended quiet(qryItemPedido);
    for (qryItemPedido.first(); !qryItemPedido.eof(); qryItemPedido.next()) {
        if (!boMod)
            boPrecoAlt = false;
        qryItemPedido.edit();
        PrecoBase(boMod);
        // A lower price under a discount value kept: the line the server would refuse is refused here.
        if (const auto falta =
                faltaNoItem(numeroItem("QTITEMPED"), numeroItem("VRPREUNITPED"), vazioItem("VRDESITPED") ? 0.0 : numeroItem("VRDESITPED")))
            falhaItem(ColunaItem::VrDesc, QStringLiteral("Item %1: %2").arg(valorItem("NRITEMPED"), falta->motivo));
        qryItemPedido.post();
    }
    qryItemPedido.applyUpdates();
    qryItemPedido.commitUpdates();
}

QStringList ItensPedido::produtosDosItens() const
{
    QStringList produtos;
    if (!qryItemPedido.active())
        return produtos;
    const Field& f = qryItemPedido[QStringLiteral("CDARVPROD")];
    const int digitada = itemEditando() ? qryItemPedido.storageRowAt(qryItemPedido.recNo() - 1) : -1;
    for (int row = 0; row < qryItemPedido.storageCount(); ++row) {
        const QString produto = row == digitada ? f.asString() : qryItemPedido.valueAt(row, f.index()).toString();
        if (!produto.trimmed().isEmpty())
            produtos << produto;
    }
    return produtos;
}

bool ItensPedido::MudaPrcBase()
{
    const QString lista = ctx_.valor("CDPRECOBASE");
    if (lista.isEmpty() || ctx_.valor("CDMODPGTO").isEmpty())
        return false;
    releItens();
    const QDate data = dataDoPedido();
    for (const QString& produto : produtosDosItens())
        if (!temPrecoNaData(lista, produto, data))
            ctx_.falha(ControlePedido::PrcBase, PaginaPedido::Modalidade, ctx_.msg("MOD_NAO_ALT"));
    if (lista == ctx_.qryPedido[QStringLiteral("CDPRECOBASE")].oldValue().toString())
        return false;
    if (!dialogs().confirm(ctx_.msg("ALT_MOD"))) {
        descartaCabecalho(true);
        throw Abort{};
    }
    return true;
}

bool ItensPedido::MudaData(bool reprecificaItens)
{
    if (ctx_.qryPedido.state() != DataSetState::Edit)
        return false;
    releItens();
    const QDate data = dataDoPedido();
    for (const QString& produto : produtosDosItens())
        if (!temPrecoNaData(ctx_.valor("CDPRECOBASE"), produto, data))
            ctx_.falha(ControlePedido::DataPedido, PaginaPedido::DadosGerais, ctx_.msg("DATA_NAO_ALT"));
    if (!reprecificaItens)
        return false;
    if (!dialogs().confirm(ctx_.msg("MUDA_PRECO"))) {
        descartaCabecalho(false);
        throw Abort{};
    }
    return true;
}

void ItensPedido::descartaCabecalho(bool boMod)
{
    // The header goes back as stored; a line or an observation being typed
    // stays as typed, with the header in edit so that Confirm still stores them.
    const bool emCurso = itemEditando() || ctx_.observacao->observacaoEditando();
    {
        EventsSuspended quiet(ctx_.qryPedido);
        ctx_.qryPedido.cancel();
        ctx_.qryPedido.cancelUpdates();
        if (emCurso && !ctx_.listaVazia())
            ctx_.qryPedido.edit();
    }
    ctx_.pagamento->esqueceModPgto();
    if (emCurso)
        ctx_.pagamento->lembraModPgto();
    ctx_.registro->marcaDescartado();
    ctx_.registro->mostraPedidoNaTela();
    ctx_.view.atualizaTela();
    ctx_.atualizaComandos();
    // The line being typed was priced on the list or date just dropped.
    if (itemEditando() && !vazioItem("CDARVPROD")) {
        if (!boMod)
            boPrecoAlt = false;
        PrecoBase(boMod);
    }
}

} // namespace zov
