// The order window's logic against a real database, with a recording view
// and scripted dialogs: numbering and defaults, the header checks, payment
// terms and price list, the command states, Confirm, Cancel and Delete.
#include "library/inscricao.h"
#include "library/relogio.h"
#include "orders/banco_pedido.h"
#include "tests/orders/lanc_pedido_fixture.h"

#include <QScopeGuard>

using namespace zov;
using namespace zov::test;

namespace {

// "Today" is the program's clock, which a test can pin (a run across midnight
// reads one day).
TEST_F(LancPedidoTest, ANewOrderIsDatedByTheProgramsClock)
{
    const QDate diaDaExecucao = dataDeHoje();
    const auto volta = qScopeGuard([&] { fixaDiaDeHoje(diaDaExecucao); });
    fixaDiaDeHoje(QDate(2031, 2, 28));
    abre();
    preencheNovo();
    EXPECT_EQ(tela().dataPedido, QStringLiteral("28/02/2031"));
}

// The company's situation shows in the list and on the general page; the
// order itself is not touched by it.
TEST_F(LancPedidoTest, TheCompanysSituationShowsInTheListAndOnTheGeneralPage)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"), QStringLiteral("7"));
    test::pedidoGravado(db(), QStringLiteral("0000000002"), QStringLiteral("1"));
    test::pedidoGravado(db(), QStringLiteral("0000000003"), QStringLiteral("7"));
    db().execScript(QStringLiteral(
        "INSERT INTO SITPEDIDO (CDFILIAL, NRPEDIDO, IDSITEMPRESA, NRNOTAFISCAL, VRFATURADO) VALUES ('0001', '0000000001', 'F', '123', "
        "1234.5);"
        "INSERT INTO SITPEDIDO (CDFILIAL, NRPEDIDO, IDSITEMPRESA, DSMOTIVO) VALUES ('0001', '0000000002', 'D', 'falta o CNPJ')"));
    abre();
    Query& lista = logic->contexto.qryPedido;
    EXPECT_EQ(lista.fieldByName(QStringLiteral("DsSitEmpresa")).displayLabel, QStringLiteral("Situação na Empresa"));
    EXPECT_TRUE(lista.fieldByName(QStringLiteral("DsSitEmpresa")).visible);
    QStringList vistos;
    for (lista.first(); !lista.eof(); lista.next())
        vistos << campo("NRPEDIDO").right(1) + QLatin1Char('=') + campo("DsSitEmpresa");
    EXPECT_EQ(vistos, (QStringList{QStringLiteral("3="), QStringLiteral("2=Devolvido"), QStringLiteral("1=Faturado NF 123")}));
    for (const auto& [nr, texto] : {std::pair{"0000000001", "Faturado NF 123 (R$ 1.234,50)"},
                                    std::pair{"0000000002", "Devolvido: falta o CNPJ"}, std::pair{"0000000003", ""}}) {
        ASSERT_TRUE(lista.locate(QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)));
        ASSERT_TRUE(run([&] { logic->registro.mostraPedidoNaTela(); }));
        EXPECT_EQ(tela().situacaoEmpresa, QString::fromUtf8(texto)) << nr;
    }
    // The filter selects by it: one situation, or none yet.
    for (const auto& [escolha, numeros] : {std::pair{"F", "1"}, std::pair{"-", "3"}, std::pair{"", "321"}}) {
        TFiltro filtro = logic->contexto.Filtro;
        filtro.SitEmpresa = QString::fromLatin1(escolha);
        BancoPedido::abreQryPedido(lista, filtro);
        QString numerosVistos;
        for (lista.first(); !lista.eof(); lista.next())
            numerosVistos += campo("NRPEDIDO").right(1);
        EXPECT_EQ(numerosVistos, QString::fromLatin1(numeros)) << escolha;
    }
}

