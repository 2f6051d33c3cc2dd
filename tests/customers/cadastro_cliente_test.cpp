// The customer registry's logic against a real database: identification and
// duplicates, the names, the two addresses with their checks, cascades and
// lookups, the save of the three records in one transaction and deletion.
#include "customers/cadastro_cliente.h"
#include "library/errors.h"
#include "tests/customers/clientes_fixture.h"
#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>
#include <optional>

using namespace zov;
using C = ControleCliente;

namespace {

class RecordingView final : public ClienteView {
public:
    PaginaCliente paginaAtual() const override { return pagina; }
    void mostraPagina(PaginaCliente p) override { pagina = p; }
    bool temFoco(ControleCliente c) const override { return foco == c; }
    bool podeFocar(ControleCliente c) const override { return (c != C::Inscricao || codigo) && (c != C::NmRazaoSoc || razao); }
    void foca(ControleCliente c) override
    {
        pagina = PaginaCliente::Formulario;
        foco = c;
    }
    void habilitaComandos(const ComandosCliente& c) override { comandos = c; }
    void habilitaCodigo(bool b) override { codigo = b; }
    void habilitaRazaoSocial(bool b) override { razao = b; }
    void atualizaControles() override {}
    void procura(Query&) override { ++procuras; }
    void fecha() override {}

    PaginaCliente pagina = PaginaCliente::Grade;
    std::optional<ControleCliente> foco;
    ComandosCliente comandos;
    bool codigo = false;
    bool razao = true;
    int procuras = 0;
};

class CadastroClienteTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        tdb = std::make_unique<test::TempDatabase>();
        test::semeiaGeografia(db());
    }
    void TearDown() override
    {
        logic.reset();
        tdb.reset();
        test::DialogsTest::TearDown();
    }
    Database& db() { return tdb->db(); }
    CadastroCliente& abre()
    {
        logic = std::make_unique<CadastroCliente>(db(), view);
        // The search dialog: answers from a queue of keys (empty: cancelled).
        logic->setPesquisa([this](Query& q, const QString& titulo) {
            titulos << titulo;
            if (escolhas.isEmpty())
                return false;
            const QString chave = escolhas.takeFirst();
            return !chave.isEmpty() && q.locate(q.field(0).fieldName(), chave);
        });
        logic->inicia();
        return *logic;
    }
    bool run(const std::function<void()>& f) { return runGuarded(f); }
    Query& clientes() { return logic->qryClientes; }
    QString campo(Query& q, const char* name) { return q.fieldByName(QString::fromLatin1(name)).asString(); }
    void poe(Query& q, const char* name, const QString& value) { q.fieldByName(QString::fromLatin1(name)).setValue(value); }

    // Types into an edit that has the focus, then leaves it for another.
    bool digita(C controle, Query& q, const char* field, const QString& value, const std::function<void()>& sai, C proximo)
    {
        view.foco = controle;
        poe(q, field, value);
        if (controle == C::Inscricao)
            logic->inscricaoDigitada();
        view.foco = proximo;
        return sai ? run(sai) : true;
    }
    void preencheEndereco(EnderecoCliente& e, const QString& pais, const QString& uf, const QString& municipio)
    {
        Query& q = e.qry();
        ASSERT_TRUE(digita(
            e.controlePais(), q, "CDPAIS", pais, [&] { e.saiPais(); }, e.controleEstado()));
        ASSERT_TRUE(digita(
            e.controleEstado(), q, "SGESTADO", uf, [&] { e.saiEstado(); }, e.controleMunicipio()));
        ASSERT_TRUE(digita(
            e.controleMunicipio(), q, "CDMUNICIPIO", municipio, [&] { e.saiMunicipio(); }, e.controleBairro()));
    }
    // Incluir, code, trade name and both addresses, as typed on the form.
    void preencheNovo(const QString& codigo, const QString& fantasia)
    {
        ASSERT_TRUE(run([&] { logic->incluir(); }));
        ASSERT_TRUE(digita(
            C::Inscricao, clientes(), "NRINSJURINFO", codigo, [&] { logic->saiInscricao(); }, C::NrInsJurClie));
        view.foco = C::NmFantasia;
        poe(clientes(), "NMFANTCLIE", fantasia);
        preencheEndereco(logic->enderecoCli, QStringLiteral("1"), QStringLiteral("SP"), QStringLiteral("1"));
        preencheEndereco(logic->enderecoEntrega, QStringLiteral("1"), QStringLiteral("SP"), QStringLiteral("2"));
    }
    int conta(const QString& table, const QString& where = {}) { return test::countRows(db(), table, where); }
    QVariant le(const QString& sql) { return db().scalar(sql); }

    std::unique_ptr<test::TempDatabase> tdb;
    RecordingView view;
    std::unique_ptr<CadastroCliente> logic;
    QStringList escolhas;
    QStringList titulos;
};

