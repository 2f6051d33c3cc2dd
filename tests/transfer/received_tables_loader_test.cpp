// The download's reply written part by part while it is decoded: a table in
// several parts commits whole or not at all, its deletions clear its mark,
// and a decoder waiting for the writer is let go when the reply is given up.
#include "library/errors.h"
#include "protocol/protocol.h"
#include "protocol/protocol_slots.h"
#include "session/GeralZOV.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/received_tables_loader.h"
#include "transfer/tabelas.h"
#include "transfer/watermarks.h"

#include <gtest/gtest.h>
#include <thread>

using namespace zov;
using test::countRows;

namespace {

const QDateTime kAsked(QDate(2026, 1, 2), QTime(3, 4, 5));

// A getTabelas reply: every element empty with its table's key columns,
// but PAIS (slot 12) with `countries` rows and its deletion records. With
// `fallAfter`, the server fails after that element (an error tail).
std::string reply(int countries, const QStringList& deletedCountries = {}, int fallAfter = -1)
{
    std::string body;
    ResultWriter result(body);
    for (int e = 0; e <= kParamPedidoElement; ++e) {
        if (fallAfter >= 0 && e > fallAfter) {
            body += "]," + errorBody(QStringLiteral("O servidor caiu.")).substr(1);
            return body;
        }
        const SyncSlot* rows = nullptr;
        const SyncSlot* deletions = nullptr;
        for (const SyncSlot& s : syncSlots()) {
            if (s.slot == e)
                rows = &s;
            if (s.slot + kDeletionOffset == e)
                deletions = &s;
        }
        if (!rows && !deletions && e != kParamPedidoElement) {
            result.null();
            continue;
        }
        result.beginElement();
        PacketWriter p(body);
        if (deletions) {
            p.begin({{QStringLiteral("DSKEYCACHE"), ColumnType::Text}, {QStringLiteral("DTULTATUCACH"), ColumnType::DateTime}});
            if (deletions->table == QLatin1String("PAIS"))
                for (const QString& c : deletedCountries) {
                    p.beginRow();
                    p.text(QStringLiteral("CDPAIS=%1;").arg(c));
                    p.dateTime(kAsked.addDays(1));
                    p.endRow();
                }
        } else if (rows && rows->table == QLatin1String("PAIS")) {
            p.begin({{QStringLiteral("CDPAIS"), ColumnType::Text}, {QStringLiteral("DTULTATUPAIS"), ColumnType::DateTime}});
            for (int i = 0; i < countries; ++i) {
                p.beginRow();
                p.text(QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')));
                p.dateTime(kAsked.addSecs(i));
                p.endRow();
            }
        } else if (rows) {
            std::vector<PacketColumn> keys;
            for (const QString& k : rows->keys)
                keys.push_back({k, ColumnType::Text});
            p.begin(keys);
        } else {
            p.begin({{QStringLiteral("CDFILIAL"), ColumnType::Text}});
        }
        p.end();
    }
    result.finish();
    return body;
}

class PartByPart : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        CriaDataModulo();
    }
    void TearDown() override
    {
        DestroiDataModulo();
        test::DialogsTest::TearDown();
    }
    // Decodes on this thread (the reply is small enough never to wait),
    // then writes what was queued, as the event loop would.
    QString receive(const std::string& body)
    {
        ReceivedTablesLoader loader(*dtmAtuTab(), true);
        QString decodeError;
        try {
            decodeResult(std::string_view(body), loader);
        } catch (const Error& e) {
            decodeError = e.text();
        }
        loader.writeQueued();
        loader.abandon();
        const QString failure = loader.failure().isEmpty() ? decodeError : loader.failure();
        // As the download ends: everything commits, or nothing does.
        if (failure.isEmpty())
            dtmAtuTab()->confirmaTransacao();
        else
            dtmAtuTab()->desfazTransacao();
        return failure;
    }
    int pending(const char* table)
    {
        return countRows(temp.db(), QStringLiteral("EXCLPENDENTE"), QStringLiteral("NMTABELA = :T"),
                         {{QStringLiteral("T"), QLatin1String(table)}});
    }
    test::TempDatabase temp;
};

TEST_F(PartByPart, ATableOfSeveralPartsCommitsWholeAndItsDeletionsClearItsMark)
{
    const int rows = 2 * ReceivedTablesLoader::kPartRows + 500;
    EXPECT_EQ(receive(reply(rows)), QString());
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), rows);
    EXPECT_EQ(dtmAtuTab()->rowsReceived(), rows);
    EXPECT_EQ(pending("PAIS"), 0) << "its (empty) deletions came in the same reply";
    EXPECT_EQ(dtmAtuTab()->dataset(QStringLiteral("cdsPais")).rowCount(), 0) << "nothing held once written";

    // Deleted rows of a table already written go in the same download.
    EXPECT_EQ(receive(reply(3, {QStringLiteral("00001"), QStringLiteral("00002")})), QString());
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), rows - 2);
    EXPECT_FALSE(temp.db().inTransaction());
    EXPECT_EQ(temp.db().scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2) << "full durability after the tables";
}

