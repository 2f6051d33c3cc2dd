#include "orders/lanc_pedido.h"

#include <algorithm>

#include "session/GeralZOV.h"
#include "library/consiste.h"
#include "library/database.h"
#include "library/dataset.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/inscricao.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/mensagens.h"
#include "orders/filtro_pedido.h"

namespace zov {

QString qryPedidoSql(bool porEmissao)
{
    // The list grid shows the first five columns. The outer joins keep orders without items, without a main customer
    // address, an outgoing operation type or a destination branch. Items are
    // only looked at by the product filter (EXISTS), so an order is one row.
    // Lists of customers and products are "_K1_K2_": a key is found only
    // whole ('_12_' is not inside '_123_'). Order numbers, operation types and
    // municipalities are fixed-width and zero-filled; status and priority are
    // lists of single letters.
    return QStringLiteral(
        "SELECT P.IDSITPEDIDO, P.NRPEDIDO, CASE WHEN TP.IDORIGDESTOP = 'L' THEN F.NMFILIAL ELSE C.NMFANTCLIE END AS NMRAZSOCCLIE, "
        "P.DTPEDIDO, P.DTENTPED, P.CDCLIENTE, P.IDTPIJURTRED, P.NRINSJURTRED, P.IDTPIJURTRAN, P.NRINSJURTRAN, P.CDTIPTRANS, "
        "P.CDFILIAL, P.CDVENDEDOR, P.VRPECOMVDPED, P.VRPEDENFPED, P.VRPEDEDUPED, P.IDPRIOPED, "
        "P.DSPEDCLI, P.DSPEDVEN, P.DTHRLANPED, P.CDOPELANPED, P.IDPGFRETTRAN, P.CDFORMPGTO, P.IDTPFORPGTPED, "
        "P.NRDIAPGFIXPED, P.NRPARCPGTOPED, P.IDUTDIAPAGPED, C.NMFANTCLIE, P.VRPBRUVOLPED, P.VRPLIQVOLPED, C.IDTPIJURCLIE, "
        "C.NRINSJURCLIE, P.CDMODPGTO, P.CDFILIALPED, V.NMFANVEN, M.DSMODPGTO, P.IDTIPOPEDIDO, P.IDPEDIDOIMPR, P.CDPRECOBASE, "
        "PB.DSPRECOBASE, P.CDTIPOOPER, TP.NMTIPOOPER, P.IDENTRSAIDOP, P.DTVALIPED, F.NMFILIAL "
        "FROM PEDIDO P "
        "JOIN VENDEDOR V ON V.CDVENDEDOR = P.CDVENDEDOR "
        "JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE "
        "JOIN MODPGTO M ON M.CDMODPGTO = P.CDMODPGTO "
        "JOIN PRECOBASE PB ON PB.CDPRECOBASE = P.CDPRECOBASE "
        "LEFT JOIN FILIAL F ON F.CDFILIAL = P.CDFILIALPED "
        "LEFT JOIN TIPOOPERAC TP ON TP.CDTIPOOPER = P.CDTIPOOPER AND TP.IDENTRSAIDOP = 'S' "
        "LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
        "WHERE P.CDFILIAL = :P_CDFILIAL "
        "AND (instr(:P_CLIENTELISTA, '_' || P.CDCLIENTE || '_') > 0 OR :P_TCLIENTE = 'T') "
        "AND (instr(:P_PRIORIDADE, P.IDPRIOPED) > 0 OR :P_TPRIORIDADE = 'T') "
        "AND instr(:P_STATUS, P.IDSITPEDIDO) > 0 "
        "AND (instr(:P_NRPEDIDOLISTA, P.NRPEDIDO) > 0 OR :P_TPEDIDO = 'T') "
        "AND (instr(:P_CDTIPOOPER, P.CDTIPOOPER) > 0 OR :P_TCDTIPOOPER = 'T') "
        "AND (date(P.DTPEDIDO) BETWEEN :P_EMISSAODE AND :P_EMISSAOATE OR :P_TEMISSAO = 'T') "
        "AND (date(P.DTENTPED) BETWEEN :P_ENTREGADE AND :P_ENTREGAATE OR :P_TENTREGA = 'T') "
        "AND (P.NRPEDIDO BETWEEN :P_INTERVALODE AND :P_INTERVALOATE OR :P_TINTERVALO = 'T') "
        "AND (:P_TPRODUTO = 'T' OR EXISTS (SELECT 1 FROM ITEMPEDIDO I JOIN PRODUTO PR ON PR.CDPRODUTO = I.CDPRODUTO "
        "WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO AND instr(:P_PRODUTOLISTA, '_' || PR.CDARVPROD || '_') > 0)) "
        "AND (instr(:P_CDMUNICIPIO, E.CDPAIS || E.SGESTADO || E.CDMUNICIPIO) > 0 OR :P_TCDMUNICIPIO = 'T') ")
        // The same order dates as a range the branch-and-date index can search.
        + (porEmissao ? QStringLiteral("AND P.DTPEDIDO >= :P_EMISSAODE AND P.DTPEDIDO < date(:P_EMISSAOATE, '+1 day') ") : QString())
        + QStringLiteral("ORDER BY P.NRPEDIDO DESC");
}

void abreQryPedido(Query& qryPedido, const TFiltro& filtro)
{
    qryPedido.close();
    const QVariantMap params = parametrosPedido(filtro);
    const QString sql = qryPedidoSql(params.value(QStringLiteral("P_TEMISSAO")).toString() != QLatin1String("T"));
    if (qryPedido.sql() != sql)
        qryPedido.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        qryPedido.setParam(it.key(), it.value());
    qryPedido.open();
}

QString PrxCodPed(Database& db, const QString& cdFilial)
{
    // Numbers are zero-filled text, so the highest text is the highest
    // number; CAST makes the sum an integer whatever the text looks like.
    const QVariant next = db.scalar(QStringLiteral("SELECT CAST(MAX(NRPEDIDO) AS INTEGER) + 1 AS NRPEDIDO FROM PEDIDO WHERE CDFILIAL = :P_CDFILIAL"),
                                    {{QStringLiteral("P_CDFILIAL"), cdFilial}});
    if (next.isNull())
        return QStringLiteral("0000000001");
    return Ajusta(QString::number(next.toLongLong()), 10);
}

QString LancPedSit(const QString& idSitPedido) { return idSitPedido == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("7"); }

bool temItemExpedido(Database& db, const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed)
{
    return db
        .scalar(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO "
                               "AND NRITEMPED = IFNULL(:P_NRITEMPED, NRITEMPED) AND QTEXPITEMPED > 0"),
                {{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}, {QStringLiteral("P_NRITEMPED"), nrItemPed}})
        .toInt() > 0;
}

