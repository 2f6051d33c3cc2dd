// The items of the order: numbering, checks, the store with its discount
// rules, and the keys of the items grid.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/regras_item.h"
#include "library/retrato.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/lanc_pedido.h"
#include "orders/mensagens.h"
#include "session/GeralZOV.h"

#include <array>

namespace zov {

// The discount value as the line shows it: cut, not rounded, to two decimals.
Decimal descontoCortado(double valor) { return Decimal::fromDouble(valor, escala::kValor).truncated(escala::kDinheiro); }

const char* const kCamposItem[kColunasItem] = {"NRITEMPED",    "CDARVPROD", "NMPRODUTO",  "QTITEMPED", "SGUNIDADE",
                                               "VRPREUNITPED", "PERDESC",   "VRDESITPED", "VrTotal",   "DTENTITPED"};

QString textoItem(const Field& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    if (field.fieldName() == QLatin1String("CDARVPROD"))
        return DBPictObj(0).format(value.toString());
    // The line counts the discount cut, so the grid shows it cut.
    if (field.fieldName() == QLatin1String("VRDESITPED"))
        return formatNumber(descontoCortado(value.toDouble()), field.displayFormat);
    return field.displayTextOf(value);
}

TextosTotais textosTotais(const TotaisPedido& t)
{
    const QString fmt = QStringLiteral("#,##0.00");
    return {formatNumber(t.bruto, fmt), formatNumber(t.liquido, fmt), formatNumber(t.descMedio, QStringLiteral("#,##0.00 %")),
            formatNumber(t.descTotal, fmt)};
}

ItensPedido::ItensPedido(ContextoPedido& ctx) : qryItemPedido(&ctx.db, QStringLiteral("qryItemPedido")), ctx_(ctx)
{
    ctx_.itens = this;
    BancoPedido::configuraQryItemPedido(qryItemPedido);
    qryItemPedido.setUpdateSql(BancoPedido::updateSqlItem());
    qryItemPedido.beforeEdit = [this](Query&) {
        boPrecoAlt = false;
        boValorDigitado = false;
    };
    // Whichever of value and percentage was set last leads (the program's own sets put it back).
    qryItemPedido.defineField(QStringLiteral("VRDESITPED")).onChange = [this](Field&) { boValorDigitado = true; };
    qryItemPedido.defineField(QStringLiteral("PERDESC")).onChange = [this](Field&) { boValorDigitado = false; };
    qryItemPedido.afterEdit = [this](Query&) { perguntaProdutoRepetido = true; };
    // An item edited puts a browsing header into edit (an exported order refuses it).
    qryItemPedido.onStateChange = [this](Query& q) {
        if ((q.state() == DataSetState::Edit || q.state() == DataSetState::Insert) && ctx_.qryPedido.state() == DataSetState::Browse
            && !ctx_.registro->editaPedido())
            q.cancel();
        ctx_.atualizaComandos();
    };
    // What the order's customer paid last for the line's product (the
    // window shows it after the delivery).
    Field& ultimo = qryItemPedido.addCalculatedField(QStringLiteral("UltPreco"), FieldKind::Text);
    ultimo.displayLabel = QStringLiteral("Últ. Preço");
    ultimo.displayWidth = 18;
    qryItemPedido.onCalcFields = [this, valores = qryItemPedido.onCalcFields, &ultimo](Query& q) {
        valores(q);
        leUltimosPrecos(); // the customer may have been typed since the items opened
        const auto u = ultimosPrecos_.constFind(q[QStringLiteral("CDPRODUTO")].asString());
        ultimo.setValue(u == ultimosPrecos_.cend()
                            ? QVariant()
                            : QVariant(textoUltimoPreco(*u, q[QStringLiteral("VRPREUNITPED")].asDecimal(escala::kPreco))));
    };
    // The grid's key fields: typed only while an item is being inserted.
    qryItemPedido.defineField(QStringLiteral("CDARVPROD")).tag = 1;
    qryItemPedido.defineField(QStringLiteral("IDITPEDDIFER")).tag = 1;
}

void ItensPedido::entregaSegueCabecalho(const QDate& data)
{
    // Only a line being inserted that already has its delivery: it keeps its time of day.
    if (qryItemPedido.state() != DataSetState::Insert || vazioItem("DTENTITPED") || !data.isValid())
        return;
    const QTime hora = qryItemPedido[QStringLiteral("DTENTITPED")].asDateTime().time();
    poeItem("DTENTITPED", QDateTime(data, hora));
}

void ItensPedido::bloqueiaPreco(bool bloqueia)
{
    boBloqueiaPreco = bloqueia;
    ctx_.view.precoEditavel(!boBloqueiaPreco);
}

void ItensPedido::reiniciaDescontos()
{
    stUltVal.clear();
    perguntaLimiteDesconto = true;
    doPerAnt = doValAnt = -1;
}

QString ItensPedido::valorItem(const char* field) const
{
    if (!qryItemPedido.active())
        return {};
    return qryItemPedido.fieldByName(QString::fromLatin1(field)).asString();
}

void ItensPedido::poeItem(const char* field, const QVariant& value)
{
    qryItemPedido.fieldByName(QString::fromLatin1(field)).setValue(value);
}

double ItensPedido::numeroItem(const char* field) const { return qryItemPedido.fieldByName(QString::fromLatin1(field)).asFloat(); }

Decimal ItensPedido::decimalItem(const char* field, int escala) const
{
    return qryItemPedido.fieldByName(QString::fromLatin1(field)).asDecimal(escala);
}

void ItensPedido::poeDecimalItem(const char* field, const Decimal& valor)
{
    qryItemPedido.fieldByName(QString::fromLatin1(field)).setDecimal(valor);
}

Decimal ItensPedido::descontoDoPercentual() const
{
    return zov::descontoDoPercentual(decimalItem("VRPREUNITPED", escala::kPreco), decimalItem("QTITEMPED", escala::kQuantidade),
                                     decimalItem("PERDESC", escala::kPercentual));
}

Decimal ItensPedido::percentualDoDesconto() const
{
    return zov::percentualDoDesconto(decimalItem("VRPREUNITPED", escala::kPreco), decimalItem("QTITEMPED", escala::kQuantidade),
                                     decimalItem("VRDESITPED", escala::kValor));
}

bool ItensPedido::vazioItem(const char* field) const { return qryItemPedido.fieldByName(QString::fromLatin1(field)).isNull(); }

bool ItensPedido::itemEditando() const
{
    return qryItemPedido.state() == DataSetState::Edit || qryItemPedido.state() == DataSetState::Insert;
}

bool ItensPedido::itemIntocado() const { return qryItemPedido.state() == DataSetState::Insert && !qryItemPedido.modified(); }

void ItensPedido::descartaItemIntocado()
{
    if (itemIntocado())
        qryItemPedido.cancel();
}

void ItensPedido::falhaItem(ColunaItem coluna, const QString& texto)
{
    if (ctx_.view.paginaAtual() != PaginaPedido::Itens)
        ctx_.view.mostraPagina(PaginaPedido::Itens);
    ctx_.view.focaColunaItem(coluna);
    MensErro(linhaEmDigitacao_ + texto, true);
    throw Abort{};
}

QString ItensPedido::PrxCodItPedido()
{
    const QVariant n =
        ctx_.db.scalar(QStringLiteral("SELECT NVL((MAX(CAST(NRITEMPED AS INTEGER)) + 1), 0) NRITEMPED FROM ITEMPEDIDO "
                                      "WHERE (CDFILIAL = :P_CDFILIAL) AND (NRPEDIDO = :P_NRPEDIDO)"),
                       {{QStringLiteral("P_CDFILIAL"), ctx_.Filtro.Filial}, {QStringLiteral("P_NRPEDIDO"), ctx_.valor("NRPEDIDO")}});
    qint64 proximo = std::max<qint64>(n.toLongLong(), 1);
    // Lines not yet written (a repeated order) hold numbers too.
    if (qryItemPedido.active() && qryItemPedido.updatesPending()) {
        const int campo = qryItemPedido[QStringLiteral("NRITEMPED")].index();
        for (int pos = 0; pos < qryItemPedido.fetchedCount(); ++pos)
            proximo = std::max(proximo, qryItemPedido.valueAt(qryItemPedido.storageRowAt(pos), campo).toLongLong() + 1);
    }
    return Ajusta(QString::number(proximo), 10);
}

// ---------------------------------------------------------------- insert and edit

void ItensPedido::incluirItem()
{
    if (itemEditando())
        return;
    // Before insert: an item needs the order's payment method.
    if (ctx_.valor("CDMODPGTO").isEmpty() && EmptyString(ctx_.tela.cdModPgto))
        ctx_.falha(ControlePedido::CdModPgto, PaginaPedido::Modalidade, ctx_.msg("MODPGT"));
    if (!ctx_.pedidoEditando() && !ctx_.registro->editaPedido())
        return;
    {
        EventsSuspended quiet(qryItemPedido);
        qryItemPedido.append();
    }
    novoItem();
    ctx_.atualizaComandos();
}

void ItensPedido::novoItem()
{
    EventsSuspended quiet(qryItemPedido);
    poeItem("NRPEDIDO", ctx_.valor("NRPEDIDO"));
    poeItem("CDFILIAL", ctx_.Filtro.Filial);
    poeItem("NRITEMPED", PrxCodItPedido());
    if (!stUltVal.isEmpty())
        poeItem("PERDESC", parseNumber(stUltVal));
    qryItemPedido.clearModified();
    perguntaProdutoRepetido = true;
    boPrecoAlt = false;
    boValorDigitado = false;
    ctx_.view.focaColunaItem(ColunaItem::Produto);
}

void ItensPedido::alterarItem()
{
    if (itemEditando() || !qryItemPedido.active() || qryItemPedido.isEmpty())
        return;
    if (!ctx_.pedidoEditando() && !ctx_.registro->editaPedido())
        return;
    boPrecoAlt = false;
    qryItemPedido.edit();
    perguntaProdutoRepetido = true;
    ctx_.view.focaColunaItem(ColunaItem::Quantidade);
    ctx_.atualizaComandos();
}

// ---------------------------------------------------------------- checks

void ItensPedido::Vd_CdProduto(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    ctx_.view.precoEditavel(true);
    try {
        const QString codigo = valorItem("CDARVPROD").trimmed();
        if (codigo.isEmpty()) {
            if (boTestaVazio)
                falhaItem(ColunaItem::Produto, ctx_.msg("CD_NULO"));
            ctx_.view.precoEditavel(!boBloqueiaPreco);
            return;
        }
        Statement st(
            ctx_.db,
            QStringLiteral("SELECT B.CDARVPROD, A.NMPRODUTO, A.SGUNIDADE, B.VRPESOUNID, A.CDPRODESTO, A.VRFATOCONV, B.SGUNIDADE SGUNIDPAI, "
                           "A.CDPRODUTO, A.IDPRODATIVPR FROM PRODUTO A JOIN PRODUTO B ON B.CDPRODUTO = A.CDPRODESTO "
                           "WHERE (A.CDARVPROD = :P_CDARVPROD) ORDER BY A.CDARVPROD"));
        st.bind(QStringLiteral("P_CDARVPROD"), codigo);
        if (!st.step())
            falhaItem(ColunaItem::Produto, ctx_.msg("CD_INV"));
        if (st.rawValue(8).toString() == QLatin1String("N"))
            falhaItem(ColunaItem::Produto, ctx_.msg("PR_INAT"));
        const QString cdProduto = st.rawValue(7).toString();
        const bool novo = qryItemPedido.state() == DataSetState::Insert;
        if (novo && boTestaVazio && perguntaProdutoRepetido) {
            const bool existe = ctx_.db
                                    .scalar(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO I WHERE (CDFILIAL = :P_CDFILIAL ) AND "
                                                           "(NRPEDIDO = :P_NRPEDIDO ) AND (CDPRODUTO = :P_CDPRODUTO)"),
                                            {{QStringLiteral("P_CDFILIAL"), ctx_.Filtro.Filial},
                                             {QStringLiteral("P_NRPEDIDO"), ctx_.valor("NRPEDIDO")},
                                             {QStringLiteral("P_CDPRODUTO"), cdProduto}})
                                    .toInt()
                > 0;
            if (existe) {
                perguntaProdutoRepetido = false;
                if (!dialogs().confirm(ctx_.msg("CD_EXIS"))) {
                    perguntaProdutoRepetido = true;
                    ctx_.view.focaColunaItem(ColunaItem::Produto);
                    throw Abort{};
                }
            }
        }
        const QVariant lido = qryItemPedido.fieldByName(QStringLiteral("CDARVPROD")).oldValue();
        if (novo || lido.toString() != codigo)
            PrecoBase(false);
        const Decimal fator = st.rawValue(5).isNull() ? Decimal(1) : decimalLido(st.rawValue(5), escala::kPreco);
        const Decimal peso = decimalLido(st.rawValue(3), escala::kPreco);
        poeItem("CDPRODUTO", cdProduto);
        poeItem("CDPRODESTO", st.rawValue(4));
        poeItem("NMPRODUTO", st.rawValue(1));
        const QDate entrega = parseDateTime(ctx_.tela.dataEntrega).date();
        poeItem("DTENTITPED", entrega.isValid() ? QVariant(QDateTime(entrega, horaAtual())) : QVariant());
        if (!st.rawValue(2).toString().isEmpty())
            poeItem("SGUNIDADE", st.rawValue(2));
        poeDecimalItem("VRPESOITPED", peso * (decimalItem("QTITEMPED", escala::kQuantidade) * fator));
        if (!boTestaVazio)
            ctx_.view.focaColunaItem(ColunaItem::Quantidade);
    } catch (...) {
        ctx_.view.precoEditavel(!boBloqueiaPreco);
        throw;
    }
    ctx_.view.precoEditavel(!boBloqueiaPreco);
}

