// What a customer bought: the history as the window lists it, the last price
// the items grid and the consultation show, and an order repeated.
#include "orders/ZOV00100.h"
#include "orders/ZOV00102_logic.h"
#include "orders/ZOV00103.h"
#include "orders/historico_cliente.h"
#include "orders/repeticao_pedido.h"
#include "tests/orders/lanc_pedido_fixture.h"

#include <QApplication>
#include <QPointer>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace zov;
using namespace zov::test;

namespace {

Decimal d(const char* v) { return *Decimal::fromString(v); }

class HistoricoTest : public ItensTest {
protected:
    // A line of the company's history of customer cliente, dated diasAtras before today.
    void historico(const char* cliente, const char* filial, const char* pedido, const char* item, const char* origem, int diasAtras,
                   const char* produto, double qtde, double preco, const char* situacao = "F")
    {
        db().exec(
            QStringLiteral("INSERT INTO HISTCLIENTE (CDCLIENTE, CDFILIAL, NRPEDIDO, NRITEMPED, IDORIGEM, DTPEDIDO, CDPRODUTO, QTITEMPED, "
                           "VRPRECO, VRDESCONTO, VRLIQUIDO, IDSITEMPRESA) VALUES (:C, :F, :N, :I, :O, :D, :P, :Q, :V, 0, :L, :S)"),
            {{QStringLiteral("C"), QString::fromLatin1(cliente)},
             {QStringLiteral("F"), QString::fromLatin1(filial)},
             {QStringLiteral("N"), QString::fromLatin1(pedido)},
             {QStringLiteral("I"), QString::fromLatin1(item)},
             {QStringLiteral("O"), QString::fromLatin1(origem)},
             {QStringLiteral("D"), dataDeHoje().addDays(-diasAtras).toString(Qt::ISODate) + QStringLiteral(" 10:00:00")},
             {QStringLiteral("P"), QString::fromLatin1(produto)},
             {QStringLiteral("Q"), qtde},
             {QStringLiteral("V"), preco},
             {QStringLiteral("L"), qtde * preco},
             {QStringLiteral("S"), QString::fromLatin1(situacao)}});
    }
    // C1's year: two company orders and one sent from a laptop, a cancelled
    // one, one older than a year, one of another branch and one of C2.
    void semeiaHistorico()
    {
        historico("C1", "0001", "E100", "1", "E", 200, "P1", 3, 8.00);
        historico("C1", "0001", "E100", "2", "E", 200, "P2", 1, 11.00);
        historico("C1", "0001", "E200", "1", "E", 30, "P1", 2, 9.50);
        historico("C1", "0001", "0000000050", "1", "L", 10, "P2", 4, 12.00);
        historico("C1", "0001", "E300", "1", "E", 5, "P1", 1, 5.00, "C");
        historico("C1", "0001", "E000", "1", "E", 400, "P1", 9, 1.00);
        historico("C1", "0002", "E900", "1", "E", 1, "P1", 9, 2.00);
        historico("C2", "0001", "E901", "1", "E", 1, "P1", 9, 3.00);
    }
};

TEST_F(HistoricoTest, TheCustomersYearNewestFirstWithThisLaptopsOrdersAndTheLastPriceOfEachProduct)
{
    semeiaHistorico();
    // Order 50 was sent and is in the history already; order 51 is pending here.
    pedidoGravado(db(), QStringLiteral("0000000050"), QStringLiteral("7"), dataDeHoje().addDays(-10).toString(Qt::ISODate));
    itemGravado(db(), QStringLiteral("0000000050"), QStringLiteral("1"));
    pedidoGravado(db(), QStringLiteral("0000000051"), QStringLiteral("1"));
    itemGravado(db(), QStringLiteral("0000000051"), QStringLiteral("1")); // 2 x 10,00 less 1,00

    const HistoricoCliente h(db(), QStringLiteral("C1"), QStringLiteral("0001"));
    QStringList vistos;
    for (const PedidoComprado& p : h.pedidos())
        vistos << QStringLiteral("%1 %2 %3 %4")
                      .arg(p.nrPedido, textoOrigem(p.origem), p.situacao, formatNumber(p.valor, QStringLiteral("0.00")));
    EXPECT_EQ(vistos,
              QStringList({QStringLiteral("0000000051 Este computador Pendente 19,00"), QStringLiteral("E300 Empresa Cancelado 5,00"),
                           QStringLiteral("0000000050 Vendedor Faturado 48,00"), QStringLiteral("E200 Empresa Faturado 19,00"),
                           QStringLiteral("E100 Empresa Faturado 35,00")}));

    // The cancelled order gives no price; the pending one is the newest of P1.
    QStringList produtos;
    for (const ProdutoComprado& p : h.porProduto())
        produtos << QStringLiteral("%1 %2 %3 %4")
                        .arg(p.nmProduto, formatDate(p.ultimaData), formatNumber(p.ultimoPreco, QStringLiteral("0.00")),
                             formatNumber(p.quantidade, QStringLiteral("0.000")));
    EXPECT_EQ(produtos,
              QStringList(
                  {QStringLiteral("CANETA AZUL %1 10,00 7,000").arg(hoje()), QStringLiteral("LAPIS PRETO %1 12,00 5,000").arg(dia(-10))}));

    // The order being typed is not its own history.
    const HistoricoCliente semO51(db(), QStringLiteral("C1"), QStringLiteral("0001"), QStringLiteral("0000000051"));
    EXPECT_EQ(semO51.ultimosPrecos().value(QStringLiteral("P1")).preco, d("9.5"));
    EXPECT_EQ(textoUltimoPreco({QDate(2026, 11, 3), d("9.5")}, d("10")), QStringLiteral("↑ 9,50 em 03/11/26"));
    EXPECT_EQ(textoUltimoPreco({QDate(2026, 11, 3), d("9.5")}, d("9.5")), QStringLiteral("9,50 em 03/11/26"));
}

TEST_F(HistoricoTest, TheItemsGridAndTheConsultationShowTheOrderCustomersLastPrice)
{
    semeiaHistorico();
    abre();
    pedidoNovo();
    ASSERT_TRUE(digitaItem(QStringLiteral("0101"), 1));
    ASSERT_TRUE(grava());
    ASSERT_TRUE(run([&] { logic->itens.abreItens(); }));
    ASSERT_TRUE(itens().locate(QStringLiteral("CDARVPROD"), QStringLiteral("0101")));
    EXPECT_EQ(itens()[QStringLiteral("UltPreco")].asString(),
              QStringLiteral("↑ 9,50 em %1").arg(dataDeHoje().addDays(-30).toString(QStringLiteral("dd/MM/yy"))));

    ConsultaProdLogic consulta(db());
    ParametrosConsulta p;
    ASSERT_TRUE(run([&] { p = logic->itens.parametrosConsulta(); }));
    consulta.abre(p);
    ASSERT_TRUE(consulta.qryProdCompl.locate(QStringLiteral("CDARVPROD"), QStringLiteral("0101")));
    EXPECT_EQ(consulta.qryProdCompl[QStringLiteral("ULTPRECO")].asString(),
              QStringLiteral("↑ 9,50 em %1").arg(dataDeHoje().addDays(-30).toString(QStringLiteral("dd/MM/yy"))));
    ASSERT_TRUE(consulta.qryProdCompl.locate(QStringLiteral("CDARVPROD"), QStringLiteral("0102")));
    EXPECT_EQ(consulta.qryProdCompl[QStringLiteral("ULTPRECO")].asString(),
              QStringLiteral("↑ 12,00 em %1").arg(dataDeHoje().addDays(-10).toString(QStringLiteral("dd/MM/yy"))));

    // Another customer has no history of these.
    p.cdCliente = QStringLiteral("C3");
    consulta.abre(p);
    ASSERT_TRUE(consulta.qryProdCompl.locate(QStringLiteral("CDARVPROD"), QStringLiteral("0101")));
    EXPECT_TRUE(consulta.qryProdCompl[QStringLiteral("ULTPRECO")].isNull());
}

// The repeated order: today's price, the inactive and unknown products
// listed and left out, nothing stored until Confirm and no trace after Esc.
TEST_F(HistoricoTest, ARepeatedOrderIsPricedTodayLeavesOutInactiveProductsAndIsStoredOnlyByConfirm)
{
    pedidoGravado(db(), QStringLiteral("0000000040"), QStringLiteral("7"), dataDeHoje().addDays(-20).toString(Qt::ISODate));
    itemGravado(db(), QStringLiteral("0000000040"), QStringLiteral("1")); // P1, 2 at 10,00
    for (const char* produto : {"P4", "PZ", "P2"})
        insertRow(db(), QStringLiteral("ITEMPEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000040")},
                   {QStringLiteral("NRITEMPED"), QString::fromLatin1(produto)},
                   {QStringLiteral("CDPRODUTO"), QString::fromLatin1(produto)},
                   {QStringLiteral("QTITEMPED"), 1.0},
                   {QStringLiteral("VRPREUNITPED"), 1.0}});
    abre();
    const int pedidosAntes = pedidos(), itensAntes = itensGravados();
    auto repete = [&] {
        dialogs().clear();
        return run([&] { repetePedido(*logic, *pedidoParaRepetir(db(), QStringLiteral("0001"), QStringLiteral("0000000040"))); });
    };
    ASSERT_TRUE(repete());
    ASSERT_FALSE(dialogs().infos().isEmpty());
    EXPECT_EQ(dialogs().infos().first(),
              QStringLiteral("Ficaram de fora do novo pedido os produtos abaixo:\n"
                             "0104 BORRACHA: inativo\nPZ: produto não cadastrado neste computador"));
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Insert);
    EXPECT_EQ(tela().cliente, kCpfLoja);
    ASSERT_EQ(itens().recordCount(), 2);
    EXPECT_EQ(itens()[QStringLiteral("CDARVPROD")].asString(), QStringLiteral("0101"));
    EXPECT_DOUBLE_EQ(num("QTITEMPED"), 2);
    EXPECT_DOUBLE_EQ(num("VRPREUNITPED"), 20) << "today's list, not the 10,00 of the order repeated";
    EXPECT_EQ(tela().totBruto, QStringLiteral("52,35")) << "the lines not yet written count";
    EXPECT_EQ(pedidos(), pedidosAntes);
    EXPECT_EQ(itensGravados(), itensAntes) << "nothing stored before Confirm";

    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
    EXPECT_EQ(pedidos(), pedidosAntes);
    EXPECT_EQ(itensGravados(), itensAntes) << "Esc leaves no trace";
    EXPECT_FALSE(logic->contexto.pedidoEditando());

    ASSERT_TRUE(repete());
    const QString novo = tela().nrPedido;
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(pedidos(), pedidosAntes + 1);
    EXPECT_FALSE(logic->contexto.pedidoEditando()) << "a repeated order has its items: no new line is begun";
    EXPECT_EQ(
        db().scalar(QStringLiteral("SELECT group_concat(NRITEMPED || ' ' || CDPRODUTO || ' ' || QTITEMPED || ' ' || VRPREUNITPED, '; ') "
                                   "FROM (SELECT * FROM ITEMPEDIDO WHERE NRPEDIDO = :N ORDER BY NRITEMPED)"),
                    {{QStringLiteral("N"), novo}})
            .toString()
            .toStdString(),
        "0000000001 P1 2.0 20.0; 0000000002 P2 1.0 12.35");
}

