// The server that faces the internet: what it holds of a request it refuses,
// and who gives way when slow senders fill it.
#include "server/certificado.h"
#include "server/front_slot.h"
#include "server/http_front.h"
#include "tests/server/largest_allocation.h"
#include "tests/server/raw_client.h"
#include "tests/server/server_fixture.h"
#include "tests/support/running_server.h"

#include <QTemporaryDir>
#include <future>
#include <gmock/gmock.h>
#include <httplib.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const QString kBusy = QStringLiteral("O servidor de aplicação está com conexões demais no momento. Tente de novo em instantes.");

// Caps small enough for a test to fill, for as long as it runs.
struct SmallCaps {
    SmallCaps(std::size_t perAddress, std::size_t total) { server::HttpFront::setCapsForTests(perAddress, total); }
    ~SmallCaps() { server::HttpFront::setCapsForTests(0, 0); }
};

std::string getTabelasBody()
{
    return RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())).body();
}

} // namespace

// Tens of megabytes sent to be refused: answered, read by the client, the
// rest dropped as it came and the connection closed. A body no handler took
// used to be read whole (an unknown path) or read as the next request line,
// which grew without end.
TEST(FrontTest, ABodyRefusedBeforeItIsReadIsDiscardedAsItArrives)
{
    RunningServer server(true);
    const std::string bearer = "Authorization: Bearer " + server.token() + "\r\n";
    struct Case {
        const char* name;
        std::string head;
        const char* status;
        const char* length; // nullptr: chunked
    };
    const Case cases[] = {
        {"no session", "POST /PAD.rdmImpPedidos/SetPedidos HTTP/1.1\r\nContent-Type: application/json\r\n", "401", "33554432"},
        {"login", "POST /sessao HTTP/1.1\r\n", "413", "33554432"},
        {"unknown path", "POST /nada/de/nada HTTP/1.1\r\n", "404", "33554432"},
        {"unknown path, chunked", "POST /nada HTTP/1.1\r\n", "404", nullptr},
        {"another method", "PUT /PAD.rdmExpDados/getTabelas HTTP/1.1\r\n", "404", "33554432"},
        {"announced past the limit", "POST /PAD.rdmExpDados/getTabelas HTTP/1.1\r\n" + bearer, "413", "2147483648"},
        {"a body for GET /", "GET / HTTP/1.1\r\n", "200", "33554432"},
    };
    const std::string block(64 * 1024, 'a');
    const std::string chunk = "10000\r\n" + block + "\r\n";
    for (const Case& c : cases) {
        const int fd = conecta("127.0.0.1", server.port());
        ASSERT_GE(fd, 0);
        resetLargestAllocation();
        std::string head = c.head + "Host: x\r\n";
        head += c.length ? std::string("Content-Length: ") + c.length + "\r\n\r\n" : "Transfer-Encoding: chunked\r\n\r\n";
        bool sent = enviaTudo(fd, head);
        for (int i = 0; i < 512 && sent; ++i) // 32 MiB
            sent = enviaTudo(fd, c.length ? block : chunk);
        if (!c.length && sent)
            sent = enviaTudo(fd, "0\r\n\r\n");
        ::shutdown(fd, SHUT_WR);
        const std::string reply = leResposta(fd); // to the server's close
        ::close(fd);
        EXPECT_TRUE(sent) << c.name << ": the server stopped reading before the body ended";
        EXPECT_THAT(reply, StartsWith(std::string("HTTP/1.1 ") + c.status)) << c.name;
        EXPECT_THAT(reply, HasSubstr("Connection: close")) << c.name;
        if (std::string_view(c.status) != "200") {
            EXPECT_THAT(reply, HasSubstr("{\"error\":{\"message\":")) << c.name;
        }
        EXPECT_LT(largestAllocation(), std::size_t(1) << 20) << c.name;
    }
}

// Connections from several addresses that never end their request's head
// fill the server; the connection test still gets its answer, as the
// slowest of them gives way.
TEST(FrontTest, SlowSendersFromManyAddressesGiveWayToTheConnectionTest)
{
    const SmallCaps caps(2, 6);
    RunningServer server(false);
    std::vector<int> slow;
    for (const char* from : {"127.0.0.2", "127.0.0.3", "127.0.0.4"})
        for (int i = 0; i < 2; ++i) {
            slow.push_back(conecta(from, server.port()));
            ASSERT_GE(slow.back(), 0);
            ASSERT_TRUE(enviaTudo(slow.back(), "POST /sessao HTTP/1.1\r\nHost: x\r\nContent-Le"));
        }
    ASSERT_TRUE(server::waitUntilHeld(6, 6));
    httplib::Client c("127.0.0.1", server.port());
    c.set_read_timeout(30, 0);
    const auto res = c.Get("/");
    for (const int fd : slow)
        ::close(fd);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

// Over TLS: a connection that never ends its handshake gives way as a slow
// head does; a server full of uploads under way (which never give way)
// answers 503 inside TLS, so the laptop reads why.
TEST(FrontTest, OverTlsSlowHandshakesGiveWayAndAFullServerAnswers503InsideTls)
{
    QTemporaryDir dir;
    const auto made = server::fazCertificado({{QStringLiteral("127.0.0.1")}, dir.path()});
    const SmallCaps caps(4, 2);
    RunningServer server(true, 0, {made.certificado, made.chave});
    const auto connectionTest = [&] {
        httplib::SSLClient c("127.0.0.1", server.port());
        c.set_ca_cert_path(made.ca.toStdString());
        c.enable_server_certificate_verification(true);
        c.set_read_timeout(30, 0);
        return c.Get("/");
    };

    std::vector<int> shaking;
    for (const char* from : {"127.0.0.2", "127.0.0.3"}) {
        shaking.push_back(conecta(from, server.port()));
        ASSERT_GE(shaking.back(), 0);
        ASSERT_TRUE(enviaTudo(shaking.back(), std::string("\x16\x03\x01", 3))); // a ClientHello begun
    }
    ASSERT_TRUE(server::waitUntilHeld(2, 2));
    const auto served = connectionTest();
    ASSERT_TRUE(served) << httplib::to_string(served.error());
    EXPECT_EQ(served->status, 200);
    for (const int fd : shaking)
        ::close(fd);
    ASSERT_TRUE(server::waitUntilHeld(0, 0));

    const std::string body = getTabelasBody();
    std::promise<void> go;
    const std::shared_future<void> released = go.get_future().share();
    const auto upload = [&] {
        return std::async(std::launch::async, [&] {
            httplib::SSLClient c("127.0.0.1", server.port());
            c.set_ca_cert_path(made.ca.toStdString());
            c.set_bearer_token_auth(server.token());
            c.set_read_timeout(60, 0);
            const auto res = c.Post(
                "/PAD.rdmExpDados/getTabelas", body.size(),
                [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset > 0)
                        released.wait(); // the first byte sent, the rest held back
                    return sink.write(body.data() + offset, offset == 0 ? 1 : body.size() - offset);
                },
                "application/json");
            return res ? res->status : 0;
        });
    };
    auto first = upload();
    auto second = upload();
    const bool full = server::waitUntilHeld(2, 0);
    std::optional<httplib::Result> busy;
    if (full)
        busy.emplace(connectionTest());
    go.set_value(); // the uploads end before any assertion returns
    EXPECT_EQ(first.get(), 200);
    EXPECT_EQ(second.get(), 200);
    ASSERT_TRUE(full);
    ASSERT_TRUE(*busy) << httplib::to_string(busy->error());
    EXPECT_EQ((*busy)->status, 503);
    EXPECT_EQ(errorMessageOf((*busy)->body), kBusy);
}
