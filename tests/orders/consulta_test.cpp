// The product consultation over real rows, and its chosen products added to
// an order through the order window's item store.
#include "orders/ZOV00102_logic.h"
#include "tests/orders/lanc_pedido_fixture.h"

#include <random>

using namespace zov;
using namespace zov::test;

namespace {

class ConsultaTest : public LancPedidoTest {
protected:
    void SetUp() override
    {
        LancPedidoTest::SetUp();
        insertRow(db(), QStringLiteral("ENDEFILI"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("IDTPENDEFILI"), QStringLiteral("P")},
                   {QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                   {QStringLiteral("SGESTADO"), QStringLiteral("SP")}});
        insertRow(db(), QStringLiteral("ITDESPREBASE"),
                  {{QStringLiteral("CDPRECOBASE"), QStringLiteral("01")},
                   {QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                   {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
                   {QStringLiteral("CDPRODUTO"), QStringLiteral("P2")},
                   {QStringLiteral("VRPEMAXDESPR"), 3.0}});
        db().exec(QStringLiteral("UPDATE CLIENTE SET VRPEMAXDESCL = 0 WHERE CDCLIENTE = 'C1'"));
        db().exec(QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 5 WHERE CDVENDEDOR = '0001'"));
    }
    // A new order of C1 on its items page, and the consultation opened for it.
    ConsultaProdLogic& consulta(int bloco = kGridFetchBlock)
    {
        abre();
        preencheNovo();
        run([&] { logic->registro.mudaPagina(P::Itens); });
        cons = std::make_unique<ConsultaProdLogic>(db());
        cons->qryProdCompl.setFetchBlock(bloco);
        ParametrosConsulta p;
        run([&] { p = logic->itens.parametrosConsulta(); });
        cons->abre(p);
        return *cons;
    }
    Query& lista() { return cons->qryProdCompl; }
    bool vaiPara(const char* codigo) { return lista().locate(QStringLiteral("CDARVPROD"), QString::fromLatin1(codigo)); }
    double num(const char* f) { return lista().fieldByName(QString::fromLatin1(f)).asFloat(); }
    void digita(ColunaConsulta c, const char* f, double v)
    {
        ASSERT_TRUE(run([&] { cons->entraCelula(c, 0); }));
        lista().fieldByName(QString::fromLatin1(f)).setValue(v);
        ASSERT_TRUE(run([&] { cons->saiCelula(c); }));
    }
    std::unique_ptr<ConsultaProdLogic> cons;
};

// The order's own line, typed with no quantity, is refused before the chosen
// products go in: the message says it is that line, not a ticked product.
TEST_F(ConsultaTest, ARefusalOfTheLineBeingTypedNamesThatLine)
{
    consulta();
    Query& linha = logic->itens.qryItemPedido;
    linha[QStringLiteral("CDARVPROD")].setValue(QStringLiteral("0102"));
    ASSERT_TRUE(run([&] { logic->itens.saiColunaItem(ColunaItem::Produto); }));
    ASSERT_TRUE(vaiPara("0101"));
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 3);
    EXPECT_FALSE(run([&] { cons->confirma(); }));
    EXPECT_EQ(
        dialogs().errors().last(),
        QStringLiteral(
            "A linha 1 do pedido (produto 0102), em digitação na grade de itens, não pôde ser gravada:\nQuantidade deve ser informada."));
    dialogs().clear();
    // Typed on the grid itself, the message is the rule's alone.
    EXPECT_FALSE(run([&] { logic->itens.gravaItem(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Quantidade deve ser informada.")});
}

TEST_F(ConsultaTest, EveryProductOnceWithTodaysPriceAndItsMaximumDiscount)
{
    db().exec(QStringLiteral("UPDATE ITEMPREBASE SET DTFIMVALIPB = date('now', '-1 day') WHERE CDPRODUTO = 'P2' AND CDPRECOBASE = '01'"));
    consulta();
    EXPECT_TRUE(cons->podeConfirmar());
    EXPECT_EQ(lista().recordCount(), 4) << "the products with a stock product: P1, P2, P4, P9";
    ASSERT_TRUE(vaiPara("0101"));
    EXPECT_DOUBLE_EQ(num("VRITEPREBASE"), 20.0);
    EXPECT_DOUBLE_EQ(num("VRPEDESCMAX"), 5.0) << "a customer maximum of 0: the salesperson's";
    EXPECT_DOUBLE_EQ(num("VRPEDESCONTO"), 5.0);
    ASSERT_TRUE(vaiPara("0102"));
    EXPECT_TRUE(lista()[QStringLiteral("VRITEPREBASE")].isNull()) << "its only row expired yesterday";
    EXPECT_DOUBLE_EQ(num("VRPEDESCMAX"), 3.0) << "the product's own maximum in the branch's state";
    EXPECT_FALSE(run([&] { cons->marca(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Preço não cadastrado para o produto informado.")});
    EXPECT_FALSE(cons->escolhido());
}

TEST_F(ConsultaTest, ThePriceShownIsThePriceTheItemGetsWithThePaymentMethodsAdjustment)
{
    db().exec(QStringLiteral("UPDATE PRECOUTI SET VRPEADPBASE = 5 WHERE CDMODPGTO = '00001' AND CDPRECOBASE = '01'"));
    consulta();
    ASSERT_TRUE(vaiPara("0101"));
    EXPECT_DOUBLE_EQ(num("VRITEPREBASE"), 20.0) << "the list's own";
    EXPECT_DOUBLE_EQ(num("VRPRECO"), 21.0) << "the method adds 5 %";
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 2);
    EXPECT_EQ(cons->totalBruto(), Decimal::fromDouble(42.0, 2));
    ASSERT_TRUE(run([&] { cons->confirma(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_DOUBLE_EQ(le(QStringLiteral("SELECT VRPREUNITPED FROM ITEMPEDIDO")).toDouble(), 21.0) << "the item got the price shown";
}

TEST_F(ConsultaTest, ChosenRowsKeepValuePercentageAndTotalsInStepAndUntickingResetsThem)
{
    db().exec(QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 10"));
    db().exec(QStringLiteral("UPDATE ITEMPREBASE SET VRITEPREBASE = 5 WHERE CDPRODUTO = 'P1'"));
    consulta();
    ASSERT_TRUE(vaiPara("0101"));
    EXPECT_FALSE(cons->podeEditar(ColunaConsulta::Quantidade)) << "only chosen rows are edited";
    ASSERT_TRUE(run([&] { cons->marca(); }));
    EXPECT_EQ(cons->escolhas(), QStringList{QStringLiteral("0101 CANETA AZUL")});
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 10);
    EXPECT_DOUBLE_EQ(num("VRDESC"), 5.0) << "10 % of 10 x 5.00";
    EXPECT_EQ(cons->totalBruto(), Decimal(50));
    EXPECT_EQ(cons->totalLiquido(), Decimal(45));
    digita(ColunaConsulta::VrDesc, "VRDESC", 2.5);
    EXPECT_DOUBLE_EQ(num("VRPEDESCONTO"), 5.0);
    digita(ColunaConsulta::PerDesc, "VRPEDESCONTO", 10.0);
    EXPECT_DOUBLE_EQ(num("VRDESC"), 5.0);

    // Moving the list stores the row through the same rule.
    ASSERT_TRUE(run([&] { cons->entraCelula(ColunaConsulta::Quantidade, 0); }));
    lista()[QStringLiteral("QUANTIDADE")].setValue(20.0);
    ASSERT_TRUE(run([&] { lista().setRecNo(lista().recNo() + 1); }));
    ASSERT_TRUE(vaiPara("0101"));
    EXPECT_DOUBLE_EQ(num("VRDESC"), 10.0) << "the percentage's value on the new quantity";
    EXPECT_EQ(cons->totalBruto(), Decimal(100));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 10);

    dialogs().answer({false});
    ASSERT_TRUE(run([&] { cons->entraCelula(ColunaConsulta::PerDesc, 0); }));
    lista()[QStringLiteral("VRPEDESCONTO")].setValue(12.0);
    EXPECT_FALSE(run([&] { cons->saiCelula(ColunaConsulta::PerDesc); })) << "No to DESC_SUP refuses the store";
    EXPECT_EQ(dialogs().questions(),
              QStringList{QStringLiteral("Percentual do desconto é superior ao desconto máximo  10,00%. Deseja continuar?")});
    lista().cancel();
    digita(ColunaConsulta::VrDesc, "VRDESC", 2.5);

    ASSERT_TRUE(run([&] { cons->marca(); }));
    EXPECT_TRUE(cons->escolhas().isEmpty());
    EXPECT_DOUBLE_EQ(num("QUANTIDADE"), 0.0);
    EXPECT_DOUBLE_EQ(num("VRPEDESCONTO"), 10.0) << "back to its maximum";
    EXPECT_DOUBLE_EQ(num("VRDESC"), 0.0);
    EXPECT_EQ(cons->totalBruto(), Decimal(0));
}

TEST_F(ConsultaTest, AChosenRowWithoutAQuantityCannotBeLeft)
{
    consulta();
    ASSERT_TRUE(vaiPara("0101"));
    const int linha = lista().recNo();
    ASSERT_TRUE(run([&] { cons->marca(); }));
    EXPECT_FALSE(run([&] { lista().setRecNo(linha + 1); })) << "the user's move is refused";
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Quantidade deve ser informada.")});
    EXPECT_EQ(lista().recNo(), linha);
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 1);
    EXPECT_TRUE(run([&] { lista().setRecNo(linha + 1); }));

    // The consultation's own walks are not the user's: a search and removing from the list go on.
    ASSERT_TRUE(vaiPara("0102"));
    ASSERT_TRUE(run([&] { cons->marca(); }));
    dialogs().clear();
    EXPECT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QStringLiteral("LAP")); }));
    EXPECT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QString()); }));
    EXPECT_TRUE(run([&] { cons->removeEscolha(1); }));
    EXPECT_EQ(cons->escolhas(), QStringList{QStringLiteral("0101 CANETA AZUL")});
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
}

TEST_F(ConsultaTest, ASearchNarrowsTheListAndChosenRowsKeepTheirValues)
{
    consulta();
    ASSERT_TRUE(vaiPara("0101"));
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 3);
    ASSERT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QStringLiteral("LAP")); }));
    EXPECT_EQ(lista().recordCount(), 1);
    ASSERT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QString()); }));
    ASSERT_TRUE(vaiPara("0101"));
    EXPECT_DOUBLE_EQ(num("QUANTIDADE"), 3.0);
    EXPECT_TRUE(cons->escolhido());
    ASSERT_TRUE(run([&] { cons->removeEscolha(0); }));
    EXPECT_TRUE(cons->escolhas().isEmpty());
    EXPECT_DOUBLE_EQ(num("QUANTIDADE"), 0.0);
}

