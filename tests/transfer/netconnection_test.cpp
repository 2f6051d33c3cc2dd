#include "library/errors.h"
#include "library/velmora.h"
#include "protocol/protocol_gzip.h"
#include "session/GeralZOV.h"
#include "tests/support/fake_http_server.h"
#include "transfer/netconnection.h"
#include "transfer/sessao_servidor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;

namespace {

// Short time-outs: every test here ends in well under a second or two.
NetTimeouts quick() { return {300, 400}; }

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

// The session points at the fake server, as the login would leave it.
struct Session {
    Session(int port)
    {
        SetIPAcesso(QStringLiteral("127.0.0.1"));
        SetPorta(port);
    }
    ~Session() { ClearSession(); }
};

FakeHttpServer::Handler answering(FakeResponse call)
{
    return [call](const FakeRequest& r) { return r.method == "GET" && r.path == "/" ? FakeHttpServer::objects() : call; };
}

} // namespace

TEST(NetConnectionTest, TheHookTakesTheSessionAddressAtEveryConnect)
{
    FakeHttpServer one(answering({}));
    FakeHttpServer two(answering({}));
    Session session(one.port());
    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    net.setTimeouts(quick());
    EXPECT_FALSE(net.connected());
    net.setConnected(true);
    EXPECT_TRUE(net.connected());
    EXPECT_EQ(net.host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(net.port(), one.port());
    net.close();
    EXPECT_FALSE(net.connected());

    SetPorta(two.port());
    net.open();
    EXPECT_EQ(net.port(), two.port());
    ASSERT_EQ(one.requests().size(), 1u);
    ASSERT_EQ(two.requests().size(), 1u);
    EXPECT_EQ(two.requests()[0].method, "GET");
    EXPECT_EQ(two.requests()[0].path, "/");

    // A hook of the owner's replaces the session's.
    net.close();
    net.beforeConnect = [&](TNetConnection& c) {
        c.setHost(QStringLiteral("127.0.0.1"));
        c.setPort(one.port());
    };
    net.open();
    EXPECT_EQ(one.requests().size(), 2u);
}

TEST(NetConnectionTest, ARemoteCallPostsTheArgumentsAndAsksForGzip)
{
    FakeHttpServer server(answering({200, R"({"result":[null,{"columns":[{"name":"A","type":"text"}],"rows":[["x"]]}]})"}));
    Session session(server.port());
    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    net.setTimeouts(quick());
    RemoteArgs args;
    args.add(QStringLiteral("0001"));
    const std::vector<Packet> result = CheckResultServ(net.AppServer(QStringLiteral("getTabelas"), args));
    EXPECT_TRUE(net.connected()) << "a call connects first";
    ASSERT_EQ(result.size(), 2u);
    EXPECT_TRUE(result[0].isNull());
    EXPECT_EQ(result[1].value(0, 0).toString(), QStringLiteral("x"));

    const std::vector<FakeRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 2u);
    const FakeRequest& call = seen[1];
    EXPECT_EQ(call.method, "POST");
    EXPECT_EQ(call.path, "/PAD.rdmExpDados/getTabelas");
    EXPECT_EQ(call.body, R"({"args":["0001"]})");
    EXPECT_THAT(call.headers.at("accept-encoding"), HasSubstr("gzip"));
    EXPECT_THAT(call.headers.at("content-type"), HasSubstr("application/json"));
}