// The window by keys: the newest order chosen with its lines, Down to the
// next, Ctrl+Tab to the products and back, Enter to repeat the chosen one.
TEST_F(HistoricoTest, TheHistoryWindowWalksByKeysAndEnterRepeatsTheChosenOrder)
{
    semeiaHistorico();
    TfrmHistoricoCliente frm(db(), QStringLiteral("C1"), QStringLiteral("0001"), QStringLiteral("LOJA DA ESQUINA"), {});
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    QTableWidget* pedidos = frm.gradePedidos();
    ASSERT_EQ(pedidos->rowCount(), 4);
    EXPECT_EQ(pedidos->item(0, 1)->text(), QStringLiteral("E300"));
    EXPECT_EQ(frm.gradeLinhas()->item(0, 1)->text(), QStringLiteral("CANETA AZUL"));
    ASSERT_EQ(QApplication::focusWidget(), pedidos);
    QTest::keyClick(pedidos, Qt::Key_Down);
    EXPECT_EQ(frm.gradeLinhas()->item(0, 2)->text(), QStringLiteral("4,000")) << "the lines of order 50";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(frm.paginas()->currentIndex(), 1);
    ASSERT_EQ(frm.gradeProdutos()->rowCount(), 2);
    EXPECT_EQ(frm.gradeProdutos()->item(0, 3)->text(), QStringLiteral("9,50")) << "the cancelled order gives no price";
    EXPECT_FALSE(frm.sbtConfirma()->isEnabled()) << "an order is repeated from its own page";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(frm.paginas()->currentIndex(), 0);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(frm.result(), QDialog::Accepted);
    ASSERT_TRUE(frm.paraRepetir());
    EXPECT_EQ(frm.paraRepetir()->nrPedido, QStringLiteral("0000000050"));
    EXPECT_EQ(frm.paraRepetir()->registroCliente, kCpfLoja);
    ASSERT_EQ(frm.paraRepetir()->linhas.size(), 1);
    EXPECT_EQ(frm.paraRepetir()->linhas[0].cdArvProd, QStringLiteral("0102"));
}