TEST_F(ConsultaTest, WithNothingChosenTheDatabaseNarrowsAndWhatIsChosenThereKeepsItsValues)
{
    consulta(1); // a list read a row at a time: larger than its block
    ASSERT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QStringLiteral("LAP")); }));
    EXPECT_NE(lista().sql(), qryProdComplSql()) << "narrowed by the database";
    ASSERT_EQ(lista().recordCount(), 1);
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 4);
    digita(ColunaConsulta::PerDesc, "VRPEDESCONTO", 2);

    // Another search goes back to the whole list, the chosen row with what was typed.
    ASSERT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QStringLiteral("CANETA")); }));
    EXPECT_EQ(lista().sql(), qryProdComplSql());
    EXPECT_EQ(lista().recordCount(), 1);
    ASSERT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QString()); }));
    ASSERT_TRUE(vaiPara("0102"));
    EXPECT_TRUE(cons->escolhido());
    EXPECT_DOUBLE_EQ(num("QUANTIDADE"), 4.0);
    EXPECT_DOUBLE_EQ(num("VRPEDESCONTO"), 2.0);
    ASSERT_TRUE(run([&] { cons->confirma(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(le(QStringLiteral("SELECT QTITEMPED || '/' || CDPRODUTO FROM ITEMPEDIDO")).toString(), QStringLiteral("4.0/P2"));
}

TEST_F(ConsultaTest, ConfirmAddsEveryChosenProductAsAnItemWithItsPercentage)
{
    consulta();
    EXPECT_FALSE(run([&] { cons->confirma(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Produto deve ser selecionado.")});
    for (const char* codigo : {"0102", "0101"}) {
        ASSERT_TRUE(vaiPara(codigo));
        ASSERT_TRUE(run([&] { cons->marca(); })) << codigo;
        digita(ColunaConsulta::Quantidade, "QUANTIDADE", 2);
    }
    dialogs().clear();
    ASSERT_TRUE(run([&] { cons->confirma(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("Inclusão realizada com sucesso.")});
    EXPECT_EQ(
        le(QStringLiteral("SELECT group_concat(CDPRODUTO, ',') FROM (SELECT CDPRODUTO FROM ITEMPEDIDO ORDER BY NRITEMPED)")).toString(),
        QStringLiteral("P1,P2"))
        << "in code order";
    EXPECT_NEAR(le(QStringLiteral("SELECT VRDESITPED FROM ITEMPEDIDO WHERE CDPRODUTO = 'P1'")).toDouble(), 2.0, 1e-9) << "5 % of 2 x 20.00";
    EXPECT_NEAR(le(QStringLiteral("SELECT VRDESITPED FROM ITEMPEDIDO WHERE CDPRODUTO = 'P2'")).toDouble(), 2 * 12.35 * 0.03, 1e-9)
        << "the product's own 3 % on the item's own price";
    EXPECT_EQ(pedidos(), 1);
    EXPECT_TRUE(cons->escolhas().isEmpty());
}

// What the consultation shows is what the order gets: for random quantities
// and percentages, its net total equals the order's after Confirm, and its
// discount value is the line's, cut to cents (3 x 7,75 at 7 %: 1,62, not 1,63).
TEST_F(ConsultaTest, ItsTotalsAreTheOrdersAfterConfirmForRandomLines)
{
    std::mt19937 sorte(20261210); // fixed: the same lines every run
    std::uniform_int_distribution<int> milesimos(1, 9999), centesimos(0, 500);
    for (int rodada = 0; rodada < 15; ++rodada) {
        SCOPED_TRACE(rodada);
        dialogs().clear();
        db().execScript(QStringLiteral("DELETE FROM ITEMPEDIDO; DELETE FROM PEDIDO;"));
        consulta();
        for (const char* codigo : {"0101", "0102"}) {
            ASSERT_TRUE(vaiPara(codigo));
            ASSERT_TRUE(run([&] { cons->marca(); })) << codigo;
            digita(ColunaConsulta::Quantidade, "QUANTIDADE", milesimos(sorte) / 1000.0);
            const double percentual = centesimos(sorte) / 100.0;
            if (percentual > num("VRPEDESCMAX"))
                dialogs().answer({true}); // above the maximum: yes
            digita(ColunaConsulta::PerDesc, "VRPEDESCONTO", percentual);
        }
        const QString liquido = formatNumber(cons->totalLiquido(), QStringLiteral("#,##0.00"));
        ASSERT_TRUE(run([&] { cons->confirma(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
        run([&] { logic->registro.confirmar(); });
        EXPECT_EQ(tela().totLiq, liquido);
        cons.reset();
        logic.reset();
    }
    // The line, as the grid shows it.
    consulta();
    ASSERT_TRUE(vaiPara("0101"));
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 3);
    if (1.6275 * 100 / 60 > num("VRPEDESCMAX"))
        dialogs().answer({true});
    digita(ColunaConsulta::VrDesc, "VRDESC", 1.6275);
    EXPECT_EQ(lista().fieldByName(QStringLiteral("VRDESC")).displayText(), QStringLiteral("1,62"));
}

TEST_F(ConsultaTest, ConfirmAddsOnlyWhatIsTickedEachOnceAndStopsOnATickedProductWithoutQuantity)
{
    auto itens = [&] { return countRows(db(), QStringLiteral("ITEMPEDIDO")); };
    // A code shorter than the product picture: removed from the chosen list is removed.
    SetDBPict({QStringLiteral("99.999.9999")});
    consulta();
    ASSERT_TRUE(vaiPara("0101"));
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 2);
    ASSERT_TRUE(run([&] { cons->removeEscolha(0); }));
    EXPECT_EQ(cons->totalBruto(), Decimal(0));
    EXPECT_FALSE(run([&] { cons->confirma(); }));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("Produto deve ser selecionado."));

    // A ticked product without a quantity, hidden by a search, stops Confirm on its row.
    ASSERT_TRUE(run([&] { cons->marca(); }));
    ASSERT_TRUE(run([&] { cons->pesquisa(ColunaConsulta::Nome, QStringLiteral("LAP")); }));
    ASSERT_TRUE(vaiPara("0102"));
    ASSERT_TRUE(run([&] { cons->marca(); }));
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 2);
    EXPECT_FALSE(run([&] { cons->confirma(); }));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("Quantidade deve ser informada."));
    EXPECT_EQ(lista()[QStringLiteral("CDARVPROD")].asString(), QStringLiteral("0101"));
    EXPECT_EQ(itens(), 0);

    // A failure halfway: what was added is unticked, so the next Confirm adds only the rest.
    digita(ColunaConsulta::Quantidade, "QUANTIDADE", 1);
    db().execScript(QStringLiteral(
        "CREATE TRIGGER falha BEFORE INSERT ON ITEMPEDIDO WHEN NEW.CDPRODUTO = 'P2' BEGIN SELECT RAISE(ABORT, 'disco cheio'); END"));
    EXPECT_FALSE(run([&] { cons->confirma(); }));
    EXPECT_EQ(itens(), 1);
    EXPECT_FALSE(cons->escolhido(QStringLiteral("0101")));
    EXPECT_TRUE(cons->escolhido(QStringLiteral("0102")));
    EXPECT_EQ(lista()[QStringLiteral("CDARVPROD")].asString(), QStringLiteral("0102"));
    EXPECT_FALSE(logic->itens.itemEditando()) << "the refused product's line is no line of the order";
    db().execScript(QStringLiteral("DROP TRIGGER falha"));
    dialogs().clear();
    ASSERT_TRUE(run([&] { cons->confirma(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        le(QStringLiteral("SELECT group_concat(CDPRODUTO, ',') FROM (SELECT CDPRODUTO FROM ITEMPEDIDO ORDER BY NRITEMPED)")).toString(),
        QStringLiteral("P1,P2"));
    SetDBPict({});
}

} // namespace

#include "library/dataset_model.h"
#include "library/shell.h"
#include "library/velmora.h"
#include "orders/ZOV00102.h"

#include <QComboBox>

#include <QHeaderView>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>

namespace {

// The consultation's window, opened on a new order's items page.
class ConsultaJanelaTest : public ConsultaTest {
protected:
    void abreJanela()
    {
        abre();
        preencheNovo();
        ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Itens); }));
        ParametrosConsulta p;
        ASSERT_TRUE(run([&] { p = logic->itens.parametrosConsulta(); }));
        janela = new TfrmConsultaProd(db(), p);
        janela->setAttribute(Qt::WA_DeleteOnClose);
        janela->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(janela));
    }
    TfrmConsultaProd* janela = nullptr;
};

TEST_F(ConsultaJanelaTest, TheWindowTicksWithSpaceTakesAQuantityAndCtrlEnterAddsTheItems)
{
    ASSERT_NO_FATAL_FAILURE(abreJanela());
    TfrmConsultaProd* frm = janela;
    QTableView* grade = frm->dbgProdutos();
    ASSERT_TRUE(frm->logic().qryProdCompl.locate(QStringLiteral("CDARVPROD"), QStringLiteral("0101")));
    const int row = frm->logic().qryProdCompl.recNo() - 1;
    auto* m = static_cast<DatasetModel*>(grade->model());
    const int marca = m->columnOf(QStringLiteral("IDMARCADO"));
    ASSERT_EQ(grade->horizontalHeader()->visualIndex(marca), 0) << "the tick column comes first";
    grade->setFocus();
    grade->setCurrentIndex(grade->model()->index(row, marca));
    QTest::keyClick(grade, Qt::Key_Space);
    ASSERT_EQ(frm->lstEscolhidos()->count(), 1);
    EXPECT_EQ(frm->lstEscolhidos()->item(0)->text(), QStringLiteral("0101 CANETA AZUL"));
    EXPECT_EQ(grade->model()->index(row, marca).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

    const QModelIndex qtd = grade->model()->index(row, m->columnOf(QStringLiteral("QUANTIDADE")));
    grade->setCurrentIndex(qtd);
    EXPECT_TRUE(qtd.flags() & Qt::ItemIsEditable) << "a chosen row's quantity takes typing";
    EXPECT_FALSE(grade->model()->index(row + 1, qtd.column()).flags() & Qt::ItemIsEditable) << "another row's does not";
    grade->edit(qtd);
    ASSERT_NE(QApplication::focusWidget(), grade) << "the quantity's editor is open";
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // stores the row with what the editor holds
    EXPECT_DOUBLE_EQ(frm->logic().qryProdCompl[QStringLiteral("QUANTIDADE")].asFloat(), 4.0);
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtTotBruto"))->text(), QStringLiteral("80,00"));

    // A name search narrows the list as typed (the timer's search run at once here).
    QTest::keyClicks(frm->edtProcurar(), QStringLiteral("lap"));
    EXPECT_EQ(frm->edtProcurar()->text(), QStringLiteral("LAP")) << "the search text is upper case";
    frm->pesquisaAgora();
    EXPECT_EQ(frm->logic().qryProdCompl.recordCount(), 1);

    QTest::keyClick(grade, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("Inclusão realizada com sucesso.")});
    EXPECT_EQ(le(QStringLiteral("SELECT QTITEMPED FROM ITEMPEDIDO")).toDouble(), 4.0);
    EXPECT_TRUE(frm->isVisible()) << "the window stays for more products";
    EXPECT_EQ(frm->lstEscolhidos()->count(), 0);
    frm->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ConsultaTest, TheWindowShowsItsCodeCodesWithThePictureAndKeepsAChosenRowWithoutQuantity)
{
    SetDBPict({QStringLiteral("99.99")});
    abre();
    preencheNovo();
    ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Itens); }));
    ParametrosConsulta p;
    ASSERT_TRUE(run([&] { p = logic->itens.parametrosConsulta(); }));
    shell().setStatusText(kScreenCodePanel, QStringLiteral("ZOV00100"));
    auto* frm = new TfrmConsultaProd(db(), p);
    frm->setAttribute(Qt::WA_DeleteOnClose);
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm));
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00102"));
    EXPECT_EQ(QApplication::focusWidget(), frm->edtProcurar());

    QTableView* grade = frm->dbgProdutos();
    auto* m = static_cast<DatasetModel*>(grade->model());
    ASSERT_TRUE(frm->logic().qryProdCompl.locate(QStringLiteral("CDARVPROD"), QStringLiteral("0101")));
    const int row = frm->logic().qryProdCompl.recNo() - 1;
    const int codigo = m->columnOf(QStringLiteral("CDARVPROD"));
    EXPECT_EQ(m->index(row, codigo).data(Qt::DisplayRole).toString(), QStringLiteral("01.01"));
    grade->setFocus();
    grade->setCurrentIndex(m->index(row, m->columnOf(QStringLiteral("IDMARCADO"))));
    QTest::keyClick(grade, Qt::Key_Space);
    ASSERT_EQ(frm->lstEscolhidos()->count(), 1);
    EXPECT_EQ(frm->lstEscolhidos()->item(0)->text(), QStringLiteral("01.01 CANETA AZUL"));
    EXPECT_EQ(grade->currentIndex().column(), m->columnOf(QStringLiteral("QUANTIDADE"))) << "the quantity comes next";
    EXPECT_EQ(m->index(row, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked)) << "membership by the code as shown";

    // Down from a chosen row with no quantity is refused and the grid stays.
    grade->setCurrentIndex(m->index(row, codigo));
    QTest::keyClick(grade, Qt::Key_Down);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Quantidade deve ser informada.")});
    QCoreApplication::processEvents();
    EXPECT_EQ(grade->currentIndex().row(), row);
    EXPECT_TRUE(grade->selectionModel()->isRowSelected(row, {})) << "the row stayed on is the one shown selected";
    EXPECT_FALSE(grade->selectionModel()->isRowSelected(row + 1, {}));
    EXPECT_EQ(frm->logic().qryProdCompl.recNo() - 1, row);

    // Searching codes types through the picture.
    frm->findChild<QComboBox*>(QStringLiteral("cbbCampo"))->setCurrentIndex(0);
    frm->edtProcurar()->setFocus();
    frm->edtProcurar()->setCursorPosition(0);
    QTest::keyClicks(frm->edtProcurar(), QStringLiteral("0101"));
    EXPECT_EQ(frm->edtProcurar()->displayText(), QStringLiteral("01.01"));
    frm->pesquisaAgora();
    EXPECT_EQ(frm->logic().qryProdCompl.recordCount(), 1);
    EXPECT_EQ(frm->logic().qryProdCompl[QStringLiteral("CDARVPROD")].asString(), QStringLiteral("0101"));

    frm->close();
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00100")) << "the opener's code comes back";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetDBPict({});
}

