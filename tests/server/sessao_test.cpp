// POST /sessao and the session every download needs.
#include "protocol/protocol.h"
#include "server/app_server.h"
#include "tests/server/server_fixture.h"

#include <QDateTime>
#include <QProcess>
#include <arpa/inet.h>
#include <future>
#include <gmock/gmock.h>
#include <httplib.h>
#include <map>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>

using namespace zov;
using namespace zov::test;

namespace {

class SessaoTest : public ServerFixture {
protected:
    SessaoTest() : ServerFixture(true) {}

    httplib::Result entra(const char* filial, const char* operador, const char* senha)
    {
        httplib::Client c("127.0.0.1", port());
        return c.Post("/sessao", nlohmann::json{{"filial", filial}, {"operador", operador}, {"senha", senha}}.dump(), "application/json");
    }
    httplib::Result baixa(const std::string& token, const char* filial = "0001")
    {
        httplib::Client c("127.0.0.1", port());
        if (!token.empty())
            c.set_bearer_token_auth(token);
        const std::string body =
            RemoteArgs().add(QString::fromLatin1(filial)).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
        return c.Post("/PAD.rdmExpDados/getTabelas", body, "application/json");
    }
};

} // namespace

// The login's rule on the server's tables, with one text for every refusal;
// the token it gives downloads its own branch only.
TEST_F(SessaoTest, TheLoginsRuleGivesATokenForItsBranchAndEveryRefusalHasOneText)
{
    for (const auto& [filial, operador, senha] : {std::tuple{"0001", "000000000001", "errada"},
                                                  {"0001", "000000000009", "ana123"},
                                                  {"0001", "3", "carla123"},
                                                  {"0009", "1", "ana123"}}) {
        const auto res = entra(filial, operador, senha);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401) << operador;
        EXPECT_EQ(errorMessageOf(res->body), QStringLiteral("Operador ou senha inválidos.")) << operador;
    }
    const auto bad = httplib::Client("127.0.0.1", port()).Post("/sessao", "{\"filial\":1}", "application/json");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);

    // Codes as typed: "1" is operator 000000000001 of branch 0001.
    const auto ok = entra("1", "1", "ana123");
    ASSERT_TRUE(ok);
    ASSERT_EQ(ok->status, 200) << ok->body;
    const auto doc = nlohmann::json::parse(ok->body);
    const std::string token = doc["token"];
    QDateTime expira;
    ASSERT_TRUE(dateTimeFromWire(doc["expira"].get<std::string>(), expira));
    EXPECT_NEAR(QDateTime::currentDateTime().secsTo(expira), 12 * 3600, 60);

    const auto own = baixa(token);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->status, 200);
    const auto other = baixa(token, "0002");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 403);
    EXPECT_THAT(errorMessageOf(other->body).toStdString(), ::testing::HasSubstr("filial 0001"));
    for (const std::string& t :
         {std::string(), token.substr(1), server::AppServer(path()).tokenFor(QStringLiteral("0001"), QStringLiteral("000000000001"), 1)}) {
        const auto res = baixa(t);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401);
        EXPECT_THAT(res->body, ::testing::Not(::testing::HasSubstr("columns")));
    }
}

// Five wrong passwords within 15 minutes and the pair is turned away, the
// right password too; another operator is not.
TEST_F(SessaoTest, TheSixthTryAfterFiveRefusalsGets429)
{
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(entra("0001", "000000000002", "chute")->status, 401);
    const auto blocked = entra("0001", "000000000002", "bruno123");
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->status, 429);
    EXPECT_FALSE(errorMessageOf(blocked->body).isEmpty());
    EXPECT_EQ(entra("0001", "000000000001", "ana123")->status, 200);
}

// Tries sent at once, each waiting for its password check, still take one
// of the five each: at most five passwords are ever checked in the window.
TEST_F(SessaoTest, FiftyTriesAtOnceCheckAtMostFivePasswords)
{
    // From five addresses, as an attacker would, so that no cap per address
    // turns a try away before it is counted.
    std::vector<std::future<int>> tries;
    for (int i = 0; i < 50; ++i)
        tries.push_back(std::async(std::launch::async, [this, i] {
            httplib::Client c("127.0.0.1", port());
            c.set_socket_options([i](socket_t sock) {
                sockaddr_in from{};
                from.sin_family = AF_INET;
                from.sin_addr.s_addr = htonl(0x7F000002u + std::uint32_t(i % 5));
                ::bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from);
            });
            const auto res = c.Post("/sessao", nlohmann::json{{"filial", "0001"}, {"operador", "000000000002"}, {"senha", "chute"}}.dump(),
                                    "application/json");
            return res ? res->status : 0;
        }));
    std::map<int, int> answers;
    for (auto& t : tries)
        ++answers[t.get()];
    QStringList seen;
    for (const auto& [status, count] : answers)
        seen << QStringLiteral("%1x%2").arg(status).arg(count);
    EXPECT_EQ(answers[401], 5) << seen.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(answers[429], 45) << seen.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(entra("0001", "000000000002", "bruno123")->status, 429);
}