TEST_F(LancPedidoTest, TheFirstOrderIsNumberOneWithTheOperatorsSalespersonAndTodayAndConfirmStoresIt)
{
    abre();
    EXPECT_EQ(view.filtros, 1) << "the window works on the session branch: the filter opens at once";
    EXPECT_TRUE(view.comandos.incluir);
    EXPECT_FALSE(view.comandos.alterar) << "an empty list has nothing to alter";
    EXPECT_FALSE(view.comandos.paginas[1]);

    preencheNovo();
    EXPECT_EQ(tela().nrPedido, QStringLiteral("0000000001"));
    EXPECT_EQ(tela().vendedor, QStringLiteral("0001"));
    EXPECT_EQ(tela().nmVendedor, QStringLiteral("ANA"));
    EXPECT_EQ(tela().dataPedido, hoje());
    EXPECT_EQ(tela().prioridade, Prioridade::Normal);
    EXPECT_EQ(tela().nmCliente, QStringLiteral("LOJA DA ESQUINA"));
    EXPECT_EQ(tela().cdModPgto, QStringLiteral("00001")) << "a new order takes the customer's method without a question";
    EXPECT_TRUE(tela().cdPrcBase.isEmpty()) << "the customer has no lists and the salesperson's is not one of them";
    EXPECT_EQ(view.pagina, P::DadosGerais);
    EXPECT_TRUE(view.comandos.confirmar);
    EXPECT_FALSE(view.comandos.paginas[0]);

    tela().prioridade = Prioridade::Urgente;
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(dialogs().questions().isEmpty());
    EXPECT_EQ(pedidos(), 1);
    EXPECT_EQ(le(QStringLiteral(
                     "SELECT NRPEDIDO || IDSITPEDIDO || IDPRIOPED || CDCLIENTE || CDMODPGTO || CDPRECOBASE || CDOPELANPED FROM PEDIDO"))
                  .toString(),
              QStringLiteral("000000000111C10000101ANA"));
    EXPECT_EQ(le(QStringLiteral("SELECT DTENTPED || '' FROM PEDIDO")).toString(),
              zov::dataDeHoje().addDays(2).toString(Qt::ISODate) + QStringLiteral(" 00:00:00"));
    EXPECT_TRUE(le(QStringLiteral("SELECT IDTPFORPGTPED FROM PEDIDO")).isNull()) << "cash is stored empty";
    EXPECT_EQ(view.pagina, P::Itens) << "a new order goes on with its items";
    EXPECT_TRUE(logic->itens.itemEditando());
    EXPECT_EQ(logic->itens.qryItemPedido[QStringLiteral("NRITEMPED")].asString(), QStringLiteral("0000000001"));
    largaItemNovo();
    dialogs().clear();
    EXPECT_EQ(tela().titulo, QStringLiteral("0000000001 - LOJA DA ESQUINA"));
    EXPECT_EQ(tela().cdPrcBase, QStringLiteral("01")) << "the method's list, proposed when the method was checked";
    EXPECT_FALSE(tela().exportado);

    // The next number follows the highest; a freed newest number comes again.
    view.pagina = P::Pedidos;
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_EQ(tela().nrPedido, QStringLiteral("0000000002"));
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
    test::pedidoGravado(db(), QStringLiteral("0000000041"));
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0001")), QStringLiteral("0000000042"));
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0002")), QStringLiteral("0000000001"));
}

// A company founded after July 2026 has letters in its CNPJ: typed in any
// case, with or without the mask, it finds the customer; a wrong one says CNPJ.
TEST_F(LancPedidoTest, ACustomerWithAnAlphanumericCnpjIsFoundAsTyped)
{
    insertRow(db(), QStringLiteral("CLIENTE"),
              {{QStringLiteral("CDCLIENTE"), QStringLiteral("J12ABC34501DE35")},
               {QStringLiteral("IDTPIJURCLIE"), QStringLiteral("J")},
               {QStringLiteral("NRINSJURCLIE"), QStringLiteral("12ABC34501DE35")},
               {QStringLiteral("NMFANTCLIE"), QStringLiteral("EMPÓRIO AURORA")},
               {QStringLiteral("IDCLIEATIV"), QStringLiteral("S")},
               {QStringLiteral("CDMODPGTO"), QStringLiteral("00001")}});
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    ASSERT_TRUE(cliente(QStringLiteral("12abc34501de35")));
    EXPECT_EQ(tela().nmCliente, QStringLiteral("EMPÓRIO AURORA"));
    EXPECT_EQ(tela().cliente, QStringLiteral("12ABC34501DE35"));
    EXPECT_EQ(tela().mascaraCliente, PictPess(QStringLiteral("J")));
    EXPECT_FALSE(cliente(QStringLiteral("12.ABC.345/01DE-36")));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("CNPJ inválido: 12.ABC.345/01DE-36."));
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
}

TEST_F(LancPedidoTest, AConfirmFailingTheHeaderChecksStoresNothingAndTheSecondConfirmUsesTheNumberGivenAtInsert)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    view.foco = C::DataPedido;
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Código do cliente deve ser informado.")});
    EXPECT_EQ(view.foco, C::Cliente);
    EXPECT_EQ(view.pagina, P::DadosGerais);
    EXPECT_EQ(pedidos(), 0);
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Insert);

    test::pedidoGravado(db(), QStringLiteral("0000000005"), QStringLiteral("7")); // taken meanwhile by the list of another day
    dialogs().clear();
    ASSERT_TRUE(cliente(test::kCpfLoja));
    ASSERT_TRUE(tipoOper(QStringLiteral("01")));
    EXPECT_EQ(tela().dataEntrega, hoje()) << "leaving the order date on the first Confirm gave the delivery its date";
    tela().dataEntrega.clear();
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Data entrega deve ser informada.")});
    ASSERT_TRUE(entrega(hoje()));
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(le(QStringLiteral("SELECT count(*) FROM PEDIDO WHERE NRPEDIDO = '0000000001' AND IDSITPEDIDO = '1'")).toInt(), 1);
}