TEST(NetConnectionTest, AServerThatNeverAnswersIsATimeOut)
{
    FakeHttpServer silent([](const FakeRequest&) { return FakeResponse{}; }, FakeHttpServer::Mode::NeverAccept);
    Session session(silent.port());
    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    net.setTimeouts(quick());
    QElapsedTimer clock;
    clock.start();
    EXPECT_THAT(errorOf([&] { net.open(); }).toStdString(), HasSubstr("não respondeu em 1 segundo"));
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(net.connected());

    // Connected, then the call itself hangs.
    FakeHttpServer hangs(answering({200, {}, "application/json", true}));
    SetPorta(hangs.port());
    net.open();
    clock.restart();
    EXPECT_THAT(errorOf([&] { net.AppServer(QStringLiteral("getTabelas"), RemoteArgs()); }).toStdString(),
                HasSubstr("não respondeu à chamada getTabelas em 1 segundo"));
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST(NetConnectionTest, ARefusedConnectionIsOneReadableError)
{
    Session session(closedPort());
    TNetConnection net(QStringLiteral("PAD.rdmImpPedidos"));
    net.setTimeouts(quick());
    EXPECT_EQ(errorOf([&] { net.open(); }),
              QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1.").arg(Porta()));
    EXPECT_FALSE(net.connected());

    SetIPAcesso(QString());
    EXPECT_EQ(errorOf([&] { net.open(); }), QStringLiteral("O endereço do servidor de aplicação não foi informado."));
}

// A request that never reached the server is a plain error; once it may have
// (the connection cut after it was sent) the error says it is not known.
TEST(NetConnectionTest, ACutAfterTheRequestLeftIsAnUncertainDelivery)
{
    FakeHttpServer cuts([](const FakeRequest& r) {
        FakeResponse res = r.method == "GET" ? FakeHttpServer::objects() : FakeResponse{};
        res.cut = r.method != "GET";
        return res;
    });
    Session session(cuts.port());
    TNetConnection net(QStringLiteral("PAD.rdmImpPedidos"));
    net.setTimeouts(quick());
    bool incerta = false;
    try {
        net.AppServer(QStringLiteral("SetPedidos"), RemoteArgs().add(QStringLiteral("0001")));
    } catch (const EntregaIncerta& e) {
        incerta = e.text().contains(QStringLiteral("foi interrompida"));
    }
    EXPECT_TRUE(incerta);
    ASSERT_EQ(cuts.requests().size(), 2u) << "the call reached the server";

    SetPorta(closedPort());
    net.close();
    EXPECT_THROW(
        try { net.AppServer(QStringLiteral("SetPedidos"), RemoteArgs()); } catch (const EntregaIncerta&) {
            FAIL() << "never sent is no doubt";
        },
        Error);
}

TEST(NetConnectionTest, OnlyAnApplicationServerOfferingTheObjectIsAccepted)
{
    FakeHttpServer web([](const FakeRequest&) { return FakeResponse{200, "<html>ok</html>", "text/html"}; });
    Session session(web.port());
    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    net.setTimeouts(quick());
    EXPECT_THAT(errorOf([&] { net.open(); }).toStdString(), HasSubstr("não é de um servidor de aplicação"));

    FakeHttpServer other([](const FakeRequest&) { return FakeResponse{200, R"({"server":"x","objects":["Bib.rdmDBGeral"]})"}; });
    SetPorta(other.port());
    EXPECT_THAT(errorOf([&] { net.open(); }).toStdString(), HasSubstr("não oferece o objeto PAD.rdmExpDados"));
}

TEST(NetConnectionTest, FailedRepliesBecomeReadableErrors)
{
    struct Case {
        FakeResponse reply;
        std::string expected;
    } cases[] = {
        {{500, R"({"error":{"message":"Filial 0009 não cadastrada."}})"}, "Filial 0009 não cadastrada."},
        {{404, R"({"error":{"message":"O servidor de aplicação não tem o método x."}})"}, "O servidor de aplicação não tem o método x."},
        {{200, R"({"error":{"message":"Pedido bloqueado."}})"}, "Pedido bloqueado."},
        {{502, "<html><body>Bad Gateway</body></html>", "text/html"},
         "O servidor de aplicação recusou a chamada SetPedidos (código HTTP 502)."},
        {{200, "<html>proxy</html>", "text/html"}, "A resposta do servidor de aplicação não é um JSON válido (erro na posição 1)."},
        {{200, R"({"result":[{"columns":[)"}, "A resposta do servidor de aplicação está incompleta."},
    };
    for (const Case& c : cases) {
        FakeHttpServer server(answering(c.reply));
        Session session(server.port());
        TNetConnection net(QStringLiteral("PAD.rdmImpPedidos"));
        net.setTimeouts(quick());
        const RemoteReply reply = net.AppServer(QStringLiteral("SetPedidos"), RemoteArgs());
        EXPECT_EQ(errorOf([&] { CheckResultServ(reply); }).toStdString(), c.expected) << c.reply.body;
    }
}

TEST(NetConnectionTest, TheWindowKeepsProcessingEventsDuringACall)
{
    // The reply comes only after a timer of the GUI thread has fired.
    std::atomic<bool> fired{false};
    FakeHttpServer server([&](const FakeRequest& r) {
        if (r.method == "GET")
            return FakeHttpServer::objects();
        for (int i = 0; i < 200 && !fired; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return FakeResponse{200, R"({"result":[]})"};
    });
    Session session(server.port());
    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    net.setTimeouts({1000, 5000});
    net.open();
    QTimer::singleShot(0, [&] { fired = true; });
    CheckResultServ(net.AppServer(QStringLiteral("getTabelas"), RemoteArgs()));
    EXPECT_TRUE(fired);
}

TEST(NetConnectionTest, TimeOutsComeFromTheInstallationFile)
{
    QFile ini(QDir(ConfigUsrDir()).filePath(QStringLiteral("instalacao.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Instalacao]\nTimeoutConexao=3\nTimeoutChamada=45\n");
    ini.close();
    LoadNetTimeouts();
    EXPECT_EQ(DefaultNetTimeouts().connectMs, 3000);
    EXPECT_EQ(DefaultNetTimeouts().callMs, 45000);
    EXPECT_EQ(TNetConnection(QStringLiteral("PAD.rdmExpDados")).timeouts().callMs, 45000);
    ini.remove();
    LoadNetTimeouts();
    EXPECT_EQ(DefaultNetTimeouts().connectMs, NetTimeouts().connectMs);
}

// Replies are inflated within the limit as they arrive: a small gzip body
// that inflates past it, a plain body past it, a corrupt or cut gzip body:
// each one readable message, the program still running.
TEST(NetConnectionTest, RepliesPastTheLimitOrWithBadGzipAreRefusedReadably)
{
    const std::string result = R"({"result":[)" + std::string(2000, ' ') + "null]}";
    FakeResponse bomb{200, gzipCompress(std::string(200000, ' ') + result)};
    bomb.contentEncoding = "gzip";
    FakeResponse fine{200, gzipCompress(result)};
    fine.contentEncoding = "gzip";
    FakeResponse corrupt = fine;
    corrupt.body[corrupt.body.size() / 2] ^= 0x55;
    corrupt.body[corrupt.body.size() / 2 + 1] ^= 0x55;
    FakeResponse cut = fine;
    cut.body.resize(cut.body.size() - 12);
    const FakeResponse plain{200, std::string(200000, ' ') + result};

    auto call = [](const FakeResponse& res) {
        FakeHttpServer server(answering(res));
        Session session(server.port());
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        net.setTimeouts({2000, 4000});
        net.setReplyLimit(100000);
        return errorOf([&] { CheckResultServ(net.AppServer(QStringLiteral("getTabelas"), RemoteArgs())); });
    };
    EXPECT_EQ(call(fine), QStringLiteral("<no error>"));
    EXPECT_EQ(call(bomb), QStringLiteral("A resposta do servidor de aplicação passa de 1 GiB e foi recusada."));
    EXPECT_EQ(call(plain), QStringLiteral("A resposta do servidor de aplicação passa de 1 GiB e foi recusada."));
    EXPECT_THAT(call(corrupt).toStdString(), HasSubstr("compressão"));
    EXPECT_THAT(call(cut).toStdString(), HasSubstr("compressão"));
}

// An error, the connection test's answer and a login's are a few lines: a
// server that sends megabytes of one is refused as they come, never held.
TEST(NetConnectionTest, ErrorTestAndLoginRepliesPastOneMiBAreRefused)
{
    const std::string huge(std::size_t(3) << 20, 'x');
    const std::string errorText = R"({"error":{"message":")" + huge + R"("}})";
    FakeResponse gzipped{500, gzipCompress(errorText)};
    gzipped.contentEncoding = "gzip";
    const FakeResponse errors[] = {{500, errorText}, {401, errorText}, gzipped};
    const FakeResponse test{200, R"({"server":"zov-appserver","objects":["PAD.rdmImpPedidos","PAD.rdmExpDados"],"x":")" + huge + "\"}"};
    const QString refused = QStringLiteral("A resposta do servidor de aplicação passa de 1 MiB e foi recusada.");
    for (const FakeResponse& error : errors) {
        FakeHttpServer server(answering(error));
        Session session(server.port());
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        net.setTimeouts({2000, 4000});
        EXPECT_EQ(errorOf([&] { CheckResultServ(net.AppServer(QStringLiteral("getTabelas"), RemoteArgs())); }), refused) << error.status;
    }
    {
        FakeHttpServer server([&](const FakeRequest&) { return test; });
        Session session(server.port());
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        net.setTimeouts({2000, 4000});
        EXPECT_EQ(errorOf([&] { net.open(); }), refused);
    }
    for (const FakeResponse& login : {FakeResponse{200, R"({"token":")" + huge + "\"}"}, FakeResponse{401, errorText}}) {
        FakeHttpServer server([&](const FakeRequest& r) { return r.path == "/sessao" ? login : FakeHttpServer::objects(); });
        Session session(server.port());
        DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000001"), QStringLiteral("ana123"));
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        net.setTimeouts({2000, 4000});
        EXPECT_EQ(errorOf([&] { net.abreSessao(); }), refused) << login.status;
        EsqueceSessaoServidor();
    }
}

// Large requests travel compressed.
TEST(NetConnectionTest, RequestsOver64KiBAreSentGzipCompressed)
{
    FakeHttpServer server(answering({200, R"({"result":[]})"}));
    Session session(server.port());
    TNetConnection net(QStringLiteral("PAD.rdmImpPedidos"));
    net.setTimeouts({2000, 4000});
    RemoteArgs small, big;
    small.add(QStringLiteral("0001"));
    big.add(QString(70000, QLatin1Char('x')));
    CheckResultServ(net.AppServer(QStringLiteral("SetPedidos"), small));
    CheckResultServ(net.AppServer(QStringLiteral("SetPedidos"), big));
    const std::vector<FakeRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].headers.count("content-encoding"), 0u);
    EXPECT_EQ(seen[1].body, R"({"args":["0001"]})");
    EXPECT_EQ(seen[2].headers.at("content-encoding"), "gzip");
    EXPECT_LT(seen[2].body.size(), 10000u);
    BoundedInflater inflater(1 << 20, "teste");
    std::string inflated;
    inflater.feed(seen[2].body.data(), seen[2].body.size(), inflated);
    inflater.finish();
    EXPECT_EQ(inflated, big.body());
}

// A streamed reply: elements reach the consumer as they are decoded; the
// server's error after a partial result, a bad packet or a cut body is one
// readable message.
TEST(NetConnectionTest, AStreamedReplyIsDecodedWhileItArrives)
{
    struct Count final : ReplyConsumer {
        int rows = 0, nulls = 0;
        void nullElement(int) override { ++nulls; }
        void beginPacket(int, const std::vector<PacketColumn>&) override {}
        void packetRow(int, PacketRow&) override { ++rows; }
    };
    std::string rows;
    for (int i = 0; i < 20000; ++i)
        rows += std::string(i ? "," : "") + "[\"linha " + std::to_string(i) + "\"]";
    const std::string good = R"({"result":[null,{"columns":[{"name":"A","type":"text"}],"rows":[)" + rows + "]}]}";
    FakeResponse gz{200, gzipCompress(good)};
    gz.contentEncoding = "gzip";
    auto call = [](const FakeResponse& res, Count& seen) {
        FakeHttpServer server(answering(res));
        Session session(server.port());
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        net.setTimeouts({2000, 4000});
        return errorOf([&] { net.AppServerStreaming(QStringLiteral("getTabelas"), RemoteArgs(), seen); });
    };
    Count plain, packed, failed, cut, refused;
    EXPECT_EQ(call({200, good}, plain), QStringLiteral("<no error>"));
    EXPECT_EQ(plain.rows, 20000);
    EXPECT_EQ(plain.nulls, 1);
    EXPECT_EQ(call(gz, packed), QStringLiteral("<no error>"));
    EXPECT_EQ(packed.rows, 20000);
    EXPECT_EQ(call({200, R"({"result":[null],"error":{"message":"falhou"}})"}, failed), QStringLiteral("falhou"));
    EXPECT_EQ(call({200, good.substr(0, good.size() / 2)}, cut), QStringLiteral("A resposta do servidor de aplicação está incompleta."));
    EXPECT_EQ(call({500, R"({"error":{"message":"sem banco"}})"}, refused), QStringLiteral("sem banco"));
}
