// What the salesperson typed survives: a failed store, a repricing, the
// consultation, an empty next line and a close keep every record in progress
// as it was typed, and no question waits with the database locked.
#include "library/relogio.h"
#include "tests/orders/lanc_pedido_fixture.h"

using namespace zov;
using namespace zov::test;

namespace {

class DigitadoTest : public ItensTest {
protected:
    void SetUp() override
    {
        ItensTest::SetUp();
        dialogs().onQuestion = [this](const QString& q) {
            EXPECT_FALSE(db().inTransaction()) << "asked with the database locked: " << q.toStdString();
        };
    }
    // Pending order 1 with one stored line (0101, 2 x 10,00), on its items page.
    void pedidoComItem()
    {
        pedidoGravado(db(), QStringLiteral("0000000001"));
        itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("1"),
                    zov::dataDeHoje().toString(Qt::ISODate) + QStringLiteral(" 10:00:00"));
        abre();
        ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Itens); }));
        ASSERT_EQ(itens().recordCount(), 1);
    }
    bool confirma()
    {
        return run([&] { logic->registro.confirmar(); });
    }
    QString produtoDigitado() { return logic->itens.itemEditando() ? itens()[QStringLiteral("CDARVPROD")].asString() : QString(); }
    void falhaNoBanco(const QString& quando)
    {
        db().execScript(QStringLiteral("CREATE TRIGGER falha %1 ON ITEMPEDIDO BEGIN SELECT RAISE(ABORT, 'disco cheio'); END").arg(quando));
    }
    void consertaBanco() { db().execScript(QStringLiteral("DROP TRIGGER falha")); }
};

TEST_F(DigitadoTest, AFailedConfirmKeepsTheLineTheHeaderAndTheObservationAsTypedAndTheNextConfirmStoresThem)
{
    struct Caso {
        const char* nome;
        const char* gatilho;
        bool novaEntrega;
    };
    const Caso casos[] = {{"a new line", "BEFORE INSERT", false},
                          {"an edited quantity", "BEFORE UPDATE OF QTITEMPED", false},
                          {"the delivery moved after ALT_DTITEM", "BEFORE UPDATE OF DTENTITPED", true}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        TearDown();
        SetUp();
        pedidoComItem();
        const bool novaLinha = QByteArray(c.gatilho).contains("INSERT") || c.novaEntrega;
        if (novaLinha) {
            ASSERT_TRUE(digitaItem(QStringLiteral("0102"), 3));
        } else {
            ASSERT_TRUE(run([&] { logic->itens.alterarItem(); }));
            poe("QTITEMPED", 7.0);
        }
        if (c.novaEntrega)
            tela().dataEntrega = dia(5);
        ASSERT_TRUE(run([&] { logic->observacao.editaObservacao(); }));
        logic->observacao.docObservacao.setPlainText(QStringLiteral("entregar pela manhã"));
        falhaNoBanco(QString::fromLatin1(c.gatilho));
        if (c.novaEntrega)
            dialogs().answer({true});
        EXPECT_FALSE(confirma());
        ASSERT_EQ(dialogs().errors().size(), 1);
        EXPECT_TRUE(dialogs().errors().first().startsWith(
            QStringLiteral("Não foi possível gravar o pedido. Nada foi gravado; o que foi digitado continua na tela.")));
        EXPECT_TRUE(dialogs().errors().first().contains(QStringLiteral("disco cheio")));
        // Everything in progress comes back in its state, as typed.
        EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Edit);
        EXPECT_EQ(itens().state(), novaLinha ? DataSetState::Insert : DataSetState::Edit);
        EXPECT_EQ(produtoDigitado(), novaLinha ? QStringLiteral("0102") : QStringLiteral("0101"));
        EXPECT_DOUBLE_EQ(num("QTITEMPED"), novaLinha ? 3.0 : 7.0);
        EXPECT_TRUE(logic->observacao.observacaoEditando());
        EXPECT_EQ(logic->observacao.docObservacao.toPlainText(), QStringLiteral("entregar pela manhã"));
        EXPECT_EQ(tela().dataEntrega, c.novaEntrega ? dia(5) : hoje());
        EXPECT_EQ(le(QStringLiteral("SELECT count(*) FROM OBSPEDIDO")).toInt(), 0);

        consertaBanco();
        dialogs().clear();
        if (c.novaEntrega)
            dialogs().answer({true});
        ASSERT_TRUE(confirma()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(itensGravados(), novaLinha ? 2 : 1);
        EXPECT_EQ(le(QStringLiteral("SELECT QTITEMPED FROM ITEMPEDIDO ORDER BY NRITEMPED DESC LIMIT 1")).toDouble(), novaLinha ? 3.0 : 7.0);
        EXPECT_EQ(le(QStringLiteral("SELECT count(*) FROM OBSPEDIDO")).toInt(), 1);
        if (c.novaEntrega) {
            EXPECT_EQ(
                le(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO WHERE date(DTENTITPED) = date('now', 'localtime', '+5 day')")).toInt(),
                2);
        }
    }
}

TEST_F(DigitadoTest, ARepricingKeepsTheLineBeingTypedAndNoDropsOnlyTheHeadersChange)
{
    insertRow(db(), QStringLiteral("ITEMPREBASE"),
              {{QStringLiteral("CDPRECOBASE"), QStringLiteral("03")},
               {QStringLiteral("CDPRODUTO"), QStringLiteral("P2")},
               {QStringLiteral("VRITEPREBASE"), 13.0},
               {QStringLiteral("DTINIVALIPB"), QStringLiteral("2026-01-01")}});
    pedidoComItem();
    ASSERT_TRUE(digitaItem(QStringLiteral("0102"), 3));
    // Leaving a changed order date checks the prices of every line, the typed one too, and drops none.
    ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::DadosGerais); }));
    ASSERT_TRUE(dataPedido(dia(-1)));
    EXPECT_EQ(produtoDigitado(), QStringLiteral("0102"));

    // No to the list's question: the header goes back as stored; the line and the observation stay.
    ASSERT_TRUE(prcBase(QStringLiteral("03")));
    ASSERT_TRUE(run([&] { logic->observacao.editaObservacao(); }));
    logic->observacao.docObservacao.setPlainText(QStringLiteral("ligar antes"));
    dialogs().answer({true, false}); // MUDA_PRECO yes, ALT_MOD no
    EXPECT_FALSE(confirma());
    EXPECT_EQ(
        dialogs().questions().last(),
        QStringLiteral("A mudança de preço base poderá fazer com que o preço unitário e o desconto sejam alterados. Confirma alteração?"));
    EXPECT_EQ(tela().cdPrcBase, QStringLiteral("01"));
    EXPECT_EQ(tela().dataPedido, hoje());
    EXPECT_TRUE(logic->contexto.pedidoEditando()) << "Confirm still stores what is being typed";
    EXPECT_EQ(produtoDigitado(), QStringLiteral("0102"));
    EXPECT_NEAR(num("VRPREUNITPED"), 12.35, 1e-9) << "priced again on the stored list";
    EXPECT_TRUE(logic->observacao.observacaoEditando());
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText(), QStringLiteral("ligar antes"));
    EXPECT_EQ(itensGravados(), 1);

    // Yes stores the typed line with the others, all on the new list.
    ASSERT_TRUE(prcBase(QStringLiteral("03")));
    dialogs().answer({true});
    ASSERT_TRUE(confirma()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        le(QStringLiteral("SELECT group_concat(CDPRODUTO || '=' || VRPREUNITPED, ',') FROM (SELECT * FROM ITEMPEDIDO ORDER BY NRITEMPED)"))
            .toString(),
        QStringLiteral("P1=25.0,P2=13.0"));
    EXPECT_EQ(le(QStringLiteral("SELECT CDPRECOBASE FROM PEDIDO")).toString(), QStringLiteral("03"));
    EXPECT_EQ(le(QStringLiteral("SELECT count(*) FROM OBSPEDIDO")).toInt(), 1);
}