// ---------------------------------------------------------------- header checks

TEST_F(LancPedidoTest, TheCustomerIsFoundByItsRegistrationAndKindAndMustBeActive)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_TRUE(cliente(QStringLiteral("123.456.789-09")));
    EXPECT_EQ(campo("CDCLIENTE"), QStringLiteral("C1"));
    EXPECT_EQ(tela().cliente, test::kCpfLoja);

    EXPECT_FALSE(cliente(QStringLiteral("11144477735"))) << "a valid CPF nobody has";
    EXPECT_TRUE(tela().nmCliente.isEmpty());
    EXPECT_FALSE(cliente(test::kCpfInativo));
    EXPECT_FALSE(cliente(QStringLiteral("12345678900"))) << "wrong check digits";
    const QStringList erros = dialogs().errors();
    ASSERT_EQ(erros.size(), 3);
    EXPECT_EQ(erros[0], QStringLiteral("Cliente não cadastrado."));
    EXPECT_EQ(erros[1], QStringLiteral("Cliente encontra-se inativo."));
    EXPECT_EQ(view.foco, C::Cliente);
    EXPECT_TRUE(cliente(QString())) << "leaving the field empty is accepted";
}

TEST_F(LancPedidoTest, LeavingTheCustomerOfANewOrderAsksAboutTheHighestPendingOrderAndNoCancelsTheNewOne)
{
    test::pedidoGravado(db(), QStringLiteral("0000000003"));
    test::pedidoGravado(db(), QStringLiteral("0000000007"));
    test::pedidoGravado(db(), QStringLiteral("0000000009"), QStringLiteral("7"));
    abre();
    view.pagina = P::Pedidos;
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_EQ(tela().nrPedido, QStringLiteral("0000000010"));
    dialogs().answer({true});
    ASSERT_TRUE(cliente(test::kCpfLoja));
    EXPECT_EQ(dialogs().questions(),
              QStringList{QStringLiteral("Já existe o pedido 0000000007 cadastrado para o cliente. Deseja continuar?")});
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Insert);

    dialogs().answer({false});
    EXPECT_FALSE(cliente(test::kCpfLoja));
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Browse) << "No cancels the new order";
    EXPECT_EQ(logic->contexto.qryPedido.recordCount(), 3);
    EXPECT_TRUE(dialogs().errors().isEmpty());
}

TEST_F(LancPedidoTest, DatesTodayPassesTomorrowFailsAndTheDeliveryMayNotBeInThePast)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_TRUE(dataPedido(hoje()));
    EXPECT_FALSE(dataPedido(dia(1)));
    EXPECT_EQ(view.foco, C::DataPedido);
    EXPECT_FALSE(dataPedido(QStringLiteral("31/02/2026")));
    EXPECT_TRUE(entrega(hoje()));
    EXPECT_FALSE(entrega(dia(-1)));
    EXPECT_EQ(view.foco, C::DataEntrega);
    EXPECT_EQ(dialogs().errors(),
              (QStringList{QStringLiteral("Data pedido deve ser menor ou igual à data de processamento."),
                           QStringLiteral("'31/02/2026' não é uma data válida."),
                           QStringLiteral("Data de entrega deve ser maior ou igual à data atual.")}));
}

TEST_F(LancPedidoTest, TheDeliveryOfANewOrderStartsAsItsOrderDate)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    ASSERT_TRUE(dataPedido(hoje()));
    EXPECT_EQ(tela().dataEntrega, hoje());
    ASSERT_TRUE(entrega(dia(5)));
    ASSERT_TRUE(dataPedido(dia(-1)));
    EXPECT_EQ(tela().dataEntrega, dia(5)) << "a delivery typed is kept";
}

TEST_F(LancPedidoTest, AnOperationTypeMustBeAnOutgoingOne)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_TRUE(tipoOper(QStringLiteral("2")));
    EXPECT_EQ(tela().tipoOper, QStringLiteral("02"));
    EXPECT_EQ(tela().nmTipoOper, QStringLiteral("TRANSFERENCIA"));
    EXPECT_FALSE(tipoOper(QStringLiteral("05")));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Tipo de operação não cadastrada.")});
    EXPECT_TRUE(tela().nmTipoOper.isEmpty());
}

// ---------------------------------------------------------------- price list

