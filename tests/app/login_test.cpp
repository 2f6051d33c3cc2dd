// The login's checks and their order, with a recording view and scripted
// transfer steps, against a real local database.
#include "app/login_logic.h"
#include "db/dbgeralped.h"
#include "library/criptografa.h"
#include "library/errors.h"
#include "session/GeralZOV.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/progress.h"
#include "transfer/sessao_servidor.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace zov;
using test::insertRow;

namespace {

class RecordingLoginView final : public LoginView, public ProgressWindow {
public:
    QString text(LoginField field) const override { return texts.value(int(field)); }
    void setText(LoginField field, const QString& t) override { texts[int(field)] = t; }
    void focus(LoginField field) override { focused = field; }
    void setControlsEnabled(bool enabled) override { enabledLog << enabled; }
    ProgressWindow* progressWindow() override { return this; }
    void closeLogin() override { closed = true; }
    bool hasProgressArea() const override { return true; }
    void showProgress(const ProgressState&) override {}
    void bringToFront() override {}

    void type(LoginField f, const QString& t) { texts[int(f)] = t; }
    QMap<int, QString> texts;
    LoginField focused = LoginField::Senha;
    QList<bool> enabledLog;
    bool closed = false;
};

// The password of every operator below.
const QString& hashOfSecret()
{
    static const QString h = CriptografaSenha(QStringLiteral("segredo"));
    return h;
}

class Login : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        ClearSession();
        transfer.testaConnect = [this] {
            steps << QStringLiteral("testa");
            return reachable;
        };
        transfer.criaBaixaDados = [this] {
            steps << QStringLiteral("baixa");
            controlsDuringDownload = view.enabledLog.value(view.enabledLog.size() - 1, true);
            if (download)
                download();
            return downloadOk;
        };
        transfer.chamaExportaDados = [this] {
            steps << QStringLiteral("aplica");
            return true;
        };
        transfer.updateProgress = [this](ProgressWindow*, const QStringList& lines, int, int, bool) { progress << lines.value(0); };
        transfer.reportFailure = [this] { steps << QStringLiteral("falha"); };
        logic = std::make_unique<LoginLogic>(view, transfer);
    }
    void TearDown() override
    {
        ClearSession();
        EsqueceSessaoServidor();
        test::DialogsTest::TearDown();
    }

    void seedCompany()
    {
        Database& db = temp.db();
        insertRow(db, QStringLiteral("FILIAL"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("NMFILIAL"), QStringLiteral("MATRIZ")}});
        insertRow(db, QStringLiteral("FILIAL"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0002")}, {QStringLiteral("NMFILIAL"), QStringLiteral("LOJA")}});
        for (const char* code : {"000000000001", "000000000002"})
            insertRow(db, QStringLiteral("OPERADOR"),
                      {{QStringLiteral("CDOPERADOR"), QString::fromLatin1(code)},
                       {QStringLiteral("NMOPERADOR"), QStringLiteral("OPERADOR ") + QLatin1String(code).right(1)},
                       {QStringLiteral("CDSENHOPER"), hashOfSecret()}});
        // Branch 0001 lists only operator 1; branch 0002 lists none.
        insertRow(db, QStringLiteral("FILIOPER"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("CDOPERADOR"), QStringLiteral("000000000001")}});
    }
    void typeUser(const QString& filial, const QString& operador, const QString& senha)
    {
        view.type(LoginField::Filial, filial);
        view.type(LoginField::Operador, operador);
        view.type(LoginField::Senha, senha);
    }
    bool connect()
    {
        bool ok = false;
        runGuarded([&] { ok = logic->conectar(); });
        return ok;
    }

    test::TempDatabase temp;
    RecordingLoginView view;
    LoginTransfer transfer;
    std::unique_ptr<LoginLogic> logic;
    QStringList steps, progress;
    bool reachable = false;
    bool downloadOk = true;
    bool controlsDuringDownload = true;
    std::function<void()> download;
};

TEST_F(Login, OpeningTakesTheKeptAddressAndActivationFocusesByIt)
{
    logic->abertura();
    EXPECT_TRUE(view.text(LoginField::Endereco).isEmpty());
    logic->ativacao();
    EXPECT_EQ(view.focused, LoginField::Endereco);
    temp.db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES ('10.0.0.5:8080')"));
    logic->abertura();
    EXPECT_EQ(view.text(LoginField::Endereco), QStringLiteral("10.0.0.5:8080"));
    logic->ativacao();
    EXPECT_EQ(view.focused, LoginField::Filial);
}