void ItensPedido::Vd_Quantidade(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    if (vazioItem("QTITEMPED")) {
        if (boTestaVazio)
            falhaItem(ColunaItem::Quantidade, ctx_.msg("QT_NULO"));
        return;
    }
    if (numeroItem("QTITEMPED") <= 0)
        falhaItem(ColunaItem::Quantidade, ctx_.msg("QTITEM"));
    Statement st(ctx_.db,
                 QStringLiteral("SELECT B.VRPESOUNID, A.VRFATOCONV FROM PRODUTO A JOIN PRODUTO B ON B.CDPRODUTO = A.CDPRODESTO "
                                "WHERE (A.CDARVPROD = :P_CDARVPROD)"));
    st.bind(QStringLiteral("P_CDARVPROD"), valorItem("CDARVPROD"));
    if (st.step()) {
        const Decimal fator = st.rawValue(1).isNull() ? Decimal(1) : decimalLido(st.rawValue(1), escala::kPreco);
        const Decimal convertida = decimalItem("QTITEMPED", escala::kQuantidade) * fator;
        poeDecimalItem("QTITEMPED2", convertida);
        poeDecimalItem("VRPESOITPED", decimalLido(st.rawValue(0), escala::kPreco) * convertida);
    }
}

void ItensPedido::Vd_Preco(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    if (vazioItem("VRPREUNITPED")) {
        if (boTestaVazio)
            falhaItem(ColunaItem::Preco, ctx_.msg("VR_NULO"));
        return;
    }
    if (numeroItem("VRPREUNITPED") <= 0)
        falhaItem(ColunaItem::Preco, ctx_.msg("VRUNIT"));
}