TEST_F(LancPedidoTest, ACustomerWithListsOfItsOwnGetsItsMainListAndIsRefusedAnyOther)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    ASSERT_TRUE(cliente(test::kCnpjAtacado));
    EXPECT_EQ(tela().cdPrcBase, QStringLiteral("02"));
    EXPECT_EQ(tela().dsPrcBase, QStringLiteral("TABELA ATACADO"));
    EXPECT_EQ(tela().cdModPgto, QStringLiteral("00002"));
    EXPECT_FALSE(prcBase(QStringLiteral("1")));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Preço Base não cadastrado para o cliente informado.")});
    EXPECT_EQ(view.pagina, P::Modalidade);
    EXPECT_EQ(view.foco, C::PrcBase);
    EXPECT_TRUE(prcBase(QStringLiteral("3")));
    EXPECT_EQ(campo("CDPRECOBASE"), QStringLiteral("03"));
    EXPECT_EQ(tela().dsPrcBase, QStringLiteral("TABELA ESPECIAL"));

    // Its search lists its own lists only; another customer's lists every one.
    escolhas << QStringLiteral("02");
    ASSERT_TRUE(run([&] { logic->pagamento.pesquisaPrcBase(); }));
    EXPECT_EQ(campo("CDPRECOBASE"), QStringLiteral("02"));
    for (const auto& [cliente, rank, n] : {std::tuple{"C2", "1", 2}, std::tuple{"C1", "2", 3}}) {
        Query q(&db());
        q.setSql(qryPesqPrcBaseSql());
        q.setParam(QStringLiteral("P_CDCLIENTE"), QString::fromLatin1(cliente));
        q.setParam(QStringLiteral("P_IDPESQ"), rankPrcBaseCliente(db(), QString::fromLatin1(cliente)));
        q.setParam(QStringLiteral("P_TCDPRECOBASE"), QStringLiteral("T"));
        q.open();
        EXPECT_EQ(rankPrcBaseCliente(db(), QString::fromLatin1(cliente)), QString::fromLatin1(rank));
        EXPECT_EQ(q.recordCount(), n) << cliente;
    }
}

TEST_F(LancPedidoTest, ACustomerWithoutListsMayUseAnyListAndAnUnknownOneIsRefused)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    ASSERT_TRUE(cliente(test::kCpfLoja));
    EXPECT_TRUE(prcBase(QStringLiteral("3")));
    EXPECT_FALSE(prcBase(QStringLiteral("77")));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Preço base não cadastrado.")});
    EXPECT_TRUE(prcBase(QString())) << "empty is skipped on leaving";
    view.foco = C::Nenhum;
    EXPECT_FALSE(run([&] { logic->pagamento.Vd_PrcBase(true); }));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("Preço base deve ser informado."));
}

TEST_F(LancPedidoTest, TheCandidateListsAreRankedAndTheFirstRankThatHasAnyGivesTheProposal)
{
    auto proposta = [&](ParametrosPrcBase p) {
        const auto r = propostaPrcBase(db(), p);
        return r ? r->cdPrecoBase + QLatin1Char('/') + r->idPesq : QString();
    };
    const QString c1 = QStringLiteral("C1"), c2 = QStringLiteral("C2"), ana = QStringLiteral("0001"), bruno = QStringLiteral("0002");
    const QString m2 = QStringLiteral("00002");
    EXPECT_EQ(proposta({c2, ana, {}, {}, {}}), QStringLiteral("02/1")) << "the customer's main list";
    EXPECT_EQ(proposta({{}, ana, {}, {}, {}}), QStringLiteral("01/3")) << "no customer: the salesperson's list";
    EXPECT_EQ(proposta({{}, {}, m2, {}, {}}), QStringLiteral("03/5")) << "no customer: the method's lists";
    EXPECT_EQ(proposta({c1, ana, {}, ana, {}}), QStringLiteral("01/6")) << "a customer without lists: the salesperson as fall-back";
    EXPECT_EQ(proposta({c1, {}, m2, {}, m2}), QStringLiteral("03/7")) << "a customer without lists: the method as fall-back";
    EXPECT_EQ(proposta({c1, ana, {}, {}, {}}), QString()) << "a customer without lists and no fall-back";
    db().exec(QStringLiteral("UPDATE PRECOBASECLI SET IDPRBASEPRIN = 'N'"));
    EXPECT_EQ(proposta({c2, bruno, {}, {}, {}}), QStringLiteral("03/2")) << "the salesperson's list, one of the customer's";
    EXPECT_EQ(proposta({c2, ana, m2, {}, {}}), QStringLiteral("03/4")) << "the method's list, one of the customer's";
}

TEST_F(LancPedidoTest, ChangingTheCustomerOfAStoredOrderAsksBeforeChangingMethodAndListAndNoPutsTheOldOneBack)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    abre();
    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    EXPECT_EQ(view.pagina, P::DadosGerais);
    EXPECT_EQ(view.foco, C::DataPedido);
    dialogs().answer({false});
    EXPECT_FALSE(cliente(test::kCnpjAtacado));
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("A modalidade e o preço base serão alterados. Confirma  operação?")});
    EXPECT_EQ(tela().cliente, test::kCpfLoja);
    EXPECT_EQ(tela().nmCliente, QStringLiteral("LOJA DA ESQUINA"));

    dialogs().clear();
    dialogs().answer({true});
    EXPECT_TRUE(cliente(test::kCnpjAtacado));
    EXPECT_EQ(campo("CDMODPGTO"), QStringLiteral("00002"));
    EXPECT_EQ(campo("CDPRECOBASE"), QStringLiteral("02"));
    EXPECT_TRUE(cliente(test::kCnpjAtacado)) << "the same customer again asks nothing";
}

