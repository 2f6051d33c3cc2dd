// The items of the order: numbering, checks, the store with its discount
// rules, and the keys of the items grid.
#include "session/GeralZOV.h"
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/retrato.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/lanc_pedido.h"
#include "orders/mensagens.h"

namespace zov {

namespace {

const char* const kColunasGravadas[] = {"NRPEDIDO",    "CDPRODUTO",    "QTITEMPED",    "VRPREUNITPED", "NRITEMPED",    "IDSITITEMPED",
                                    "QTEXPITEMPED", "CDFILIAL",     "QTITEMPED2",   "DTENTITPED",   "IDITPEDDIFER", "VRPESOITPED",
                                    "VRDESITPED",   "IDITPEDRESER", "VRPRTABITPED", "VRPEDEMAXIPE", "CDOPERADOR"};

} // namespace

// The discount value as the line shows it: cut, not rounded, to two decimals.
Decimal descontoCortado(double valor) { return Decimal::fromDouble(valor, escala::kValor).truncated(escala::kDinheiro); }

UpdateSql LancPedido::updateSqlItem()
{
    QStringList sets, cols, vals;
    for (const char* c : kColunasGravadas) {
        const QString col = QString::fromLatin1(c);
        sets << col + QStringLiteral(" = :") + col;
        cols << col;
        // A new item is always stored as new.
        vals << (col == QLatin1String("IDSITITEMPED") ? QStringLiteral("'1'") : QStringLiteral(":") + col);
    }
    const QString chave = QStringLiteral("where NRPEDIDO = :OLD_NRPEDIDO and NRITEMPED = :OLD_NRITEMPED and CDFILIAL = :OLD_CDFILIAL");
    return UpdateSql(QStringLiteral("insert into ITEMPEDIDO (%1) values (%2)").arg(cols.join(QStringLiteral(", ")), vals.join(QStringLiteral(", "))),
                     QStringLiteral("update ITEMPEDIDO set %1 ").arg(sets.join(QStringLiteral(", "))) + chave,
                     QStringLiteral("delete from ITEMPEDIDO ") + chave);
}

QString LancPedido::valorItem(const char* field) const
{
    if (!qryItemPedido.active())
        return {};
    return qryItemPedido.fieldByName(QString::fromLatin1(field)).asString();
}

void LancPedido::poeItem(const char* field, const QVariant& value) { qryItemPedido.fieldByName(QString::fromLatin1(field)).setValue(value); }

double LancPedido::numeroItem(const char* field) const { return qryItemPedido.fieldByName(QString::fromLatin1(field)).asFloat(); }

Decimal LancPedido::decimalItem(const char* field, int escala) const
{
    return qryItemPedido.fieldByName(QString::fromLatin1(field)).asDecimal(escala);
}

void LancPedido::poeDecimalItem(const char* field, const Decimal& valor) { qryItemPedido.fieldByName(QString::fromLatin1(field)).setDecimal(valor); }

Decimal LancPedido::descontoDoPercentual() const
{
    return zov::descontoDoPercentual(decimalItem("VRPREUNITPED", escala::kPreco), decimalItem("QTITEMPED", escala::kQuantidade),
                                     decimalItem("PERDESC", escala::kPercentual));
}

Decimal LancPedido::percentualDoDesconto() const
{
    return zov::percentualDoDesconto(decimalItem("VRPREUNITPED", escala::kPreco), decimalItem("QTITEMPED", escala::kQuantidade),
                                     decimalItem("VRDESITPED", escala::kValor));
}

bool LancPedido::vazioItem(const char* field) const { return qryItemPedido.fieldByName(QString::fromLatin1(field)).isNull(); }

bool LancPedido::itemEditando() const
{
    return qryItemPedido.state() == DataSetState::Edit || qryItemPedido.state() == DataSetState::Insert;
}

bool LancPedido::itemIntocado() const { return qryItemPedido.state() == DataSetState::Insert && !qryItemPedido.modified(); }

void LancPedido::descartaItemIntocado()
{
    if (itemIntocado())
        qryItemPedido.cancel();
}

void LancPedido::falhaItem(ColunaItem coluna, const QString& texto)
{
    if (view_.paginaAtual() != PaginaPedido::Itens)
        view_.mostraPagina(PaginaPedido::Itens);
    view_.focaColunaItem(coluna);
    MensErro(texto, true);
    throw Abort{};
}

QString LancPedido::PrxCodItPedido()
{
    const QVariant n = db_.scalar(QStringLiteral("SELECT NVL((MAX(CAST(NRITEMPED AS INTEGER)) + 1), 0) NRITEMPED FROM ITEMPEDIDO "
                                                 "WHERE (CDFILIAL = :P_CDFILIAL) AND (NRPEDIDO = :P_NRPEDIDO)"),
                                  {{QStringLiteral("P_CDFILIAL"), Filtro.Filial}, {QStringLiteral("P_NRPEDIDO"), valor("NRPEDIDO")}});
    return n.toLongLong() > 0 ? Ajusta(QString::number(n.toLongLong()), 10) : QStringLiteral("0000000001");
}

// ---------------------------------------------------------------- insert and edit

void LancPedido::incluirItem()
{
    if (itemEditando())
        return;
    // Before insert: an item needs the order's payment method.
    if (valor("CDMODPGTO").isEmpty() && EmptyString(tela.cdModPgto))
        falha(ControlePedido::CdModPgto, PaginaPedido::Modalidade, msg("MODPGT"));
    if (!pedidoEditando() && !editaPedido())
        return;
    {
        EventsSuspended quiet(qryItemPedido);
        qryItemPedido.append();
    }
    novoItem();
    atualizaComandos();
}

void LancPedido::novoItem()
{
    EventsSuspended quiet(qryItemPedido);
    poeItem("NRPEDIDO", valor("NRPEDIDO"));
    poeItem("CDFILIAL", Filtro.Filial);
    poeItem("NRITEMPED", PrxCodItPedido());
    if (!stUltVal.isEmpty())
        poeItem("PERDESC", parseNumber(stUltVal));
    poeItem("IDITPEDDIFER", QStringLiteral("N"));
    qryItemPedido.clearModified();
    perguntaProdutoRepetido = true;
    boPrecoAlt = false;
    boValorDigitado = false;
    view_.focaColunaItem(ColunaItem::Produto);
}

void LancPedido::alterarItem()
{
    if (itemEditando() || !qryItemPedido.active() || qryItemPedido.isEmpty())
        return;
    if (!pedidoEditando() && !editaPedido())
        return;
    boPrecoAlt = false;
    qryItemPedido.edit();
    perguntaProdutoRepetido = true;
    view_.focaColunaItem(ColunaItem::Quantidade);
    atualizaComandos();
}

// ---------------------------------------------------------------- checks

void LancPedido::Vd_CdProduto(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    view_.precoEditavel(true);
    try {
        const QString codigo = valorItem("CDARVPROD").trimmed();
        if (codigo.isEmpty()) {
            if (boTestaVazio)
                falhaItem(ColunaItem::Produto, msg("CD_NULO"));
            view_.precoEditavel(!boBloqueiaPreco);
            return;
        }
        Statement st(db_, QStringLiteral(
                              "SELECT B.CDARVPROD, A.NMPRODUTO, A.SGUNIDADE, B.VRPESOUNID, A.CDPRODESTO, A.VRFATOCONV, B.SGUNIDADE SGUNIDPAI, "
                              "A.CDPRODUTO, A.IDPRODATIVPR FROM PRODUTO A JOIN PRODUTO B ON B.CDPRODUTO = A.CDPRODESTO "
                              "WHERE (A.CDARVPROD = :P_CDARVPROD) ORDER BY A.CDARVPROD"));
        st.bind(QStringLiteral("P_CDARVPROD"), codigo);
        if (!st.step())
            falhaItem(ColunaItem::Produto, msg("CD_INV"));
        if (st.rawValue(8).toString() == QLatin1String("N"))
            falhaItem(ColunaItem::Produto, msg("PR_INAT"));
        const QString cdProduto = st.rawValue(7).toString();
        const bool novo = qryItemPedido.state() == DataSetState::Insert;
        if (novo && boTestaVazio && perguntaProdutoRepetido) {
            const bool existe = db_.scalar(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO I WHERE (CDFILIAL = :P_CDFILIAL ) AND "
                                                          "(NRPEDIDO = :P_NRPEDIDO ) AND (CDPRODUTO = :P_CDPRODUTO)"),
                                           {{QStringLiteral("P_CDFILIAL"), Filtro.Filial}, {QStringLiteral("P_NRPEDIDO"), valor("NRPEDIDO")},
                                            {QStringLiteral("P_CDPRODUTO"), cdProduto}})
                                    .toInt() > 0;
            if (existe) {
                perguntaProdutoRepetido = false;
                if (!dialogs().confirm(msg("CD_EXIS"))) {
                    perguntaProdutoRepetido = true;
                    view_.focaColunaItem(ColunaItem::Produto);
                    throw Abort{};
                }
            }
        }
        const QVariant lido = qryItemPedido.fieldByName(QStringLiteral("CDARVPROD")).oldValue();
        if (novo || lido.toString() != codigo)
            PrecoBase(false);
        const Decimal fator = st.rawValue(5).isNull() ? Decimal(1) : Decimal::fromDouble(st.rawValue(5).toDouble(), escala::kPreco);
        const Decimal peso = Decimal::fromDouble(st.rawValue(3).toDouble(), escala::kPreco);
        poeItem("CDPRODUTO", cdProduto);
        poeItem("CDPRODESTO", st.rawValue(4));
        poeItem("NMPRODUTO", st.rawValue(1));
        const QDate entrega = parseDateTime(tela.dataEntrega).date();
        poeItem("DTENTITPED", entrega.isValid() ? QVariant(QDateTime(entrega, horaAtual())) : QVariant());
        if (!st.rawValue(2).toString().isEmpty())
            poeItem("SGUNIDADE", st.rawValue(2));
        poeDecimalItem("VRPESOITPED", peso * (decimalItem("QTITEMPED", escala::kQuantidade) * fator));
        if (!boTestaVazio)
            view_.focaColunaItem(ColunaItem::Quantidade);
    } catch (...) {
        view_.precoEditavel(!boBloqueiaPreco);
        throw;
    }
    view_.precoEditavel(!boBloqueiaPreco);
}