void ItensPedido::Vd_DtEntItPed(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    if (vazioItem("DTENTITPED")) {
        if (boTestaVazio)
            falhaItem(ColunaItem::Entrega, ctx_.msg("DtEntrega_inf"));
        return;
    }
    const QTime hora = qryItemPedido.fieldByName(QStringLiteral("DTENTITPED")).asDateTime().time();
    if (hora.hour() == 0 && hora.minute() == 0)
        falhaItem(ColunaItem::Entrega, ctx_.msg("HR_N_INF"));
}

void ItensPedido::Vd_RegrasItem()
{
    if (!itemEditando())
        return;
    const double desconto = vazioItem("VRDESITPED") ? 0.0 : numeroItem("VRDESITPED");
    const std::optional<FaltaItem> linha = faltaNoItem(numeroItem("QTITEMPED"), numeroItem("VRPREUNITPED"), desconto);
    const std::optional<FaltaItem> percentual = vazioItem("PERDESC") ? std::nullopt : faltaNoPercentual(numeroItem("PERDESC"));
    // What the user typed last is what is named: a value typed makes the percentage.
    const bool valorPrimeiro = boValorDigitado || (linha && linha->campo != u"VRDESITPED");
    for (const std::optional<FaltaItem>* falta : valorPrimeiro ? std::array{&linha, &percentual} : std::array{&percentual, &linha}) {
        if (!*falta)
            continue;
        const QString& campo = (*falta)->campo;
        const ColunaItem coluna = falta == &percentual ? ColunaItem::PerDesc
            : campo == u"QTITEMPED"                    ? ColunaItem::Quantidade
            : campo == u"VRPREUNITPED"                 ? ColunaItem::Preco
                                                       : ColunaItem::VrDesc;
        falhaItem(coluna, (*falta)->motivo);
    }
}