TEST_F(Login, AdmitsAnOperatorAndSetsTheSessionValues)
{
    seedCompany();
    logic->abertura();
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    logic->saiFilial();
    EXPECT_EQ(view.text(LoginField::Filial), QStringLiteral("0001"));
    logic->saiOperador();
    EXPECT_EQ(view.text(LoginField::Operador), QStringLiteral("000000000001"));
    view.type(LoginField::Filial, QStringLiteral("1")); // typed again and not left: adjusted before the lookup
    ASSERT_TRUE(connect());
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(logic->admitido());
    EXPECT_EQ(Filial(), QStringLiteral("0001"));
    EXPECT_EQ(NmFilial(), QStringLiteral("MATRIZ"));
    EXPECT_EQ(CdOperador(), QStringLiteral("000000000001"));
    EXPECT_EQ(NmOperador(), QStringLiteral("OPERADOR 1"));
    EXPECT_TRUE(dialogs().errors().isEmpty());
    EXPECT_TRUE(steps.isEmpty()) << "no address: no connection";
    // An address set later still enters the server as the operator admitted here.
    const SessaoServidor s = SessaoServidorAtual();
    EXPECT_EQ(std::tuple(s.filial, s.operador, s.senha),
              std::tuple(std::string("0001"), std::string("000000000001"), std::string("segredo")));
}