void LancPedido::Vd_Quantidade(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    if (vazioItem("QTITEMPED")) {
        if (boTestaVazio)
            falhaItem(ColunaItem::Quantidade, msg("QT_NULO"));
        return;
    }
    if (numeroItem("QTITEMPED") <= 0)
        falhaItem(ColunaItem::Quantidade, msg("QTITEM"));
    Statement st(db_, QStringLiteral("SELECT B.VRPESOUNID, A.VRFATOCONV FROM PRODUTO A JOIN PRODUTO B ON B.CDPRODUTO = A.CDPRODESTO "
                                     "WHERE (A.CDARVPROD = :P_CDARVPROD)"));
    st.bind(QStringLiteral("P_CDARVPROD"), valorItem("CDARVPROD"));
    if (st.step()) {
        const Decimal fator = st.rawValue(1).isNull() ? Decimal(1) : Decimal::fromDouble(st.rawValue(1).toDouble(), escala::kPreco);
        const Decimal convertida = decimalItem("QTITEMPED", escala::kQuantidade) * fator;
        poeDecimalItem("QTITEMPED2", convertida);
        poeDecimalItem("VRPESOITPED", Decimal::fromDouble(st.rawValue(0).toDouble(), escala::kPreco) * convertida);
    }
}

void LancPedido::Vd_Preco(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    if (vazioItem("VRPREUNITPED")) {
        if (boTestaVazio)
            falhaItem(ColunaItem::Preco, msg("VR_NULO"));
        return;
    }
    if (numeroItem("VRPREUNITPED") <= 0)
        falhaItem(ColunaItem::Preco, msg("VRUNIT"));
}