void excluiPedido(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    const QVariantMap key{{QStringLiteral("P_CDFILIAL"), cdFilial}, {QStringLiteral("P_NRPEDIDO"), nrPedido}};
    db.transaction([&] {
        db.exec(QStringLiteral("DELETE FROM ITEMPEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
        db.exec(QStringLiteral("DELETE FROM OBSPEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
        db.exec(QStringLiteral("DELETE FROM PEDIDO WHERE NRPEDIDO = :P_NRPEDIDO AND CDFILIAL = :P_CDFILIAL"), key);
    });
}

QString qryItemPedidoSql()
{
    // The grid's columns come first, in the grid's order (the line value is computed).
    return QStringLiteral(
        "SELECT I.NRITEMPED, P.CDARVPROD, P.NMPRODUTO, I.QTITEMPED, P.SGUNIDADE, I.VRPREUNITPED, "
        "CASE WHEN (NVL(I.QTITEMPED, 0) * NVL(I.VRPREUNITPED, 0)) <> 0 THEN (I.VRDESITPED * 100) / (I.QTITEMPED * I.VRPREUNITPED) "
        "ELSE 0 END AS PERDESC, I.VRDESITPED, I.DTENTITPED, "
        "I.NRPEDIDO, I.CDPRODUTO, I.IDSITITEMPED, I.QTEXPITEMPED, P.VRPREUNIT, I.CDFILIAL, I.QTITEMPED2, P.CDPRODESTO, "
        "I.IDITPEDDIFER, I.VRPESOITPED, I.IDITPEDRESER, I.VRPRTABITPED, I.VRPEDEMAXIPE, I.CDOPERADOR "
        "FROM ITEMPEDIDO I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
        "WHERE I.CDFILIAL = :CDFILIAL AND I.NRPEDIDO = :NRPEDIDO ORDER BY I.NRITEMPED");
}

TotaisPedido totaisPedido(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    // Each total is the sum of the values its lines show, never a formula of its own.
    Statement st(db, QStringLiteral("SELECT VRPREUNITPED, QTITEMPED, VRDESITPED FROM ITEMPEDIDO "
                                    "WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"));
    st.bind(QStringLiteral("P_CDFILIAL"), cdFilial);
    st.bind(QStringLiteral("P_NRPEDIDO"), nrPedido);
    TotaisItens soma;
    while (st.step())
        soma.soma(st.rawValue(0).toDouble(), st.rawValue(1).toDouble(), st.rawValue(2).toDouble());
    return {soma.bruto(), soma.liquido(), soma.descMedio(), soma.descTotal()};
}

const char* const kCamposItem[kColunasItem] = {"NRITEMPED",    "CDARVPROD", "NMPRODUTO",  "QTITEMPED", "SGUNIDADE",
                                               "VRPREUNITPED", "PERDESC",   "VRDESITPED", "VrTotal",   "DTENTITPED"};

void configuraQryItemPedido(Query& qryItemPedido)
{
    qryItemPedido.setSql(qryItemPedidoSql());
    // The items grid's columns, in their order, with their titles and widths in pixels
    // (which of them the user may type in is the grid's business).
    const std::tuple<const char*, const char*, int> colunas[] = {
        {"NRITEMPED", "Nº Item ", 65},      {"CDARVPROD", "Produto", 95},         {"NMPRODUTO", "Nome do Produto", 250},
        {"QTITEMPED", "Quantidade", 62},    {"SGUNIDADE", "Un.", 28},             {"VRPREUNITPED", "Preço Unitário", 73},
        {"PERDESC", "Desc. (%)", 70},       {"VRDESITPED", "Vr. Desc.", 80},      {"DTENTITPED", "Entrega", 115}};
    for (const auto& [field, label, width] : colunas) {
        Field& f = qryItemPedido.defineField(QString::fromLatin1(field));
        f.displayLabel = QString::fromUtf8(label);
        f.displayWidth = std::max(3, width / 7); // the grid counts characters
    }
    qryItemPedido.defineField(QStringLiteral("QTITEMPED")).displayFormat = QStringLiteral("##0.000");
    qryItemPedido.defineField(QStringLiteral("VRPREUNITPED")).displayFormat = QStringLiteral("###0.00");
    qryItemPedido.defineField(QStringLiteral("PERDESC")).displayFormat = QStringLiteral("###0.0000");
    qryItemPedido.defineField(QStringLiteral("VRDESITPED")).displayFormat = QStringLiteral("###0.00");
    qryItemPedido.defineField(QStringLiteral("DTENTITPED")).displayFormat = QStringLiteral("dd/MM/yyyy hh:mm:ss");
    for (const char* c : {"NRPEDIDO", "CDPRODUTO", "IDSITITEMPED", "QTEXPITEMPED", "VRPREUNIT", "CDFILIAL", "QTITEMPED2", "CDPRODESTO",
                          "IDITPEDDIFER", "VRPESOITPED", "IDITPEDRESER", "VRPRTABITPED", "VRPEDEMAXIPE", "CDOPERADOR"})
        qryItemPedido.defineField(QString::fromLatin1(c)).visible = false;
    qryItemPedido.defineField(QStringLiteral("PERDESC"), FieldKind::Number);
    qryItemPedido.addCalculatedField(QStringLiteral("VrTotalAux"), FieldKind::Number).visible = false;
    Field& total = qryItemPedido.addCalculatedField(QStringLiteral("VrTotal"), FieldKind::Number);
    total.displayLabel = QStringLiteral("Valor Total");
    total.displayFormat = QStringLiteral("###0.00");
    qryItemPedido.onCalcFields = [](Query& q) {
        const ValoresItem v = valoresItem(q[QStringLiteral("VRPREUNITPED")].asDecimal(escala::kPreco),
                                          q[QStringLiteral("QTITEMPED")].asDecimal(escala::kQuantidade),
                                          q[QStringLiteral("VRDESITPED")].asDecimal(escala::kValor));
        q[QStringLiteral("VrTotalAux")].setDecimal(v.bruto);
        q[QStringLiteral("VrTotal")].setDecimal(v.liquido);
    };
}

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

QString qryVerPrcBaseSql()
{
    return QStringLiteral(
        "SELECT CDPRECOBASE, DSPRECOBASE, IDPESQ FROM ("
        "SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '1' AS IDPESQ FROM PRECOBASE PB JOIN PRECOBASECLI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PB.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE) "
        "AND PC.CDCLIENTE = :P_CDCLIENTE AND PC.IDPRBASEPRIN = 'S' "
        "UNION SELECT P.CDPRECOBASE, P.DSPRECOBASE, '2' FROM PRECOBASE P JOIN VENDEDOR V ON V.CDPRECOBASE = P.CDPRECOBASE "
        "WHERE V.CDVENDEDOR = :P_CDVENDEDOR AND P.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE) "
        "UNION SELECT P.CDPRECOBASE, P.DSPRECOBASE, '3' FROM PRECOBASE P JOIN VENDEDOR V ON V.CDPRECOBASE = P.CDPRECOBASE "
        "WHERE V.CDVENDEDOR = :P_CDVENDEDOR AND :P_CDCLIENTE IS NULL "
        "UNION SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '4' FROM PRECOBASE PB JOIN PRECOUTI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PC.CDMODPGTO = :P_CDMODPGTO AND PB.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE) "
        "UNION SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '5' FROM PRECOBASE PB JOIN PRECOUTI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PC.CDMODPGTO = :P_CDMODPGTO AND :P_CDCLIENTE IS NULL "
        "UNION SELECT P.CDPRECOBASE, P.DSPRECOBASE, '6' FROM PRECOBASE P JOIN VENDEDOR V ON V.CDPRECOBASE = P.CDPRECOBASE "
        "WHERE V.CDVENDEDOR = :P_CDVENDEAUX AND :P_CDCLIENTE IS NOT NULL "
        "UNION SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '7' FROM PRECOBASE PB JOIN PRECOUTI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PC.CDMODPGTO = :P_MODPGTOAUX AND :P_CDCLIENTE IS NOT NULL AND :P_CDVENDEAUX IS NULL"
        ") ORDER BY IDPESQ, CDPRECOBASE");
}

std::optional<PropostaPrcBase> propostaPrcBase(Database& db, const ParametrosPrcBase& p)
{
    // The proposal is the first row of the first rank that has any.
    Statement st(db, qryVerPrcBaseSql());
    st.bind(QStringLiteral("P_CDCLIENTE"), p.cdCliente);
    st.bind(QStringLiteral("P_CDVENDEDOR"), p.cdVendedor);
    st.bind(QStringLiteral("P_CDMODPGTO"), p.cdModPgto);
    st.bind(QStringLiteral("P_CDVENDEAUX"), p.cdVendeAux);
    st.bind(QStringLiteral("P_MODPGTOAUX"), p.modPgtoAux);
    if (!st.step())
        return std::nullopt;
    return PropostaPrcBase{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString()};
}

QString qryPesqPrcBaseSql()
{
    return QStringLiteral(
        "SELECT CDPRECOBASE, DSPRECOBASE, IDPESQ FROM ("
        "SELECT PB.CDPRECOBASE, PB.DSPRECOBASE, '1' AS IDPESQ FROM PRECOBASE PB JOIN PRECOBASECLI PC ON PC.CDPRECOBASE = PB.CDPRECOBASE "
        "WHERE PB.CDPRECOBASE IN (SELECT DISTINCT CDPRECOBASE FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE) AND PC.CDCLIENTE = :P_CDCLIENTE "
        "UNION SELECT CDPRECOBASE, DSPRECOBASE, '2' FROM PRECOBASE) "
        "WHERE IDPESQ = :P_IDPESQ AND (CDPRECOBASE = :P_CDPRECOBASE OR :P_TCDPRECOBASE = 'T') ORDER BY IDPESQ, CDPRECOBASE");
}

QString rankPrcBaseCliente(Database& db, const QString& cdCliente)
{
    const QVariant n = db.scalar(QStringLiteral("SELECT count(*) FROM PRECOBASECLI PC JOIN PRECOBASE PB ON PB.CDPRECOBASE = PC.CDPRECOBASE "
                                                "WHERE PC.CDCLIENTE = :P_CDCLIENTE"),
                                 {{QStringLiteral("P_CDCLIENTE"), cdCliente}});
    return n.toInt() > 0 ? QStringLiteral("1") : QStringLiteral("2");
}

// ---------------------------------------------------------------- the order record

namespace {

const char* const kColunasPedido[] = {
    "NRPEDIDO",     "CDCLIENTE",     "IDTPIJURTRED",  "NRINSJURTRED",  "IDTPIJURTRAN", "NRINSJURTRAN", "CDTIPTRANS",
    "CDFILIAL",     "CDVENDEDOR",    "DTPEDIDO",      "VRPECOMVDPED",  "VRPEDENFPED",  "VRPEDEDUPED",  "DTENTPED",
    "IDPRIOPED",    "DSPEDCLI",      "DSPEDVEN",      "DTHRLANPED",    "CDOPELANPED",  "IDSITPEDIDO",  "IDPGFRETTRAN",
    "CDFORMPGTO",   "IDTPFORPGTPED", "NRDIAPGFIXPED", "NRPARCPGTOPED", "IDUTDIAPAGPED", "VRPBRUVOLPED", "VRPLIQVOLPED",
    "CDMODPGTO",    "CDFILIALPED",   "IDTIPOPEDIDO",  "CDPRECOBASE",   "CDTIPOOPER",   "IDENTRSAIDOP", "DTVALIPED",
};

QString textoData(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return formatDate(v.toDate());
    return formatDate(v.toDateTime().date());
}

} // namespace

UpdateSql LancPedido::updateSqlPedido()
{
    QStringList sets, cols, vals;
    for (const char* c : kColunasPedido) {
        const QString col = QString::fromLatin1(c);
        sets << col + QStringLiteral(" = :") + col;
        cols << col;
        // A new order is always stored pending, whatever the record holds.
        vals << (col == QLatin1String("IDSITPEDIDO") ? QStringLiteral("'1'") : QStringLiteral(":") + col);
    }
    return UpdateSql(QStringLiteral("insert into PEDIDO (%1) values (%2)").arg(cols.join(QStringLiteral(", ")), vals.join(QStringLiteral(", "))),
                     QStringLiteral("update PEDIDO set %1 where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL").arg(sets.join(QStringLiteral(", "))),
                     QStringLiteral("delete from PEDIDO where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL"));
}

LancPedido::LancPedido(Database& db, PedidoView& view)
    : qryPedido(&db, QStringLiteral("qryPedido")), qryItemPedido(&db, QStringLiteral("qryItemPedido")),
      qryObsPedido(&db, QStringLiteral("qryObsPedido")), qryPesqMod(&db, QStringLiteral("qryPesqMod")),
      qryLista(&db, QStringLiteral("qryLista")), db_(db), view_(view)
{
    Filtro = filtroInicial();
    qryPedido.setSql(qryPedidoSql());
    qryPedido.setUpdateSql(updateSqlPedido());
    // The list shows the status, number, display name and the two dates, in
    // that order; fields are laid out as they are defined.
    const std::pair<const char*, const char*> lista[] = {
        {"IDSITPEDIDO", "Status"}, {"NRPEDIDO", "Pedido"}, {"NMRAZSOCCLIE", "Cliente"}, {"DTPEDIDO", "Data Pedido"}, {"DTENTPED", "Data Entrega"}};
    for (const auto& [field, label] : lista)
        qryPedido.defineField(QString::fromLatin1(field)).displayLabel = QString::fromUtf8(label);
    qryPedido.defineField(QStringLiteral("NMRAZSOCCLIE"), FieldKind::Text);
    qryPedido.defineField(QStringLiteral("DTPEDIDO")).displayFormat = QStringLiteral("dd/MM/yyyy");
    qryPedido.defineField(QStringLiteral("DTENTPED")).displayFormat = QStringLiteral("dd/MM/yyyy");
    for (const char* c : kColunasPedido)
        qryPedido.defineField(QString::fromLatin1(c));
    for (const char* c : {"NMFANTCLIE", "IDTPIJURCLIE", "NRINSJURCLIE", "NMFANVEN", "DSMODPGTO", "DSPRECOBASE", "NMTIPOOPER", "NMFILIAL", "IDPEDIDOIMPR"})
        qryPedido.defineField(QString::fromLatin1(c));
    for (int i = int(std::size(lista)); i < qryPedido.fieldCount(); ++i)
        qryPedido.field(i).visible = false;
    Field& ds = qryPedido.addCalculatedField(QStringLiteral("DsPedido"), FieldKind::Text);
    ds.visible = false;
    qryPedido.onCalcFields = [](Query& q) {
        q[QStringLiteral("DsPedido")].setValue(q[QStringLiteral("NRPEDIDO")].asString() + QStringLiteral(" - ") +
                                               q[QStringLiteral("NMFANTCLIE")].asString());
    };
    // Every change of state recomputes the commands.
    qryPedido.onStateChange = [this](Query&) { atualizaComandos(); };
    qryPedido.afterScroll = [this](Query&) {
        if (qryPedido.state() == DataSetState::Browse)
            aposRolagem();
    };

    configuraQryItemPedido(qryItemPedido);
    qryItemPedido.setUpdateSql(updateSqlItem());
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
        if ((q.state() == DataSetState::Edit || q.state() == DataSetState::Insert) && qryPedido.state() == DataSetState::Browse && !editaPedido())
            q.cancel();
        atualizaComandos();
    };
    // The grid's key fields: typed only while an item is being inserted.
    qryItemPedido.defineField(QStringLiteral("CDARVPROD")).tag = 1;
    qryItemPedido.defineField(QStringLiteral("IDITPEDDIFER")).tag = 1;
    qryObsPedido.setSql(QStringLiteral("SELECT NRPEDIDO, TXOBSPED, CDFILIAL FROM OBSPEDIDO WHERE (NRPEDIDO = :NRPEDIDO) AND (CDFILIAL = :CDFILIAL)"));
    qryObsPedido.defineField(QStringLiteral("TXOBSPED"), FieldKind::Blob);
    qryObsPedido.setUpdateSql(updateSqlObservacao());
    QObject::connect(&docObservacao, &QTextDocument::contentsChanged, [this] { runGuarded([this] { observacaoDigitada(); }); });
    qryPesqMod.setSql(QStringLiteral("SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, NRPARCPGTOMOD, NRDIAPGFIXMOD, IDUTDIAPAGMOD, "
                                     "VRPEDESMODPG, IDLANCPEDMOD FROM MODPGTO WHERE (CDMODPGTO = :P_CDMODPGTO) ORDER BY CDMODPGTO"));
}

QString LancPedido::msg(const char* key) const { return msgLancPedido().Msg(QString::fromLatin1(key)); }

QString LancPedido::valor(const char* field) const
{
    if (!qryPedido.active())
        return {};
    return qryPedido.fieldByName(QString::fromLatin1(field)).asString();
}

void LancPedido::poe(const char* field, const QVariant& value) { qryPedido.fieldByName(QString::fromLatin1(field)).setValue(value); }

bool LancPedido::pedidoEditando() const
{
    return qryPedido.state() == DataSetState::Edit || qryPedido.state() == DataSetState::Insert;
}

bool LancPedido::pedidoExportado() const
{
    return qryPedido.state() != DataSetState::Insert && !listaVazia() && valor("IDSITPEDIDO") != QLatin1String("1");
}

bool LancPedido::listaVazia() const { return !qryPedido.active() || qryPedido.isEmpty(); }

void LancPedido::falha(ControlePedido controle, PaginaPedido pagina, const QString& texto)
{
    if (view_.paginaAtual() != pagina)
        mudaPagina(pagina);
    view_.foca(controle);
    view_.atualizaTela();
    MensErro(texto, true);
    throw Abort{}; // not reached
}

void LancPedido::falhaCabecalho(ControlePedido controle, const QString& texto)
{
    // The payment page's own checks come first when it is showing.
    if (view_.paginaAtual() == PaginaPedido::Modalidade) {
        Vd_CdModPgto(false);
        Vd_DiaFixo(false);
    }
    falha(controle, PaginaPedido::DadosGerais, texto);
}

void LancPedido::preparaLista(const QString& sql)
{
    qryLista.close();
    for (const QString& name : qryLista.fieldNames())
        qryLista.removeField(name);
    qryLista.setSql(sql);
}

void LancPedido::abreLista()
{
    abreQryPedido(qryPedido, Filtro);
    filialAceita_ = true;
    tela.periodoVisivel = Filtro.Emissao.dtDe.isValid();
    tela.periodoDe = Filtro.Emissao.dtDe.isValid() ? formatDate(Filtro.Emissao.dtDe) : QString();
    tela.periodoAte = Filtro.Emissao.dtAte.isValid() ? formatDate(Filtro.Emissao.dtAte) : QString();
    aposRolagem();
    if (listaVazia() && view_.paginaAtual() != PaginaPedido::Pedidos)
        mudaPagina(PaginaPedido::Pedidos);
}

void LancPedido::abreItens()
{
    boPrecoAlt = false;
    qryItemPedido.close();
    qryItemPedido.setParam(QStringLiteral("CDFILIAL"), listaVazia() && !pedidoEditando() ? Filtro.Filial : valor("CDFILIAL"));
    qryItemPedido.setParam(QStringLiteral("NRPEDIDO"), listaVazia() && !pedidoEditando() ? QString() : valor("NRPEDIDO"));
    qryItemPedido.open();
    VrTotalItemPed();
}

void LancPedido::releItens()
{
    if (itemEditando() || (qryItemPedido.active() && qryItemPedido.updatesPending()))
        return;
    abreItens();
}

void LancPedido::abreObservacao()
{
    qryObsPedido.close();
    qryObsPedido.setParam(QStringLiteral("CDFILIAL"), valor("CDFILIAL"));
    qryObsPedido.setParam(QStringLiteral("NRPEDIDO"), valor("NRPEDIDO"));
    qryObsPedido.open();
    mostraObservacao();
}

void LancPedido::VrTotalItemPed()
{
    const TextosTotais t = textosTotais(totaisPedido(db_, valor("CDFILIAL"), valor("NRPEDIDO")));
    tela.totBruto = t.bruto;
    tela.totLiq = t.liquido;
    tela.descMed = t.descMedio;
    tela.descTotal = t.descTotal;
}

void LancPedido::limpaCabecalho()
{
    const TelaPedido antes = tela;
    tela = TelaPedido{};
    tela.filial = antes.filial;
    tela.nmFilial = antes.nmFilial;
    tela.periodoVisivel = antes.periodoVisivel;
    tela.periodoDe = antes.periodoDe;
    tela.periodoAte = antes.periodoAte;
    tela.mascaraCliente = PictPess(QString());
}

void LancPedido::mostraPedidoNaTela()
{
    if (listaVazia() && !pedidoEditando()) {
        limpaCabecalho();
        return;
    }
    tela.titulo = qryPedido[QStringLiteral("DsPedido")].asString();
    tela.exportado = pedidoExportado();
    tela.nrPedido = valor("NRPEDIDO");
    tela.cliente = valor("NRINSJURCLIE");
    tela.mascaraCliente = PictPess(valor("IDTPIJURCLIE"));
    tela.nmCliente = valor("NMFANTCLIE");
    tela.vendedor = valor("CDVENDEDOR");
    tela.nmVendedor = valor("NMFANVEN");
    tela.prioridade = prioridadeDoCodigo(valor("IDPRIOPED"));
    tela.dataPedido = textoData(qryPedido[QStringLiteral("DTPEDIDO")].value());
    tela.dataEntrega = textoData(qryPedido[QStringLiteral("DTENTPED")].value());
    tela.tipoOper = valor("CDTIPOOPER");
    tela.nmTipoOper = valor("NMTIPOOPER");
    tela.cdModPgto = valor("CDMODPGTO");
    tela.dsModPgto = valor("DSMODPGTO");
    tela.cdPrcBase = valor("CDPRECOBASE");
    tela.dsPrcBase = valor("DSPRECOBASE");
    FormPgto();
    AtualizaFormaPgto();
}

void LancPedido::aposRolagem()
{
    mostraPedidoNaTela();
    if (!listaVazia())
        abreModPgto(valor("CDMODPGTO"));
    switch (view_.paginaAtual()) {
    case PaginaPedido::Itens:
        abreItens();
        break;
    case PaginaPedido::Observacao:
        abreObservacao();
        break;
    default:
        break;
    }
    view_.atualizaTela();
    atualizaComandos();
}

void LancPedido::novoPedido()
{
    // After insert: the defaults of a new order.
    EventsSuspended quiet(qryPedido);
    poe("NRPEDIDO", PrxCodPed(db_, Filtro.Filial));
    stIns.clear();
    stVend.clear();
    stNrInsJurClie.clear();
    stNmFantClie.clear();
    stCdVendedor.clear();
    stNmFanVen.clear();
    stModPgto.clear();
    // A new order starts its items afresh: no carried discount, the cap question again.
    stUltVal.clear();
    perguntaLimiteDesconto = true;
    doPerAnt = doValAnt = -1;
    limpaCabecalho();
    tela.nrPedido = valor("NRPEDIDO");
    Statement vend(db_, QStringLiteral("SELECT CDVENDEDOR, IDTPIJURVEN, NRINSJURVEN, NMRAZSOCVEN, NMFANVEN, DTNASCVEN, VRPECOMVEN FROM VENDEDOR "
                                       "WHERE CDOPERADOR = :P_CDOPERADOR ORDER BY NMFANVEN"));
    vend.bind(QStringLiteral("P_CDOPERADOR"), CdOperador());
    if (vend.step()) {
        poe("CDVENDEDOR", vend.rawValue(0));
        poe("NMFANVEN", vend.rawValue(4));
        poe("VRPECOMVDPED", vend.rawValue(6));
        tela.vendedor = vend.rawValue(0).toString();
        tela.nmVendedor = vend.rawValue(4).toString();
    }
    poe("CDFILIAL", Filtro.Filial);
    poe("IDPRIOPED", codigoPrioridade(Prioridade::Normal));
    tela.prioridade = Prioridade::Normal;
    const QDate hoje = QDate::currentDate();
    poe("DTPEDIDO", hoje);
    tela.dataPedido = formatDate(hoje);
    poe("NRDIAPGFIXPED", 0);
    poe("NRPARCPGTOPED", 0);
    tela.titulo = valor("NRPEDIDO") + QStringLiteral(" - ");
    tela.exportado = false;
    qryPesqMod.close();
    FormPgto();
    AtualizaFormaPgto();
}

bool LancPedido::editaPedido()
{
    // Before edit: a stored order that is not pending changes only its observation.
    if (qryPedido.state() != DataSetState::Browse || listaVazia())
        return pedidoEditando();
    if (valor("IDSITPEDIDO") != QLatin1String("1") && view_.paginaAtual() != PaginaPedido::Observacao)
        return false;
    stModPgto = valor("CDMODPGTO");
    qryPedido.edit();
    aposEdicao();
    return true;
}

void LancPedido::aposEdicao()
{
    if (view_.paginaAtual() == PaginaPedido::Pedidos)
        mudaPagina(PaginaPedido::DadosGerais);
    if (view_.paginaAtual() != PaginaPedido::Itens)
        releItens();
    stIns = valor("NRINSJURCLIE");
    stVend = valor("CDVENDEDOR");
    stNrInsJurClie = stIns;
    stNmFantClie = valor("NMFANTCLIE");
    stCdVendedor = stVend;
    stNmFanVen = valor("NMFANVEN");
    atualizaComandos();
}

void LancPedido::antesDoPost(PreparoGravacao& p)
{
    // 1-2: the customer as typed, then every header check.
    poe("NRINSJURCLIE", tela.cliente);
    poe("CDFILIALPED", QVariant());
    saiCdModPgto();
    Vd_Geral();
    // 3: dates, the moment of the entry and who made it.
    poe("DTPEDIDO", parseDateTime(tela.dataPedido).date());
    poe("DTHRLANPED", QDateTime::currentDateTime());
    poe("DTENTPED", QDateTime(parseDateTime(tela.dataEntrega).date(), QTime(0, 0)));
    poe("CDOPELANPED", CdOperador());
    // 4: priority, type and situation.
    poe("IDPRIOPED", codigoPrioridade(tela.prioridade));
    poe("IDTIPOPEDIDO", QStringLiteral("1"));
    poe("IDSITPEDIDO", QStringLiteral("1"));
    // 5: payment kind: cash is stored empty; a fixed day keeps its day and instalments.
    const QString kind = valor("IDTPFORPGTPED");
    if (kind.isEmpty() || kind == QLatin1String("X")) {
        poe("IDTPFORPGTPED", QVariant());
    } else if (kind == QLatin1String("F")) {
        poe("NRDIAPGFIXPED", tela.diaFixo.trimmed().isEmpty() ? QVariant() : QVariant(tela.diaFixo.trimmed().toInt()));
        poe("NRPARCPGTOPED", tela.parcelas.trimmed().isEmpty() ? QVariant() : QVariant(tela.parcelas.trimmed().toInt()));
    }
    // 6: the display name.
    const QVariant origem = db_.scalar(QStringLiteral("SELECT IDORIGDESTOP FROM TIPOOPERAC WHERE CDTIPOOPER = :P_CDTIPOOPER"),
                                       {{QStringLiteral("P_CDTIPOOPER"), valor("CDTIPOOPER")}});
    poe("NMRAZSOCCLIE", origem.toString() == QLatin1String("L") ? valor("NMFILIAL") : valor("NMFANTCLIE"));
    // 7: a stored order whose date or list changed prices its items again.
    if (qryPedido.state() == DataSetState::Edit) {
        const QVariant antiga = qryPedido[QStringLiteral("DTPEDIDO")].oldValue();
        const QDate dataAntiga = antiga.metaType().id() == QMetaType::QDate ? antiga.toDate() : antiga.toDateTime().date();
        if (dataAntiga != parseDateTime(tela.dataPedido).date())
            p.reprecificaData = MudaData(true);
        if (valor("CDPRECOBASE") != qryPedido[QStringLiteral("CDPRECOBASE")].oldValue().toString())
            p.reprecificaLista = MudaPrcBase();
    }
    // 9: blank texts are stored as null.
    Seta_Campo_Null(qryPedido);
}

} // namespace zov
