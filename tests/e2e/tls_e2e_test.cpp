// The client against a zov-appserver that serves HTTPS: what it trusts, and
// the operator's session.
#include "app/ZOV00010.h"
#include "protocol/protocol_slots.h"
#include "server/certificado.h"
#include "session/GeralZOV.h"
#include "tests/e2e/login_e2e.h"
#include "tests/support/running_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/netconnection.h"
#include "transfer/sessao_servidor.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gmock/gmock.h>

using namespace zov;
using ::testing::HasSubstr;

namespace {

class TlsE2E : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ca = server::fazCertificado({{QStringLiteral("127.0.0.1")}, dir.filePath(QStringLiteral("empresa"))});
        SetCertificadoServidor(ca.ca);
    }
    void TearDown() override
    {
        SetCertificadoServidor(QString());
        EsqueceSessaoServidor();
        ClearSession();
        test::DialogsTest::TearDown();
    }
    // A server certificate in a folder of its own: from the company's CA, or a CA of its own.
    server::TlsFiles certificate(const QString& name, const QString& host, bool companyCa, int startDays = 0, int days = 825)
    {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder);
        if (companyCa) {
            QFile::copy(ca.ca, QDir(folder).filePath(QStringLiteral("ca.pem")));
            QFile::copy(dir.filePath(QStringLiteral("empresa/ca-chave.pem")), QDir(folder).filePath(QStringLiteral("ca-chave.pem")));
        }
        const auto made = server::fazCertificado({{host}, folder, days, startDays});
        return {made.certificado, made.chave};
    }
    static QString connectionError(const test::RunningServer& server)
    {
        SetIPAcesso(QStringLiteral("127.0.0.1"));
        SetPorta(server.port());
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        try {
            net.open();
            RemoteArgs args;
            args.add(QStringLiteral("0001")).add(QVariantList(kSlotCount)).add(QVariantList(kSlotCount));
            CheckResultServ(net.AppServer(QStringLiteral("getTabelas"), args));
        } catch (const Error& e) {
            return e.text();
        }
        return {};
    }

    QTemporaryDir dir;
    server::CertificadoFeito ca;
};

} // namespace

TEST_F(TlsE2E, OnlyAServerCertifiedByTheTrustedAuthorityForItsAddressAndInDateIsAccepted)
{
    struct Case {
        const char* name;
        server::TlsFiles tls;
        const char* reason;
    };
    const Case cases[] = {
        {"the company's", certificate(QStringLiteral("ok"), QStringLiteral("127.0.0.1"), true), ""},
        {"untrusted", certificate(QStringLiteral("alheio"), QStringLiteral("127.0.0.1"), false),
         "não é de uma autoridade em que esta instalação confia"},
        {"another address", certificate(QStringLiteral("outro"), QStringLiteral("10.9.8.7"), true), "não é para o endereço 127.0.0.1"},
        {"expired", certificate(QStringLiteral("vencido"), QStringLiteral("127.0.0.1"), true, -30, 10), "está vencido"},
    };
    for (const Case& c : cases) {
        test::RunningServer server(false, 0, c.tls);
        const QString error = connectionError(server);
        if (*c.reason == '\0')
            EXPECT_TRUE(error.isEmpty()) << c.name << ": " << error.toStdString();
        else
            EXPECT_THAT(error.toStdString(), HasSubstr(c.reason)) << c.name;
    }
    // Plain HTTP where TLS is expected is no server at all.
    test::RunningServer plain(false);
    EXPECT_THAT(connectionError(plain).toStdString(), HasSubstr("conexão segura (TLS)"));
}

// A token past its time is renewed once with the password kept in memory; a
// password the server refuses is said, and not tried again on every call.
TEST_F(TlsE2E, AnExpiredTokenIsRenewedOnceAndARefusedPasswordIsSaid)
{
    test::RunningServer server(true, 0, certificate(QStringLiteral("srv"), QStringLiteral("127.0.0.1"), true));
    DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000001"), QStringLiteral("ana123"));
    const std::string expired = server.token(QStringLiteral("0001"), QStringLiteral("000000000001"), -5);
    DefineTokenServidor(expired);
    EXPECT_EQ(connectionError(server), QString());
    EXPECT_FALSE(TokenServidor().empty());
    EXPECT_NE(TokenServidor(), expired);

    DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000002"), QStringLiteral("errada"));
    DefineTokenServidor(expired);
    EXPECT_EQ(connectionError(server), QStringLiteral("Operador ou senha inválidos."));
    EXPECT_EQ(connectionError(server), QStringLiteral("Operador ou senha inválidos."));
    // Two refusals said, one counted: four more tries are still refused with 401, not 429.
    for (int i = 0; i < 3; ++i) {
        DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000002"), QStringLiteral("errada"));
        EXPECT_EQ(connectionError(server), QStringLiteral("Operador ou senha inválidos.")) << i;
    }
    DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000002"), QStringLiteral("bruno123"));
    EXPECT_EQ(connectionError(server), QString());
}

// An empty laptop's first login: the typed operator enters the server over
// TLS and the download fills the tables.
TEST_F(TlsE2E, TheFirstLoginOnAnEmptyMachineDownloadsThroughTlsWithTheTypedOperator)
{
    test::RunningServer server(true, 0, certificate(QStringLiteral("srv"), QStringLiteral("127.0.0.1"), true));
    EsqueceSessaoServidor(); // no token but what the login gets
    test::TempDatabase client;
    TfrmLogin login;
    test::entraComoAna(login, server.address());

    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(login.logic().admitido());
    EXPECT_EQ(test::countRows(client.db(), QStringLiteral("CLIENTE")), test::countRows(server.db(), QStringLiteral("CLIENTE")));
    EXPECT_FALSE(TokenServidor().empty());
}