void LancPedido::Vd_DtEntItPed(bool boTestaVazio)
{
    if (!itemEditando())
        return;
    if (vazioItem("DTENTITPED")) {
        if (boTestaVazio)
            falhaItem(ColunaItem::Entrega, msg("DtEntrega_inf"));
        return;
    }
    const QTime hora = qryItemPedido.fieldByName(QStringLiteral("DTENTITPED")).asDateTime().time();
    if (hora.hour() == 0 && hora.minute() == 0)
        falhaItem(ColunaItem::Entrega, msg("HR_N_INF"));
}

void LancPedido::GravaDescItem()
{
    if (!itemEditando())
        return;
    poeDecimalItem("VRDESITPED", descontoDoPercentual());
    boValorDigitado = false;
}

// ---------------------------------------------------------------- store

void LancPedido::antesDoPostItem()
{
    // 1-2: situation and operator; the percentage follows a quantity just typed.
    poeItem("IDSITITEMPED", LancPedSit(qryPedido.state() == DataSetState::Insert ? QStringLiteral("1") : valor("IDSITPEDIDO")));
    poeItem("CDOPERADOR", CdOperador());
    if (view_.colunaItem() == ColunaItem::Quantidade && !vazioItem("PERDESC")) {
        if (numeroItem("VRPREUNITPED") > 0 && numeroItem("QTITEMPED") > 0) {
            GravaDescItem();
            poeDecimalItem("PERDESC", percentualDoDesconto());
        }
        doValAnt = numeroItem("VRDESITPED");
    }
    // 4-5: the checks.
    boInsere = qryItemPedido.state() == DataSetState::Insert;
    Vd_Cliente(true);
    Vd_Quantidade(true);
    Vd_Preco(true);
    Vd_DataEntrega(true);
    Vd_CdProduto(true);
    // 6-7: the payment method's discount for a new item, within the maximum allowed.
    if (stUltVal.isEmpty())
        stUltVal = QStringLiteral("0");
    const QVariant cliMax = db_.scalar(QStringLiteral("SELECT VRPEMAXDESCL FROM CLIENTE WHERE CDCLIENTE = :P_CDCLIENTE"),
                                       {{QStringLiteral("P_CDCLIENTE"), valor("CDCLIENTE")}});
    const QVariant venMax = db_.scalar(QStringLiteral("SELECT VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR"),
                                       {{QStringLiteral("P_CDVENDEDOR"), valor("CDVENDEDOR")}});
    if (boInsere && numeroItem("PERDESC") == 0 && parseNumber(stUltVal) == 0) {
        if (!qryPesqMod.active() || qryPesqMod.isEmpty() || qryPesqMod[QStringLiteral("CDMODPGTO")].asString() != valor("CDMODPGTO"))
            abreModPgto(valor("CDMODPGTO"));
        const double m = qryPesqMod.isEmpty() ? 0.0 : qryPesqMod[QStringLiteral("VRPEDESMODPG")].asFloat();
        std::optional<double> limite;
        if (!cliMax.isNull() && cliMax.toDouble() < m)
            limite = cliMax.toDouble();
        else if (cliMax.isNull() && !venMax.isNull() && venMax.toDouble() < m)
            limite = venMax.toDouble();
        if (limite) {
            if (perguntaLimiteDesconto) {
                const QString pct = QStringLiteral("#,##0.00 %");
                QString pergunta = msg("Per_Max");
                for (const double v : {m, *limite}) {
                    const int at = pergunta.indexOf(QStringLiteral("%s"));
                    if (at >= 0)
                        pergunta.replace(at, 2, formatNumber(v, pct));
                }
                if (!dialogs().confirm(pergunta))
                    throw Abort{};
                perguntaLimiteDesconto = false;
            }
            poeItem("PERDESC", *limite);
        } else {
            poeItem("PERDESC", m);
        }
        GravaDescItem();
    }
    // 8-9: the maximum that applied, and a discount within the line.
    poeItem("VRPEDEMAXIPE", !cliMax.isNull() ? cliMax : venMax);
    if (!vazioItem("VRDESITPED") &&
        decimalItem("VRDESITPED", escala::kValor).rounded(escala::kDinheiro) > decimalItem("VrTotalAux", escala::kDinheiro))
        falhaItem(ColunaItem::VrDesc, msg("Desc>VrTotal"));
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
}