// ---------------------------------------------------------------- payment terms

TEST_F(LancPedidoTest, AFixedDayMethodBringsItsTermsAndFormAndCashStoresAnEmptyKind)
{
    abre();
    preencheNovo();
    ASSERT_TRUE(modPgto(QStringLiteral("2")));
    EXPECT_EQ(tela().cdModPgto, QStringLiteral("00002"));
    EXPECT_EQ(tela().dsModPgto, QStringLiteral("DIA 10 EM 3X"));
    EXPECT_EQ(tela().formaPgto, 1);
    EXPECT_EQ(tela().diaFixo, QStringLiteral("10"));
    EXPECT_EQ(tela().parcelas, QStringLiteral("3"));
    EXPECT_TRUE(tela().proxMes);
    EXPECT_TRUE(tela().termos);
    EXPECT_EQ(tela().nmFormPgto, QStringLiteral("BOLETO"));
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(le(QStringLiteral("SELECT IDTPFORPGTPED || NRDIAPGFIXPED || '/' || NRPARCPGTOPED || IDUTDIAPAGPED || CDFORMPGTO FROM PEDIDO"))
                  .toString(),
              QStringLiteral("F10/3E01"));
    largaItemNovo();

    view.pagina = P::Modalidade;
    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    dialogs().answer({true}); // MOD_SIT
    ASSERT_TRUE(modPgto(QStringLiteral("1")));
    EXPECT_EQ(tela().formaPgto, 0);
    EXPECT_TRUE(tela().diaFixo.isEmpty());
    EXPECT_TRUE(tela().nmFormPgto.isEmpty());
    dialogs().clear();
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(le(QStringLiteral("SELECT coalesce(IDTPFORPGTPED, 'null') || coalesce(CDFORMPGTO, 'null') || IDUTDIAPAGPED FROM PEDIDO"))
                  .toString(),
              QStringLiteral("nullnullI"));
    EXPECT_EQ(textoFormaPagamento(QString()), QStringLiteral("X"));
}

TEST_F(LancPedidoTest, UnknownMethodsAndFixedDaysOutOfTheMonthAreRefused)
{
    abre();
    preencheNovo();
    EXPECT_FALSE(modPgto(QStringLiteral("99")));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Modalidade de pagamento não cadastrada.")});
    EXPECT_EQ(view.pagina, P::Modalidade);
    EXPECT_EQ(view.foco, C::CdModPgto);
    EXPECT_TRUE(modPgto(QString())) << "leaving the code empty is accepted";
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("Modalidade de pagamento deve ser informada."));
    // A new order has no situation yet: its method's day is not checked...
    ASSERT_TRUE(modPgto(QStringLiteral("4")));
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(pedidos(), 1);
    largaItemNovo();
    // ...a stored pending one's is.
    view.pagina = P::Modalidade;
    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("Dia do pagamento fixo deve estar entre 1 e 31."));
    EXPECT_EQ(view.foco, C::DiaFixo);
}

TEST_F(LancPedidoTest, TheCustomersMethodShowsItsKindDayAndInstalmentsAtOnce)
{
    abre();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    ASSERT_TRUE(cliente(test::kCnpjAtacado)); // its method: day 10 in 3 instalments
    EXPECT_EQ(tela().cdModPgto, QStringLiteral("00002"));
    EXPECT_EQ(tela().formaPgto, 1);
    EXPECT_EQ(tela().diaFixo, QStringLiteral("10"));
    EXPECT_EQ(tela().parcelas, QStringLiteral("3"));
    EXPECT_TRUE(tela().termos);
}

TEST_F(LancPedidoTest, ChangingTheMethodOfAStoredOrderAsksOncePerEditAndConfirmSetsItsItems)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("2"));
    abre();
    view.pagina = P::Modalidade;
    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    view.pagina = P::Modalidade;
    dialogs().answer({false});
    EXPECT_FALSE(modPgto(QStringLiteral("3")));
    EXPECT_EQ(view.foco, C::CdModPgto);
    EXPECT_FALSE(logic->pagamento.modalidadeMudou());
    dialogs().answer({true});
    EXPECT_TRUE(modPgto(QStringLiteral("3")));
    EXPECT_TRUE(modPgto(QStringLiteral("2"))) << "asked once per edit";
    EXPECT_EQ(dialogs().questions().size(), 2);
    EXPECT_EQ(dialogs().questions().first().left(26), QStringLiteral("A situção do pedido será a"));
    ASSERT_TRUE(entrega(dia(3)));
    dialogs().answer({false}); // ALT_DTITEM
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(le(QStringLiteral("SELECT IDSITITEMPED FROM ITEMPEDIDO")).toString(), QStringLiteral("1"));
    EXPECT_FALSE(logic->pagamento.modalidadeMudou());
}