bool editando(const Query& q) { return q.state() == DataSetState::Edit || q.state() == DataSetState::Insert; }

// ---------------------------------------------------------------- including

TEST_F(CadastroClienteTest, ANewPersonIsStoredActiveWithBothAddressesReadyForTheExport)
{
    abre();
    EXPECT_EQ(view.pagina, PaginaCliente::Grade);
    EXPECT_TRUE(view.comandos.incluir);
    EXPECT_FALSE(view.comandos.alterar);

    preencheNovo(QStringLiteral("529.982.247-25"), QStringLiteral("JOSE DA SILVA"));
    EXPECT_EQ(view.pagina, PaginaCliente::Formulario);
    EXPECT_TRUE(view.codigo);
    EXPECT_EQ(campo(clientes(), "IDTPIJURINFO"), QStringLiteral("F"));
    EXPECT_EQ(campo(clientes(), "NRINSJURINFO"), test::kCpfA);
    EXPECT_EQ(campo(clientes(), "NRINSJURCLIE"), test::kCpfA);
    EXPECT_EQ(campo(logic->qryEndCli, "CDPAIS"), QStringLiteral("0001")); // normalised on leaving
    EXPECT_EQ(campo(logic->qryEndCli, "NMMUNICIPIO"), QStringLiteral("SAO PAULO"));
    EXPECT_EQ(campo(logic->qryEndEntrega, "NMMUNICIPIO"), QStringLiteral("CAMPINAS"));
    EXPECT_TRUE(view.comandos.confirmar);
    EXPECT_FALSE(view.comandos.paginaGrade);

    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_TRUE(dialogs().records.empty());
    const QString cd = QStringLiteral("F") + test::kCpfA;
    EXPECT_EQ(le(QStringLiteral("SELECT CDCLIENTE || '|' || IDTPIJURCLIE || '|' || NRINSJURCLIE || '|' || NMRAZSOCCLIE || '|' || "
                                "NMFANTCLIE || '|' || IDCLIEATIV || '|' || IDPRIPUBCLIE FROM CLIENTE"))
                  .toString(),
              cd + QStringLiteral("|F|") + test::kCpfA + QStringLiteral("|JOSE DA SILVA|JOSE DA SILVA|S|V"));
    // What the export sends: active customers and their addresses, the main one "P".
    EXPECT_EQ(le(QStringLiteral("SELECT group_concat(EC.IDTPENDECLIE || EC.CDMUNICIPIO, ',') FROM ENDECLIE EC, CLIENTE CL "
                                "WHERE EC.CDCLIENTE = CL.CDCLIENTE AND CL.IDCLIEATIV = 'S' ORDER BY EC.IDTPENDECLIE"))
                  .toString(),
              QStringLiteral("P0001,T0002"));
    EXPECT_EQ(view.pagina, PaginaCliente::Grade);
    EXPECT_EQ(clientes().state(), DataSetState::Browse);
    EXPECT_EQ(campo(clientes(), "CDCLIENTE"), cd);
    EXPECT_EQ(campo(logic->qryEndCli, "DSENDECLIE"), QString());
    EXPECT_EQ(logic->qryEndCli.recordCount(), 1);
    EXPECT_TRUE(view.comandos.alterar);
}

TEST_F(CadastroClienteTest, ACompanyKeepsItsTradeNameInBothNameColumns)
{
    abre();
    preencheNovo(test::kCnpjA, QStringLiteral("ACME"));
    EXPECT_EQ(campo(clientes(), "IDTPIJURINFO"), QStringLiteral("J"));
    poe(clientes(), "NMRAZSOCCLIE", QStringLiteral("ACME INDUSTRIA E COMERCIO LTDA"));
    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(le(QStringLiteral("SELECT NMRAZSOCCLIE || '/' || NMFANTCLIE FROM CLIENTE")).toString(), QStringLiteral("ACME/ACME"));
}

TEST_F(CadastroClienteTest, AnExistingCodeIsRefusedWhenTheCodeIsLeft)
{
    test::insereCliente(db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("JOSE"));
    abre();
    ASSERT_TRUE(run([&] { logic->incluir(); }));
    EXPECT_EQ(view.foco, C::Inscricao);
    EXPECT_FALSE(digita(
        C::Inscricao, clientes(), "NRINSJURINFO", test::kCpfA, [&] { logic->saiInscricao(); }, C::NmFantasia));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Cliente já cadastrado.")});
    EXPECT_EQ(view.foco, C::Inscricao);
    EXPECT_EQ(clientes().state(), DataSetState::Insert);

    // A number that is no CPF: the error of the check, the focus back in the code.
    dialogs().clear();
    EXPECT_FALSE(digita(
        C::Inscricao, clientes(), "NRINSJURINFO", QStringLiteral("52998224724"), [&] { logic->saiInscricao(); }, C::NmFantasia));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().front().startsWith(QStringLiteral("CPF inválido")));
    EXPECT_EQ(view.foco, C::Inscricao);
}

