// The client's real download, apply and purge against zov-appserver on
// 127.0.0.1, and against servers that fail half-way.
#include "library/errors.h"
#include "library/velmora.h"
#include "protocol/protocol_slots.h"
#include "session/GeralZOV.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/running_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/netconnection.h"
#include "transfer/tabelas.h"

#include "transfer/parte_guardada.h"

#include <QFile>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zov;
using test::countRows;

namespace {

// Passes a request on to the real server as it came and gives back its
// answer (de-chunked): a link between laptop and server that can be cut.
test::FakeResponse repassa(int port, const test::FakeRequest& r)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    test::FakeResponse res;
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        res.cut = true;
        return res;
    }
    std::string out = r.method + " " + r.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    for (const auto& [name, value] : r.headers)
        if (name != "host" && name != "connection" && name != "content-length" && name != "accept-encoding")
            out += name + ": " + value + "\r\n";
    out += "Content-Length: " + std::to_string(r.body.size()) + "\r\n\r\n" + r.body;
    ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
    std::string in;
    char buf[65536];
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
        in.append(buf, std::size_t(n));
    ::close(fd);
    const std::size_t headEnd = in.find("\r\n\r\n");
    std::string head = in.substr(0, headEnd);
    res.status = std::stoi(head.substr(9, 3));
    std::string body = in.substr(headEnd + 4);
    for (char& c : head)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (head.find("transfer-encoding: chunked") != std::string::npos) {
        std::string plain;
        std::size_t at = 0;
        for (;;) {
            const std::size_t eol = body.find("\r\n", at);
            const std::size_t size = std::stoul(body.substr(at, eol - at), nullptr, 16);
            if (size == 0)
                break;
            plain += body.substr(eol + 2, size);
            at = eol + 2 + size + 2;
        }
        body = plain;
    }
    res.body = body;
    return res;
}

// Every synced table as text, ordered by its keys: two downloads that end
// alike give the same text.
QString retrato(Database& db)
{
    QString all;
    for (const SyncSlot& s : syncSlots()) {
        Statement st(db, QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(s.table, s.keys.join(QLatin1Char(','))));
        all += s.table + QLatin1Char(':');
        while (st.step())
            for (int i = 0; i < st.columnCount(); ++i)
                all += st.rawValue(i).toString() + QLatin1Char('|');
        all += QLatin1Char('\n');
    }
    return all;
}

class DownloadE2E : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        SetFilial(QStringLiteral("0001"));
    }
    void TearDown() override
    {
        DestroiDataModulo();
        ClearSession();
        SetDefaultNetTimeouts(NetTimeouts{});
        test::DialogsTest::TearDown();
    }
    void pointAt(int port)
    {
        SetIPAcesso(QStringLiteral("127.0.0.1"));
        SetPorta(port);
    }
    // Rows received per table by the last download (before the apply).
    int received(const char* table) { return dtmAtuTab()->dataset(rowsDatasetOf(*syncSlotOf(QString::fromLatin1(table)))).rowCount(); }
    int deletions(const char* table)
    {
        return dtmAtuTab()->dataset(deletionsDatasetOf(*syncSlotOf(QString::fromLatin1(table)))).rowCount();
    }
    Database& local() { return client.db(); }
    void deletionSurvivesALaterFailure(bool writeWhileReceiving);
    void linkKeepsDropping(bool writeWhileReceiving);

    test::TempDatabase client;
};