// No code is longer than its column: such a login is one more refusal with
// the one text, and a failure of the server names no engine's words.
TEST_F(SessaoTest, LongCodesAreRefusedAndFailuresKeepTheEngineToTheLog)
{
    for (const auto& [filial, operador] :
         {std::pair<std::string, std::string>{"00001", "1"}, {"1", "0000000000001"}, {"1", std::string(5000, '9')}}) {
        const auto res = entra(filial.c_str(), operador.c_str(), "ana123");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401) << filial;
        EXPECT_EQ(errorMessageOf(res->body), QStringLiteral("Operador ou senha inválidos.")) << filial;
    }
    db().execScript(QStringLiteral("DROP TABLE SRVRECUSA"));
    const auto failed = entra("1", "1", "errada");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    const std::string text = errorMessageOf(failed->body).toStdString();
    EXPECT_THAT(text,
                ::testing::MatchesRegex(
                    "Erro no servidor de aplicação ao verificar o operador \\(referência [0-9a-f]{8} no registro do servidor\\)\\."));
}

// A token lives only while what made it stands; one signed for longer than
// a login gives is forged; the scheme's name is read in any case.
TEST_F(SessaoTest, ATokenDiesWithItsOperatorsPasswordLinkOrRow)
{
    const auto login = [this] {
        const auto ok = entra("1", "1", "ana123");
        return ok && ok->status == 200 ? nlohmann::json::parse(ok->body)["token"].get<std::string>() : std::string();
    };
    const std::string token = login();
    ASSERT_FALSE(token.empty());
    {
        httplib::Client c("127.0.0.1", port());
        const std::string body = RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
        const auto lower = c.Post("/PAD.rdmExpDados/getTabelas", {{"Authorization", "bearer  " + token}}, body, "application/json");
        ASSERT_TRUE(lower);
        EXPECT_EQ(lower->status, 200);
    }
    // Each change ends the token; each undo (a new password, the link again) lets the operator back.
    const struct {
        const char* what;
        const char* change;
        const char* undo;
    } changes[] = {
        {"password changed", "UPDATE OPERADOR SET CDSENHOPER = 'outra' WHERE CDOPERADOR = '000000000001'", nullptr},
        {"unlinked", "DELETE FROM FILIOPER WHERE CDOPERADOR = '000000000001' AND CDFILIAL = '0001'",
         "INSERT INTO FILIOPER (CDOPERADOR, CDFILIAL) VALUES ('000000000001', '0001')"},
        {"removed", "DELETE FROM OPERADOR WHERE CDOPERADOR = '000000000001'", nullptr},
    };
    std::string current = token;
    for (const auto& c : changes) {
        EXPECT_EQ(baixa(current)->status, 200) << c.what;
        db().execScript(QString::fromLatin1(c.change));
        EXPECT_EQ(baixa(current)->status, 401) << c.what;
        if (c.undo) {
            db().execScript(QString::fromLatin1(c.undo));
        } else if (std::string_view(c.what) == "password changed") {
            // The new password gives a token that works.
            db().execScript(
                QStringLiteral("UPDATE OPERADOR SET CDSENHOPER = (SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR = '000000000002') "
                               "WHERE CDOPERADOR = '000000000001'"));
            const auto ok = entra("1", "1", "bruno123");
            ASSERT_TRUE(ok);
            ASSERT_EQ(ok->status, 200);
            current = nlohmann::json::parse(ok->body)["token"].get<std::string>();
        }
    }
    const qint64 tenYears = QDateTime::currentSecsSinceEpoch() + 10 * 365 * 86400;
    EXPECT_EQ(baixa(server::AppServer(path()).tokenFor(QStringLiteral("0001"), QStringLiteral("000000000002"), tenYears))->status, 401);
    const qint64 inAnHour = QDateTime::currentSecsSinceEpoch() + 3600;
    EXPECT_EQ(baixa(server::AppServer(path()).tokenFor(QStringLiteral("0001"), QStringLiteral("000000000002"), inAnHour))->status, 200);
}

// Without TLS the server listens on loopback only: passwords and the
// customer file never cross a network in clear.
TEST(AppServerCommand, ServeRefusesAnotherHostThanLoopbackWithoutACertificate)
{
    QProcess serve;
    serve.start(QStringLiteral(ZOV_APPSERVER),
                {QStringLiteral("serve"), QStringLiteral("--db"), QStringLiteral("/nonexistent/servidor.db"), QStringLiteral("--host"),
                 QStringLiteral("0.0.0.0"), QStringLiteral("--port"), QStringLiteral("0")});
    ASSERT_TRUE(serve.waitForFinished(20000));
    EXPECT_EQ(serve.exitCode(), 2);
    EXPECT_THAT(serve.readAllStandardError().toStdString(),
                ::testing::HasSubstr("sem --certificado e --chave o servidor só escuta em 127.0.0.1"));
}