TEST_F(CadastroClienteTest, BlankCodeOnConfirmOnlyWhileInserting)
{
    test::insereCliente(db(), QStringLiteral("J") + test::kCnpjA, QStringLiteral("J"), QString(), QStringLiteral("SEM NUMERO"));
    test::insereEndereco(db(), QStringLiteral("J") + test::kCnpjA, QStringLiteral("P"));
    test::insereEndereco(db(), QStringLiteral("J") + test::kCnpjA, QStringLiteral("T"));
    abre();
    ASSERT_TRUE(run([&] { logic->incluir(); }));
    poe(clientes(), "NMFANTCLIE", QStringLiteral("ALGUEM"));
    view.foco = C::NmFantasia;
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Inscrição deve ser informada.")});
    EXPECT_EQ(view.foco, C::Inscricao);
    EXPECT_EQ(clientes().state(), DataSetState::Insert);
    EXPECT_EQ(campo(clientes(), "NMFANTCLIE"), QStringLiteral("ALGUEM"));

    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->cancelar(); }));
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 1);

    // Editing: the code is not checked, the taxpayer number is.
    dialogs().clear();
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    EXPECT_EQ(view.foco, C::NmRazaoSoc);
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Inscrição deve ser informada.")});
    EXPECT_EQ(view.foco, C::NrInsJurClie);
    EXPECT_EQ(clientes().state(), DataSetState::Edit);
}

TEST_F(CadastroClienteTest, EditingACompanyWithoutChangingItsNumberLooksForNoDuplicate)
{
    const QString cd = QStringLiteral("J") + test::kCnpjA;
    test::insereCliente(db(), cd, QStringLiteral("J"), test::kCnpjA, QStringLiteral("ACME"));
    test::insereEndereco(db(), cd, QStringLiteral("P"));
    test::insereEndereco(db(), cd, QStringLiteral("T"));
    // Another row with the same number and kind: any duplicate query would find it.
    test::insereCliente(db(), QStringLiteral("I9999999"), QStringLiteral("J"), test::kCnpjA, QStringLiteral("OUTRA"));
    test::insereCliente(db(), QStringLiteral("J") + test::kCnpjB, QStringLiteral("J"), test::kCnpjB, QStringLiteral("BETA"));
    abre();
    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), cd));
    EXPECT_EQ(campo(logic->qryEndCli, "DSENDECLIE"), QStringLiteral("RUA P"));
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    view.foco = C::NrInsJurClie;
    ASSERT_TRUE(run([&] { logic->entraNrInsJurClie(); }));
    view.foco = C::NmFantasia;
    EXPECT_TRUE(run([&] { logic->saiNrInsJurClie(); }));
    poe(clientes(), "NMFANTCLIE", QStringLiteral("ACME NOVA"));
    view.foco = C::NrInsJurClie; // Confirm with the focus still in the number
    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_TRUE(dialogs().records.empty());
    EXPECT_EQ(le(QStringLiteral("SELECT NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = '%1'").arg(cd)).toString(), QStringLiteral("ACME NOVA"));

    // Changing it to the number of another customer is refused.
    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), cd));
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    EXPECT_FALSE(digita(
        C::NrInsJurClie, clientes(), "NRINSJURCLIE", test::kCnpjB, [&] { logic->saiNrInsJurClie(); }, C::NmFantasia));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Cliente já cadastrado.")});
    EXPECT_EQ(view.foco, C::NrInsJurClie);
}

// A person has no legal name: Alterar starts at the trade name, not at a
// disabled edit (the focus used to end on the tab bar).
TEST_F(CadastroClienteTest, AlterarOnAPersonFocusesTheFirstEditableField)
{
    test::insereCliente(db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("JOSE"));
    test::insereCliente(db(), QStringLiteral("J") + test::kCnpjA, QStringLiteral("J"), test::kCnpjA, QStringLiteral("ACME"));
    abre();
    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), QStringLiteral("F") + test::kCpfA));
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    EXPECT_FALSE(view.razao);
    EXPECT_EQ(view.foco, C::NmFantasia);
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->cancelar(); }));

    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), QStringLiteral("J") + test::kCnpjA));
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    EXPECT_EQ(view.foco, C::NmRazaoSoc);
}