TEST_F(LancPedidoTest, ANewOrderNeverAsksAboutItsMethod)
{
    abre();
    preencheNovo();
    ASSERT_TRUE(modPgto(QStringLiteral("2")));
    ASSERT_TRUE(modPgto(QStringLiteral("3")));
    EXPECT_TRUE(dialogs().questions().isEmpty());
    EXPECT_EQ(tela().formaPgto, 2);
}

// ---------------------------------------------------------------- states

TEST_F(LancPedidoTest, AnExportedOrderAllowsOnlyTheObservationAndAnApprovedItemLocksAlterAndDelete)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::pedidoGravado(db(), QStringLiteral("0000000002"), QStringLiteral("7"));
    test::itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("3"));
    abre();
    ASSERT_EQ(logic->contexto.qryPedido.recordCount(), 2);
    EXPECT_EQ(campo("NRPEDIDO"), QStringLiteral("0000000002"));
    EXPECT_TRUE(tela().exportado);
    EXPECT_FALSE(view.comandos.alterar);
    EXPECT_FALSE(view.comandos.excluir);
    EXPECT_FALSE(view.comandos.cabecalho);
    EXPECT_TRUE(view.comandos.incluir);
    for (P p : {P::Itens, P::Observacao}) {
        view.pagina = p;
        EXPECT_FALSE(logic->registro.comandos().incluir);
    }
    view.pagina = P::DadosGerais;
    ASSERT_TRUE(run([&] { logic->cabecalho.dataPedidoMudou(); }));
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Browse) << "an exported order is not edited";

    ASSERT_TRUE(run([&] { logic->registro.proximo(); }));
    EXPECT_EQ(campo("NRPEDIDO"), QStringLiteral("0000000001"));
    EXPECT_FALSE(tela().exportado);
    EXPECT_TRUE(view.comandos.cabecalho);
    EXPECT_FALSE(view.comandos.alterar) << "an approved item";
    db().exec(QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '1'"));
    logic->registro.atualizaComandos();
    EXPECT_TRUE(view.comandos.alterar);
    EXPECT_TRUE(view.comandos.excluir);
    EXPECT_TRUE(view.comandos.paginas[4]);
}

TEST_F(LancPedidoTest, CancelAnsweredNoKeepsTheEditAndYesDropsItLeavingNothing)
{
    abre();
    preencheNovo();
    dialogs().answer({false});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Insert);
    EXPECT_EQ(tela().nmCliente, QStringLiteral("LOJA DA ESQUINA"));
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
    EXPECT_EQ(dialogs().questions(), (QStringList{QStringLiteral("Cancelar operação?"), QStringLiteral("Cancelar operação?")}));
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Browse);
    EXPECT_EQ(view.pagina, P::Pedidos) << "the list is empty again";
    EXPECT_TRUE(tela().nmCliente.isEmpty());
    EXPECT_EQ(pedidos(), 0);
}

// ---------------------------------------------------------------- failed writes

TEST_F(LancPedidoTest, AWriteFailingInsideConfirmLeavesNothingSaysSoAndKeepsWhatWasTyped)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001"));
    db().execScript(
        QStringLiteral("CREATE TRIGGER falha BEFORE UPDATE OF IDSITITEMPED ON ITEMPEDIDO BEGIN SELECT RAISE(ABORT, 'disco cheio'); END;"));
    abre();
    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    ASSERT_TRUE(cliente(test::kCpfLoja));
    dialogs().answer({true});
    ASSERT_TRUE(modPgto(QStringLiteral("2")));
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().first().startsWith(QStringLiteral("Não foi possível gravar o pedido.")));
    EXPECT_TRUE(dialogs().errors().first().contains(QStringLiteral("disco cheio")));
    EXPECT_EQ(le(QStringLiteral("SELECT CDMODPGTO FROM PEDIDO")).toString(), QStringLiteral("00001"))
        << "the order's own write rolled back";
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Edit);
    EXPECT_EQ(campo("CDMODPGTO"), QStringLiteral("00002"));

    db().execScript(QStringLiteral("DROP TRIGGER falha;"));
    dialogs().clear();
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(le(QStringLiteral("SELECT CDMODPGTO || (SELECT IDSITITEMPED FROM ITEMPEDIDO) FROM PEDIDO")).toString(),
              QStringLiteral("000021"));
}

