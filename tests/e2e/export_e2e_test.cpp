// The order export against zov-appserver's demo company: what the server
// stores, what is marked here, a re-send after a lost reply, and two
// workstations with the same order number.
#include "library/errors.h"
#include "library/rtf.h"
#include "session/GeralZOV.h"
#include "tests/orders/lanc_pedido_fixture.h"
#include "tests/support/running_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/atu_tab.h"
#include "transfer/exporta.h"
#include "transfer/exporta_dados.h"

#include "db/dbgeralped.h"
#include "server/received_orders.h"
#include "server/situacoes.h"
#include "tests/support/fake_http_server.h"
#include "transfer/acompanhamento.h"
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>
#include <QUuid>
#include <gtest/gtest.h>

using namespace zov;
using test::countRows;
using test::insertRow;

namespace {

const QString kMaria = QStringLiteral("F52998224725"); // active on the server
const QString kRice = QStringLiteral("0000000101");    // active product
const QString kSoap = QStringLiteral("0000000302");    // inactive product on the server

class NoView final : public ExportaDadosView {
public:
    void setConfirmEnabled(bool) override {}
    void setCommandsEnabled(bool) override {}
    void showProgress(int, int, const QString&) override {}
    void setPainting(bool) override {}
    void closeWindow() override {}
};

class ExportE2E : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        LimpaPedidosExport();
        SetFilial(QStringLiteral("0001"));
        qputenv("USERNAME", "estacao-a");
        db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES (:E)"), {{QStringLiteral("E"), server.address()}});
        cliente(kMaria, "MARIA", "S");
        cliente(QStringLiteral("F11122233396"), "NOVA LOJA", "S"); // unknown to the server
        cliente(QStringLiteral("F22233344405"), "FECHADA", "N");   // inactive here: never sent
        SetMostraInativos([this](Query& q, TipoRecusa tipo) {
            inativos << QStringLiteral("%1:%2")
                            .arg(tipo == TipoRecusa::Produtos       ? 1
                                     : tipo == TipoRecusa::Clientes ? 0
                                                                    : 2)
                            .arg(q.recordCount());
        });
    }
    void TearDown() override
    {
        TomaMudancasAcompanhamento(); // said by this test's refreshes, not the next one's
        SetMostraInativos({});
        LimpaPedidosExport();
        qunsetenv("USERNAME");
        ClearSession();
        test::DialogsTest::TearDown();
    }
    Database& db() { return tdb.db(); }
    void cliente(const QString& codigo, const char* nome, const char* ativo)
    {
        insertRow(db(), QStringLiteral("CLIENTE"),
                  {{QStringLiteral("CDCLIENTE"), codigo},
                   {QStringLiteral("IDTPIJURCLIE"), codigo.left(1)},
                   {QStringLiteral("NRINSJURCLIE"), codigo.mid(1)},
                   {QStringLiteral("NMFANTCLIE"), QString::fromLatin1(nome)},
                   {QStringLiteral("IDCLIEATIV"), QString::fromLatin1(ativo)}});
        insertRow(db(), QStringLiteral("ENDECLIE"),
                  {{QStringLiteral("CDCLIENTE"), codigo},
                   {QStringLiteral("IDTPENDECLIE"), QStringLiteral("P")},
                   {QStringLiteral("DSENDECLIE"), QStringLiteral("RUA A, 1")}});
    }
    void pedido(const char* nr, std::initializer_list<std::pair<QString, double>> itens, const QByteArray& observacao = {})
    {
        insertRow(db(), QStringLiteral("PEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)},
                   {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                   {QStringLiteral("CDCLIENTE"), kMaria},
                   {QStringLiteral("DTPEDIDO"), QStringLiteral("2026-12-01 10:00:00")}});
        int n = 0;
        for (const auto& [produto, qtd] : itens)
            insertRow(db(), QStringLiteral("ITEMPEDIDO"),
                      {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                       {QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)},
                       {QStringLiteral("NRITEMPED"), QStringLiteral("%1").arg(++n, 10, 10, QLatin1Char('0'))},
                       {QStringLiteral("IDSITITEMPED"), QStringLiteral("1")},
                       {QStringLiteral("CDPRODUTO"), produto},
                       {QStringLiteral("QTITEMPED"), qtd},
                       {QStringLiteral("VRPREUNITPED"), 24.9}});
        if (!observacao.isEmpty())
            insertRow(db(), QStringLiteral("OBSPEDIDO"),
                      {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                       {QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)},
                       {QStringLiteral("TXOBSPED"), observacao}});
    }
    // Checks every listed order and confirms, as the window does.
    bool exporta()
    {
        NoView view;
        ExportaDadosLogic logic(db(), view);
        bool ok = false;
        runGuarded([&] {
            logic.abre();
            logic.alternaTodos();
            ok = logic.confirmar();
        });
        return ok;
    }
    QString situacao(const char* nr)
    {
        return db()
            .scalar(QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE NRPEDIDO = :N"), {{QStringLiteral("N"), QString::fromLatin1(nr)}})
            .toString();
    }
    QString itens(const char* nr)
    {
        return db()
            .scalar(QStringLiteral("SELECT group_concat(IDSITITEMPED, '') FROM (SELECT IDSITITEMPED FROM ITEMPEDIDO WHERE NRPEDIDO = :N "
                                   "ORDER BY NRITEMPED)"),
                    {{QStringLiteral("N"), QString::fromLatin1(nr)}})
            .toString();
    }
    int noServidor(const char* nr, const QString& estacao = QStringLiteral("estacao-a"))
    {
        return countRows(server.db(), QStringLiteral("PEDIDORECEBIDO"), QStringLiteral("NRPEDIDO = :N AND NMUSUARIO = :U"),
                         {{QStringLiteral("N"), QString::fromLatin1(nr)}, {QStringLiteral("U"), estacao}});
    }
    QVariant doServidor(const QString& sql, const char* nr, const QString& estacao = QStringLiteral("estacao-a"))
    {
        return server.db().scalar(sql, {{QStringLiteral("N"), QString::fromLatin1(nr)}, {QStringLiteral("U"), estacao}});
    }
    // The quantities the server keeps of an order's copy, "2.0;1.0" by item.
    QString quantidades(const char* nr, const QString& estacao = QStringLiteral("estacao-a"), const char* coluna = "NMUSUARIO")
    {
        server::Query q(server.db(),
                        QStringLiteral("SELECT I.QTITEMPED FROM ITEMPEDIDOREC I JOIN PEDIDORECEBIDO R ON R.IDRECEBIDO = I.IDRECEBIDO "
                                       "WHERE R.NRPEDIDO = :N AND R.%1 = :U ORDER BY I.NRITEMPED")
                            .arg(QLatin1String(coluna)));
        q.bind(QStringLiteral("N"), QString::fromLatin1(nr));
        q.bind(QStringLiteral("U"), estacao);
        QStringList out;
        while (q.step())
            out << QString::number(q.value(0, FieldKind::Number).toDouble(), 'f', 1);
        return out.join(QLatin1Char(';'));
    }

    // The branch's tables from the server, as the login brings them.
    void baixaEmpresa()
    {
        db().execScript(QStringLiteral("DELETE FROM ENDECLIE; DELETE FROM CLIENTE;"));
        SetIPAcesso(QStringLiteral("127.0.0.1"));
        SetPorta(server.port());
        ASSERT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << qPrintable(lastTransferError());
        SetCdOperador(QStringLiteral("000000000001"));
    }
    // An order typed through the order window's logic (header, an item, the
    // observation) and confirmed.
    void digitaPedido(LancPedido& pedido, test::RecordingView& tela)
    {
        pedido.registro.inicia();
        auto sai = [&](test::C controle, QString& texto, const QString& valor, const std::function<void()>& mudou,
                       const std::function<void()>& saiu) {
            tela.foco = controle;
            texto = valor;
            const bool ok = runGuarded([&] { mudou(); });
            tela.foco = test::C::Nenhum;
            return ok && runGuarded([&] { saiu(); });
        };
        ASSERT_TRUE(runGuarded([&] { pedido.registro.incluir(); }));
        ASSERT_TRUE(runGuarded([&] { pedido.cabecalho.entraCliente(); }));
        ASSERT_TRUE(sai(
            test::C::Cliente, pedido.contexto.tela.cliente, QStringLiteral("52998224725"), [&] { pedido.cabecalho.clienteMudou(); },
            [&] { pedido.cabecalho.saiCliente(); }))
            << dialogs().errors().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(sai(
            test::C::TipoOper, pedido.contexto.tela.tipoOper, QStringLiteral("01"), [&] { pedido.cabecalho.tipoOperMudou(); },
            [&] { pedido.cabecalho.saiTipoOper(); }))
            << dialogs().errors().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(sai(
            test::C::DataEntrega, pedido.contexto.tela.dataEntrega, test::dia(2), [&] { pedido.cabecalho.dataEntregaMudou(); },
            [&] { pedido.cabecalho.saiDataEntrega(); }));
        ASSERT_TRUE(runGuarded([&] { pedido.registro.mudaPagina(test::P::Itens); }))
            << dialogs().errors().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(pedido.itens.itemEditando());
        tela.coluna = ColunaItem::Produto;
        pedido.itens.qryItemPedido[QStringLiteral("CDARVPROD")].setValue(QStringLiteral("010010001"));
        ASSERT_TRUE(runGuarded([&] { pedido.itens.saiColunaItem(ColunaItem::Produto); }))
            << dialogs().errors().join(QLatin1Char('|')).toStdString();
        tela.coluna = ColunaItem::Quantidade;
        pedido.itens.qryItemPedido[QStringLiteral("QTITEMPED")].setValue(3.0);
        ASSERT_TRUE(runGuarded([&] { pedido.itens.saiColunaItem(ColunaItem::Quantidade); }));
        tela.coluna = ColunaItem::VrDesc;
        ASSERT_TRUE(runGuarded([&] {
            pedido.itens.saiColunaItem(ColunaItem::VrDesc);
            pedido.itens.gravaItem();
        })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(runGuarded([&] { pedido.registro.mudaPagina(test::P::Observacao); }));
        QTextCursor c(&pedido.observacao.docObservacao);
        c.insertText(QStringLiteral("Entregar pela manhã."));
        ASSERT_TRUE(runGuarded([&] { pedido.registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    }

    test::RunningServer server{true};
    test::TempDatabase tdb;
    QStringList inativos;
};

TEST_F(ExportE2E, AcceptedOrdersAreStoredWithItemsAndObservationAndMarkedRefusedOnesStayWhole)
{
    const QByteArray rtf = "{\\rtf1\\ansi entregar pela manh\\'e3}";
    pedido("0000000021", {{kRice, 2}}, rtf);
    pedido("0000000022", {{kRice, 1}, {kSoap, 3}});
    const int clientesAntes = countRows(server.db(), QStringLiteral("CLIENTE"));

    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(inativos, QStringList{QStringLiteral("1:1")}) << "the product list, once; no inactive customer";
    EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("1 de 2 pedidos exportados; os demais continuam pendentes.")});

    EXPECT_EQ(situacao("0000000021"), QStringLiteral("7"));
    EXPECT_EQ(itens("0000000021"), QStringLiteral("2"));
    EXPECT_EQ(situacao("0000000022"), QStringLiteral("1")) << "one inactive product keeps the whole order";
    EXPECT_EQ(itens("0000000022"), QStringLiteral("11"));

    EXPECT_EQ(noServidor("0000000021"), 1);
    EXPECT_EQ(noServidor("0000000022"), 0);
    EXPECT_EQ(quantidades("0000000021"), QStringLiteral("2.0"));
    EXPECT_EQ(doServidor(QStringLiteral("SELECT O.TXOBSPED FROM OBSPEDIDOREC O JOIN PEDIDORECEBIDO R ON R.IDRECEBIDO = O.IDRECEBIDO "
                                        "WHERE R.NRPEDIDO = :N AND R.NMUSUARIO = :U"),
                         "0000000021")
                  .toByteArray(),
              rtf);
    // Every active customer went, the inactive one did not.
    EXPECT_EQ(countRows(server.db(), QStringLiteral("CLIENTE")), clientesAntes + 1);
    EXPECT_EQ(countRows(server.db(), QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = 'F11122233396'")), 1);
    EXPECT_EQ(countRows(server.db(), QStringLiteral("ENDECLIE"), QStringLiteral("CDCLIENTE = 'F11122233396'")), 1);
    EXPECT_EQ(countRows(server.db(), QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = 'F22233344405'")), 0);
    EXPECT_TRUE(PedidosExport().isEmpty());
}

// One line that breaks a rule (a discount above its line, stored before the
// laptop checked it) holds back its own order only: the others are taken and
// marked, and it stays pending with the server's reason, said in the
// refusals dialog, to be corrected and sent again.
TEST_F(ExportE2E, AnOrderBreakingARuleStaysPendingWithItsReasonAndTheOthersGo)
{
    pedido("0000000081", {{kRice, 2}});
    pedido("0000000082", {{kRice, 1}, {kRice, 2}});
    pedido("0000000083", {{kRice, 3}});
    db().exec(QStringLiteral("UPDATE ITEMPEDIDO SET VRDESITPED = 60 WHERE NRPEDIDO = '0000000082' AND NRITEMPED = '0000000002'"));

    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(situacao("0000000081"), QStringLiteral("7"));
    EXPECT_EQ(situacao("0000000083"), QStringLiteral("7"));
    EXPECT_EQ(situacao("0000000082"), QStringLiteral("1"));
    EXPECT_EQ(itens("0000000082"), QStringLiteral("11"));
    EXPECT_EQ(noServidor("0000000082"), 0);
    EXPECT_EQ(inativos, QStringList{QStringLiteral("2:1")}) << "the list of orders with values the server does not take";
    ASSERT_EQ(UltimaExportacao().recusados.size(), 1);
    EXPECT_EQ(UltimaExportacao().recusados[0].nrPedido, QStringLiteral("0000000082"));
    EXPECT_EQ(UltimaExportacao().recusados[0].motivo, QStringLiteral("item 0000000002: O desconto é maior que o valor do item."));

    // Corrected, it goes.
    db().exec(QStringLiteral("UPDATE ITEMPEDIDO SET VRDESITPED = 6 WHERE NRPEDIDO = '0000000082'"));
    dialogs().clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(situacao("0000000082"), QStringLiteral("7"));
    EXPECT_EQ(noServidor("0000000082"), 1);
}

TEST_F(ExportE2E, AReplyLostBeforeTheMarkingLeavesOneCopyOnTheServerAfterTheResend)
{
    pedido("0000000031", {{kRice, 2}, {kRice, 5}});
    // The client "stops" between the call and the marking.
    db().execScript(QStringLiteral("CREATE TRIGGER PARADA BEFORE UPDATE ON PEDIDO BEGIN SELECT RAISE(ABORT, 'parada simulada'); END"));
    EXPECT_FALSE(exporta());
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(
        dialogs().errors()[0].startsWith(QStringLiteral("Erro ao exportar.\nOs pedidos chegaram ao servidor, mas o pedido 0000000031")))
        << qPrintable(dialogs().errors()[0]);
    EXPECT_EQ(situacao("0000000031"), QStringLiteral("1"));
    EXPECT_EQ(itens("0000000031"), QStringLiteral("11")) << "not half-marked";
    EXPECT_EQ(noServidor("0000000031"), 1);

    // Edited in between: one item fewer, another quantity.
    db().execScript(QStringLiteral("DROP TRIGGER PARADA"));
    db().exec(QStringLiteral("DELETE FROM ITEMPEDIDO WHERE NRPEDIDO = '0000000031' AND NRITEMPED = '0000000002'"));
    db().exec(QStringLiteral("UPDATE ITEMPEDIDO SET QTITEMPED = 7 WHERE NRPEDIDO = '0000000031'"));
    dialogs().clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(situacao("0000000031"), QStringLiteral("7"));
    EXPECT_EQ(noServidor("0000000031"), 1) << "the re-sent copy replaced the first";
    EXPECT_EQ(quantidades("0000000031"), QStringLiteral("7.0"));
}

// Numbers start again on every database: another laptop under the same login,
// or this one's database made anew, is another installation, whose orders are
// kept beside the first ones, never over them, and shown apart.
TEST_F(ExportE2E, AnotherInstallationsOrderWithTheSameNumberAndUserIsKeptBesideTheFirst)
{
    pedido("0000000041", {{kRice, 2}});
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    const QString primeira = IdInstalacao();

    for (const char* quem : {"another laptop, same login", "this laptop, database made anew"}) {
        SCOPED_TRACE(quem);
        db().exec(QStringLiteral("DELETE FROM ITEMPEDIDO"));
        db().exec(QStringLiteral("DELETE FROM PEDIDO"));
        db().exec(QStringLiteral("UPDATE INSTALACAO SET IDINSTALACAO = :I"),
                  {{QStringLiteral("I"), QUuid::createUuid().toString(QUuid::WithoutBraces)}});
        pedido("0000000041", {{kRice, 9}});
        ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_EQ(noServidor("0000000041"), 3) << "three installations, one user name";
    EXPECT_EQ(quantidades("0000000041", primeira, "IDINSTALACAO"), QStringLiteral("2.0")) << "the first is untouched";
    const QString lista = server::receivedOrdersListing(server.db());
    EXPECT_EQ(lista.count(QStringLiteral("0000000041  estacao-a")), 3) << lista.toStdString();
    EXPECT_TRUE(lista.contains(primeira.left(8))) << lista.toStdString();
}

// The server took the order but the reply was lost; meanwhile the product was
// made inactive there, so the re-send is refused: the copy it held goes too,
// and the salesperson is told.
TEST_F(ExportE2E, ARefusedResendAfterALostReplyLeavesNoCopyOnTheServer)
{
    pedido("0000000061", {{kRice, 2}});
    db().execScript(QStringLiteral("CREATE TRIGGER PARADA BEFORE UPDATE ON PEDIDO BEGIN SELECT RAISE(ABORT, 'parada simulada'); END"));
    EXPECT_FALSE(exporta());
    db().execScript(QStringLiteral("DROP TRIGGER PARADA"));
    ASSERT_EQ(noServidor("0000000061"), 1);

    server.db().exec(QStringLiteral("UPDATE PRODUTO SET IDPRODATIVPR = 'N' WHERE CDPRODUTO = :P"), {{QStringLiteral("P"), kRice}});
    dialogs().clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(noServidor("0000000061"), 0) << "the company must not deliver it";
    EXPECT_EQ(countRows(server.db(), QStringLiteral("ITEMPEDIDOREC")), 0);
    EXPECT_EQ(situacao("0000000061"), QStringLiteral("1"));
    EXPECT_EQ(countRows(server.db(), QStringLiteral("SITPEDIDOREC"), QStringLiteral("NRPEDIDO = '0000000061'")), 0)
        << "its situation went with it";
    ASSERT_EQ(UltimaExportacao().recusados.size(), 1);
    EXPECT_TRUE(UltimaExportacao().recusados[0].motivo.contains(QStringLiteral("A cópia recebida antes foi retirada do servidor.")))
        << qPrintable(UltimaExportacao().recusados[0].motivo);
}

// The office deleted a customer; a laptop that still has it never brings it
// back, and an order of it is refused as an inactive customer's would be.
TEST_F(ExportE2E, ACustomerTheOfficeDeletedStaysDeletedAndItsOrderIsRefused)
{
    const QString nova = QStringLiteral("F11122233396");
    pedido("0000000071", {{kRice, 1}}); // every active customer goes with it
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(countRows(server.db(), QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = :C"), {{QStringLiteral("C"), nova}}), 1);
    server.db().exec(QStringLiteral("DELETE FROM ENDECLIE WHERE CDCLIENTE = :C"), {{QStringLiteral("C"), nova}});
    server.db().exec(QStringLiteral("DELETE FROM CLIENTE WHERE CDCLIENTE = :C"), {{QStringLiteral("C"), nova}});

    insertRow(db(), QStringLiteral("PEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000072")},
               {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
               {QStringLiteral("CDCLIENTE"), nova}});
    insertRow(db(), QStringLiteral("ITEMPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000072")},
               {QStringLiteral("NRITEMPED"), QStringLiteral("0000000001")},
               {QStringLiteral("CDPRODUTO"), kRice},
               {QStringLiteral("QTITEMPED"), 1.0},
               {QStringLiteral("VRPREUNITPED"), 24.9}});
    dialogs().clear();
    inativos.clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(countRows(server.db(), QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = :C"), {{QStringLiteral("C"), nova}}), 0);
    EXPECT_EQ(countRows(server.db(), QStringLiteral("ENDECLIE"), QStringLiteral("CDCLIENTE = :C"), {{QStringLiteral("C"), nova}}), 0);
    EXPECT_EQ(situacao("0000000072"), QStringLiteral("1"));
    EXPECT_EQ(inativos, QStringList{QStringLiteral("0:1")}) << "shown in the customers' list";
    ASSERT_EQ(UltimaExportacao().recusados.size(), 1);
    EXPECT_TRUE(UltimaExportacao().recusados[0].motivo.contains(QStringLiteral("Cliente excluído no servidor")))
        << qPrintable(UltimaExportacao().recusados[0].motivo);
}

// An order held in edit in the order window is not sent: the export says so
// and the order stays as the window holds it. An order whose situation
// changed under the window (an export meanwhile) is not stored over: the
// Confirm says so and keeps what was typed.
TEST_F(ExportE2E, AnOrderInEditIsNotExportedAndAStoreAfterAnExportIsRefused)
{
    baixaEmpresa();
    test::RecordingView tela;
    LancPedido pedido(db(), tela);
    digitaPedido(pedido, tela);
    ASSERT_FALSE(HasFatalFailure());
    const QString nr = db().scalar(QStringLiteral("SELECT NRPEDIDO FROM PEDIDO")).toString();
    const QByteArray n = nr.toLatin1();

    ASSERT_TRUE(runGuarded([&] { pedido.registro.alterar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(pedido.contexto.pedidoEditando());
    dialogs().clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(noServidor(n.constData(), NomeEstacao()), 0);
    EXPECT_EQ(situacao(n.constData()), QStringLiteral("1"));
    ASSERT_EQ(dialogs().infos().size(), 1);
    EXPECT_EQ(dialogs().infos()[0],
              QStringLiteral("0 de 1 pedidos exportados; os demais continuam pendentes.\nO pedido %1 está em alteração na "
                             "janela de pedidos; confirme ou cancele a alteração e exporte de novo.")
                  .arg(nr));

    // Exported meanwhile by other means (another window, the headless export).
    db().exec(QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = '7' WHERE NRPEDIDO = :N"), {{QStringLiteral("N"), nr}});
    pedido.contexto.tela.prioridade = Prioridade::Urgente;
    dialogs().clear();
    runGuarded([&] { pedido.registro.confirmar(); });
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(
        dialogs().errors()[0].contains(QStringLiteral("foi exportado ou mudou de situação enquanto era alterado aqui, e nada foi gravado")))
        << qPrintable(dialogs().errors()[0]);
    EXPECT_EQ(situacao(n.constData()), QStringLiteral("7")) << "not set back to pending";
    EXPECT_TRUE(pedido.contexto.pedidoEditando()) << "what was typed stays on screen";
    EXPECT_EQ(pedido.contexto.tela.prioridade, Prioridade::Urgente);
}

// The whole road: the branch's tables downloaded from the server, an order
// typed through the order window's logic (header, an item, the observation),
// exported, stored there and marked here.
TEST_F(ExportE2E, AnOrderTypedInTheOrderWindowReachesTheServerWhole)
{
    baixaEmpresa();
    test::RecordingView tela;
    LancPedido pedido(db(), tela);
    digitaPedido(pedido, tela);
    ASSERT_FALSE(HasFatalFailure());
    const QString nr = db().scalar(QStringLiteral("SELECT NRPEDIDO FROM PEDIDO")).toString();
    ASSERT_FALSE(nr.isEmpty());

    dialogs().clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("Pedidos exportados com sucesso.")});
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO")).toString(), QStringLiteral("7"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT group_concat(IDSITITEMPED) FROM ITEMPEDIDO")).toString(), QStringLiteral("2"));
    const QByteArray n = nr.toLatin1();
    EXPECT_EQ(noServidor(n.constData(), NomeEstacao()), 1);
    EXPECT_EQ(quantidades(n.constData(), NomeEstacao()), QStringLiteral("3.0"));
    EXPECT_EQ(
        doServidor(QStringLiteral(
                       "SELECT P.CDCLIENTE || '/' || P.CDTIPOOPER FROM PEDIDOREC P JOIN PEDIDORECEBIDO R ON R.IDRECEBIDO = P.IDRECEBIDO "
                       "WHERE R.NRPEDIDO = :N AND R.NMUSUARIO = :U"),
                   n.constData(), NomeEstacao())
            .toString(),
        QStringLiteral("F52998224725/01"));
    QTextDocument lida;
    lerObservacao(doServidor(QStringLiteral("SELECT O.TXOBSPED FROM OBSPEDIDOREC O JOIN PEDIDORECEBIDO R ON R.IDRECEBIDO = O.IDRECEBIDO "
                                            "WHERE R.NRPEDIDO = :N AND R.NMUSUARIO = :U"),
                             n.constData(), NomeEstacao())
                      .toByteArray(),
                  lida);
    EXPECT_EQ(lida.toPlainText(), QStringLiteral("Entregar pela manhã."));
}

TEST_F(ExportE2E, HeadlessExportPrintsRefusalsAndCountsAndSaysWhatFailed)
{
    pedido("0000000051", {{kRice, 1}});
    pedido("0000000052", {{kSoap, 1}});
    const QString exe = QStringLiteral(ZOV_PEDIDOS);
    auto roda = [&](const QStringList& extra, QString* out = nullptr, QString* err = nullptr) {
        FreeDBGeralPed(); // one program per database: this one lets it go
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("ZOV_SENHA"), QStringLiteral("ana123"));
        p.setProcessEnvironment(env);
        p.start(exe,
                QStringList{QStringLiteral("--export"), QStringLiteral("--database"), tdb.path(), QStringLiteral("--filial"),
                            QStringLiteral("1"), QStringLiteral("--operador"), QStringLiteral("1")}
                    + extra);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString out, err;
    EXPECT_EQ(roda({QStringLiteral("--address"), server.address(), QStringLiteral("--pedidos"), QStringLiteral("51,abc")}, nullptr, &err),
              2)
        << qPrintable(err);
    EXPECT_EQ(roda({QStringLiteral("--address"), server.address(), QStringLiteral("--pedidos"), QStringLiteral("99")}, nullptr, &err), 2)
        << qPrintable(err);
    EXPECT_EQ(roda({}, nullptr, &err), 2) << "no address";
    EXPECT_EQ(roda({QStringLiteral("--address"), QStringLiteral("127.0.0.1:1")}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Não existe conexão com o servidor"))) << qPrintable(err);

    EXPECT_EQ(roda({QStringLiteral("--address"), server.address()}, &out, &err), 0) << qPrintable(err);
    EXPECT_TRUE(out.contains(QStringLiteral("recusado 0000000052: produto inativo no servidor"))) << qPrintable(out);
    EXPECT_TRUE(out.trimmed().endsWith(QStringLiteral("2 pedido(s) enviado(s), 1 aceito(s)."))) << qPrintable(out);
    Database check(tdb.path(), Database::Mode::OpenExisting);
    EXPECT_EQ(check.scalar(QStringLiteral("SELECT group_concat(IDSITPEDIDO, '') FROM (SELECT IDSITPEDIDO FROM PEDIDO ORDER BY NRPEDIDO)"))
                  .toString(),
              QStringLiteral("71"));
}

// What the company did with the orders comes back to the installation that
// sent them, by delta: an invoice, a return for correction that reopens the
// order (and no other situation does), and the R of a re-send.
TEST_F(ExportE2E, TheCompanysSituationsComeBackByDeltaAndOnlyADevolvidoOrderReopens)
{
    pedido("0000000091", {{kRice, 2}});
    pedido("0000000092", {{kRice, 1}});
    pedido("0000000093", {{kRice, 1}});
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(countRows(server.db(), QStringLiteral("SITPEDIDOREC"), QStringLiteral("IDSITEMPRESA = 'R'")), 3) << "written with each order";
    // The same number from another laptop is that laptop's.
    server.db().exec(QStringLiteral(
        "INSERT INTO SITPEDIDOREC (CDFILIAL, NRPEDIDO, IDINSTALACAO, IDSITEMPRESA) VALUES ('0001', '0000000093', 'outra', 'D')"));
    server::defineSituacao(
        server.db(),
        {QStringLiteral("1"), QStringLiteral("91"), {}, QStringLiteral("F"), QStringLiteral("123"), {}, QStringLiteral("49,80")});
    server::defineSituacao(server.db(),
                           {QStringLiteral("1"), QStringLiteral("92"), {}, QStringLiteral("D"), {}, QStringLiteral("falta o CNPJ"), {}});
    server::defineSituacao(server.db(),
                           {QStringLiteral("1"), QStringLiteral("93"), {}, QStringLiteral("C"), {}, QStringLiteral("sem estoque"), {}});
    TomaMudancasAcompanhamento();

    ASSERT_TRUE(AtualizaAcompanhamento()) << lastTransferError().toStdString();
    EXPECT_EQ(TomaMudancasAcompanhamento().texto(),
              QStringLiteral("Desde a última atualização: 1 pedido faturado, 1 devolvido para correção, 1 cancelado."));
    EXPECT_EQ(db().scalar(QStringLiteral(
                  "SELECT group_concat(NRPEDIDO || IDSITEMPRESA || COALESCE(NRNOTAFISCAL, '') || COALESCE(DSMOTIVO, ''), ';') "
                  "FROM (SELECT * FROM SITPEDIDO ORDER BY NRPEDIDO)")),
              QStringLiteral("0000000091F123;0000000092Dfalta o CNPJ;0000000093Csem estoque"));
    EXPECT_EQ(situacao("0000000092"), QStringLiteral("1")) << "sent back: pending again";
    EXPECT_EQ(itens("0000000092"), QStringLiteral("1"));
    EXPECT_EQ(situacao("0000000091"), QStringLiteral("7"));
    EXPECT_EQ(situacao("0000000093"), QStringLiteral("7")) << "a cancellation reopens nothing";

    // Nothing changed: nothing to say; corrected and sent again, it is received anew.
    ASSERT_TRUE(AtualizaAcompanhamento()) << lastTransferError().toStdString();
    EXPECT_TRUE(TomaMudancasAcompanhamento().vazia());
    dialogs().clear();
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(AtualizaAcompanhamento()) << lastTransferError().toStdString();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT IDSITEMPRESA FROM SITPEDIDO WHERE NRPEDIDO = '0000000092'")).toString(),
              QStringLiteral("R"));
    EXPECT_EQ(situacao("0000000092"), QStringLiteral("7"));

    // A reply cut half way leaves the situations as they were, and says so.
    server::defineSituacao(server.db(), {QStringLiteral("1"), QStringLiteral("92"), {}, QStringLiteral("A"), {}, {}, {}});
    test::FakeHttpServer corta([&](const test::FakeRequest& r) {
        if (r.method == "GET")
            return test::FakeHttpServer::objects();
        test::FakeResponse res;
        res.body = R"({"result":[{"columns":[["CDFILIAL","text"])";
        return res;
    });
    SetIPAcesso(QStringLiteral("127.0.0.1"));
    SetPorta(corta.port());
    EXPECT_FALSE(AtualizaAcompanhamento());
    EXPECT_FALSE(lastTransferError().isEmpty());
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT IDSITEMPRESA FROM SITPEDIDO WHERE NRPEDIDO = '0000000092'")).toString(),
              QStringLiteral("R"));
}

// What the branch's customers bought in the last 12 months (the laptops'
// lines and the company's) and what they owe, by delta.
TEST_F(ExportE2E, TheCustomersHistoryAndReceivablesComeByDeltaForTheBranchWithinAYear)
{
    // Without the demo company's own year of history.
    server.db().execScript(QStringLiteral("DELETE FROM HISTCLIENTE; DELETE FROM TITULOCLIENTE"));
    pedido("0000000095", {{kRice, 2}, {kRice, 3}});
    ASSERT_TRUE(exporta()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    const QString hoje = QDate::currentDate().toString(Qt::ISODate);
    const auto empresa = [&](const QString& filial, const QString& pedido, const QString& data) {
        server.db().exec(
            QStringLiteral(
                "INSERT INTO HISTCLIENTE (CDCLIENTE, CDFILIAL, NRPEDIDO, NRITEMPED, IDORIGEM, DTPEDIDO, CDPRODUTO, QTITEMPED, "
                "VRPRECO, VRDESCONTO, VRLIQUIDO, IDSITEMPRESA) VALUES (:C, :F, :N, '0000000001', 'E', :D, :P, 1, 10, 0, 10, 'F')"),
            {{QStringLiteral("C"), kMaria},
             {QStringLiteral("F"), filial},
             {QStringLiteral("N"), pedido},
             {QStringLiteral("D"), data + QStringLiteral(" 10:00:00")},
             {QStringLiteral("P"), kRice}});
    };
    empresa(QStringLiteral("0001"), QStringLiteral("NF-77"), hoje);
    empresa(QStringLiteral("0002"), QStringLiteral("NF-78"), hoje);                                                      // another branch's
    empresa(QStringLiteral("0001"), QStringLiteral("NF-12"), QDate::currentDate().addMonths(-13).toString(Qt::ISODate)); // over a year
    server.db().exec(QStringLiteral("INSERT INTO TITULOCLIENTE (CDCLIENTE, VRABERTO, VRVENCIDO) VALUES (:C, 4200, 300)"),
                     {{QStringLiteral("C"), kMaria}});

    ASSERT_TRUE(AtualizaAcompanhamento()) << lastTransferError().toStdString();
    const auto linhas = [&] {
        return db()
            .scalar(QStringLiteral("SELECT group_concat(NRPEDIDO || IDORIGEM || NRITEMPED || '=' || printf('%.2f', VRLIQUIDO) || "
                                   "IFNULL(IDSITEMPRESA, ''), ';') FROM "
                                   "(SELECT * FROM HISTCLIENTE ORDER BY NRPEDIDO, NRITEMPED)"))
            .toString();
    };
    EXPECT_EQ(linhas(), QStringLiteral("0000000095L0000000001=49.80R;0000000095L0000000002=74.70R;NF-77E0000000001=10.00F"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT printf('%.2f/%.2f', VRABERTO, VRVENCIDO) FROM TITULOCLIENTE")).toString(),
              QStringLiteral("4200.00/300.00"));

    // Invoiced: the lines follow it, and only they come again.
    server::defineSituacao(server.db(), {QStringLiteral("1"), QStringLiteral("95"), {}, QStringLiteral("F"), QStringLiteral("9"), {}, {}});
    ASSERT_TRUE(AtualizaAcompanhamento()) << lastTransferError().toStdString();
    EXPECT_EQ(linhas(), QStringLiteral("0000000095L0000000001=49.80F;0000000095L0000000002=74.70F;NF-77E0000000001=10.00F"));

    // A line the laptop kept from over a year ago goes with the next refresh.
    db().exec(
        QStringLiteral("INSERT INTO HISTCLIENTE (CDCLIENTE, CDFILIAL, NRPEDIDO, NRITEMPED, IDORIGEM, DTPEDIDO, CDPRODUTO) "
                       "VALUES (:C, '0001', 'ANTIGO', '1', 'E', :D, 'X')"),
        {{QStringLiteral("C"), kMaria}, {QStringLiteral("D"), QDateTime(QDate::currentDate().addMonths(-12).addDays(-1), QTime(9, 0))}});
    ASSERT_TRUE(AtualizaAcompanhamento()) << lastTransferError().toStdString();
    EXPECT_EQ(countRows(db(), QStringLiteral("HISTCLIENTE"), QStringLiteral("NRPEDIDO = 'ANTIGO'")), 0);
}

} // namespace