// The grid lets the keys out: Ctrl+Tab to the chosen list, Ctrl+Shift+Tab
// and F7 to the search, Tab past the last column, and a letter where nothing
// is typed starts a search.
TEST_F(ConsultaJanelaTest, TheKeysLeaveTheGridForTheSearchAndTheChosenList)
{
    ASSERT_NO_FATAL_FAILURE(abreJanela());
    TfrmConsultaProd* frm = janela;
    QTableView* grade = frm->dbgProdutos();
    auto* m = static_cast<DatasetModel*>(grade->model());
    const auto naGrade = [&](const char* campo) {
        grade->setFocus();
        grade->setCurrentIndex(m->index(0, m->columnOf(QString::fromLatin1(campo))));
    };
    naGrade("NMPRODUTO");
    QTest::keyClick(grade, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), frm->lstEscolhidos());
    naGrade("NMPRODUTO");
    QTest::keyClick(grade, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), frm->edtProcurar());
    naGrade("NMPRODUTO");
    QTest::keyClick(grade, Qt::Key_F7);
    EXPECT_EQ(QApplication::focusWidget(), frm->edtProcurar());
    frm->edtProcurar()->clear();
    naGrade("NMPRODUTO");
    QTest::keyClick(grade, Qt::Key_L);
    EXPECT_EQ(QApplication::focusWidget(), frm->edtProcurar());
    EXPECT_EQ(frm->edtProcurar()->text(), QStringLiteral("L"));
    // Tab from the last column shown.
    const QHeaderView* h = grade->horizontalHeader();
    int ultima = h->count() - 1;
    while (h->isSectionHidden(h->logicalIndex(ultima)))
        --ultima;
    grade->setFocus();
    grade->setCurrentIndex(m->index(0, h->logicalIndex(ultima)));
    QTest::keyClick(grade, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), frm->lstEscolhidos());
    frm->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
