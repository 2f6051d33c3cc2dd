// The export window's logic with a recording view: the pending-order list,
// the checks, Confirm's enabling and what Confirm says before any order goes.
#include "library/errors.h"
#include "session/GeralZOV.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/exporta.h"
#include "transfer/exporta_dados.h"

#include <gtest/gtest.h>

using namespace zov;
using test::insertRow;

namespace {

class RecordingExportView final : public ExportaDadosView {
public:
    void setConfirmEnabled(bool e) override { confirma = e; }
    void setCommandsEnabled(bool e) override { comandos = e; }
    void showProgress(int maximum, int position, const QString& label) override
    {
        progresso << QStringLiteral("%1/%2 %3").arg(position).arg(maximum).arg(label);
    }
    void setPainting(bool on) override { pintando = on; }
    void closeWindow() override { fechada = true; }
    bool confirma = true, comandos = true, pintando = true, fechada = false;
    QStringList progresso;
};

class ExportaDadosTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        LimpaPedidosExport();
        SetFilial(QStringLiteral("0001"));
        Database& d = tdb.db();
        insertRow(d, QStringLiteral("CLIENTE"),
                  {{QStringLiteral("CDCLIENTE"), QStringLiteral("C1")},
                   {QStringLiteral("NMFANTCLIE"), QStringLiteral("LOJA")},
                   {QStringLiteral("IDCLIEATIV"), QStringLiteral("S")}});
        auto pedido = [&](const char* nr, const char* filial, const char* situacao, const char* cliente) {
            insertRow(d, QStringLiteral("PEDIDO"),
                      {{QStringLiteral("CDFILIAL"), QString::fromLatin1(filial)},
                       {QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)},
                       {QStringLiteral("IDSITPEDIDO"), QString::fromLatin1(situacao)},
                       {QStringLiteral("CDCLIENTE"), QString::fromLatin1(cliente)},
                       {QStringLiteral("DTPEDIDO"), QStringLiteral("2026-12-01")}});
        };
        pedido("0000000012", "0001", "1", "C1");
        pedido("0000000112", "0001", "1", "C1");
        pedido("0000000013", "0001", "7", "C1");  // exported already
        pedido("0000000014", "0002", "1", "C1");  // another branch
        pedido("0000000015", "0001", "1", "C99"); // no customer row
        logic = std::make_unique<ExportaDadosLogic>(d, view);
        logic->abre();
    }
    void TearDown() override
    {
        logic.reset();
        LimpaPedidosExport();
        ClearSession();
        test::DialogsTest::TearDown();
    }
    bool vaiPara(const char* nr) { return logic->qryPrincipal.locate(QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)); }
    QStringList marcados()
    {
        QStringList out;
        Query& q = logic->qryPrincipal;
        for (int i = 0; i < q.storageCount(); ++i)
            if (q.valueAt(i, q.fieldByName(QStringLiteral("IDCHECK")).index()).toString() == QLatin1String("S"))
                out << q.valueAt(i, q.fieldByName(QStringLiteral("NRPEDIDO")).index()).toString();
        return out;
    }
    void poeEndereco(const QString& endereco)
    {
        tdb.db().exec(QStringLiteral("DELETE FROM PARAMPEDZOVRA"));
        if (!endereco.isNull())
            tdb.db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES (:E)"), {{QStringLiteral("E"), endereco}});
    }

    test::TempDatabase tdb;
    RecordingExportView view;
    std::unique_ptr<ExportaDadosLogic> logic;
};

TEST(PedidosExportados, ListHoldsWholeNumbersAndEndsEmptyNotUnderscore)
{
    LimpaPedidosExport();
    SetPedidosExportados(QStringLiteral("0000000012"), QStringLiteral("S"));
    EXPECT_EQ(PedidosExport(), QStringLiteral("_0000000012_"));
    SetPedidosExportados(QStringLiteral("0000000012"), QStringLiteral("N"));
    EXPECT_TRUE(PedidosExport().isEmpty()) << qPrintable(PedidosExport());

    SetPedidosExportados(QStringLiteral("112"), QStringLiteral("S"));
    SetPedidosExportados(QStringLiteral("12"), QStringLiteral("S"));
    SetPedidosExportados(QStringLiteral("12"), QStringLiteral("S")); // checked twice is listed once
    EXPECT_EQ(PedidosExport(), QStringLiteral("_112_12_"));
    SetPedidosExportados(QStringLiteral("12"), QStringLiteral("N"));
    EXPECT_EQ(PedidosExport(), QStringLiteral("_112_")) << "removing 12 keeps 112";
    LimpaPedidosExport();
}

TEST_F(ExportaDadosTest, ListsThePendingOrdersOfTheBranchWithACustomer)
{
    QStringList numeros;
    Query& q = logic->qryPrincipal;
    for (q.first(); !q.eof(); q.next())
        numeros << q[QStringLiteral("NRPEDIDO")].asString() + q[QStringLiteral("IDCHECK")].asString();
    EXPECT_EQ(numeros, (QStringList{QStringLiteral("0000000012N"), QStringLiteral("0000000112N")}));
    EXPECT_FALSE(view.confirma);
    EXPECT_FALSE(logic->podeConfirmar());
}