bool ItensPedido::mudouNoItem(const char* field) const
{
    if (qryItemPedido.state() != DataSetState::Edit)
        return true;
    const Field& f = qryItemPedido[QString::fromLatin1(field)];
    const QVariant antes = f.oldValue();
    if (antes.isNull() || f.isNull())
        return antes.isNull() != f.isNull();
    if (f.kind() == FieldKind::Number)
        return Decimal::fromDouble(antes.toDouble(), escala::kPreco) != Decimal::fromDouble(f.asFloat(), escala::kPreco);
    return antes.toString().trimmed() != f.asString().trimmed();
}

void ItensPedido::GravaDescItem()
{
    if (!itemEditando())
        return;
    poeDecimalItem("VRDESITPED", descontoDoPercentual());
    boValorDigitado = false;
}

// ---------------------------------------------------------------- store

void ItensPedido::antesDoPostItem()
{
    // 1-2: situation and operator; the percentage follows a quantity just typed.
    poeItem("IDSITITEMPED",
            BancoPedido::LancPedSit(ctx_.qryPedido.state() == DataSetState::Insert ? QStringLiteral("1") : ctx_.valor("IDSITPEDIDO")));
    poeItem("CDOPERADOR", CdOperador());
    if (ctx_.view.colunaItem() == ColunaItem::Quantidade && !vazioItem("PERDESC")) {
        if (numeroItem("VRPREUNITPED") > 0 && numeroItem("QTITEMPED") > 0 && mudouNoItem("QTITEMPED")) {
            GravaDescItem();
            poeDecimalItem("PERDESC", percentualDoDesconto());
        }
        doValAnt = numeroItem("VRDESITPED");
    }
    // 4-5: the checks.
    boInsere = qryItemPedido.state() == DataSetState::Insert;
    ctx_.cabecalho->Vd_Cliente(true);
    Vd_Quantidade(true);
    Vd_Preco(true);
    ctx_.cabecalho->Vd_DataEntrega(true);
    Vd_CdProduto(true);
    // 6-7: the payment method's discount for a new item, within the maximum allowed.
    if (stUltVal.isEmpty())
        stUltVal = QStringLiteral("0");
    const QVariant cliMax = ctx_.db.scalar(QStringLiteral("SELECT VRPEMAXDESCL FROM CLIENTE WHERE CDCLIENTE = :P_CDCLIENTE"),
                                           {{QStringLiteral("P_CDCLIENTE"), ctx_.valor("CDCLIENTE")}});
    const QVariant venMax = ctx_.db.scalar(QStringLiteral("SELECT VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR"),
                                           {{QStringLiteral("P_CDVENDEDOR"), ctx_.valor("CDVENDEDOR")}});
    if (boInsere && numeroItem("PERDESC") == 0 && parseNumber(stUltVal) == 0) {
        const Decimal m = ctx_.pagamento->descontoModPgto();
        const Decimal maxCliente = decimalLido(cliMax, escala::kPercentual);
        const Decimal maxVendedor = decimalLido(venMax, escala::kPercentual);
        std::optional<Decimal> limite;
        if (!cliMax.isNull() && maxCliente < m)
            limite = maxCliente;
        else if (cliMax.isNull() && !venMax.isNull() && maxVendedor < m)
            limite = maxVendedor;
        if (limite) {
            if (perguntaLimiteDesconto) {
                const QString pct = QStringLiteral("#,##0.00 %");
                QString pergunta = ctx_.msg("Per_Max");
                for (const Decimal& v : {m, *limite}) {
                    const int at = pergunta.indexOf(QStringLiteral("%s"));
                    if (at >= 0)
                        pergunta.replace(at, 2, formatNumber(v, pct));
                }
                if (!dialogs().confirm(pergunta))
                    throw Abort{};
                perguntaLimiteDesconto = false;
            }
            poeDecimalItem("PERDESC", *limite);
        } else {
            poeDecimalItem("PERDESC", m);
        }
        GravaDescItem();
    }
    // 8-9: the maximum that applied, and a discount within the line.
    poeItem("VRPEDEMAXIPE", !cliMax.isNull() ? cliMax : venMax);
    if (!vazioItem("VRDESITPED")
        && decimalItem("VRDESITPED", escala::kValor).rounded(escala::kDinheiro) > decimalItem("VrTotalAux", escala::kDinheiro))
        falhaItem(ColunaItem::VrDesc, ctx_.msg("Desc>VrTotal"));
    // 10-11.
    Vd_DtEntItPed(true);
    poeItem("QTEXPITEMPED", 0.0);
    Seta_Campo_Null(qryItemPedido);
    // 13. A value typed is stored as typed: the percentage follows it, never the reverse.
    if (boValorDigitado && !vazioItem("VRDESITPED")) {
        if (numeroItem("VRPREUNITPED") > 0 && numeroItem("QTITEMPED") > 0) {
            poeDecimalItem("PERDESC", percentualDoDesconto());
            boValorDigitado = true;
        }
    } else if ((numeroItem("PERDESC") > 0 && vazioItem("VRDESITPED")) || boPrecoAlt) {
        GravaDescItem();
    }
    // 14. Whatever way the values came (typed, pasted, an editor still open), the shared rules.
    Vd_RegrasItem();
}