TEST_F(DownloadE2E, AFirstDownloadFillsEveryTableFromTheDemoCompany)
{
    test::RunningServer server(true);
    pointAt(server.port());
    EXPECT_TRUE(DBPict(0).isEmpty()) << "a new installation has no code pictures yet";
    ASSERT_TRUE(TestaConnect()) << lastTransferError().toStdString();
    ASSERT_TRUE(CriaBaixaDados()) << lastTransferError().toStdString();
    ASSERT_TRUE(ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_EQ(dtmAtuTab(), nullptr) << "the data module goes at the end of the apply";
    // The product picture came with PARAMGERAL and is in use at once, not at the next start.
    const QString picture = server.db().scalar(QStringLiteral("SELECT CDPICTPROD FROM PARAMGERAL")).toString();
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_EQ(DBPict(0), picture);
    for (const LoaderInfo& l : loaderTable()) {
        const QString table = QString::fromLatin1(l.table);
        EXPECT_EQ(countRows(local(), table), countRows(server.db(), table)) << l.table;
        EXPECT_GT(countRows(local(), table), 0) << l.table;
    }
    // Hashes of the passwords arrive as they are stored.
    EXPECT_EQ(local().scalar(QStringLiteral("SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR='000000000001'")).toString(),
              server.db().scalar(QStringLiteral("SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR='000000000001'")).toString());
}

TEST_F(DownloadE2E, AChangeAnInsertAndADeleteArriveWithTheNextDownloadAndLittleElse)
{
    test::RunningServer server(true);
    pointAt(server.port());
    ASSERT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << lastTransferError().toStdString();

    server.db().exec(QStringLiteral("UPDATE CLIENTE SET NMFANTCLIE = 'MERCADO NOVO' WHERE CDCLIENTE = 'J11222333000181'"));
    server.db().exec(QStringLiteral("INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES ('0099', 'Chile')"));
    const QString bairro =
        server.db().scalar(QStringLiteral("SELECT CDPAIS || SGESTADO || CDMUNICIPIO || '/' || CDBAIRRO FROM BAIRRO LIMIT 1")).toString();
    const QString where = QStringLiteral("CDPAIS || SGESTADO || CDMUNICIPIO || '/' || CDBAIRRO = :B");
    server.db().exec(QStringLiteral("DELETE FROM BAIRRO WHERE ") + where, {{QStringLiteral("B"), bairro}});

    // Held until the apply, so that what came can be looked at.
    CriaDataModulo();
    dtmAtuTab()->writeWhileReceiving = false;
    ASSERT_TRUE(CriaBaixaDados()) << lastTransferError().toStdString();
    // The watermark re-sends only the rows of its own instant.
    for (const SyncSlot& s : syncSlots()) {
        const int changed = s.table == QLatin1String("CLIENTE") || s.table == QLatin1String("PAIS") ? 1 : 0;
        EXPECT_LE(dtmAtuTab()->dataset(rowsDatasetOf(s)).rowCount(), changed + 1) << qPrintable(s.table);
    }
    EXPECT_EQ(deletions("BAIRRO"), 1);
    EXPECT_EQ(deletions("CLIENTE"), 0);
    ASSERT_TRUE(ChamaExportaDados()) << lastTransferError().toStdString();

    EXPECT_EQ(local().scalar(QStringLiteral("SELECT NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = 'J11222333000181'")).toString(),
              QStringLiteral("MERCADO NOVO"));
    EXPECT_EQ(countRows(local(), QStringLiteral("PAIS"), QStringLiteral("CDPAIS = '0099'")), 1);
    EXPECT_EQ(countRows(local(), QStringLiteral("BAIRRO"), where, {{QStringLiteral("B"), bairro}}), 0);
    EXPECT_EQ(countRows(local(), QStringLiteral("BAIRRO")), countRows(server.db(), QStringLiteral("BAIRRO")));

    // Nothing changed: deletions come "at or after" the table's date, so the
    // newest one may come again; it deletes nothing more.
    const int bairros = countRows(local(), QStringLiteral("BAIRRO"));
    CriaDataModulo();
    dtmAtuTab()->writeWhileReceiving = false;
    ASSERT_TRUE(CriaBaixaDados());
    EXPECT_LE(deletions("BAIRRO"), 1);
    EXPECT_TRUE(ChamaExportaDados());
    EXPECT_EQ(countRows(local(), QStringLiteral("BAIRRO")), bairros);
}

// A product deleted on the server while a later table cannot be written here
// (a full disk, a lock): the customers fail, nothing of the download stays
// (the products neither), and the next download brings it all, the product's
// deletion included.
void DownloadE2E::deletionSurvivesALaterFailure(bool writeWhileReceiving)
{
    test::RunningServer server(true);
    pointAt(server.port());
    ASSERT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << lastTransferError().toStdString();
    const QString gone = server.db().scalar(QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODUTO")).toString();
    server.db().exec(QStringLiteral("DELETE FROM PRODUTO WHERE CDPRODUTO = :P"), {{QStringLiteral("P"), gone}});
    // Changed after the deletion: the product table's newest date passes it.
    server.db().exec(
        QStringLiteral("UPDATE PRODUTO SET NMPRODUTO = NMPRODUTO || ' NOVO' WHERE CDPRODUTO = (SELECT MAX(CDPRODUTO) FROM PRODUTO)"));
    server.db().exec(QStringLiteral("UPDATE CLIENTE SET NMFANTCLIE = 'MERCADO NOVO' WHERE CDCLIENTE = 'J11222333000181'"));
    const auto goneCount = [&] {
        return countRows(local(), QStringLiteral("PRODUTO"), QStringLiteral("CDPRODUTO = :P"), {{QStringLiteral("P"), gone}});
    };

    local().execScript(QStringLiteral("CREATE TRIGGER FALHA BEFORE INSERT ON CLIENTE BEGIN SELECT RAISE(ABORT, 'disco cheio'); END"));
    CriaDataModulo();
    dtmAtuTab()->writeWhileReceiving = writeWhileReceiving;
    if (writeWhileReceiving) {
        EXPECT_FALSE(CriaBaixaDados());
    } else {
        ASSERT_TRUE(CriaBaixaDados()) << lastTransferError().toStdString();
        EXPECT_FALSE(ChamaExportaDados());
    }
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("CLIENTE"))) << lastTransferError().toStdString();
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("disco cheio"))) << lastTransferError().toStdString();
    EXPECT_EQ(goneCount(), 1) << "nothing of the download stays";
    EXPECT_EQ(countRows(local(), QStringLiteral("PRODUTO"), QStringLiteral("NMPRODUTO LIKE '% NOVO'")), 0);
    EXPECT_EQ(countRows(local(), QStringLiteral("CLIENTE"), QStringLiteral("NMFANTCLIE = 'MERCADO NOVO'")), 0);
    EXPECT_FALSE(local().inTransaction());

    local().execScript(QStringLiteral("DROP TRIGGER FALHA"));
    ASSERT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_EQ(goneCount(), 0);
    EXPECT_EQ(countRows(local(), QStringLiteral("EXCLPENDENTE")), 0) << "every deletion applied";
    EXPECT_EQ(countRows(local(), QStringLiteral("PRODUTO")), countRows(server.db(), QStringLiteral("PRODUTO")));
    EXPECT_EQ(local().scalar(QStringLiteral("SELECT NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = 'J11222333000181'")).toString(),
              QStringLiteral("MERCADO NOVO"));
}

