// Money on the items page: the examples a salesperson found where a total
// disagreed with its lines, or a typed value did not stay as typed.
#include "orders/espelho_pedido.h"
#include "tests/orders/lanc_pedido_fixture.h"

using namespace zov;
using namespace zov::test;

namespace {

class DinheiroTest : public ItensTest {
protected:
    // List 01 prices product 0101; method 00001 adds a percentage to it.
    void precos(double lista, double ajuste)
    {
        db().exec(QStringLiteral("UPDATE ITEMPREBASE SET VRITEPREBASE = :V WHERE CDPRODUTO = 'P1' AND CDPRECOBASE = '01'"),
                  {{QStringLiteral("V"), lista}});
        db().exec(QStringLiteral("UPDATE PRECOUTI SET VRPEADPBASE = :V WHERE CDMODPGTO = '00001' AND CDPRECOBASE = '01'"),
                  {{QStringLiteral("V"), ajuste}});
    }
    QString texto(const char* campo)
    {
        const Field& f = itens().fieldByName(QString::fromLatin1(campo));
        return textoItem(f, f.value());
    }
    double descontoGravado() { return le(QStringLiteral("SELECT VRDESITPED FROM ITEMPEDIDO")).toDouble(); }
};

TEST_F(DinheiroTest, TenPercentOffTwoNinetyIsTwentyNineCentsInTheLineAndInTheTotals)
{
    precos(2.9, 0);
    abre();
    pedidoNovo();
    ASSERT_TRUE(digitaItem(QStringLiteral("0101"), 1));
    poe("PERDESC", 10.0);
    ASSERT_TRUE(run([&] { logic->itens.saiColunaItem(ColunaItem::PerDesc); }));
    ASSERT_TRUE(grava()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(texto("VRDESITPED"), QStringLiteral("0,29"));
    EXPECT_EQ(texto("VrTotal"), QStringLiteral("2,61"));
    EXPECT_EQ((QStringList{tela().totBruto, tela().descTotal, tela().totLiq}),
              (QStringList{QStringLiteral("2,90"), QStringLiteral("0,29"), QStringLiteral("2,61")}));
}

TEST_F(DinheiroTest, ThreeAtFortyNineNinetyPlusFivePercentIsOneFiftySevenTwentyInTheLineAndTheTotal)
{
    precos(49.9, 5);
    abre();
    pedidoNovo();
    ASSERT_TRUE(digitaItem(QStringLiteral("0101"), 3));
    EXPECT_EQ(itens()[QStringLiteral("VRPREUNITPED")].asDecimal(10).toString(), QStringLiteral("52.395"));
    ASSERT_TRUE(grava()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(texto("VRPREUNITPED"), QStringLiteral("52,40"));
    EXPECT_EQ(texto("VrTotal"), QStringLiteral("157,20")) << "not 157,17";
    EXPECT_EQ(tela().totBruto, QStringLiteral("157,20"));
}

TEST_F(DinheiroTest, ADiscountValueTypedAsThreeIsStoredAsThreeAndThePercentageFollowsIt)
{
    precos(49.9, 5);
    abre();
    pedidoNovo();
    // Typed after a percentage, left by Enter: the store used to recompute it from the percentage.
    ASSERT_TRUE(digitaItem(QStringLiteral("0101"), 3));
    poe("PERDESC", 5.0);
    ASSERT_TRUE(run([&] { logic->itens.saiColunaItem(ColunaItem::PerDesc); }));
    itens()[QStringLiteral("VRDESITPED")].setTypedText(QStringLiteral("3,00"));
    ASSERT_TRUE(grava()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(descontoGravado(), 3.0) << "not 2.9999999999999996";
    EXPECT_EQ(texto("VRDESITPED"), QStringLiteral("3,00"));
    EXPECT_EQ(tela().totLiq, QStringLiteral("154,20"));
    EXPECT_EQ(logic->itens.ultimoDesconto().left(7), QStringLiteral("1,90857"))
        << "the next item starts with the percentage the value made";

    // Typed and stored at once (Confirm, no column left): the value still stays.
    db().exec(QStringLiteral("DELETE FROM ITEMPEDIDO"));
    ASSERT_TRUE(digitaItem(QStringLiteral("0101"), 3));
    poe("PERDESC", 5.0);
    ASSERT_TRUE(run([&] { logic->itens.saiColunaItem(ColunaItem::PerDesc); }));
    view.coluna = ColunaItem::VrDesc;
    itens()[QStringLiteral("VRDESITPED")].setTypedText(QStringLiteral("3,00"));
    ASSERT_TRUE(run([&] { logic->itens.gravaItem(); }));
    EXPECT_EQ(descontoGravado(), 3.0);

    // A percentage typed after the value leads again: the value follows it.
    db().exec(QStringLiteral("DELETE FROM ITEMPEDIDO"));
    ASSERT_TRUE(digitaItem(QStringLiteral("0101"), 3));
    itens()[QStringLiteral("VRDESITPED")].setTypedText(QStringLiteral("3,00"));
    poe("PERDESC", 10.0);
    view.coluna = ColunaItem::PerDesc;
    ASSERT_TRUE(run([&] { logic->itens.gravaItem(); }));
    EXPECT_EQ(descontoGravado(), 15.7185);
}

TEST_F(DinheiroTest, ValuesStoredBeforeExactDecimalsReadAsTheyWereShown)
{
    pedidoGravado(db(), QStringLiteral("0000000001"));
    insertRow(db(), QStringLiteral("ITEMPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000001")},
               {QStringLiteral("NRITEMPED"), QStringLiteral("0000000001")},
               {QStringLiteral("CDPRODUTO"), QStringLiteral("P1")},
               {QStringLiteral("QTITEMPED"), 3.0},
               {QStringLiteral("VRPREUNITPED"), 52.394999999999996},
               {QStringLiteral("VRDESITPED"), 2.9999999999999996},
               {QStringLiteral("IDSITITEMPED"), QStringLiteral("1")}});
    const auto espelho = EspelhoPedido::le(db(), QStringLiteral("0001"), QStringLiteral("0000000001"));
    ASSERT_TRUE(espelho);
    const DadosEspelho& e = espelho->dados();
    ASSERT_EQ(e.itens.size(), 1u);
    EXPECT_EQ((QStringList{e.itens[0][5], e.itens[0][7], e.itens[0][8]}),
              (QStringList{QStringLiteral("52,40"), QStringLiteral("3,00"), QStringLiteral("154,20")}));
    EXPECT_EQ((QStringList{e.totais.bruto, e.totais.descTotal, e.totais.liquido}),
              (QStringList{QStringLiteral("157,20"), QStringLiteral("3,00"), QStringLiteral("154,20")}));
}

} // namespace