void ItensPedido::gravaItem()
{
    if (!itemEditando())
        return;
    CheckGuard guard;
    const RegistroPedido::RetratoPedido antes = ctx_.registro->retrataParaGravar();
    // A failure that names no column leaves the keys where they were, so Enter tries again.
    const ColunaItem onde = ctx_.view.colunaItem();
    bool gravando = false;
    try {
        // The order row always exists before its first item; both go in one transaction.
        const RegistroPedido::PreparoGravacao preparo = ctx_.registro->preparaGravacao(false);
        gravando = true;
        ctx_.db.transaction([&] { ctx_.registro->gravaPreparado(preparo); });
    } catch (const Abort&) {
        if (gravando) {
            ctx_.registro->restauraTudo(antes);
        } else {
            if (!itemEditando()) {
                restaura(antes.item);
                boValorDigitado = antes.valorDigitado;
            }
            ctx_.registro->restauraSeNaoDescartado(antes);
        }
        ctx_.atualizaComandos();
        throw;
    } catch (const std::exception& e) {
        // Nothing was written: the grid keeps the item in edit, as typed, and says why.
        ctx_.registro->restauraTudo(antes);
        ctx_.atualizaComandos();
        ctx_.view.atualizaTela();
        falhaItem(onde, ctx_.msg("erro_grav_item") + QLatin1Char('\n') + QString::fromUtf8(e.what()));
    }
    aposGravarItem();
}