TEST_F(DownloadE2E, ADeletionIsNotLostWhenALaterTableFailsWhileTheReplyArrives) { deletionSurvivesALaterFailure(true); }

TEST_F(DownloadE2E, ADeletionIsNotLostWhenALaterTableFailsInTheApply) { deletionSurvivesALaterFailure(false); }

TEST_F(DownloadE2E, AServerThatStopsHalfWayLeavesTheTablesAsTheyWereAndSaysSo)
{
    // A real reply, cut in the middle.
    std::string reply;
    {
        test::RunningServer server(true);
        TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
        net.setHost(QStringLiteral("127.0.0.1"));
        net.setPort(server.port());
        net.beforeConnect = nullptr;
        RemoteArgs args;
        QVariantList none;
        for (int i = 0; i < kSlotCount; ++i)
            none << QVariant();
        args.add(QStringLiteral("0001")).add(none).add(none);
        reply = net.AppServer(QStringLiteral("getTabelas"), args).body;
    }
    ASSERT_GT(reply.size(), 1000u);
    test::FakeHttpServer cut([&](const test::FakeRequest& r) {
        if (r.method == "GET")
            return test::FakeHttpServer::objects();
        test::FakeResponse res;
        res.body = reply.substr(0, reply.size() / 2);
        return res;
    });
    pointAt(cut.port());
    local().exec(QStringLiteral("INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES ('0001', 'Brasil local')"));
    EXPECT_FALSE(CriaBaixaDados());
    EXPECT_FALSE(lastTransferError().isEmpty());
    EXPECT_FALSE(lastTransferError().contains(QLatin1Char('{'))) << "a readable error, not a dump: " << lastTransferError().toStdString();
    EXPECT_EQ(dtmAtuTab(), nullptr) << "nothing of a failed download is kept";
    EXPECT_EQ(countRows(local(), QStringLiteral("PAIS")), 1);
    EXPECT_EQ(countRows(local(), QStringLiteral("CLIENTE")), 0);

    // A server that accepts the call and never answers: bounded by the time-out.
    SetDefaultNetTimeouts({2000, 300});
    test::FakeHttpServer silent([](const test::FakeRequest& r) {
        if (r.method == "GET")
            return test::FakeHttpServer::objects();
        test::FakeResponse res;
        res.silent = true;
        return res;
    });
    pointAt(silent.port());
    EXPECT_FALSE(CriaBaixaDados());
    EXPECT_FALSE(lastTransferError().isEmpty());
    EXPECT_EQ(countRows(local(), QStringLiteral("CLIENTE")), 0);
}

TEST_F(DownloadE2E, OnlyOneTransferRunsAtATime)
{
    TransferLock first;
    EXPECT_TRUE(TransferLock::running());
    EXPECT_THROW({ TransferLock second; }, Error);
}

} // namespace

// A database that cannot be written is said before the download, not after it.
TEST_F(DownloadE2E, AReadOnlyDatabaseIsSaidBeforeTheDownload)
{
    test::RunningServer server(true);
    pointAt(server.port());
    local().execScript(QStringLiteral("PRAGMA query_only = 1"));
    EXPECT_FALSE(CriaBaixaDados());
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("não pode ser gravado"))) << lastTransferError().toStdString();
    EXPECT_FALSE(local().inTransaction());
    local().execScript(QStringLiteral("PRAGMA query_only = 0"));
    EXPECT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << lastTransferError().toStdString();
}

