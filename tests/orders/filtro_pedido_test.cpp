// The order filter's checks on Confirmar, its record and the query
// parameters it gives, Desfazer and the loading of the controls.
#include "library/dataset.h"
#include "orders/ZOV00101_logic.h"
#include "orders/filtro_pedido.h"
// PrintTo(QString) must be seen by every file of test_search, or the linker keeps
// one of two different printer instantiations.
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"

#include <gtest/gtest.h>

using namespace zov;

namespace {

const QDate kToday(2026, 12, 8);

EscolhasFiltro inicial() { return escolhasDoFiltro(filtroInicial(kToday)); }

QString keyOf(EscolhasFiltro e, bool focoNaEntrega = false)
{
    const auto f = confereFiltro(e, focoNaEntrega);
    return f ? f->key : QString();
}

TEST(FiltroPedido, PrioritiesSituationsAndListsMustBeChosen)
{
    EXPECT_EQ(keyOf(inicial()), QString()) << "the initial filter passes";
    EscolhasFiltro e = inicial();
    e.normal = e.alta = e.urgente = false;
    auto f = confereFiltro(e);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->texto, QStringLiteral("Prioridade deve ser informada."));
    EXPECT_EQ(parametrosPedido(filtroDasEscolhas(inicial(), {})).value(QStringLiteral("P_TPRIORIDADE")).toString(), QStringLiteral("T"));

    e = inicial();
    e.pendente = e.exportado = false;
    EXPECT_EQ(keyOf(e), QStringLiteral("STATUSPED"));

    e = inicial();
    e.clienteLista = true;
    f = confereFiltro(e);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->texto, QStringLiteral("Cliente deve ser informado."));
    EXPECT_EQ(f->foco, QStringLiteral("rbtClienteLista"));
    e.stCliente = QStringLiteral("_12_");
    EXPECT_EQ(keyOf(e), QString());

    // Lists are checked in the dialog's order: orders before customers.
    e = inicial();
    e.nrPedido = EscolhaNrPedido::Lista;
    e.clienteLista = e.produtoLista = e.municiCliLista = e.tipoOperLista = true;
    EXPECT_EQ(keyOf(e), QStringLiteral("LNrPedido"));
    e.stNrPedido = QStringLiteral("_0000000001_");
    EXPECT_EQ(keyOf(e), QStringLiteral("LCliente"));
    e.stCliente = QStringLiteral("_1_");
    EXPECT_EQ(keyOf(e), QStringLiteral("LProduto"));
    e.stProduto = QStringLiteral("_1_");
    EXPECT_EQ(keyOf(e), QStringLiteral("LMuniciCli"));
    e.stMuniciCli = QStringLiteral("_0001SP0001_");
    EXPECT_EQ(keyOf(e), QStringLiteral("LTipoOper"));
}

TEST(FiltroPedido, TheIntervalIsComparedAfterNormalisingToTenCharacters)
{
    EscolhasFiltro e = inicial();
    e.nrPedido = EscolhaNrPedido::Intervalo;
    EXPECT_EQ(keyOf(e), QStringLiteral("NRINI")) << "at least one end";
    e.stDe = QStringLiteral("5");
    EXPECT_EQ(keyOf(e), QStringLiteral("NRFIN"));
    e.stAte = QStringLiteral("41");
    EXPECT_EQ(keyOf(e), QString()) << "5 and 41 become 0000000005 and 0000000041";
    confereFiltro(e);
    EXPECT_EQ(e.stDe, QStringLiteral("0000000005"));
    e.stDe = QStringLiteral("50");
    const auto f = confereFiltro(e);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->key, QStringLiteral("NRINI>NRFIN"));
    EXPECT_EQ(f->foco, QStringLiteral("medDe"));

    e.stDe = QStringLiteral("5");
    ASSERT_FALSE(confereFiltro(e)); // Confirmar checks, then writes what it normalised
    const QVariantMap p = parametrosPedido(filtroDasEscolhas(e, {}));
    EXPECT_EQ(p.value(QStringLiteral("P_TINTERVALO")).toString(), QString());
    EXPECT_EQ(p.value(QStringLiteral("P_INTERVALODE")).toString(), QStringLiteral("0000000005"));
    EXPECT_EQ(p.value(QStringLiteral("P_TPEDIDO")).toString(), QStringLiteral("T")) << "an interval is not a list";
}