TEST_F(Login, TheBranchOperatorListDecidesWhoMayUseABranch)
{
    seedCompany();
    logic->abertura();
    typeUser(QStringLiteral("0002"), QStringLiteral("2"), QStringLiteral("segredo"));
    EXPECT_TRUE(connect()) << "a branch that lists no operator admits every operator";

    view.closed = false;
    typeUser(QStringLiteral("0001"), QStringLiteral("2"), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Operador não cadastrado para a filial informada.")});
    EXPECT_EQ(view.focused, LoginField::Operador);
    EXPECT_FALSE(view.closed);

    dialogs().clear();
    typeUser(QStringLiteral("0001"), QStringLiteral("9"), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Operador não cadastrado para a filial informada.")});
}

TEST_F(Login, EachRefusalIsShownOnceAndKeepsWhatWasTyped)
{
    seedCompany();
    logic->abertura();
    typeUser(QString(), QStringLiteral("1"), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    typeUser(QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(view.focused, LoginField::Filial);
    typeUser(QStringLiteral("1"), QString(), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("errada"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(view.focused, LoginField::Senha);
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QString());
    EXPECT_FALSE(connect()) << "an empty password is checked like any other";
    EXPECT_EQ(dialogs().errors(),
              QStringList({QStringLiteral("Filial deve ser informada."), QStringLiteral("Filial não cadastrada"),
                           QStringLiteral("Operador deve ser informado."), QStringLiteral("Senha inválida."),
                           QStringLiteral("Senha inválida.")}));
    EXPECT_EQ(view.text(LoginField::Senha), QString());
    EXPECT_EQ(view.text(LoginField::Filial), QStringLiteral("0001"));
    EXPECT_TRUE(Filial().isEmpty()) << "no session values before success";
}

TEST_F(Login, EmptyTablesWithoutAnAddressNameTheLikelyCause)
{
    logic->abertura();
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    ASSERT_EQ(dialogs().errors().size(), 1) << "the check stops at the branch table";
    EXPECT_TRUE(dialogs().errors().first().startsWith(QStringLiteral("Não há filial cadastrada.")));

    dialogs().clear();
    insertRow(temp.db(), QStringLiteral("FILIAL"), {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}});
    EXPECT_FALSE(connect());
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().first().startsWith(QStringLiteral("Não há Operador cadastrada.")));
}

// A password the local copy refuses is asked of the server, when there is
// one: the office may have changed it. Refused there too, or offline, it is
// refused here, with no download.
TEST_F(Login, AWrongPasswordIsAskedOfTheServerAndRefusedWithoutADownload)
{
    seedCompany();
    temp.db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES ('127.0.0.1')"));
    logic->abertura();
    reachable = true;
    transfer.servidorAdmite = [this] {
        steps << QStringLiteral("admite");
        return false;
    };
    logic = std::make_unique<LoginLogic>(view, transfer);
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("errada"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(steps, QStringList{QStringLiteral("admite")});
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Senha inválida.")});
    EXPECT_FALSE(TemCredenciaisServidor()) << "the refused password is not kept";

    // Without an address the server is not asked.
    steps.clear();
    view.type(LoginField::Endereco, QString());
    EXPECT_FALSE(connect());
    EXPECT_TRUE(steps.isEmpty());
}

// The office changed the password: the server admits the new one, the
// refresh brings its hash, and the salesperson is in without a word more.
TEST_F(Login, APasswordChangedAtTheOfficeLogsInThroughTheServer)
{
    seedCompany();
    temp.db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES ('127.0.0.1')"));
    logic->abertura();
    reachable = true;
    transfer.servidorAdmite = [this] {
        steps << QStringLiteral("admite");
        return true;
    };
    download = [this] {
        temp.db().exec(QStringLiteral("UPDATE OPERADOR SET CDSENHOPER = :H WHERE CDOPERADOR = '000000000001'"),
                       {{QStringLiteral("H"), CriptografaSenha(QStringLiteral("nova"))}});
    };
    logic = std::make_unique<LoginLogic>(view, transfer);
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("nova"));
    ASSERT_TRUE(connect()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(steps, (QStringList{QStringLiteral("admite"), QStringLiteral("testa"), QStringLiteral("baixa"), QStringLiteral("aplica")}));
    EXPECT_TRUE(dialogs().errors().isEmpty());
    EXPECT_EQ(CdOperador(), QStringLiteral("000000000001"));

    // Offline, the next login takes the new password from the local copy.
    steps.clear();
    reachable = false;
    view.type(LoginField::Endereco, QString());
    EXPECT_TRUE(connect()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
}

TEST_F(Login, AddressSplitIntoHostAndPort)
{
    seedCompany();
    logic->abertura();
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    view.type(LoginField::Endereco, QStringLiteral("10.0.0.5"));
    EXPECT_TRUE(connect());
    EXPECT_EQ(IPAcesso(), QStringLiteral("10.0.0.5"));
    EXPECT_EQ(Porta(), 211);
    view.type(LoginField::Endereco, QStringLiteral("10.0.0.5:8080"));
    EXPECT_TRUE(connect());
    EXPECT_EQ(Porta(), 8080);

    ClearSession();
    view.closed = false;
    view.type(LoginField::Endereco, QStringLiteral("10.0.0.5:"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(dialogs().errors().size(), 1) << "a conversion error";
    EXPECT_FALSE(view.closed);
    EXPECT_TRUE(Filial().isEmpty());
    EXPECT_EQ(steps, QStringList({QStringLiteral("testa"), QStringLiteral("testa")}));
}

TEST_F(Login, AnUnreachableServerOnAMachineWithDataLetsTheUserInSilently)
{
    seedCompany();
    logic->abertura();
    view.type(LoginField::Endereco, QStringLiteral("10.9.9.9"));
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    reachable = false;
    EXPECT_TRUE(connect());
    EXPECT_EQ(steps, QStringList{QStringLiteral("testa")});
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(Login, AReachableServerRefreshesAfterTheChecksWithTheControlsDisabled)
{
    seedCompany();
    logic->abertura();
    view.type(LoginField::Endereco, QStringLiteral("127.0.0.1:8211"));
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    reachable = true;
    EXPECT_TRUE(connect());
    EXPECT_EQ(steps, QStringList({QStringLiteral("testa"), QStringLiteral("baixa"), QStringLiteral("aplica")}));
    EXPECT_EQ(progress, QStringList{QStringLiteral("Conectando ao servidor...")});
    EXPECT_FALSE(controlsDuringDownload);
    EXPECT_EQ(view.enabledLog, QList<bool>({false, true}));
}

TEST_F(Login, AnEmptyMachineGetsInOnlyThroughTheDownload)
{
    logic->abertura();
    view.type(LoginField::Endereco, QStringLiteral("127.0.0.1:8211"));
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    reachable = true;
    download = [this] { seedCompany(); };
    EXPECT_TRUE(connect());
    EXPECT_EQ(NmOperador(), QStringLiteral("OPERADOR 1"));

    // A download that fails leaves the machine empty: the likely causes are named
    // and the controls are enabled again for another try.
    test::TempDatabase other;
    LoginLogic again(view, transfer);
    again.abertura();
    view.type(LoginField::Endereco, QStringLiteral("127.0.0.1:8211"));
    view.enabledLog.clear();
    steps.clear();
    download = nullptr;
    downloadOk = false;
    bool ok = false;
    runGuarded([&] { ok = again.conectar(); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(steps, QStringList({QStringLiteral("testa"), QStringLiteral("baixa"), QStringLiteral("falha")}));
    EXPECT_EQ(view.enabledLog, QList<bool>({false, true}));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().first().startsWith(QStringLiteral("Não há filial cadastrada.")));
}

// A database that could not be opened (here a folder in its place) is tried
// again by the next Conectar, once the user has mended it.
TEST_F(Login, AFailedOpeningIsTriedAgainByConectar)
{
    seedCompany();
    FreeDBGeralPed();
    SetDatabasePath(temp.folder());
    runGuarded([&] { logic->abertura(); });
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().first().contains(QStringLiteral("o caminho é uma pasta"))) << dialogs().errors().first().toStdString();
    typeUser(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("segredo"));
    EXPECT_FALSE(connect());
    EXPECT_EQ(dialogs().errors().size(), 2);
    EXPECT_FALSE(dialogs().errors().last().contains(QStringLiteral("não tem banco de dados")));

    SetDatabasePath(temp.path());
    dialogs().clear();
    EXPECT_TRUE(connect());
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(Filial(), QStringLiteral("0001"));
}

TEST_F(Login, SairEndsTheProgramWithoutAMainWindow)
{
    logic->sair();
    EXPECT_TRUE(logic->terminou());
    EXPECT_FALSE(logic->admitido());
    EXPECT_TRUE(view.closed);
}

} // namespace