// In the window: a repeat asked before the window's first activation (the
// customer window's road) waits for it; Esc drops the repeated order with no
// trace; Ctrl+R on the list repeats the current order.
TEST_F(HistoricoTest, TheOrderWindowRepeatsByCtrlROnceReadyAndEscLeavesNoTrace)
{
    pedidoGravado(db(), QStringLiteral("0000000040"), QStringLiteral("1"));
    itemGravado(db(), QStringLiteral("0000000040"), QStringLiteral("1"));
    const int antes = pedidos();
    QPointer<TfrmLanPedido> frm = CriaLanctoPedido();
    frm->setFiltro([](TFiltro&, const std::function<void()>& reabre) {
        reabre();
        return true;
    });
    dialogs().answer({true}); // the customer has a pending order: go on, as when typed
    frm->quandoPronta([&] { repeteAtual(frm->logic()); });
    ContextoPedido& ctx = frm->logic().contexto;
    QTRY_COMPARE(ctx.qryPedido.state(), DataSetState::Insert);
    EXPECT_EQ(frm->logic().itens.qryItemPedido.recordCount(), 1);
    dialogs().answer({true});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(ctx.qryPedido.state(), DataSetState::Browse);
    EXPECT_EQ(pedidos(), antes);
    EXPECT_EQ(itensGravados(), 1);

    ASSERT_TRUE(run([&] { frm->logic().registro.mudaPagina(PaginaPedido::Pedidos); }));
    dialogs().answer({true});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(ctx.qryPedido.state(), DataSetState::Insert);
    dialogs().answer({true});
    frm->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(pedidos(), antes);
}

} // namespace