TEST(FiltroPedido, DateGroupsAndTheirOrder)
{
    EscolhasFiltro e = inicial();
    e.emissaoDe.clear();
    e.emissaoAte.clear();
    EXPECT_EQ(keyOf(e), QString());
    TFiltro f = filtroDasEscolhas(e, {});
    EXPECT_EQ(parametrosPedido(f).value(QStringLiteral("P_TEMISSAO")).toString(), QStringLiteral("T")) << "no order-date limit";
    EXPECT_TRUE(f.Emissao.boTodos);

    e.emissaoAte = QStringLiteral("08/12/2026");
    EXPECT_EQ(confereFiltro(e)->texto, QStringLiteral("Data pedido inicial deve ser informada."));
    e.emissaoDe = QStringLiteral("09/12/2026");
    EXPECT_EQ(keyOf(e), QStringLiteral("DTINI>DTFIN_PEDIDO"));
    e.emissaoDe = QStringLiteral("32/13/2026");
    const auto bad = confereFiltro(e);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->texto, QStringLiteral("'32/13/2026' não é uma data válida."));
    EXPECT_EQ(bad->foco, QStringLiteral("dtpPedidoDe"));

    // Both groups wrong: the one holding the focus is said first.
    e.entregaDe = QStringLiteral("01/12/2026");
    EXPECT_EQ(keyOf(e, false), QStringLiteral("DATA_INV"));
    EXPECT_EQ(keyOf(e, true), QStringLiteral("DTFIN_ENTREGA"));

    e = inicial();
    e.entregaDe = e.entregaAte = QStringLiteral("20/12/2026");
    f = filtroDasEscolhas(e, {});
    EXPECT_FALSE(f.Entrega.boTodos);
    EXPECT_EQ(parametrosPedido(f).value(QStringLiteral("P_ENTREGADE")).toDate(), QDate(2026, 12, 20));
}

TEST(FiltroPedido, DesfazerAndTheRecordRoundTrip)
{
    EscolhasFiltro d = escolhasDesfeitas(kToday);
    EXPECT_EQ(d.emissaoDe, QStringLiteral("01/12/2026"));
    EXPECT_EQ(d.emissaoAte, QStringLiteral("31/12/2026"));
    EXPECT_TRUE(d.entregaDe.isEmpty());
    EXPECT_EQ(d.nrPedido, EscolhaNrPedido::Todos);
    EXPECT_TRUE(d.normal && d.alta && d.urgente && d.pendente && d.exportado);

    EscolhasFiltro e = inicial();
    e.clienteLista = true;
    e.stCliente = QStringLiteral("_12_");
    e.tipoOperLista = true;
    e.stTipoOper = QStringLiteral("_01_");
    TFiltro base;
    base.Filial = QStringLiteral("0001");
    const TFiltro f = filtroDasEscolhas(e, base);
    EXPECT_EQ(f.Filial, QStringLiteral("0001"));
    EXPECT_EQ(f.Emissao.dtDe, kToday.addDays(-10));
    const EscolhasFiltro back = escolhasDoFiltro(f);
    EXPECT_TRUE(back.clienteLista);
    EXPECT_EQ(back.stCliente, QStringLiteral("_12_"));
    EXPECT_FALSE(back.tipoOperLista) << "the operation-type choice is not loaded from the record";
    EXPECT_EQ(back.stTipoOper, QStringLiteral("_01_"));
    EXPECT_EQ(back.emissaoDe, e.emissaoDe);
}

} // namespace

