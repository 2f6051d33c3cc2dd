#include "library/errors.h"
#include "protocol/protocol_gzip.h"
#include "server/app_server.h"
#include "tests/server/raw_client.h"
#include "tests/server/server_fixture.h"
#include "tests/support/running_server.h"
#include "tests/support/temp_database.h"
#include "transfer/sessao_servidor.h"

#include <atomic>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <gmock/gmock.h>
#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;

namespace {

// The connection test a laptop makes; its wait is generous, as the tests say
// what must happen before it ends rather than how fast.
httplib::Result testeDeConexao(int port)
{
    httplib::Client c("127.0.0.1", port);
    c.set_connection_timeout(20, 0);
    c.set_read_timeout(20, 0);
    return c.Get("/");
}

// A client of the server's own tests: entered, as the order client would be.
httplib::Client cliente(int port, const std::string& token)
{
    httplib::Client c("127.0.0.1", port);
    c.set_bearer_token_auth(token);
    return c;
}
httplib::Client cliente(const RunningServer& server) { return cliente(server.port(), server.token()); }

class HttpTest : public ServerFixture {
protected:
    httplib::Client client() { return cliente(port(), TokenServidor()); }
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

TEST_F(HttpTest, ADeeplyNestedRequestIsRefusedAndTheServerKeepsServing)
{
    const std::string body = "{\"args\":" + std::string(400000, '[') + std::string(400000, ']') + "}";
    auto c = client();
    const auto res = c.Post("/PAD.rdmExpDados/getTabelas", body, "application/json");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
    EXPECT_EQ(errorMessageOf(res->body), QStringLiteral("A requisição tem mais de 64 níveis aninhados."));
    const auto after = c.Get("/");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
}

// A request may come gzip-compressed; once inflated it is held to the limit,
// so a small bomb is refused with 413 and the server goes on serving.
TEST(AppServerTest, CompressedRequestsAreAcceptedWithinTheLimit)
{
    RunningServer server(false, 200000);
    httplib::Client c = cliente(server);
    const std::string body = RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
    const httplib::Headers gz = {{"Content-Encoding", "gzip"}};
    const auto ok = c.Post("/PAD.rdmExpDados/getTabelas", gz, gzipCompress(body), "application/json");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->status, 200) << ok->body;
    EXPECT_EQ(decodeResultPackets(ok->body).size(), 48u);

    const auto bomb = c.Post("/PAD.rdmExpDados/getTabelas", gz, gzipCompress(body + std::string(300000, ' ')), "application/json");
    ASSERT_TRUE(bomb);
    EXPECT_EQ(bomb->status, 413);
    EXPECT_EQ(errorMessageOf(bomb->body), QStringLiteral("A requisição passa de 1 GiB e foi recusada."));

    httplib::Client after = cliente(server);
    const auto plain = after.Post("/PAD.rdmExpDados/getTabelas", body + std::string(300000, ' '), "application/json");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->status, 413);
    std::string broken = gzipCompress(body);
    broken.resize(broken.size() / 2);
    const auto cut = cliente(server).Post("/PAD.rdmExpDados/getTabelas", gz, broken, "application/json");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->status, 400);
    const auto alive = httplib::Client("127.0.0.1", server.port()).Get("/");
    ASSERT_TRUE(alive);
    EXPECT_EQ(alive->status, 200);
}

// Slow senders hold no thread the others need: eight connections that send
// a byte every few seconds, and a ninth gets GET / while they still hold on.
TEST(AppServerTest, SlowSendersDoNotBlockTheConnectionTest)
{
    RunningServer server(false);
    std::vector<std::thread> slow;
    std::atomic<bool> stop{false};
    std::atomic<int> ended{0};
    for (int i = 0; i < 8; ++i)
        slow.emplace_back([&] {
            httplib::Client c = cliente(server);
            c.set_read_timeout(10, 0);
            c.set_write_timeout(10, 0);
            // One byte every 3 s, as a slow attacker would.
            c.Post(
                "/PAD.rdmExpDados/getTabelas", 1000,
                [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    for (int w = 0; w < 30 && !stop; ++w)
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (stop || offset >= 10)
                        return false;
                    return sink.write("[", 1);
                },
                "application/json");
            ++ended;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto res = testeDeConexao(server.port());
    const int endedBefore = ended;
    stop = true;
    for (std::thread& t : slow)
        t.join();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(endedBefore, 0) << "answered only once a slow sender let go";
}

// Forty full downloads at once: none dropped (the library's listen backlog of
// 5 dropped connections), and threads left for the connection test.
TEST(AppServerTest, ManyDownloadsAtOnceStillAnswerTheConnectionTest)
{
    RunningServer server(true);
    const std::string body = RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
    std::atomic<int> ok{0};
    std::vector<std::thread> downloads;
    for (int i = 0; i < 40; ++i)
        downloads.emplace_back([&] {
            httplib::Client c = cliente(server);
            c.set_read_timeout(60, 0);
            const auto res = c.Post("/PAD.rdmExpDados/getTabelas", {{"Accept-Encoding", "gzip"}}, body, "application/json");
            if (res && res->status == 200)
                ++ok;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto res = testeDeConexao(server.port());
    for (std::thread& t : downloads)
        t.join();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(ok, 40);
}

// An upload over a mobile link stalls: a pause of 5 s in the middle of the
// body is waited for. Meanwhile seventy connections from one address send a
// byte every 1.5 s; they get at most their share of the threads (the others
// are turned away at once with 503), and a connection test from another
// address is still answered.
TEST(AppServerTest, AnUploadMayPauseAndSlowSendersFromOneAddressCannotTakeEveryThread)
{
    RunningServer server(false);
    const std::string body = RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
    const std::string token = server.token();
    auto pausado = std::async(std::launch::async, [&] {
        const int fd = conecta("127.0.0.1", server.port());
        const std::string head =
            "POST /PAD.rdmExpDados/getTabelas HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nConnection: close\r\n"
            "Authorization: Bearer "
            + server.token()
            + "\r\n"
              "Content-Length: "
            + std::to_string(body.size()) + "\r\n\r\n";
        ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
        ::send(fd, body.data(), body.size() / 2, MSG_NOSIGNAL);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        ::send(fd, body.data() + body.size() / 2, body.size() - body.size() / 2, MSG_NOSIGNAL);
        const std::string reply = leResposta(fd);
        ::close(fd);
        return reply.substr(0, reply.find("\r\n"));
    });

    std::atomic<bool> stop{false};
    std::atomic<int> refused{0};
    std::vector<std::thread> slow;
    for (int i = 0; i < 70; ++i)
        slow.emplace_back([&] {
            const int fd = conecta("127.0.0.2", server.port());
            if (fd < 0)
                return;
            const std::string head =
                "POST /PAD.rdmExpDados/getTabelas HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\nAuthorization: Bearer " + token
                + "\r\n\r\n";
            ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
            while (!stop) {
                char buf[64];
                const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
                if (n > 0 && std::string(buf, std::size_t(n)).find(" 503 ") != std::string::npos) {
                    ++refused;
                    break;
                }
                ::send(fd, "[", 1, MSG_NOSIGNAL);
                for (int w = 0; w < 15 && !stop; ++w)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            ::close(fd);
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto res = testeDeConexao(server.port());
    const std::string pausadoStatus = pausado.get();
    stop = true;
    for (std::thread& t : slow)
        t.join();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_GT(refused, 0) << "one address never holds every thread";
    EXPECT_EQ(pausadoStatus, "HTTP/1.1 200 OK");
}