TEST_F(LancPedidoTest, AFailedInsertStaysAnInsertWithItsNumber)
{
    db().execScript(QStringLiteral("CREATE TRIGGER falha BEFORE INSERT ON PEDIDO BEGIN SELECT RAISE(ABORT, 'somente leitura'); END;"));
    abre();
    preencheNovo();
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(pedidos(), 0);
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Insert);
    EXPECT_EQ(campo("NRPEDIDO"), QStringLiteral("0000000001"));
    EXPECT_EQ(campo("CDCLIENTE"), QStringLiteral("C1"));
    db().execScript(QStringLiteral("DROP TRIGGER falha;"));
    dialogs().clear();
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(pedidos(), 1);
    EXPECT_EQ(logic->contexto.qryPedido.recordCount(), 1) << "one row in the list, not a copy";
}

// ---------------------------------------------------------------- delete

TEST_F(LancPedidoTest, DeletingAnOrderTakesItsItemsAndObservationAndAFailureIsShown)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::pedidoGravado(db(), QStringLiteral("0000000002"));
    test::itemGravado(db(), QStringLiteral("0000000002"), QStringLiteral("0000000001"));
    test::insertRow(db(), QStringLiteral("OBSPEDIDO"),
                    {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                     {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000002")},
                     {QStringLiteral("TXOBSPED"), QByteArray("entregar cedo")}});
    abre();
    dialogs().answer({false});
    ASSERT_TRUE(run([&] { logic->registro.excluir(); }));
    EXPECT_EQ(pedidos(), 2);

    db().execScript(QStringLiteral("CREATE TRIGGER falha BEFORE DELETE ON PEDIDO BEGIN SELECT RAISE(ABORT, 'travado'); END;"));
    dialogs().answer({true});
    EXPECT_FALSE(run([&] { logic->registro.excluir(); }));
    EXPECT_TRUE(dialogs().errors().first().startsWith(QStringLiteral("Não foi possível excluir.")));
    EXPECT_EQ(test::countRows(db(), QStringLiteral("ITEMPEDIDO")), 1) << "the items come back with the rollback";
    EXPECT_EQ(test::countRows(db(), QStringLiteral("OBSPEDIDO")), 1);

    db().execScript(QStringLiteral("DROP TRIGGER falha;"));
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.excluir(); }));
    EXPECT_EQ(
        dialogs().questions(),
        (QStringList{QStringLiteral("Confirma exclusão?"), QStringLiteral("Confirma exclusão?"), QStringLiteral("Confirma exclusão?")}));
    EXPECT_EQ(pedidos(), 1);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("ITEMPEDIDO")) + test::countRows(db(), QStringLiteral("OBSPEDIDO")), 0);
    EXPECT_EQ(campo("NRPEDIDO"), QStringLiteral("0000000001"));
    EXPECT_EQ(BancoPedido(db()).PrxCodPed(QStringLiteral("0001")), QStringLiteral("0000000002")) << "the freed newest number comes again";
}

TEST_F(LancPedidoTest, AnOrderWithShippedItemsIsNotDeletedAndTheLastItemTakesTheOrderWithIt)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("1"), {}, 1.0);
    abre();
    EXPECT_FALSE(run([&] { logic->registro.excluir(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Pedido com itens parcialmente expedidos não pode ser alterado.")});

    db().exec(QStringLiteral("UPDATE ITEMPEDIDO SET QTEXPITEMPED = 0"));
    logic->registro.mudaPagina(P::Itens);
    ASSERT_EQ(logic->itens.qryItemPedido.recordCount(), 1);
    EXPECT_EQ(tela().totBruto, QStringLiteral("20,00"));
    EXPECT_EQ(tela().totLiq, QStringLiteral("19,00"));
    EXPECT_EQ(tela().descTotal, QStringLiteral("1,00"));
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.excluir(); }));
    EXPECT_EQ(dialogs().questions().last().left(40), QStringLiteral("A exclusão do último item do pedido fará"));
    EXPECT_EQ(pedidos(), 0);
    EXPECT_EQ(view.pagina, P::Pedidos);
}

TEST_F(LancPedidoTest, ANewDeliveryDateMovesTheItemsKeepingTheirTimeWhenTheUserAgrees)
{
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::itemGravado(db(), QStringLiteral("0000000001"), QStringLiteral("0000000001"), QStringLiteral("1"),
                      QStringLiteral("2026-01-05 14:30:00"));
    abre();
    for (bool sim : {false, true}) {
        ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
        ASSERT_TRUE(entrega(dia(sim ? 4 : 3)));
        dialogs().answer({sim});
        ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    }
    EXPECT_EQ(dialogs().questions(),
              (QStringList{QStringLiteral("Deseja alterar a data de entrega dos itens do pedido?"),
                           QStringLiteral("Deseja alterar a data de entrega dos itens do pedido?")}));
    EXPECT_EQ(le(QStringLiteral("SELECT DTENTITPED || '' FROM ITEMPEDIDO")).toString(),
              zov::dataDeHoje().addDays(4).toString(Qt::ISODate) + QStringLiteral(" 14:30:00"));
    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); }));
    EXPECT_EQ(dialogs().questions().size(), 2) << "an unchanged delivery asks nothing";
}

} // namespace