TEST_F(CadastroClienteTest, AnOtherKindMayRepeatANumberOnlyAfterYes)
{
    test::insereCliente(db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("JOSE"));
    abre();
    preencheNovo(QStringLiteral("12"), QStringLiteral("FILIAL DO JOSE"));
    EXPECT_EQ(campo(clientes(), "IDTPIJURINFO"), QStringLiteral("O"));
    EXPECT_EQ(campo(clientes(), "NRINSJURINFO"), QStringLiteral("00012"));
    EXPECT_EQ(campo(clientes(), "IDTPIJURCLIE"), QStringLiteral("O"));

    dialogs().answer({false});
    EXPECT_FALSE(digita(
        C::NrInsJurClie, clientes(), "NRINSJURCLIE", test::kCpfA, [&] { logic->saiNrInsJurClie(); }, C::NmFantasia));
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Inscrição já cadastrada. Confirma operação?")});
    EXPECT_TRUE(dialogs().errors().isEmpty());
    EXPECT_EQ(view.foco, C::NrInsJurClie);

    dialogs().answer({true});
    view.foco = C::NmFantasia;
    EXPECT_TRUE(run([&] { logic->saiNrInsJurClie(); }));
    EXPECT_EQ(dialogs().questions().size(), 2);

    // Confirm with the focus in the number checks it again, without asking.
    view.foco = C::NrInsJurClie;
    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().questions().size(), 2);
    EXPECT_EQ(le(QStringLiteral("SELECT IDTPIJURCLIE || NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = 'O00012'")).toString(),
              QStringLiteral("F") + test::kCpfA);
    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), QStringLiteral("O00012")));
    EXPECT_EQ(campo(clientes(), "IDTPIJURINFO"), QStringLiteral("O"));
    EXPECT_EQ(campo(clientes(), "NRINSJURINFO"), QStringLiteral("00012"));
}

TEST_F(CadastroClienteTest, TheTradeNameIsRequiredAndALegalNameIsNot)
{
    abre();
    preencheNovo(test::kCpfB, QString());
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Nome fantasia deve ser informado.")});
    EXPECT_EQ(view.foco, C::NmFantasia);
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 0);

    // A person's legal name follows the trade name as it is typed.
    poe(clientes(), "NMFANTCLIE", QStringLiteral("MARIA"));
    EXPECT_EQ(campo(clientes(), "NMRAZSOCCLIE"), QStringLiteral("MARIA"));
    view.foco = C::NmRazaoSoc;
    logic->entraRazaoSocial();
    EXPECT_EQ(view.foco, C::NmFantasia);
    EXPECT_FALSE(view.razao);
    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(conta(QStringLiteral("CLIENTE"), QStringLiteral("NMRAZSOCCLIE = 'MARIA'")), 1);
}

// ---------------------------------------------------------------- addresses

TEST_F(CadastroClienteTest, ChangingAHigherLevelClearsTheLowerOnes)
{
    abre();
    preencheNovo(test::kCpfC, QStringLiteral("ANA"));
    Query& ent = logic->qryEndEntrega;
    poe(ent, "CDBAIRRO", QStringLiteral("0000000002"));
    poe(ent, "NMBAIRCLIE", QStringLiteral("CAMBUI"));
    poe(ent, "SGESTADO", QStringLiteral("RJ"));
    EXPECT_EQ(campo(ent, "CDMUNICIPIO"), QString());
    EXPECT_EQ(campo(ent, "NMMUNICIPIO"), QString());
    EXPECT_EQ(campo(ent, "CDBAIRRO"), QString());
    EXPECT_EQ(campo(ent, "NMBAIRCLIE"), QString());
    EXPECT_EQ(campo(ent, "CDPAIS"), QStringLiteral("0001"));

    Query& cli = logic->qryEndCli;
    poe(cli, "CDBAIRRO", QStringLiteral("0000000001"));
    poe(cli, "NMBAIRCLIE", QStringLiteral("CENTRO"));
    poe(cli, "CDBAIRRO", QStringLiteral("0000000009"));
    EXPECT_EQ(campo(cli, "NMBAIRCLIE"), QString());
    poe(cli, "NMBAIRCLIE", QStringLiteral("CENTRO"));
    poe(cli, "CDMUNICIPIO", QStringLiteral("0002"));
    EXPECT_EQ(campo(cli, "NMMUNICIPIO"), QString());
    EXPECT_EQ(campo(cli, "CDBAIRRO"), QString());
    EXPECT_EQ(campo(cli, "NMBAIRCLIE"), QString());
    poe(cli, "CDPAIS", QStringLiteral("0002"));
    for (const char* f : {"NMPAIS", "SGESTADO", "CDMUNICIPIO", "NMMUNICIPIO", "CDBAIRRO", "NMBAIRCLIE"})
        EXPECT_EQ(campo(cli, f), QString()) << f;

    // Typing a district name by hand drops the district code, keeping the name.
    poe(ent, "SGESTADO", QStringLiteral("SP"));
    poe(ent, "CDMUNICIPIO", QStringLiteral("0002"));
    poe(ent, "CDBAIRRO", QStringLiteral("0000000002"));
    poe(ent, "NMBAIRCLIE", QStringLiteral("CAMBUI"));
    logic->enderecoEntrega.nomeBairroDigitado();
    EXPECT_EQ(campo(ent, "CDBAIRRO"), QString());
    EXPECT_EQ(campo(ent, "NMBAIRCLIE"), QStringLiteral("CAMBUI"));
}