TEST_F(PartByPart, AFailingRowInALaterPartLeavesNoneOfTheTable)
{
    const int rows = 2 * ReceivedTablesLoader::kPartRows + 500;
    temp.db().execScript(QStringLiteral("CREATE TRIGGER FALHA BEFORE INSERT ON PAIS WHEN NEW.CDPAIS = '04400' "
                                        "BEGIN SELECT RAISE(ABORT, 'disco cheio'); END"));
    const QString failure = receive(reply(rows));
    EXPECT_TRUE(failure.contains(QStringLiteral("PAIS"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("linha 4401"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("disco cheio"))) << failure.toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), 0) << "the parts written before were rolled back";
    EXPECT_EQ(pending("PAIS"), 0);
    EXPECT_FALSE(temp.db().inTransaction());
    EXPECT_EQ(temp.db().scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2);
}

TEST_F(PartByPart, AServerFailingAfterTheRowsBeforeTheirDeletionsLeavesNothing)
{
    // The rows were written while they arrived; the failure takes them back
    // with everything else, and the next reply brings rows and deletions.
    test::insertRow(temp.db(), QStringLiteral("PAIS"), {{QStringLiteral("CDPAIS"), QStringLiteral("00003")}});
    const QString failure = receive(reply(10, {}, kDeletionOffset - 1));
    EXPECT_TRUE(failure.contains(QStringLiteral("O servidor caiu."))) << failure.toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), 1);
    EXPECT_EQ(pending("PAIS"), 0);
    EXPECT_FALSE(temp.db().inTransaction());

    EXPECT_EQ(receive(reply(10, {QStringLiteral("00003")})), QString());
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), 9);
    EXPECT_EQ(pending("PAIS"), 0);
}

TEST_F(PartByPart, ADecoderWaitingForTheWriterIsLetGoWhenTheReplyIsGivenUp)
{
    // More cells than may wait in the queue, and nobody writing them.
    const std::string body = reply(int(ReceivedTablesLoader::kMaxQueuedCells));
    ReceivedTablesLoader loader(*dtmAtuTab(), true);
    QString error;
    std::thread decoder([&] {
        try {
            decodeResult(std::string_view(body), loader);
        } catch (const Error& e) {
            error = e.text();
        }
    });
    loader.cancel();
    decoder.join();
    EXPECT_FALSE(error.isEmpty()) << "stopped, not finished";
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), 0);
}

// A cut inside a table of several parts: the parts that arrived whole are
// kept with the tables before it, and the next download asks that table from
// its newest kept row, the tables before it for what changed after theirs.
TEST_F(PartByPart, ACutInsideATableKeepsItsWholePartsAndTheNextDownloadAsksFromThere)
{
    const int rows = 2 * ReceivedTablesLoader::kPartRows + 500;
    const std::string whole = reply(rows);
    const std::string cut = whole.substr(0, whole.find("\"04200\""));
    bool cortar = true;
    test::FakeHttpServer server([&](const test::FakeRequest& r) {
        if (r.method == "GET")
            return test::FakeHttpServer::objects();
        test::FakeResponse res;
        res.body = std::exchange(cortar, false) ? cut : whole;
        return res;
    });
    SetIPAcesso(QStringLiteral("127.0.0.1"));
    SetPorta(server.port());
    SetFilial(QStringLiteral("0001"));
    EXPECT_FALSE(CriaBaixaDados());
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("e parte de outra"))) << lastTransferError().toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), 0);
    ASSERT_TRUE(CriaBaixaDados()) << lastTransferError().toStdString();
    const auto& kept = dtmAtuTab()->parteRetomada();
    ASSERT_TRUE(kept.has_value());
    const TabelaGuardada* pais = kept->tabela(12);
    ASSERT_TRUE(pais);
    EXPECT_TRUE(pais->parcial);
    EXPECT_EQ(pais->linhas, 2 * ReceivedTablesLoader::kPartRows);
    EXPECT_EQ(pais->maisNova, kAsked.addSecs(2 * ReceivedTablesLoader::kPartRows - 1));
    const std::vector<test::FakeRequest> asked = server.requests();
    const std::string& resumed = asked.back().body;
    EXPECT_NE(resumed.find(dateTimeToWire(pais->maisNova).toStdString()), std::string::npos) << "PAIS from its newest kept row";
    ASSERT_TRUE(ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), rows);
}

} // namespace