void ItensPedido::aposGravarItem()
{
    ctx_.pagamento->esqueceModPgto();
    VrTotalItemPed();
    stUltVal = formatFloat(numeroItem("PERDESC"));
    doPerAnt = -1;
    doValAnt = -1;
    perguntaProdutoRepetido = true;
    ctx_.registro->mostraPedidoNaTela();
    ctx_.view.atualizaTela();
    ctx_.atualizaComandos();
}

// ---------------------------------------------------------------- grid

void ItensPedido::entraGradeItens() { ctx_.atualizaComandos(); }

void ItensPedido::saiColunaItem(ColunaItem coluna, bool saiDaGrade)
{
    // A new line nothing was typed into goes when the grid is left.
    if (saiDaGrade && itemIntocado()) {
        qryItemPedido.cancel();
        ctx_.atualizaComandos();
        return;
    }
    if (!itemEditando())
        return;
    const bool temPrecoQtd = numeroItem("VRPREUNITPED") > 0 && numeroItem("QTITEMPED") > 0;
    switch (coluna) {
    case ColunaItem::Produto:
        Vd_CdProduto(false);
        if (numeroItem("PERDESC") > 0 && !vazioItem("QTITEMPED") && (mudouNoItem("CDARVPROD") || mudouNoItem("VRPREUNITPED")))
            GravaDescItem();
        break;
    case ColunaItem::Quantidade:
        Vd_Quantidade(false);
        if (!vazioItem("QTITEMPED"))
            if (const auto falta = faltaNaQuantidade(numeroItem("QTITEMPED")))
                falhaItem(ColunaItem::Quantidade, falta->motivo);
        if (!vazioItem("PERDESC")) {
            if (temPrecoQtd && mudouNoItem("QTITEMPED"))
                GravaDescItem();
            doValAnt = numeroItem("VRDESITPED");
        }
        break;
    case ColunaItem::Preco:
        Vd_Preco(false);
        if (saiDaGrade && mudouNoItem("VRPREUNITPED"))
            GravaDescItem();
        break;
    case ColunaItem::VrDesc: {
        const Decimal valor = decimalItem("VRDESITPED", escala::kValor);
        const Decimal total = decimalItem("VrTotalAux", escala::kDinheiro);
        if (saiDaGrade ? valor > total : valor.rounded(escala::kDinheiro) > total)
            falhaItem(ColunaItem::VrDesc, ctx_.msg("Desc>VrTotal"));
        if (const auto falta = faltaNoDesconto(numeroItem("VRPREUNITPED"), numeroItem("QTITEMPED"), numeroItem("VRDESITPED")))
            falhaItem(ColunaItem::VrDesc, falta->motivo);
        if (numeroItem("VRDESITPED") != doValAnt && temPrecoQtd) {
            poeDecimalItem("PERDESC", percentualDoDesconto());
            boValorDigitado = true;
        }
        doPerAnt = numeroItem("PERDESC");
        break;
    }
    case ColunaItem::PerDesc:
        if (numeroItem("PERDESC") > 100)
            falhaItem(ColunaItem::PerDesc, ctx_.msg("Desc>100"));
        if (const auto falta = faltaNoPercentual(numeroItem("PERDESC")))
            falhaItem(ColunaItem::PerDesc, falta->motivo);
        if (numeroItem("PERDESC") != doPerAnt && temPrecoQtd)
            GravaDescItem();
        doValAnt = numeroItem("VRDESITPED");
        break;
    case ColunaItem::Entrega:
        if (!saiDaGrade)
            Vd_DtEntItPed(false);
        break;
    default: break;
    }
}

void ItensPedido::teclaProduto(bool apaga)
{
    boPrecoAlt = false;
    if (apaga && itemEditando()) {
        for (const char* f : {"CDARVPROD", "NMPRODUTO", "SGUNIDADE", "VRPREUNITPED"})
            poeItem(f, QVariant());
    }
}