TEST_F(CadastroClienteTest, UnknownCodesAreRefusedAndABlankDistrictIsAccepted)
{
    abre();
    ASSERT_TRUE(run([&] { logic->incluir(); }));
    EnderecoCliente& e = logic->enderecoCli;
    EXPECT_FALSE(digita(
        C::PaisCli, e.qry(), "CDPAIS", QStringLiteral("9"), [&] { e.saiPais(); }, C::EstadoCli));
    EXPECT_EQ(campo(e.qry(), "CDPAIS"), QStringLiteral("0009"));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("País não cadastrado.")});
    EXPECT_EQ(view.foco, C::PaisCli);

    dialogs().clear();
    preencheNovo(test::kCpfC, QStringLiteral("ANA"));
    ASSERT_TRUE(clientes().state() == DataSetState::Insert);
    EXPECT_FALSE(digita(
        C::BairroCli, e.qry(), "CDBAIRRO", QStringLiteral("7"), [&] { e.saiBairro(); }, C::NmFantasia));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Bairro não cadastrado.")});
    EXPECT_EQ(campo(e.qry(), "CDBAIRRO"), QStringLiteral("0000000007"));
    dialogs().clear();
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Bairro não cadastrado.")});
    EXPECT_EQ(view.foco, C::BairroCli);
    EXPECT_EQ(view.pagina, PaginaCliente::Formulario);
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 0);

    // A district of the municipality is found and named; a blank one is accepted.
    dialogs().clear();
    ASSERT_TRUE(digita(
        C::BairroCli, e.qry(), "CDBAIRRO", QStringLiteral("1"), [&] { e.saiBairro(); }, C::NmFantasia));
    EXPECT_EQ(campo(e.qry(), "NMBAIRCLIE"), QStringLiteral("CENTRO"));
    EXPECT_EQ(campo(logic->qryEndEntrega, "CDBAIRRO"), QString());
    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_TRUE(dialogs().errors().isEmpty());
    EXPECT_EQ(le(QStringLiteral("SELECT CDBAIRRO || NMBAIRCLIE FROM ENDECLIE WHERE IDTPENDECLIE = 'P'")).toString(),
              QStringLiteral("0000000001CENTRO"));
    EXPECT_TRUE(le(QStringLiteral("SELECT CDBAIRRO FROM ENDECLIE WHERE IDTPENDECLIE = 'T'")).isNull());

    // Confirm asks for every level of both addresses.
    ASSERT_TRUE(run([&] { logic->incluir(); }));
    ASSERT_TRUE(digita(
        C::Inscricao, clientes(), "NRINSJURINFO", test::kCpfB, [&] { logic->saiInscricao(); }, C::NmFantasia));
    poe(clientes(), "NMFANTCLIE", QStringLiteral("BIA"));
    preencheEndereco(e, QStringLiteral("1"), QStringLiteral("SP"), QStringLiteral("1"));
    poe(logic->qryEndEntrega, "CDPAIS", QStringLiteral("0001"));
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().errors().back(), QStringLiteral("Estado deve ser informado."));
    EXPECT_EQ(view.foco, C::EstadoEntrg);
}