namespace {

// The municipality search offers only the municipalities of the chosen
// customers' addresses, customers matched by whole key.
TEST(FiltroPedido, MunicipalitiesOfTheChosenCustomersOnly)
{
    test::TempDatabase temp;
    Database& db = temp.db();
    test::insertRow(db, QStringLiteral("PAIS"),
                    {{QStringLiteral("CDPAIS"), QStringLiteral("0001")}, {QStringLiteral("NMPAIS"), QStringLiteral("Brasil")}});
    for (const auto& [uf, cd, nome] :
         {std::tuple{"SP", "0001", "Campinas"}, std::tuple{"RJ", "0002", "Niterói"}, std::tuple{"MG", "0003", "Uberaba"}})
        test::insertRow(db, QStringLiteral("MUNICIPIO"),
                        {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                         {QStringLiteral("SGESTADO"), QLatin1String(uf)},
                         {QStringLiteral("CDMUNICIPIO"), QLatin1String(cd)},
                         {QStringLiteral("NMMUNICIPIO"), QString::fromUtf8(nome)}});
    const auto address = [&](const char* cliente, const char* tipo, const char* uf, const char* cd) {
        test::insertRow(db, QStringLiteral("ENDECLIE"),
                        {{QStringLiteral("CDCLIENTE"), QLatin1String(cliente)},
                         {QStringLiteral("IDTPENDECLIE"), QLatin1String(tipo)},
                         {QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                         {QStringLiteral("SGESTADO"), QLatin1String(uf)},
                         {QStringLiteral("CDMUNICIPIO"), QLatin1String(cd)}});
    };
    address("12", "P", "SP", "0001");
    address("12", "C", "SP", "0001"); // the same municipality twice: offered once
    address("123", "P", "RJ", "0002");
    address("7", "P", "MG", "0003");

    const auto offered = [&](const QString& clientes, const QString& todos) {
        Query q(&db);
        q.setSql(qryMuniciCliSql());
        q.setParam(QStringLiteral("P_CDCLIENTE"), clientes);
        q.setParam(QStringLiteral("P_TCDCLIENTE"), todos);
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next())
            out << q[QStringLiteral("CONCATENADOS")].asString();
        return out;
    };
    EXPECT_EQ(offered(QStringLiteral("_12_"), QString()), QStringList{QStringLiteral("0001SP0001")}) << "not 123's";
    EXPECT_EQ(offered(QStringLiteral("_12__7_"), QString()), (QStringList{QStringLiteral("0001SP0001"), QStringLiteral("0001MG0003")}));
    EXPECT_EQ(offered(QString(), QStringLiteral("T")).size(), 3) << "every customer's, by name";
    EXPECT_TRUE(offered(QString(), QString()).isEmpty());
}

} // namespace

namespace {

TEST(FiltroPedido, OpeningShowsTheOperationTypeListAndLeavingADateChecksIt)
{
    TFiltro f = filtroInicial(kToday);
    f.TipoOper = {false, QStringLiteral("_01_")};
    EXPECT_TRUE(escolhasAoAbrir(f).tipoOperLista) << "a Confirmar must not drop the record's list";
    EXPECT_FALSE(filtroDasEscolhas(escolhasAoAbrir(f), f).TipoOper.boTodos);
    EXPECT_FALSE(escolhasAoAbrir(filtroInicial(kToday)).tipoOperLista);

    EXPECT_FALSE(confereDataDigitada(QString(), QStringLiteral("dtpEntregaDe"))) << "blank is no date, not a wrong one";
    EXPECT_FALSE(confereDataDigitada(QStringLiteral("29/02/2028"), QStringLiteral("dtpEntregaDe")));
    const auto f2 = confereDataDigitada(QStringLiteral("29/02/2027"), QStringLiteral("dtpEntregaDe"));
    ASSERT_TRUE(f2);
    EXPECT_EQ(f2->texto, QStringLiteral("'29/02/2027' não é uma data válida."));
    EXPECT_EQ(f2->foco, QStringLiteral("dtpEntregaDe"));
}

TEST(FiltroPedido, TheFiveListsGoIntoTheSavedVariablesAndBack)
{
    EscolhasFiltro e;
    e.stCliente = QStringLiteral("_1_");
    e.stMuniciCli = QStringLiteral("_0055SP0001_");
    e.stNrPedido = QStringLiteral("_0000000001_");
    e.stProduto = QStringLiteral("_010010001_");
    e.stTipoOper = QStringLiteral("_01_");
    const QMap<QString, QString> v = variaveisDasListas(e);
    EXPECT_EQ(v.keys(),
              (QStringList{QStringLiteral("stCliente"), QStringLiteral("stMuniciCli"), QStringLiteral("stNrPedido"),
                           QStringLiteral("stProduto"), QStringLiteral("stTipoOper")}));
    EXPECT_EQ(v.value(QStringLiteral("stProduto")), QStringLiteral("_010010001_"));

    EscolhasFiltro back;
    back.stTipoOper = QStringLiteral("_02_");
    QMap<QString, QString> semTipo = v;
    semTipo.remove(QStringLiteral("stTipoOper"));
    semTipo[QStringLiteral("stCliente")] = QString(); // saved empty: emptied
    listasDasVariaveis(semTipo, back);
    EXPECT_TRUE(back.stCliente.isEmpty());
    EXPECT_EQ(back.stMuniciCli, e.stMuniciCli);
    EXPECT_EQ(back.stNrPedido, e.stNrPedido);
    EXPECT_EQ(back.stTipoOper, QStringLiteral("_02_")) << "a set without the list keeps it";
}

} // namespace