void ItensPedido::teclaPreco()
{
    if (!boBloqueiaPreco)
        boPrecoAlt = true;
}

void ItensPedido::apagaItem(ColunaItem coluna)
{
    // Backspace on a stored new item starts it again from the product or the name.
    if (itemEditando() || !qryItemPedido.active() || qryItemPedido.isEmpty() || valorItem("IDSITITEMPED") != QLatin1String("1"))
        return;
    if (coluna != ColunaItem::Produto && coluna != ColunaItem::Nome)
        return;
    if (!ctx_.pedidoEditando() && !ctx_.registro->editaPedido())
        return;
    qryItemPedido.edit();
    perguntaProdutoRepetido = true;
    const char* const limpa[] = {coluna == ColunaItem::Produto ? "NMPRODUTO" : "CDARVPROD", "SGUNIDADE", "VRPREUNITPED", "QTITEMPED"};
    for (const char* f : limpa)
        poeItem(f, QVariant());
    ctx_.atualizaComandos();
}

void ItensPedido::enterItem()
{
    // Enter on the discount value ends the line: store it and begin the next.
    if (itemEditando()) {
        saiColunaItem(ColunaItem::VrDesc);
        gravaItem();
        incluirItem();
        return;
    }
    if (!qryItemPedido.active())
        return;
    if (qryItemPedido.recNo() < qryItemPedido.recordCount()) {
        qryItemPedido.next();
        ctx_.view.focaColunaItem(ColunaItem::Produto);
    } else if (ctx_.registro->comandos().incluir || ctx_.pedidoEditando()) {
        incluirItem();
    }
}

void ItensPedido::pesquisaProduto()
{
    if (!ctx_.pesquisa || !itemEditando() || ctx_.view.colunaItem() != ColunaItem::Produto)
        return;
    const QString segmento = ctx_.db
                                 .scalar(QStringLiteral("SELECT CDSEGMER FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL"),
                                         {{QStringLiteral("P_CDFILIAL"), ctx_.Filtro.Filial}})
                                 .toString();
    QString titulo = ctx_.msg("PRODUTO");
    if (segmento.isEmpty()) {
        ctx_.preparaLista(
            QStringLiteral("SELECT P.CDARVPROD, P.CDPRODUTO, P.CDPRODESTO, P.NMPRODUTO, P.SGUNIDADE, P.CDNVPRODUTO, P.CDPRODINTE "
                           "FROM PRODUTO P JOIN ITEMPREBASE I ON I.CDPRODUTO = P.CDPRODUTO WHERE P.CDNVPRODUTO = :P_CDNVPRODUTO AND "
                           "I.CDPRECOBASE = :P_CDPRECOBASE "
                           "AND P.IDPRODATIVPR = 'S' AND ((:P_IDTABPRECO = '2') OR ((:P_IDPERALTPRECO = 'S') OR (I.VRITEPREBASE IS NOT "
                           "NULL))) ORDER BY P.CDARVPROD"));
        ctx_.qryLista.setParam(QStringLiteral("P_CDNVPRODUTO"), QString::number(DBPictObj(0).GetTtNiveis()));
        titulo += QLatin1Char('|') + ctx_.msg("PROD_CAD");
    } else {
        ctx_.preparaLista(QStringLiteral(
            "SELECT P.CDPRODUTO, P.CDARVPROD, P.CDPRODESTO, P.NMPRODUTO, P.SGUNIDADE, P.CDNVPRODUTO, P.CDPRODINTE FROM PRODUTO P "
            "JOIN PRODUTOSEG S ON S.CDPRODUTO = P.CDPRODUTO JOIN ITEMPREBASE I ON I.CDPRODUTO = P.CDPRODUTO "
            "WHERE S.CDSEGMER = :P_CDSEGMER AND I.CDPRECOBASE = :P_CDPRECOBASE AND P.IDPRODATIVPR = 'S' "
            "AND ((S.IDPROSEGATIV = 'S') OR (S.IDPROSEGATIV IS NULL)) "
            "AND ((:P_IDTABPRECO = '2') OR ((:P_IDPERALTPRECO = 'S') OR (I.VRITEPREBASE IS NOT NULL))) ORDER BY P.CDARVPROD"));
        ctx_.qryLista.setParam(QStringLiteral("P_CDSEGMER"), segmento);
        titulo += QLatin1Char('|') + ctx_.msg("Nao_ha_Produto_Seg");
    }
    ctx_.qryLista.setParam(QStringLiteral("P_CDPRECOBASE"), ctx_.valor("CDPRECOBASE"));
    ctx_.qryLista.setParam(QStringLiteral("P_IDTABPRECO"), QVariant());
    ctx_.qryLista.setParam(QStringLiteral("P_IDPERALTPRECO"), QVariant());
    ctx_.qryLista.defineField(QStringLiteral("CDARVPROD")).displayLabel = QStringLiteral("Código");
    ctx_.qryLista.defineField(QStringLiteral("NMPRODUTO")).displayLabel = QStringLiteral("Nome");
    ctx_.qryLista.defineField(QStringLiteral("CDPRODINTE")).displayLabel = QStringLiteral("Código Externo");
    for (const char* hidden : {"CDPRODUTO", "CDPRODESTO", "SGUNIDADE", "CDNVPRODUTO"})
        ctx_.qryLista.defineField(QString::fromLatin1(hidden)).visible = false;
    ctx_.qryLista.open();
    ctx_.view.precoEditavel(true);
    const bool escolheu = ctx_.pesquisa(ctx_.qryLista, titulo);
    if (escolheu && itemEditando()) {
        // Another product takes its own list price, not one typed for the product before.
        boPrecoAlt = false;
        poeItem("CDARVPROD", ctx_.qryLista[QStringLiteral("CDARVPROD")].value());
        const QVariant cdProduto = ctx_.qryLista[QStringLiteral("CDPRODUTO")].value();
        const QVariant nome = ctx_.qryLista[QStringLiteral("NMPRODUTO")].value();
        const QVariant unidade = ctx_.qryLista[QStringLiteral("SGUNIDADE")].value();
        ctx_.qryLista.close();
        try {
            PrecoBase(false);
        } catch (...) {
            ctx_.view.precoEditavel(!boBloqueiaPreco);
            throw;
        }
        poeItem("CDPRODUTO", cdProduto);
        poeItem("NMPRODUTO", nome);
        poeItem("SGUNIDADE", unidade);
        ctx_.view.focaColunaItem(ColunaItem::Quantidade);
    }
    ctx_.qryLista.close();
    ctx_.view.precoEditavel(!boBloqueiaPreco);
}