TEST_F(CadastroClienteTest, LookupsFillTheAddressAndCancellingLeavesItUntouched)
{
    abre();
    preencheNovo(test::kCpfC, QStringLiteral("ANA"));
    Query& cli = logic->qryEndCli;
    const QVector<QVariant> antes = [&] {
        QVector<QVariant> v;
        for (int i = 0; i < cli.fieldCount(); ++i)
            v << cli.field(i).value();
        return v;
    }();
    escolhas << QString(); // cancelled
    ASSERT_TRUE(run([&] { logic->enderecoCli.pesquisaPais(); }));
    EXPECT_EQ(titulos, QStringList{QStringLiteral("País")});
    for (int i = 0; i < cli.fieldCount(); ++i)
        EXPECT_EQ(cli.field(i).value(), antes[i]) << cli.field(i).fieldName().toStdString();
    EXPECT_EQ(cli.state(), DataSetState::Insert);

    // The district list is that of the address's municipality.
    escolhas << QStringLiteral("0000000001");
    ASSERT_TRUE(run([&] { logic->enderecoCli.pesquisaBairro(); }));
    EXPECT_EQ(logic->geografia.qryBairro.recordCount(), 1);
    EXPECT_EQ(campo(cli, "CDBAIRRO"), QStringLiteral("0000000001"));
    EXPECT_EQ(campo(cli, "NMBAIRCLIE"), QStringLiteral("CENTRO"));

    escolhas << QStringLiteral("0002");
    ASSERT_TRUE(run([&] { logic->enderecoCli.pesquisaMunicipio(); }));
    EXPECT_EQ(campo(cli, "CDMUNICIPIO"), QStringLiteral("0002"));
    EXPECT_EQ(campo(cli, "NMMUNICIPIO"), QStringLiteral("CAMPINAS"));
    EXPECT_EQ(campo(cli, "CDBAIRRO"), QString());
    EXPECT_EQ(campo(cli, "NMBAIRCLIE"), QString());

    escolhas << QStringLiteral("RJ");
    ASSERT_TRUE(run([&] { logic->enderecoEntrega.pesquisaEstado(); }));
    EXPECT_EQ(campo(logic->qryEndEntrega, "SGESTADO"), QStringLiteral("RJ"));
    EXPECT_EQ(campo(logic->qryEndEntrega, "CDMUNICIPIO"), QString());
    EXPECT_EQ(logic->geografia.qryEstado.recordCount(), 2);

    escolhas << QStringLiteral("0002");
    ASSERT_TRUE(run([&] { logic->enderecoEntrega.pesquisaPais(); }));
    EXPECT_EQ(campo(logic->qryEndEntrega, "CDPAIS"), QStringLiteral("0002"));
    EXPECT_EQ(campo(logic->qryEndEntrega, "NMPAIS"), QStringLiteral("ARGENTINA"));
    EXPECT_EQ(campo(logic->qryEndEntrega, "SGESTADO"), QString());
    EXPECT_EQ(titulos.size(), 5);
}

// ---------------------------------------------------------------- saving as one

TEST_F(CadastroClienteTest, AFailingAddressWriteLeavesNoHalfSavedCustomer)
{
    db().execScript(QStringLiteral("CREATE TRIGGER falha_entrega BEFORE INSERT ON ENDECLIE WHEN NEW.IDTPENDECLIE = 'T' "
                                   "BEGIN SELECT RAISE(ABORT, 'disco cheio'); END;"));
    abre();
    preencheNovo(test::kCpfA, QStringLiteral("JOSE"));
    poe(logic->qryEndCli, "DSENDECLIE", QStringLiteral("RUA A, 1"));
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().front().startsWith(QStringLiteral("Não foi possível gravar o cliente.")));
    EXPECT_TRUE(dialogs().errors().front().contains(QStringLiteral("disco cheio")));
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 0);
    EXPECT_EQ(conta(QStringLiteral("ENDECLIE")), 0);

    // The three records are still being inserted, with what was typed.
    EXPECT_EQ(clientes().state(), DataSetState::Insert);
    EXPECT_EQ(logic->qryEndCli.state(), DataSetState::Insert);
    EXPECT_EQ(logic->qryEndEntrega.state(), DataSetState::Insert);
    EXPECT_EQ(campo(clientes(), "NMFANTCLIE"), QStringLiteral("JOSE"));
    EXPECT_EQ(campo(clientes(), "NRINSJURINFO"), test::kCpfA);
    EXPECT_EQ(campo(logic->qryEndCli, "DSENDECLIE"), QStringLiteral("RUA A, 1"));
    EXPECT_EQ(campo(logic->qryEndEntrega, "CDMUNICIPIO"), QStringLiteral("0002"));
    EXPECT_FALSE(logic->qryEndCli.updatesPending());
    EXPECT_EQ(view.pagina, PaginaCliente::Formulario);
    EXPECT_TRUE(view.comandos.confirmar);
    EXPECT_TRUE(view.codigo);

    // Once the cause is gone the same Confirm saves all three.
    db().execScript(QStringLiteral("DROP TRIGGER falha_entrega;"));
    dialogs().clear();
    ASSERT_TRUE(run([&] { logic->confirmar(); }));
    EXPECT_TRUE(dialogs().errors().isEmpty());
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 1);
    EXPECT_EQ(conta(QStringLiteral("ENDECLIE")), 2);
    EXPECT_EQ(clientes().recordCount(), 1);
}

