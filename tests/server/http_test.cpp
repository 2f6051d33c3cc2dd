#include "library/errors.h"
#include "server/app_server.h"
#include "tests/server/server_fixture.h"
#include "tests/support/running_server.h"
#include "tests/support/temp_database.h"

#include <gmock/gmock.h>
#include <cstdio>
#include <cstdlib>
#include <future>
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

// A stop asked before or just as the loop starts (a signal at start-up, a
// test's teardown) must still end listen(); it used to serve for ever.
namespace {
// A loop that never ends would block the future's destructor: end the run.
void expectEnds(std::future<void>& loop, int round)
{
    if (loop.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return;
    std::fprintf(stderr, "listen() did not end after stop() (round %d)\n", round);
    std::_Exit(1);
}
} // namespace

TEST(AppServerTest, AStopAskedBeforeOrAsListenStartsEndsIt)
{
    RunningServer made(false); // a server database to serve
    made.stop();
    for (int round = 0; round < 40; ++round) {
        server::AppServer s(made.path());
        s.bind(QStringLiteral("127.0.0.1"), 0);
        auto loop = std::async(std::launch::async, [&] { s.listen(); });
        if (round % 2 == 0)
            s.stop(); // races the thread's start
        else {
            while (!s.isRunning() && loop.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            }
            s.stop();
        }
        expectEnds(loop, round);
    }
    server::AppServer early(made.path());
    early.bind(QStringLiteral("127.0.0.1"), 0);
    early.stop();
    auto loop = std::async(std::launch::async, [&] { early.listen(); });
    expectEnds(loop, -1);
    EXPECT_FALSE(early.isRunning());
}