void LancPedido::gravaItem()
{
    if (!itemEditando())
        return;
    CheckGuard guard;
    const RetratoPedido antes{retrata(qryPedido), retrata(qryItemPedido), retrata(qryObsPedido), boValorDigitado};
    descartado_ = false;
    bool gravando = false;
    try {
        // The order row always exists before its first item; both go in one transaction.
        const PreparoGravacao preparo = preparaGravacao(false);
        gravando = true;
        db_.transaction([&] { gravaPreparado(preparo); });
    } catch (const Abort&) {
        if (gravando) {
            restauraTudo(antes);
        } else {
            if (!itemEditando()) {
                restaura(antes.item);
                boValorDigitado = antes.valorDigitado;
            }
            if (!pedidoEditando() && !descartado_)
                restaura(antes.pedido);
        }
        atualizaComandos();
        throw;
    } catch (const std::exception& e) {
        // Nothing was written: the grid keeps the item in edit, as typed, and says why.
        restauraTudo(antes);
        atualizaComandos();
        view_.atualizaTela();
        falhaItem(ColunaItem::Produto, msg("erro_grav_item") + QLatin1Char('\n') + QString::fromUtf8(e.what()));
    }
    aposGravarItem();
}

void LancPedido::aposGravarItem()
{
    modalidadeMudou = false;
    stModPgto.clear();
    VrTotalItemPed();
    stUltVal = formatFloat(numeroItem("PERDESC"));
    doPerAnt = -1;
    doValAnt = -1;
    perguntaProdutoRepetido = true;
    mostraPedidoNaTela();
    view_.atualizaTela();
    atualizaComandos();
}

