#include "library/errors.h"
#include "server/app_server.h"
#include "tests/server/server_fixture.h"
#include "tests/support/temp_database.h"

#include <gmock/gmock.h>
#include <httplib.h>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;

namespace {

class HttpTest : public ServerFixture {
protected:
    httplib::Client client() { return httplib::Client("127.0.0.1", port()); }
};

} // namespace

TEST_F(HttpTest, AnswersTheConnectionTestWithItsObjects)
{
    auto c = client();
    const auto res = c.Get("/");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, R"({"server":"zov-appserver","objects":["PAD.rdmImpPedidos","PAD.rdmExpDados"]})");
    expDados.open();
    impPedidos.open();
    EXPECT_TRUE(expDados.connected() && impPedidos.connected());
}

TEST_F(HttpTest, UnknownObjectsAndMethodsAre404WithAnErrorBody)
{
    auto c = client();
    for (const char* path : {"/PAD.rdmExpDados/SetPedidos", "/Bib.rdmDBGeral/getTabelas"}) {
        const auto res = c.Post(path, R"({"args":[]})", "application/json");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404) << path;
        EXPECT_THAT(res->body, HasSubstr(R"({"error":{"message":"O servidor de aplicação não tem o método)")) << path;
    }
    const auto other = c.Get("/nada");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 404);
    EXPECT_EQ(errorMessageOf(other->body), QStringLiteral("O servidor de aplicação não conhece GET /nada."));

    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    net.setTimeouts({5000, 5000});
    EXPECT_EQ(errorOf([&] { CheckResultServ(net.AppServer(QStringLiteral("getTabela"), RemoteArgs())); }),
              QStringLiteral("O servidor de aplicação não tem o método getTabela no objeto PAD.rdmExpDados."));
    // A body that is not a request.
    const auto bad = c.Post("/PAD.rdmExpDados/getTabelas", "{\"args\":[", "application/json");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);
    EXPECT_EQ(errorMessageOf(bad->body), QStringLiteral("A requisição está incompleta."));
    // A malformed packet among the arguments is refused whole.
    const auto packet = c.Post("/PAD.rdmImpPedidos/SetPedidos", R"({"args":[{"columns":[{"name":"A","type":"text"}],"rows":[["a","b"]]}]})",
                               "application/json");
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->status, 400);
    EXPECT_EQ(errorMessageOf(packet->body), QStringLiteral("Pacote de dados inválido: a linha 1 tem 2 valores e o pacote tem 1 colunas."));
}

TEST_F(HttpTest, CompressesWhenAsked)
{
    const std::string body = RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
    auto plain = client();
    plain.set_decompress(false);
    const auto a = plain.Post("/PAD.rdmExpDados/getTabelas", body, "application/json");
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->has_header("Content-Encoding"));

    auto gz = client();
    gz.set_decompress(false);
    const auto b = gz.Post("/PAD.rdmExpDados/getTabelas", {{"Accept-Encoding", "gzip"}}, body, "application/json");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->get_header_value("Content-Encoding"), "gzip");
    EXPECT_LT(b->body.size(), a->body.size());
}

TEST(AppServerTest, RefusesAFileThatIsNotItsDatabase)
{
    TempDatabase client;
    EXPECT_THAT(errorOf([&] { server::AppServer s(client.path()); }).toStdString(), HasSubstr("não é um banco de dados do zov-appserver"));
}