TEST_F(DigitadoTest, TheConsultationAddsBesideTheLineInEditAndAnEmptyNextLineNeverBlocksConfirm)
{
    pedidoComItem();
    ASSERT_TRUE(run([&] { logic->itens.alterarItem(); }));
    poe("QTITEMPED", 5.0);
    ASSERT_TRUE(run([&] {
        logic->itens.incluiItem(ProdutoEscolhido{QStringLiteral("0102"), 4, 12.346, 0, 0, 0});
    })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        le(QStringLiteral("SELECT group_concat(CDPRODUTO || 'x' || QTITEMPED, ',') FROM (SELECT * FROM ITEMPEDIDO ORDER BY NRITEMPED)"))
            .toString(),
        QStringLiteral("P1x5.0,P2x4.0"))
        << "the line in edit is stored, not overwritten";
    // A line in edit that its checks refuse stops the consultation before anything is added.
    ASSERT_TRUE(run([&] { logic->itens.alterarItem(); }));
    poe("QTITEMPED", 0.0);
    EXPECT_FALSE(run([&] { logic->itens.incluiItem(ProdutoEscolhido{QStringLiteral("0101"), 1, 20, 0, 0, 0}); }));
    EXPECT_EQ(dialogs().errors().last(),
              QStringLiteral("A linha 2 do pedido (produto 0102), em digitação na grade de itens, não pôde ser gravada:\n"
                             "Quantidade deve ser maior que zero."));
    EXPECT_EQ(itensGravados(), 2);
    poe("QTITEMPED", 6.0);

    // Enter on the last column stores the line and begins an empty one, which Confirm drops.
    view.coluna = ColunaItem::VrDesc;
    ASSERT_TRUE(run([&] { logic->itens.enterItem(); }));
    ASSERT_TRUE(logic->itens.itemIntocado());
    dialogs().clear();
    ASSERT_TRUE(confirma()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(logic->itens.itemEditando());
    EXPECT_EQ(itensGravados(), 2);
    // Leaving the grid drops it too; a line with anything typed stays.
    ASSERT_TRUE(run([&] { logic->itens.incluirItem(); }));
    ASSERT_TRUE(run([&] { logic->itens.saiColunaItem(ColunaItem::Produto, true); }));
    EXPECT_FALSE(logic->itens.itemEditando());
    ASSERT_TRUE(run([&] { logic->itens.incluirItem(); }));
    poe("QTITEMPED", 1.0);
    ASSERT_TRUE(run([&] { logic->itens.saiColunaItem(ColunaItem::Quantidade, true); }));
    EXPECT_TRUE(logic->itens.itemEditando());
}

TEST_F(DigitadoTest, ClosingAsksBeforeDroppingWhatIsTyped)
{
    pedidoComItem();
    EXPECT_TRUE(logic->registro.podeFechar()) << "nothing typed: no question";
    ASSERT_TRUE(digitaItem(QStringLiteral("0102"), 3));
    dialogs().answer({false});
    EXPECT_FALSE(logic->registro.podeFechar());
    EXPECT_EQ(produtoDigitado(), QStringLiteral("0102"));
    dialogs().answer({true});
    EXPECT_TRUE(logic->registro.podeFechar());
    EXPECT_FALSE(logic->itens.itemEditando());
    EXPECT_FALSE(logic->contexto.pedidoEditando());
    EXPECT_EQ(dialogs().questions(), QStringList(2, QStringLiteral("Cancelar operação?")));
}

} // namespace
