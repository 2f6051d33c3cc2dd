// Two zov-appserver processes on one database serve the same clients: no
// file or lock of their own between them, only the database.
#include "protocol/protocol.h"
#include "server/demo_company.h"
#include "server/server_database.h"
#include "tests/support/server_engine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <thread>

using namespace zov;
using namespace zov::test;

namespace {

class ServeProcess {
public:
    explicit ServeProcess(const QString& target)
    {
        p_.start(QStringLiteral(ZOV_APPSERVER),
                 {QStringLiteral("serve"), QStringLiteral("--db"), target, QStringLiteral("--port"), QStringLiteral("0")});
        while (!p_.canReadLine() && p_.waitForReadyRead(20000)) {
        }
        const QString line = QString::fromUtf8(p_.readLine()).trimmed(); // "listening 127.0.0.1:PORT"
        port = line.section(QLatin1Char(':'), -1).toInt();
    }
    ~ServeProcess()
    {
        p_.terminate();
        p_.waitForFinished(20000);
    }
    httplib::Result post(const std::string& path, const std::string& body, const std::string& token = {})
    {
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(60, 0);
        if (!token.empty())
            c.set_bearer_token_auth(token);
        return c.Post(path, body, "application/json");
    }
    int port = 0;

private:
    QProcess p_;
};

std::string download(ServeProcess& server, const std::string& token)
{
    QVariantList none;
    for (int i = 0; i < 24; ++i)
        none << QVariant();
    const auto r = server.post("/PAD.rdmExpDados/getTabelas", RemoteArgs().add(QStringLiteral("0001")).add(none).add(none).body(), token);
    return r && r->status == 200 ? r->body : std::string("falhou");
}

std::string exportOrder(ServeProcess& server, const std::string& token, double quantity)
{
    Packet orders({{"CDFILIAL", ColumnType::Text}, {"NRPEDIDO", ColumnType::Text}, {"CDCLIENTE", ColumnType::Text}});
    orders.addRow({"0001", "0000000007", "F52998224725"});
    Packet items({{"CDFILIAL", ColumnType::Text},
                  {"NRPEDIDO", ColumnType::Text},
                  {"NRITEMPED", ColumnType::Text},
                  {"CDPRODUTO", ColumnType::Text},
                  {"QTITEMPED", ColumnType::Number},
                  {"VRPREUNITPED", ColumnType::Number}});
    items.addRow({"0001", "0000000007", "0000000001", "0000000101", quantity, 24.9});
    Packet notes({{"CDFILIAL", ColumnType::Text}, {"NRPEDIDO", ColumnType::Text}});
    Packet customers({{"CDCLIENTE", ColumnType::Text},
                      {"IDTPIJURCLIE", ColumnType::Text},
                      {"NRINSJURCLIE", ColumnType::Text},
                      {"NMFANTCLIE", ColumnType::Text},
                      {"IDCLIEATIV", ColumnType::Text}});
    customers.addRow({"F11144477735", "F", "11144477735", "CLIENTE NOVO", "S"});
    Packet addresses({{"CDCLIENTE", ColumnType::Text}, {"IDTPENDECLIE", ColumnType::Text}});
    RemoteArgs args;
    args.add(orders)
        .add(items)
        .add(notes)
        .add(customers)
        .add(addresses)
        .add(QStringLiteral("0001"))
        .add(QStringLiteral("ana.pc"))
        .add(QStringLiteral("instalacao-da-ana"));
    const auto r = server.post("/PAD.rdmImpPedidos/SetPedidos", args.body(), token);
    return r ? std::to_string(r->status) + " " + r->body : std::string("sem resposta");
}

} // namespace