namespace {

// ---------------------------------------------------------------- the branch area

TEST_F(LancPedidoTest, WithTheBranchOpenToChoiceTheListWaitsForAnAcceptedBranchAndItsFilter)
{
    SetModuFili(false);
    test::pedidoGravado(db(), QStringLiteral("0000000001"));
    test::insertRow(db(), QStringLiteral("PARAMPEDIDO"),
                    {{QStringLiteral("CDFILIAL"), QStringLiteral("0002")}, {QStringLiteral("IDPERALTPRECO"), QStringLiteral("N")}});
    test::insertRow(db(), QStringLiteral("PARAMPEDIDO"),
                    {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("IDPERALTPRECO"), QStringLiteral("S")}});
    abre();
    EXPECT_EQ(view.filtros, 0);
    EXPECT_EQ(view.foco, C::Filial);
    EXPECT_TRUE(view.comandos.areaFilial);
    EXPECT_FALSE(view.comandos.incluir) << "no branch accepted yet";

    tela().filial = QStringLiteral("9");
    run([&] { logic->registro.filialMudou(); });
    EXPECT_FALSE(run([&] { logic->registro.saiFilial(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Filial não cadastrada.")});
    tela().filial.clear();
    EXPECT_FALSE(run([&] { logic->registro.saiFilial(); }));
    EXPECT_EQ(dialogs().errors().last(), QStringLiteral("Filial deve ser informada."));

    tela().filial = QStringLiteral("2");
    ASSERT_TRUE(run([&] { logic->registro.saiFilial(); }));
    EXPECT_EQ(tela().filial, QStringLiteral("0002"));
    EXPECT_EQ(tela().nmFilial, QStringLiteral("DEPOSITO SUL"));
    EXPECT_TRUE(logic->itens.precoBloqueado());
    view.aceitaFiltro = false;
    EXPECT_FALSE(logic->registro.saiAreaFilial());
    EXPECT_EQ(view.foco, C::Filial) << "a cancelled filter keeps the user in the branch area";
    EXPECT_FALSE(logic->contexto.qryPedido.active());
    view.aceitaFiltro = true;
    EXPECT_TRUE(logic->registro.saiAreaFilial());
    EXPECT_EQ(logic->contexto.Filtro.Filial, QStringLiteral("0002"));
    EXPECT_TRUE(logic->contexto.qryPedido.isEmpty()) << "the other branch has no orders";
    EXPECT_TRUE(view.comandos.incluir);

    // Entering the branch field closes the list; the first branch has its order and lets prices be typed.
    run([&] { logic->registro.entraFilial(); });
    EXPECT_FALSE(logic->contexto.qryPedido.active());
    EXPECT_FALSE(view.comandos.incluir);
    tela().filial = QStringLiteral("1");
    ASSERT_TRUE(run([&] { logic->registro.saiFilial(); }));
    EXPECT_FALSE(logic->itens.precoBloqueado());
    EXPECT_TRUE(logic->registro.saiAreaFilial());
    EXPECT_EQ(logic->contexto.qryPedido.recordCount(), 1);
    EXPECT_TRUE(tela().periodoVisivel);
    EXPECT_EQ(tela().periodoAte, hoje());
}

} // namespace

TEST_F(LancPedidoTest, IncludeThenCancelComesBackToTheSameOrderAndOnAnEmptyItemsPageBeginsANewOrder)
{
    for (const char* nr : {"0000000001", "0000000002", "0000000003"})
        test::pedidoGravado(db(), QString::fromLatin1(nr));
    abre();
    ASSERT_TRUE(logic->contexto.qryPedido.locate(QStringLiteral("NRPEDIDO"), QStringLiteral("0000000002")));
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
    EXPECT_EQ(campo("NRPEDIDO"), QStringLiteral("0000000002"));

    // Order 2 has no items: Include on its items page begins a new order, not an item of order 2.
    ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Itens); }));
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_EQ(logic->contexto.qryPedido.state(), DataSetState::Insert);
    EXPECT_EQ(campo("NRPEDIDO"), QStringLiteral("0000000004"));
    EXPECT_FALSE(logic->itens.itemEditando());
    EXPECT_EQ(view.pagina, P::DadosGerais);
}

TEST_F(LancPedidoTest, TheCustomerLookupShowsEachRegistrationWithTheMaskOfItsKind)
{
    abre();
    QStringList mostrados;
    logic->setPesquisa([&](Query& q, const QString&) {
        for (q.first(); !q.eof(); q.next())
            mostrados << q.fieldByName(QStringLiteral("NRINSJURCLIE")).displayText();
        return false;
    });
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    ASSERT_TRUE(run([&] { logic->cabecalho.pesquisaCliente(); }));
    EXPECT_TRUE(mostrados.contains(QStringLiteral("123.456.789-09"))) << mostrados.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(mostrados.contains(QStringLiteral("11.222.333/0001-81")));
}