TEST_F(ExportaDadosTest, ToggleOneAndToggleAllFollowTheKeyListAndEnableConfirm)
{
    ASSERT_TRUE(vaiPara("0000000112"));
    ASSERT_TRUE(runGuarded([&] { logic->alterna(); }));
    EXPECT_EQ(marcados(), QStringList{QStringLiteral("0000000112")});
    EXPECT_EQ(PedidosExport(), QStringLiteral("_0000000112_"));
    EXPECT_TRUE(view.confirma);
    EXPECT_EQ(logic->qryPrincipal[QStringLiteral("NRPEDIDO")].asString(), QStringLiteral("0000000112")) << "stays on the toggled order";

    // Something checked: DESMARCA.
    ASSERT_TRUE(runGuarded([&] { logic->alternaTodos(); }));
    EXPECT_TRUE(marcados().isEmpty());
    EXPECT_TRUE(PedidosExport().isEmpty());
    EXPECT_FALSE(view.confirma);
    EXPECT_TRUE(view.pintando);

    // Nothing checked: MARCA, and the current order stays current.
    ASSERT_TRUE(runGuarded([&] { logic->alternaTodos(); }));
    EXPECT_EQ(marcados(), (QStringList{QStringLiteral("0000000012"), QStringLiteral("0000000112")}));
    EXPECT_EQ(logic->chaves().size(), 2);
    EXPECT_EQ(PedidosExport(), QStringLiteral("_0000000012_0000000112_"));
    EXPECT_EQ(logic->qryPrincipal[QStringLiteral("NRPEDIDO")].asString(), QStringLiteral("0000000112"));
    EXPECT_TRUE(view.confirma);

    ASSERT_TRUE(runGuarded([&] { logic->alterna(); }));
    ASSERT_TRUE(vaiPara("0000000012"));
    ASSERT_TRUE(runGuarded([&] { logic->alterna(); }));
    EXPECT_TRUE(PedidosExport().isEmpty());
    EXPECT_FALSE(view.confirma);
    EXPECT_FALSE(logic->confirmar()) << "nothing checked: Confirm does nothing";
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(ExportaDadosTest, ClosingForgetsTheChecksSoAReopenedWindowSendsNothingUnseen)
{
    ASSERT_TRUE(runGuarded([&] { logic->alternaTodos(); }));
    ASSERT_FALSE(PedidosExport().isEmpty());
    logic->fecha();
    EXPECT_TRUE(view.fechada);
    EXPECT_TRUE(PedidosExport().isEmpty());

    RecordingExportView outra;
    ExportaDadosLogic reaberta(tdb.db(), outra);
    reaberta.abre();
    EXPECT_TRUE(PedidosExport().isEmpty());
    EXPECT_TRUE(reaberta.chaves().isEmpty());
    EXPECT_FALSE(outra.confirma);
}

TEST_F(ExportaDadosTest, ConfirmStopsBeforeSendingOnAMissingOrBadAddressOrAServerDown)
{
    ASSERT_TRUE(vaiPara("0000000012"));
    ASSERT_TRUE(runGuarded([&] { logic->alterna(); }));

    poeEndereco(QString());
    EXPECT_TRUE(runGuarded([&] { EXPECT_FALSE(logic->confirmar()); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("O endereço IP do servidor deve ser cadastro ")});

    // Ending in ":": the port is no number, said before any connection is tried.
    dialogs().clear();
    poeEndereco(QStringLiteral("127.0.0.1:"));
    EXPECT_FALSE(runGuarded([&] { logic->confirmar(); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_EQ(IPAcesso(), QString()) << "nothing of the bad address was taken";

    // No ":": the port is 211.
    dialogs().clear();
    poeEndereco(QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(runGuarded([&] { EXPECT_FALSE(logic->confirmar()); }));
    EXPECT_EQ(Porta(), 211);
    EXPECT_EQ(dialogs().errors().size(), 1u);

    // A port nobody listens on.
    const int porta = test::closedPort();
    dialogs().clear();
    poeEndereco(QStringLiteral("127.0.0.1:%1").arg(porta));
    EXPECT_TRUE(runGuarded([&] { EXPECT_FALSE(logic->confirmar()); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors()[0].startsWith(QStringLiteral("Não existe conexão com o servidor.\n")))
        << qPrintable(dialogs().errors()[0]);
    EXPECT_GT(dialogs().errors()[0].size(), QStringLiteral("Não existe conexão com o servidor.\n").size()) << "and why";
    EXPECT_EQ(IPAcesso(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Porta(), porta);
    EXPECT_EQ(marcados(), QStringList{QStringLiteral("0000000012")}) << "nothing was sent: the check stays";
    EXPECT_EQ(tdb.db().scalar(QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE NRPEDIDO = '0000000012'")).toString(),
              QStringLiteral("1"));
}

} // namespace

namespace {

// The request left and the connection was cut before the reply: the server
// may well have the orders. The user is told it is not known, and that sending
// again is safe; the orders stay pending and checked.
TEST_F(ExportaDadosTest, AReplyLostAfterTheRequestLeftIsNotSaidAsNotReceived)
{
    test::FakeHttpServer corta([](const test::FakeRequest& r) {
        test::FakeResponse res = r.method == "GET" ? test::FakeHttpServer::objects() : test::FakeResponse{};
        res.cut = r.method != "GET";
        return res;
    });
    ASSERT_TRUE(vaiPara("0000000012"));
    ASSERT_TRUE(runGuarded([&] { logic->alterna(); }));
    poeEndereco(QStringLiteral("127.0.0.1:%1").arg(corta.port()));
    EXPECT_TRUE(runGuarded([&] { EXPECT_FALSE(logic->confirmar()); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    const QString erro = dialogs().errors()[0];
    EXPECT_TRUE(erro.contains(QStringLiteral("Não se sabe se o servidor recebeu os pedidos:"))) << qPrintable(erro);
    EXPECT_TRUE(erro.contains(QStringLiteral("Enviá-los de novo é seguro"))) << qPrintable(erro);
    EXPECT_FALSE(erro.contains(QStringLiteral("não recebeu"))) << qPrintable(erro);
    EXPECT_EQ(tdb.db().scalar(QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE NRPEDIDO = '0000000012'")).toString(),
              QStringLiteral("1"));
}

} // namespace
