// The customer's credit before Confirm: the question and its figures at the
// limit's boundary, what counts as open, and the question met at Confirm.
#include "orders/credito_cliente.h"
#include "tests/orders/lanc_pedido_fixture.h"

using namespace zov;
using namespace zov::test;

namespace {

Decimal d(const char* v) { return Decimal::fromDouble(QString::fromLatin1(v).toDouble(), 2); }

TEST(PerguntaDeCredito, AsksPastTheLimitOrWithOverdueBillsAndNeverAtItOrWithoutALimit)
{
    CreditoCliente c;
    c.temLimite = true;
    c.limite = d("5000");
    c.abertoEmpresa = d("4000");
    c.pedidosAqui = d("200");
    EXPECT_EQ(perguntaDeCredito(c, d("800")), QString()) << "exactly at the limit";
    EXPECT_EQ(
        perguntaDeCredito(c, d("800.01")),
        QStringLiteral("O pedido ultrapassa o limite de crédito do cliente: limite 5.000,00, em aberto 4.200,00, este pedido 800,01.\n"
                       "Confirmar assim mesmo?"));
    c.vencido = d("350");
    EXPECT_EQ(perguntaDeCredito(c, d("1")), QStringLiteral("O cliente tem títulos vencidos: 350,00.\nConfirmar assim mesmo?"));
    c.temLimite = false;
    c.vencido = Decimal();
    EXPECT_EQ(perguntaDeCredito(c, d("999999")), QString()) << "no limit, nothing to exceed";
    EXPECT_EQ(resumoDeCredito(c), QStringLiteral("Sem limite de crédito · em aberto 4.200,00 · vencido 0,00"));
    EXPECT_EQ(resumoDeCredito(CreditoCliente{}), QString());
}

// Open: the company's receivables and this laptop's orders of the customer
// not invoiced yet (pending or sent), but the order at hand; a question at
// Confirm whose No keeps the order as typed.
TEST_F(LancPedidoTest, TheCreditQuestionCountsWhatIsOpenAndItsNoKeepsTheOrderOnScreen)
{
    db().execScript(QStringLiteral("UPDATE CLIENTE SET VRLIMCREDCLI = 90 WHERE CDCLIENTE = 'C1';"
                                   "INSERT INTO TITULOCLIENTE (CDCLIENTE, VRABERTO, VRVENCIDO) VALUES ('C1', 60, 0);"));
    test::pedidoGravado(db(), QStringLiteral("0000000001"), QStringLiteral("1"));
    test::itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001")); // 2 x 10,00 less 1,00
    test::pedidoGravado(db(), QStringLiteral("0000000002"), QStringLiteral("7"));
    test::itemGravado(db(), QStringLiteral("0000000002"), QStringLiteral("0000000001"), QStringLiteral("2"));
    test::pedidoGravado(db(), QStringLiteral("0000000003"), QStringLiteral("7"));
    test::itemGravado(db(), QStringLiteral("0000000003"), QStringLiteral("0000000001"), QStringLiteral("2"));
    db().execScript(QStringLiteral("INSERT INTO SITPEDIDO (CDFILIAL, NRPEDIDO, IDSITEMPRESA) VALUES ('0001', '0000000003', 'F')"));
    const CreditoCliente c = creditoDoCliente(db(), QStringLiteral("C1"), QStringLiteral("0001"), QStringLiteral("0000000001"));
    EXPECT_EQ(c.emAberto(), d("79")) << "60 + order 2 (19,00); order 1 is the one at hand, order 3 is invoiced";

    abre();
    dialogs().answer({true}); // the customer's pending order 1 is there: go on
    preencheNovo();
    dialogs().clear();
    EXPECT_EQ(tela().creditoCliente, QStringLiteral("Limite de crédito 90,00 · em aberto 98,00 · vencido 0,00"));
    dialogs().answer({false});
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    ASSERT_EQ(dialogs().questions().size(), 1);
    EXPECT_EQ(dialogs().questions()[0],
              QStringLiteral("O pedido ultrapassa o limite de crédito do cliente: limite 90,00, em aberto 98,00, "
                             "este pedido 0,00.\nConfirmar assim mesmo?"));
    EXPECT_EQ(pedidos(), 3) << "nothing stored";
    EXPECT_TRUE(logic->contexto.pedidoEditando()) << "the order stays on screen as typed";
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(pedidos(), 4);
}

} // namespace