TEST_F(CadastroClienteTest, AFailingCustomerWriteKeepsTheStoredAddressesAndTheTyping)
{
    const QString cd = QStringLiteral("F") + test::kCpfA;
    test::insereCliente(db(), cd, QStringLiteral("F"), test::kCpfA, QStringLiteral("JOSE"));
    test::insereEndereco(db(), cd, QStringLiteral("P"));
    test::insereEndereco(db(), cd, QStringLiteral("T"));
    test::insereCliente(db(), QStringLiteral("F") + test::kCpfB, QStringLiteral("F"), test::kCpfB, QStringLiteral("ZECA"));
    db().execScript(QStringLiteral("CREATE TRIGGER falha_cliente BEFORE UPDATE ON CLIENTE "
                                   "BEGIN SELECT RAISE(ABORT, 'bloqueado'); END;"));
    abre();
    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), cd));
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    poe(clientes(), "NMFANTCLIE", QStringLiteral("JOSE NOVO"));
    poe(logic->qryEndCli, "DSENDECLIE", QStringLiteral("RUA NOVA"));
    EXPECT_FALSE(run([&] { logic->confirmar(); }));
    EXPECT_EQ(dialogs().errors().size(), 1);
    EXPECT_EQ(le(QStringLiteral("SELECT DSENDECLIE FROM ENDECLIE WHERE IDTPENDECLIE = 'P'")).toString(), QStringLiteral("RUA P"));
    EXPECT_EQ(clientes().state(), DataSetState::Edit);
    EXPECT_EQ(campo(clientes(), "CDCLIENTE"), cd); // still on the same customer
    EXPECT_EQ(campo(clientes(), "NMFANTCLIE"), QStringLiteral("JOSE NOVO"));
    EXPECT_EQ(clientes().fieldByName(QStringLiteral("NMFANTCLIE")).oldValue().toString(), QStringLiteral("JOSE"));
    EXPECT_EQ(logic->qryEndCli.state(), DataSetState::Edit);
    EXPECT_EQ(campo(logic->qryEndCli, "DSENDECLIE"), QStringLiteral("RUA NOVA"));

    // Cancel puts back what is stored.
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->cancelar(); }));
    EXPECT_EQ(campo(clientes(), "NMFANTCLIE"), QStringLiteral("JOSE"));
    EXPECT_EQ(campo(logic->qryEndCli, "DSENDECLIE"), QStringLiteral("RUA P"));
    EXPECT_FALSE(clientes().updatesPending());
    EXPECT_EQ(view.pagina, PaginaCliente::Grade);
}

// ---------------------------------------------------------------- deleting

TEST_F(CadastroClienteTest, ExcluirKeepsACustomerWithOrdersAndRemovesOneWithout)
{
    const QString comPedido = QStringLiteral("F") + test::kCpfA;
    const QString semPedido = QStringLiteral("F") + test::kCpfB;
    test::insereCliente(db(), comPedido, QStringLiteral("F"), test::kCpfA, QStringLiteral("ANTONIO"));
    test::insereCliente(db(), semPedido, QStringLiteral("F"), test::kCpfB, QStringLiteral("BENTO"));
    for (const QString& cd : {comPedido, semPedido}) {
        test::insereEndereco(db(), cd, QStringLiteral("P"));
        test::insereEndereco(db(), cd, QStringLiteral("T"));
    }
    // An address the joins hide (its municipality is not here) goes too.
    db().exec(QStringLiteral("UPDATE ENDECLIE SET CDMUNICIPIO = '9999' WHERE CDCLIENTE = :C AND IDTPENDECLIE = 'T'"),
              {{QStringLiteral("C"), semPedido}});
    test::insertRow(db(), QStringLiteral("PEDIDO"),
                    {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                     {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000001")},
                     {QStringLiteral("CDCLIENTE"), comPedido}});
    abre();
    ASSERT_EQ(campo(clientes(), "CDCLIENTE"), comPedido);
    dialogs().answer({true});
    EXPECT_FALSE(run([&] { logic->excluir(); }));
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Confirma exclusão?")});
    EXPECT_EQ(dialogs().errors(),
              QStringList{QStringLiteral("Exclusão não permitida. As informações da tabela Cliente são "
                                         "utilizadas na tabela Pedido.")});
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 2);
    EXPECT_EQ(conta(QStringLiteral("ENDECLIE")), 4);
    EXPECT_EQ(logic->qryEndCli.recordCount(), 1);

    // No: nothing happens.
    dialogs().clear();
    ASSERT_TRUE(clientes().locate(QStringLiteral("CDCLIENTE"), semPedido));
    EXPECT_EQ(logic->qryEndEntrega.recordCount(), 0);
    dialogs().answer({false});
    ASSERT_TRUE(run([&] { logic->excluir(); }));
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 2);

    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->excluir(); }));
    EXPECT_TRUE(dialogs().errors().isEmpty());
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 1);
    EXPECT_EQ(conta(QStringLiteral("ENDECLIE"), QStringLiteral("CDCLIENTE = '%1'").arg(semPedido)), 0);
    EXPECT_EQ(conta(QStringLiteral("ENDECLIE")), 2);
    EXPECT_EQ(clientes().recordCount(), 1);
    EXPECT_EQ(campo(logic->qryEndCli, "CDCLIENTE"), comPedido); // the addresses followed the current customer
}