namespace {

// A link that drops the first download at several points of its reply, each
// cut after a table or inside one: every time the tables stay as they were
// and the next download asks only for what is missing, until one gets
// there, with the same tables as an uncut download and with what changed on
// the server meanwhile.
void DownloadE2E::linkKeepsDropping(bool writeWhileReceiving)
{
    const auto baixa = [&] {
        CriaDataModulo();
        dtmAtuTab()->writeWhileReceiving = writeWhileReceiving;
        return CriaBaixaDados();
    };
    test::RunningServer server(true);
    std::vector<double> cuts{0.97, 0.85, 0.6, 0.3};
    std::vector<std::size_t> replied;
    test::FakeHttpServer link([&](const test::FakeRequest& r) {
        test::FakeResponse res = repassa(server.port(), r);
        if (r.path.find("getTabelas") == std::string::npos)
            return res;
        replied.push_back(res.body.size());
        if (!cuts.empty()) {
            res.body.resize(std::size_t(double(res.body.size()) * cuts.back()));
            cuts.pop_back();
        }
        return res;
    });
    pointAt(link.port());
    const QString kept = arquivoParteGuardada(local());
    const QString empty = retrato(local());
    for (int attempt = 0; attempt < 4; ++attempt) {
        EXPECT_FALSE(baixa()) << attempt;
        EXPECT_TRUE(lastTransferError().contains(QStringLiteral("Nenhuma tabela local foi alterada.")))
            << lastTransferError().toStdString();
        EXPECT_EQ(retrato(local()), empty) << "cut " << attempt << ": the tables as they were";
        EXPECT_FALSE(local().inTransaction());
        if (attempt == 1) // between two cuts, a change on the server
            server.db().exec(QStringLiteral("UPDATE PAIS SET NMPAIS = 'BRASIL MUDADO'"));
    }
    ASSERT_TRUE(QFile::exists(kept)) << lastTransferError().toStdString();
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("continua de onde esta parou"))) << lastTransferError().toStdString();
    ASSERT_TRUE(baixa()) << lastTransferError().toStdString();
    ASSERT_TRUE(dtmAtuTab()->parteRetomada().has_value());
    EXPECT_GT(dtmAtuTab()->rowsReceived(), dtmAtuTab()->parteRetomada()->linhas()) << "progress counts from what was kept";
    ASSERT_TRUE(ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_FALSE(QFile::exists(kept)) << "applied, the kept part goes";
    // Asked only for the rest: about what a download where nothing changed
    // receives (the demo's reply is mostly its tables' columns).
    const std::size_t resumedBytes = replied.back();
    ASSERT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_LT(resumedBytes, replied.back() + 2000) << replied.front();
    EXPECT_EQ(local().scalar(QStringLiteral("SELECT MIN(NMPAIS) FROM PAIS")).toString(), QStringLiteral("BRASIL MUDADO"));
    const QString resumed = retrato(local());

    // The same tables as one download that was never cut.
    for (const SyncSlot& s : syncSlots())
        local().exec(QStringLiteral("DELETE FROM %1").arg(s.table));
    pointAt(server.port());
    ASSERT_TRUE(CriaBaixaDados() && ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_EQ(retrato(local()), resumed);
}

TEST_F(DownloadE2E, ALinkThatKeepsDroppingChangesNothingUntilTheDownloadResumedGetsThere) { linkKeepsDropping(true); }

TEST_F(DownloadE2E, ALinkThatKeepsDroppingChangesNothingWithTheTablesHeldUntilTheApply) { linkKeepsDropping(false); }

// A kept part is taken up only by the same branch and server within a day.
TEST_F(DownloadE2E, AKeptPartOfAnotherBranchServerOrDayIsDropped)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0));
    test::insertRow(local(), QStringLiteral("PAIS"), {{QStringLiteral("CDPAIS"), QStringLiteral("0001")}});
    const QList<TabelaGuardada> pais{{12, QStringLiteral("PAIS"), QStringLiteral("DTULTATUPAIS"), {}, {}, 0}};
    auto keep = [&] { guardaParte(local(), pais, QStringLiteral("0001"), QStringLiteral("127.0.0.1:2110"), now); };
    keep();
    const auto same = leParteGuardada(local(), QStringLiteral("0001"), QStringLiteral("127.0.0.1:2110"), now.addSecs(23 * 3600));
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->linhas(), 1);
    for (const auto& [filial, servidor, quando] : {std::tuple{"0002", "127.0.0.1:2110", now}, std::tuple{"0001", "127.0.0.1:2111", now},
                                                   std::tuple{"0001", "127.0.0.1:2110", now.addSecs(25 * 3600)}}) {
        keep();
        EXPECT_FALSE(leParteGuardada(local(), QLatin1String(filial), QLatin1String(servidor), quando).has_value()) << filial << servidor;
        EXPECT_FALSE(QFile::exists(arquivoParteGuardada(local())));
    }
}

} // namespace