void ItensPedido::abreItens()
{
    boPrecoAlt = false;
    leUltimosPrecos();
    qryItemPedido.close();
    qryItemPedido.setParam(QStringLiteral("CDFILIAL"),
                           ctx_.listaVazia() && !ctx_.pedidoEditando() ? ctx_.Filtro.Filial : ctx_.valor("CDFILIAL"));
    qryItemPedido.setParam(QStringLiteral("NRPEDIDO"), ctx_.listaVazia() && !ctx_.pedidoEditando() ? QString() : ctx_.valor("NRPEDIDO"));
    qryItemPedido.open();
    VrTotalItemPed();
}

void ItensPedido::leUltimosPrecos()
{
    const QString cliente = ctx_.valor("CDCLIENTE");
    const QString chave = cliente + QLatin1Char('|') + ctx_.valor("CDFILIAL") + QLatin1Char('|') + ctx_.valor("NRPEDIDO");
    if (chave == chaveUltimosPrecos_)
        return;
    chaveUltimosPrecos_ = chave;
    ultimosPrecos_ = cliente.isEmpty() ? QHash<QString, UltimoPreco>()
                                       : HistoricoCliente(ctx_.db, cliente, ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO")).ultimosPrecos();
}

void ItensPedido::releItens()
{
    if (itemEditando() || (qryItemPedido.active() && qryItemPedido.updatesPending()))
        return;
    abreItens();
}

TotaisPedido ItensPedido::totais() const
{
    if (!qryItemPedido.active() || !qryItemPedido.updatesPending())
        return BancoPedido(ctx_.db).totaisPedido(ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO"));
    // Lines not yet written (a repeated order before its Confirm) count as the grid holds them.
    const int preco = qryItemPedido[QStringLiteral("VRPREUNITPED")].index();
    const int quantidade = qryItemPedido[QStringLiteral("QTITEMPED")].index();
    const int desconto = qryItemPedido[QStringLiteral("VRDESITPED")].index();
    TotaisItens soma;
    for (int pos = 0; pos < qryItemPedido.fetchedCount(); ++pos) {
        const int r = qryItemPedido.storageRowAt(pos);
        soma.soma(linhaLida(qryItemPedido.valueAt(r, preco), qryItemPedido.valueAt(r, quantidade), qryItemPedido.valueAt(r, desconto)));
    }
    return {soma.bruto(), soma.liquido(), soma.descMedio(), soma.descTotal()};
}

void ItensPedido::VrTotalItemPed()
{
    const TextosTotais t = textosTotais(totais());
    ctx_.tela.totBruto = t.bruto;
    ctx_.tela.totLiq = t.liquido;
    ctx_.tela.descMed = t.descMedio;
    ctx_.tela.descTotal = t.descTotal;
}

} // namespace zov