TEST_F(CadastroClienteTest, AFailingDeletionRemovesNothing)
{
    const QString cd = QStringLiteral("F") + test::kCpfA;
    test::insereCliente(db(), cd, QStringLiteral("F"), test::kCpfA, QStringLiteral("ANTONIO"));
    test::insereEndereco(db(), cd, QStringLiteral("P"));
    test::insereEndereco(db(), cd, QStringLiteral("T"));
    db().execScript(QStringLiteral("CREATE TRIGGER falha_excl BEFORE DELETE ON CLIENTE BEGIN SELECT RAISE(ABORT, 'em uso'); END;"));
    abre();
    dialogs().answer({true});
    EXPECT_FALSE(run([&] { logic->excluir(); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().front().startsWith(QStringLiteral("Não foi possível excluir o cliente.")));
    EXPECT_EQ(conta(QStringLiteral("ENDECLIE")), 2);
    EXPECT_EQ(clientes().recordCount(), 1);
    EXPECT_EQ(campo(clientes(), "CDCLIENTE"), cd);
    EXPECT_EQ(logic->qryEndCli.recordCount(), 1);
    EXPECT_FALSE(clientes().updatesPending());
}

// ---------------------------------------------------------------- states

TEST_F(CadastroClienteTest, CancellingAnAddressAloneAsksOnceAndDiscardsAll)
{
    const QString cd = QStringLiteral("F") + test::kCpfA;
    test::insereCliente(db(), cd, QStringLiteral("F"), test::kCpfA, QStringLiteral("ANTONIO"));
    test::insereEndereco(db(), cd, QStringLiteral("P"));
    test::insereEndereco(db(), cd, QStringLiteral("T"));
    abre();
    logic->qryEndEntrega.edit();
    poe(logic->qryEndEntrega, "DSENDECLIE", QStringLiteral("OUTRA RUA"));
    EXPECT_TRUE(view.comandos.cancelar);
    EXPECT_FALSE(view.comandos.incluir);
    EXPECT_FALSE(view.comandos.navegador);
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->cancelar(); }));
    EXPECT_EQ(dialogs().questions().size(), 1);
    EXPECT_EQ(logic->qryEndEntrega.state(), DataSetState::Browse);
    EXPECT_EQ(campo(logic->qryEndEntrega, "DSENDECLIE"), QStringLiteral("RUA T"));
    EXPECT_TRUE(view.comandos.incluir);
    EXPECT_TRUE(view.comandos.paginaGrade);
}

TEST_F(CadastroClienteTest, ConfirmAndIncludeStartsTheNextCustomer)
{
    abre();
    preencheNovo(test::kCnpjB, QStringLiteral("BETA"));
    ASSERT_TRUE(run([&] { logic->confirmarEIncluir(); }));
    EXPECT_EQ(conta(QStringLiteral("CLIENTE")), 1);
    EXPECT_EQ(clientes().state(), DataSetState::Insert);
    EXPECT_TRUE(editando(logic->qryEndCli));
    EXPECT_TRUE(editando(logic->qryEndEntrega));
    EXPECT_EQ(view.foco, C::Inscricao);
    EXPECT_EQ(view.pagina, PaginaCliente::Formulario);
    EXPECT_EQ(campo(clientes(), "IDPRIPUBCLIE"), QStringLiteral("V"));
    EXPECT_EQ(campo(clientes(), "NRINSJURINFO"), QString());

    // After an alteration it only confirms.
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->cancelar(); }));
    ASSERT_TRUE(run([&] { logic->alterar(); }));
    poe(clientes(), "NMFANTCLIE", QStringLiteral("BETA SA"));
    ASSERT_TRUE(run([&] { logic->confirmarEIncluir(); })) << dialogs().errors().join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(clientes().state(), DataSetState::Browse);
    EXPECT_EQ(le(QStringLiteral("SELECT NMFANTCLIE FROM CLIENTE")).toString(), QStringLiteral("BETA SA"));
}

} // namespace