// ---------------------------------------------------------------- grid

void LancPedido::entraGradeItens() { atualizaComandos(); }

void LancPedido::saiColunaItem(ColunaItem coluna, bool saiDaGrade)
{
    // A new line nothing was typed into goes when the grid is left.
    if (saiDaGrade && itemIntocado()) {
        qryItemPedido.cancel();
        atualizaComandos();
        return;
    }
    if (!itemEditando())
        return;
    const bool temPrecoQtd = numeroItem("VRPREUNITPED") > 0 && numeroItem("QTITEMPED") > 0;
    switch (coluna) {
    case ColunaItem::Produto:
        Vd_CdProduto(false);
        if (numeroItem("PERDESC") > 0 && !vazioItem("QTITEMPED"))
            GravaDescItem();
        break;
    case ColunaItem::Quantidade:
        Vd_Quantidade(false);
        if (!vazioItem("PERDESC")) {
            if (temPrecoQtd)
                GravaDescItem();
            doValAnt = numeroItem("VRDESITPED");
        }
        break;
    case ColunaItem::Preco:
        Vd_Preco(false);
        if (saiDaGrade)
            GravaDescItem();
        break;
    case ColunaItem::VrDesc: {
        const Decimal valor = decimalItem("VRDESITPED", escala::kValor);
        const Decimal total = decimalItem("VrTotalAux", escala::kDinheiro);
        if (saiDaGrade ? valor > total : valor.rounded(escala::kDinheiro) > total)
            falhaItem(ColunaItem::VrDesc, msg("Desc>VrTotal"));
        if (numeroItem("VRDESITPED") != doValAnt && temPrecoQtd) {
            poeDecimalItem("PERDESC", percentualDoDesconto());
            boValorDigitado = true;
        }
        doPerAnt = numeroItem("PERDESC");
        break;
    }
    case ColunaItem::PerDesc:
        if (numeroItem("PERDESC") > 100)
            falhaItem(ColunaItem::PerDesc, msg("Desc>100"));
        if (numeroItem("PERDESC") != doPerAnt && temPrecoQtd)
            GravaDescItem();
        doValAnt = numeroItem("VRDESITPED");
        break;
    case ColunaItem::Entrega:
        if (!saiDaGrade)
            Vd_DtEntItPed(false);
        break;
    default:
        break;
    }
}

void LancPedido::teclaProduto(bool apaga)
{
    boPrecoAlt = false;
    if (apaga && itemEditando()) {
        for (const char* f : {"CDARVPROD", "NMPRODUTO", "SGUNIDADE", "VRPREUNITPED"})
            poeItem(f, QVariant());
    }
}

void LancPedido::teclaPreco()
{
    if (!boBloqueiaPreco)
        boPrecoAlt = true;
}

void LancPedido::apagaItem(ColunaItem coluna)
{
    // Backspace on a stored new item starts it again from the product or the name.
    if (itemEditando() || !qryItemPedido.active() || qryItemPedido.isEmpty() || valorItem("IDSITITEMPED") != QLatin1String("1"))
        return;
    if (coluna != ColunaItem::Produto && coluna != ColunaItem::Nome)
        return;
    if (!pedidoEditando() && !editaPedido())
        return;
    qryItemPedido.edit();
    perguntaProdutoRepetido = true;
    const char* const limpa[] = {coluna == ColunaItem::Produto ? "NMPRODUTO" : "CDARVPROD", "SGUNIDADE", "VRPREUNITPED", "QTITEMPED"};
    for (const char* f : limpa)
        poeItem(f, QVariant());
    atualizaComandos();
}

void LancPedido::enterItem()
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
        view_.focaColunaItem(ColunaItem::Produto);
    } else if (comandos().incluir || pedidoEditando()) {
        incluirItem();
    }
}