TEST(TwoServerProcesses, ShareTheirSessionsRefusalsOrdersAndDownloads)
{
    QTemporaryDir dir;
    const QString target = freshServerTarget(dir.path());
    {
        auto db = server::createServerDatabase(target);
        server::fillDemoCompany(*db);
        server::finishServerDatabase(*db);
    }
    {
        ServeProcess a(target), b(target);
        ASSERT_GT(a.port, 0);
        ASSERT_GT(b.port, 0);

        // A session given by one is taken by the other: one secret, in the database.
        const auto login = a.post("/sessao", nlohmann::json{{"filial", "1"}, {"operador", "1"}, {"senha", "ana123"}}.dump());
        ASSERT_TRUE(login && login->status == 200);
        const std::string token = nlohmann::json::parse(login->body)["token"].get<std::string>();

        // Sent through B, then sent again through A from the same laptop: one copy, A's.
        EXPECT_THAT(exportOrder(b, token, 2), ::testing::StartsWith("200 "));
        EXPECT_THAT(exportOrder(a, token, 5), ::testing::StartsWith("200 "));
        // The same laptop sending again while its calls are still being written: one copy still.
        std::vector<std::thread> resends;
        std::vector<std::string> replies(6);
        for (std::size_t i = 0; i < replies.size(); ++i)
            resends.emplace_back([&, i] { replies[i] = exportOrder(i % 2 ? a : b, token, 5); });
        for (std::thread& t : resends)
            t.join();
        for (const std::string& r : replies)
            EXPECT_THAT(r, ::testing::StartsWith("200 "));
        auto db = server::openServerDatabaseForReading(target);
        EXPECT_EQ(countRows(*db, QStringLiteral("PEDIDORECEBIDO")), 1);
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT QTITEMPED FROM ITEMPEDIDOREC")).toDouble(), 5.0);

        // The customer added through B is in A's download, and both send the same rows.
        const std::string fromA = download(a, token);
        EXPECT_THAT(fromA, ::testing::HasSubstr("CLIENTE NOVO"));
        EXPECT_EQ(fromA, download(b, token));

        // Refusals are counted in the database: five through A turn the pair away through B.
        const auto entry = [](ServeProcess& server, const char* senha) {
            const auto r = server.post("/sessao", nlohmann::json{{"filial", "1"}, {"operador", "2"}, {"senha", senha}}.dump());
            return r ? r->status : 0;
        };
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(entry(a, "chute"), 401);
        EXPECT_EQ(entry(b, "bruno123"), 429);
    }
    // The command's listing reads the same database.
    QProcess list;
    list.start(QStringLiteral(ZOV_APPSERVER), {QStringLiteral("pedidos"), QStringLiteral("--db"), target});
    ASSERT_TRUE(list.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_THAT(
        lines[1].toStdString(),
        ::testing::MatchesRegex("0001 +0000000007 +ana.pc +000000000001 +instala.*F52998224725 +1 +124,50 +sem observação +Recebido"));

    // A situation set by hand, then listed; a wrong one is refused with its reason.
    const auto situacao = [&](const QStringList& extra) {
        QProcess p;
        p.start(QStringLiteral(ZOV_APPSERVER),
                QStringList{QStringLiteral("situacao"), QStringLiteral("--db"), target, QStringLiteral("--filial"), QStringLiteral("1")}
                    + extra);
        EXPECT_TRUE(p.waitForFinished(30000));
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed()};
    };
    EXPECT_EQ(situacao({QStringLiteral("--pedido"), QStringLiteral("7"), QStringLiteral("--situacao"), QStringLiteral("F"),
                        QStringLiteral("--nota"), QStringLiteral("55"), QStringLiteral("--valor"), QStringLiteral("124,50")}),
              (std::pair{0, QStringLiteral("Pedido 0000000007 da filial 0001: Faturado.")}));
    EXPECT_EQ(situacao({QStringLiteral("--pedido"), QStringLiteral("8"), QStringLiteral("--situacao"), QStringLiteral("F")}),
              (std::pair{1, QStringLiteral("zov-appserver: O pedido 0000000008 da filial 0001 não foi recebido.")}));
    EXPECT_EQ(situacao({QStringLiteral("--pedido"), QStringLiteral("7"), QStringLiteral("--situacao"), QStringLiteral("X")}).first, 1);
    list.start(QStringLiteral(ZOV_APPSERVER), {QStringLiteral("pedidos"), QStringLiteral("--db"), target});
    ASSERT_TRUE(list.waitForFinished(30000));
    EXPECT_THAT(QString::fromUtf8(list.readAllStandardOutput()).toStdString(), ::testing::HasSubstr("sem observação  Faturado NF 55"));
    dropServerTarget(target);
}
