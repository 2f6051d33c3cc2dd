// The order record's list query, numbering and deletion on real rows.
#include "library/dataset.h"
#include "orders/filtro_pedido.h"
#include "orders/lanc_pedido.h"
#include "tests/support/temp_database.h"

#include <gtest/gtest.h>

using namespace zov;
using test::countRows;
using test::insertRow;

namespace {

const QDate kToday(2026, 12, 8);

class OrderList : public ::testing::Test {
protected:
    void SetUp() override
    {
        Database& d = db();
        insertRow(d, QStringLiteral("FILIAL"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("NMFILIAL"), QStringLiteral("MATRIZ")}});
        insertRow(d, QStringLiteral("FILIAL"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0002")}, {QStringLiteral("NMFILIAL"), QStringLiteral("DEPOSITO SUL")}});
        for (const char* c : {"12", "123", "7"})
            insertRow(d, QStringLiteral("CLIENTE"),
                      {{QStringLiteral("CDCLIENTE"), QLatin1String(c)},
                       {QStringLiteral("NMFANTCLIE"), QStringLiteral("LOJA %1").arg(QLatin1String(c))}});
        insertRow(d, QStringLiteral("ENDECLIE"),
                  {{QStringLiteral("CDCLIENTE"), QStringLiteral("12")},
                   {QStringLiteral("IDTPENDECLIE"), QStringLiteral("P")},
                   {QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                   {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
                   {QStringLiteral("CDMUNICIPIO"), QStringLiteral("0001")}});
        insertRow(d, QStringLiteral("ENDECLIE"),
                  {{QStringLiteral("CDCLIENTE"), QStringLiteral("123")},
                   {QStringLiteral("IDTPENDECLIE"), QStringLiteral("C")},
                   {QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                   {QStringLiteral("SGESTADO"), QStringLiteral("RJ")},
                   {QStringLiteral("CDMUNICIPIO"), QStringLiteral("0002")}});
        insertRow(d, QStringLiteral("VENDEDOR"),
                  {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")}, {QStringLiteral("NMFANVEN"), QStringLiteral("ANA")}});
        insertRow(d, QStringLiteral("MODPGTO"),
                  {{QStringLiteral("CDMODPGTO"), QStringLiteral("00001")}, {QStringLiteral("DSMODPGTO"), QStringLiteral("A VISTA")}});
        insertRow(d, QStringLiteral("PRECOBASE"),
                  {{QStringLiteral("CDPRECOBASE"), QStringLiteral("01")}, {QStringLiteral("DSPRECOBASE"), QStringLiteral("TABELA 1")}});
        insertRow(d, QStringLiteral("TIPOOPERAC"),
                  {{QStringLiteral("CDTIPOOPER"), QStringLiteral("01")},
                   {QStringLiteral("IDENTRSAIDOP"), QStringLiteral("S")},
                   {QStringLiteral("NMTIPOOPER"), QStringLiteral("VENDA")},
                   {QStringLiteral("IDORIGDESTOP"), QStringLiteral("C")}});
        insertRow(d, QStringLiteral("TIPOOPERAC"),
                  {{QStringLiteral("CDTIPOOPER"), QStringLiteral("02")},
                   {QStringLiteral("IDENTRSAIDOP"), QStringLiteral("S")},
                   {QStringLiteral("NMTIPOOPER"), QStringLiteral("TRANSFERENCIA")},
                   {QStringLiteral("IDORIGDESTOP"), QStringLiteral("L")}});
        insertRow(d, QStringLiteral("TIPOOPERAC"),
                  {{QStringLiteral("CDTIPOOPER"), QStringLiteral("03")},
                   {QStringLiteral("IDENTRSAIDOP"), QStringLiteral("E")},
                   {QStringLiteral("NMTIPOOPER"), QStringLiteral("ENTRADA")}});
        insertRow(d, QStringLiteral("PRODUTO"),
                  {{QStringLiteral("CDPRODUTO"), QStringLiteral("P1")}, {QStringLiteral("CDARVPROD"), QStringLiteral("10")}});
        insertRow(d, QStringLiteral("PRODUTO"),
                  {{QStringLiteral("CDPRODUTO"), QStringLiteral("P2")}, {QStringLiteral("CDARVPROD"), QStringLiteral("101")}});
    }
    Database& db() { return temp.db(); }
    // An order of branch 0001 that every join finds; `changes` overrides columns.
    void order(const QString& nr, const QVariantMap& changes = {})
    {
        QVariantMap row{{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                        {QStringLiteral("NRPEDIDO"), nr},
                        {QStringLiteral("CDCLIENTE"), QStringLiteral("12")},
                        {QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")},
                        {QStringLiteral("CDMODPGTO"), QStringLiteral("00001")},
                        {QStringLiteral("CDPRECOBASE"), QStringLiteral("01")},
                        {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")},
                        {QStringLiteral("IDENTRSAIDOP"), QStringLiteral("S")},
                        {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                        {QStringLiteral("IDPRIOPED"), QStringLiteral("3")},
                        {QStringLiteral("DTPEDIDO"), QStringLiteral("2026-12-08 10:30:00")}};
        for (auto it = changes.begin(); it != changes.end(); ++it)
            row[it.key()] = it.value();
        insertRow(db(), QStringLiteral("PEDIDO"), row);
    }
    void item(const QString& nr, const QString& item, const QString& produto)
    {
        insertRow(db(), QStringLiteral("ITEMPEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("NRPEDIDO"), nr},
                   {QStringLiteral("NRITEMPED"), item},
                   {QStringLiteral("CDPRODUTO"), produto}});
    }
    TFiltro filtro()
    {
        TFiltro f = filtroInicial(kToday);
        f.Filial = QStringLiteral("0001");
        return f;
    }
    // The order numbers listed, in the list's order.
    QStringList listed(const TFiltro& f)
    {
        Query q(&db());
        BancoPedido::abreQryPedido(q, f);
        QStringList out;
        for (q.first(); !q.eof(); q.next())
            out << q[QStringLiteral("NRPEDIDO")].asString();
        return out;
    }
    test::TempDatabase temp;
};

TEST_F(OrderList, TheJoinsDropOrdersWithoutReferenceRowsAndKeepThoseWithoutItemsOneRowEach)
{
    order(QStringLiteral("0000000001"));
    order(QStringLiteral("0000000002"), {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0009")}});
    order(QStringLiteral("0000000003"), {{QStringLiteral("CDCLIENTE"), QStringLiteral("999")}});
    order(QStringLiteral("0000000004"), {{QStringLiteral("CDMODPGTO"), QStringLiteral("00009")}});
    order(QStringLiteral("0000000005"), {{QStringLiteral("CDPRECOBASE"), QStringLiteral("99")}});
    order(QStringLiteral("0000000006"), {{QStringLiteral("CDTIPOOPER"), QStringLiteral("03")}}); // only an incoming type: outer join
    order(QStringLiteral("0000000007"), {{QStringLiteral("CDFILIAL"), QStringLiteral("0002")}});
    order(QStringLiteral("0000000008"));
    item(QStringLiteral("0000000008"), QStringLiteral("0000000001"), QStringLiteral("P1"));
    item(QStringLiteral("0000000008"), QStringLiteral("0000000002"), QStringLiteral("P2"));
    EXPECT_EQ(listed(filtro()), (QStringList{QStringLiteral("0000000008"), QStringLiteral("0000000006"), QStringLiteral("0000000001")}));

    Query q(&db());
    BancoPedido::abreQryPedido(q, filtro());
    q.first();
    EXPECT_EQ(q[QStringLiteral("NMFANVEN")].asString(), QStringLiteral("ANA"));
    EXPECT_EQ(q[QStringLiteral("DSMODPGTO")].asString(), QStringLiteral("A VISTA"));
    EXPECT_EQ(q[QStringLiteral("DSPRECOBASE")].asString(), QStringLiteral("TABELA 1"));
    EXPECT_EQ(q[QStringLiteral("NMTIPOOPER")].asString(), QStringLiteral("VENDA"));
    EXPECT_EQ(q[QStringLiteral("NMRAZSOCCLIE")].asString(), QStringLiteral("LOJA 12"));
    q.next();
    EXPECT_TRUE(q[QStringLiteral("NMTIPOOPER")].isNull()) << "an incoming type is not joined";
}

TEST_F(OrderList, ATransferShowsTheDestinationBranchAsItsName)
{
    order(QStringLiteral("0000000001"),
          {{QStringLiteral("CDTIPOOPER"), QStringLiteral("02")}, {QStringLiteral("CDFILIALPED"), QStringLiteral("0002")}});
    Query q(&db());
    BancoPedido::abreQryPedido(q, filtro());
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q[QStringLiteral("NMRAZSOCCLIE")].asString(), QStringLiteral("DEPOSITO SUL"));
    EXPECT_EQ(q[QStringLiteral("NMFILIAL")].asString(), QStringLiteral("DEPOSITO SUL"));
}

TEST_F(OrderList, StatusPriorityAndOrderNumberConditions)
{
    order(QStringLiteral("0000000001"));
    order(QStringLiteral("0000000002"),
          {{QStringLiteral("IDSITPEDIDO"), QStringLiteral("7")}, {QStringLiteral("IDPRIOPED"), QStringLiteral("1")}});
    order(QStringLiteral("0000000003"), {{QStringLiteral("IDSITPEDIDO"), QStringLiteral("9")}});
    order(QStringLiteral("0000000004"), {{QStringLiteral("IDPRIOPED"), QStringLiteral("2")}});
    TFiltro f = filtro();
    EXPECT_EQ(listed(f), (QStringList{QStringLiteral("0000000004"), QStringLiteral("0000000002"), QStringLiteral("0000000001")}));
    f.StatusPedido.boPendente = false;
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000002")});
    f = filtro();
    f.StatusPedido.boPendente = f.StatusPedido.boExportado = false;
    EXPECT_TRUE(listed(f).isEmpty()) << "no situation, no order";

    f = filtro();
    f.Prioridade.boNormal = false;
    EXPECT_EQ(listed(f), (QStringList{QStringLiteral("0000000004"), QStringLiteral("0000000002")}));
    EXPECT_EQ(parametrosPedido(f).value(QStringLiteral("P_PRIORIDADE")).toString(), QStringLiteral("21"));
    EXPECT_EQ(parametrosPedido(filtro()).value(QStringLiteral("P_TPRIORIDADE")).toString(), QStringLiteral("T"));

    f = filtro();
    f.NrPedido.boTodos = false;
    f.NrPedido.stNrPedido = QStringLiteral("_0000000001_0000000004_");
    EXPECT_EQ(listed(f), (QStringList{QStringLiteral("0000000004"), QStringLiteral("0000000001")}));
    f = filtro();
    f.NrPedido.boIntervalo = true;
    f.NrPedido.stDe = QStringLiteral("0000000002");
    f.NrPedido.stAte = QStringLiteral("0000000003");
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000002")});
}

TEST_F(OrderList, CustomerAndProductListsMatchWholeKeysOnly)
{
    order(QStringLiteral("0000000001"), {{QStringLiteral("CDCLIENTE"), QStringLiteral("12")}});
    order(QStringLiteral("0000000002"), {{QStringLiteral("CDCLIENTE"), QStringLiteral("123")}});
    item(QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("P1")); // tree code 10
    item(QStringLiteral("0000000002"), QStringLiteral("0000000001"), QStringLiteral("P2")); // tree code 101
    TFiltro f = filtro();
    f.Cliente.boTodos = false;
    f.Cliente.stCliente = QStringLiteral("_123_");
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000002")}) << "12 is not inside _123_";
    f.Cliente.stCliente = QStringLiteral("_12_");
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000001")});

    f = filtro();
    f.Produto.boTodos = false;
    f.Produto.stProduto = QStringLiteral("_101_");
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000002")}) << "10 is not inside _101_";
    f.Produto.stProduto = QStringLiteral("_10__101_");
    EXPECT_EQ(listed(f), (QStringList{QStringLiteral("0000000002"), QStringLiteral("0000000001")}));
    order(QStringLiteral("0000000003"));
    EXPECT_EQ(listed(f).size(), 2) << "an order without items has no product of the list";
}

TEST_F(OrderList, DateOperationTypeAndMunicipalityConditions)
{
    order(QStringLiteral("0000000001"),
          {{QStringLiteral("DTPEDIDO"), QStringLiteral("2026-11-28 23:59:59")},
           {QStringLiteral("DTENTPED"), QStringLiteral("2026-12-20 00:00:00")}});
    order(QStringLiteral("0000000002"), {{QStringLiteral("DTPEDIDO"), QStringLiteral("2026-11-27 08:00:00")}});
    order(QStringLiteral("0000000003"),
          {{QStringLiteral("CDTIPOOPER"), QStringLiteral("02")}, {QStringLiteral("CDCLIENTE"), QStringLiteral("123")}});
    TFiltro f = filtro(); // from 2026-11-28 to today, whatever the time of day
    EXPECT_EQ(listed(f), (QStringList{QStringLiteral("0000000003"), QStringLiteral("0000000001")}));
    f.Emissao.dtDe = QDate();
    f.Emissao.dtAte = QDate();
    EXPECT_EQ(listed(f).size(), 3) << "no order-date limit";

    f = filtro();
    f.Entrega.dtDe = QDate(2026, 12, 20);
    f.Entrega.dtAte = QDate(2026, 12, 20);
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000001")}) << "an order without delivery date is out";

    f = filtro();
    f.TipoOper.boTodos = false;
    f.TipoOper.stTipoOper = QStringLiteral("_02_");
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000003")});

    f = filtro();
    f.MuniciCli.boTodos = false;
    f.MuniciCli.stMuniciCli = QStringLiteral("_0001SP0001_");
    EXPECT_EQ(listed(f), QStringList{QStringLiteral("0000000001")}) << "only the customers' main address counts";
    f.MuniciCli.stMuniciCli = QStringLiteral("_0001RJ0002_");
    EXPECT_TRUE(listed(f).isEmpty()) << "123 lives there only by a delivery address";

    f = filtro();
    f.Filial = QStringLiteral("0002");
    EXPECT_TRUE(listed(f).isEmpty());
}

TEST_F(OrderList, NumbersArePerBranchOnePastTheHighestAndAFreedNewestNumberComesAgain)
{
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0001")), QStringLiteral("0000000001"));
    order(QStringLiteral("0000000001"));
    order(QStringLiteral("0000000041"));
    order(QStringLiteral("0000000099"), {{QStringLiteral("CDFILIAL"), QStringLiteral("0002")}});
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0001")), QStringLiteral("0000000042")) << "gaps are not filled";
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0002")), QStringLiteral("0000000100"));
    BancoPedido(db()).excluiPedido(QStringLiteral("0001"), QStringLiteral("0000000041"));
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0001")), QStringLiteral("0000000002"));

    EXPECT_EQ(BancoPedido::LancPedSit(QStringLiteral("1")), QStringLiteral("1"));
    EXPECT_EQ(BancoPedido::LancPedSit(QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(BancoPedido::LancPedSit(QString()), QStringLiteral("7"));
}

TEST_F(OrderList, DeletionTakesItemsAndObservationOrNothingAndSaysWhy)
{
    order(QStringLiteral("0000000001"));
    item(QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("P1"));
    item(QStringLiteral("0000000001"), QStringLiteral("0000000002"), QStringLiteral("P2"));
    insertRow(db(), QStringLiteral("OBSPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000001")}});
    order(QStringLiteral("0000000002"));
    item(QStringLiteral("0000000002"), QStringLiteral("0000000001"), QStringLiteral("P1"));

    EXPECT_FALSE(BancoPedido(db()).temItemExpedido(QStringLiteral("0001"), QStringLiteral("0000000001")));
    db().exec(QStringLiteral("UPDATE ITEMPEDIDO SET QTEXPITEMPED = 2 WHERE NRPEDIDO = '0000000001' AND NRITEMPED = '0000000002'"));
    EXPECT_TRUE(BancoPedido(db()).temItemExpedido(QStringLiteral("0001"), QStringLiteral("0000000001")));
    EXPECT_TRUE(BancoPedido(db()).temItemExpedido(QStringLiteral("0001"), QStringLiteral("0000000001"), QStringLiteral("0000000002")));
    EXPECT_FALSE(BancoPedido(db()).temItemExpedido(QStringLiteral("0001"), QStringLiteral("0000000001"), QStringLiteral("0000000001")));

    db().execScript(QStringLiteral("CREATE TRIGGER TRAVA BEFORE DELETE ON PEDIDO BEGIN SELECT RAISE(ABORT, 'bloqueado'); END"));
    try {
        BancoPedido(db()).excluiPedido(QStringLiteral("0001"), QStringLiteral("0000000001"));
        ADD_FAILURE() << "a failed deletion must be said";
    } catch (const std::exception& e) {
        EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QStringLiteral("bloqueado")), -1) << e.what();
    }
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPEDIDO"), QStringLiteral("NRPEDIDO = '0000000001'")), 2) << "the items came back";
    EXPECT_EQ(countRows(db(), QStringLiteral("OBSPEDIDO")), 1);
    EXPECT_FALSE(db().inTransaction());

    db().execScript(QStringLiteral("DROP TRIGGER TRAVA"));
    BancoPedido(db()).excluiPedido(QStringLiteral("0001"), QStringLiteral("0000000001"));
    EXPECT_EQ(countRows(db(), QStringLiteral("PEDIDO")), 1);
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPEDIDO")), 1) << "the other order keeps its item";
    EXPECT_EQ(countRows(db(), QStringLiteral("OBSPEDIDO")), 0);
}

} // namespace

namespace {

TEST_F(OrderList, TheOrderDateRangeTakesWholeDaysWhateverTheStoredTimeOrForm)
{
    order(QStringLiteral("0000000001"), {{QStringLiteral("DTPEDIDO"), QStringLiteral("2026-11-27 23:59:59")}});
    order(QStringLiteral("0000000002"), {{QStringLiteral("DTPEDIDO"), QStringLiteral("2026-11-28")}});
    order(QStringLiteral("0000000003"), {{QStringLiteral("DTPEDIDO"), QStringLiteral("2026-12-08 23:59:59.999")}});
    order(QStringLiteral("0000000004"), {{QStringLiteral("DTPEDIDO"), QStringLiteral("2026-12-09 00:00:00")}});
    order(QStringLiteral("0000000005"), {{QStringLiteral("DTPEDIDO"), QVariant()}});
    TFiltro f = filtro(); // 28/11 to 08/12
    EXPECT_EQ(listed(f), (QStringList{QStringLiteral("0000000003"), QStringLiteral("0000000002")}));
    f.Emissao = {true, QDate(), QDate()};
    EXPECT_EQ(listed(f).size(), 5) << "no order-date restriction lists undated orders too";
}

} // namespace