void LancPedido::pesquisaProduto()
{
    if (!pesquisa_ || !itemEditando() || view_.colunaItem() != ColunaItem::Produto)
        return;
    const QString segmento = db_.scalar(QStringLiteral("SELECT CDSEGMER FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL"),
                                        {{QStringLiteral("P_CDFILIAL"), Filtro.Filial}})
                                 .toString();
    QString titulo = msg("PRODUTO");
    if (segmento.isEmpty()) {
        preparaLista(QStringLiteral(
            "SELECT P.CDARVPROD, P.CDPRODUTO, P.CDPRODESTO, P.NMPRODUTO, P.SGUNIDADE, P.CDNVPRODUTO, P.CDPRODINTE "
            "FROM PRODUTO P JOIN ITEMPREBASE I ON I.CDPRODUTO = P.CDPRODUTO WHERE P.CDNVPRODUTO = :P_CDNVPRODUTO AND I.CDPRECOBASE = :P_CDPRECOBASE "
            "AND P.IDPRODATIVPR = 'S' AND ((:P_IDTABPRECO = '2') OR ((:P_IDPERALTPRECO = 'S') OR (I.VRITEPREBASE IS NOT NULL))) ORDER BY P.CDARVPROD"));
        qryLista.setParam(QStringLiteral("P_CDNVPRODUTO"), QString::number(DBPictObj(0).GetTtNiveis()));
        titulo += QLatin1Char('|') + msg("PROD_CAD");
    } else {
        preparaLista(QStringLiteral(
            "SELECT P.CDPRODUTO, P.CDARVPROD, P.CDPRODESTO, P.NMPRODUTO, P.SGUNIDADE, P.CDNVPRODUTO, P.CDPRODINTE FROM PRODUTO P "
            "JOIN PRODUTOSEG S ON S.CDPRODUTO = P.CDPRODUTO JOIN ITEMPREBASE I ON I.CDPRODUTO = P.CDPRODUTO "
            "WHERE S.CDSEGMER = :P_CDSEGMER AND I.CDPRECOBASE = :P_CDPRECOBASE AND P.IDPRODATIVPR = 'S' "
            "AND ((S.IDPROSEGATIV = 'S') OR (S.IDPROSEGATIV IS NULL)) "
            "AND ((:P_IDTABPRECO = '2') OR ((:P_IDPERALTPRECO = 'S') OR (I.VRITEPREBASE IS NOT NULL))) ORDER BY P.CDARVPROD"));
        qryLista.setParam(QStringLiteral("P_CDSEGMER"), segmento);
        titulo += QLatin1Char('|') + msg("Nao_ha_Produto_Seg");
    }
    qryLista.setParam(QStringLiteral("P_CDPRECOBASE"), valor("CDPRECOBASE"));
    qryLista.setParam(QStringLiteral("P_IDTABPRECO"), QVariant());
    qryLista.setParam(QStringLiteral("P_IDPERALTPRECO"), QVariant());
    qryLista.defineField(QStringLiteral("CDARVPROD")).displayLabel = QStringLiteral("Código");
    qryLista.defineField(QStringLiteral("NMPRODUTO")).displayLabel = QStringLiteral("Nome");
    qryLista.defineField(QStringLiteral("CDPRODINTE")).displayLabel = QStringLiteral("Código Externo");
    for (const char* hidden : {"CDPRODUTO", "CDPRODESTO", "SGUNIDADE", "CDNVPRODUTO"})
        qryLista.defineField(QString::fromLatin1(hidden)).visible = false;
    qryLista.open();
    view_.precoEditavel(true);
    const bool escolheu = pesquisa_(qryLista, titulo);
    if (escolheu && itemEditando()) {
        // Another product takes its own list price, not one typed for the product before.
        boPrecoAlt = false;
        poeItem("CDARVPROD", qryLista[QStringLiteral("CDARVPROD")].value());
        const QVariant cdProduto = qryLista[QStringLiteral("CDPRODUTO")].value();
        const QVariant nome = qryLista[QStringLiteral("NMPRODUTO")].value();
        const QVariant unidade = qryLista[QStringLiteral("SGUNIDADE")].value();
        qryLista.close();
        try {
            PrecoBase(false);
        } catch (...) {
            view_.precoEditavel(!boBloqueiaPreco);
            throw;
        }
        poeItem("CDPRODUTO", cdProduto);
        poeItem("NMPRODUTO", nome);
        poeItem("SGUNIDADE", unidade);
        view_.focaColunaItem(ColunaItem::Quantidade);
    }
    qryLista.close();
    view_.precoEditavel(!boBloqueiaPreco);
}

} // namespace zov
