#include "protocol/protocol_slots.h"
#include "server/server_database.h"
#include "tests/server/server_fixture.h"
#include "tests/support/temp_database.h"

#include <QDateTime>
#include <QRegularExpression>
#include <gmock/gmock.h>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;

namespace {

QDateTime at(const char* text) { return dateTimeFromStorage(QString::fromLatin1(text)); }

class GetTabelasTest : public ServerFixture {
protected:
    void addProduct(const QString& code, const QString& stamp)
    {
        insertRow(db(), QStringLiteral("PRODUTO"),
                  {{QStringLiteral("CDPRODUTO"), code}, {QStringLiteral("NMPRODUTO"), QStringLiteral("PRODUTO ") + code}});
        // Writing the stamp column alone is not a change: the value stays as written.
        db().exec(QStringLiteral("UPDATE PRODUTO SET DTULTATUPROD = :D WHERE CDPRODUTO = :C"),
                  {{QStringLiteral("D"), stamp}, {QStringLiteral("C"), code}});
    }

    QStringList column(const Packet& p, const QString& name)
    {
        QStringList out;
        for (int r = 0; r < p.rowCount(); ++r)
            out << p.value(r, name).toString();
        return out;
    }

    static QVariantList only(int slot, const QVariant& value, const QVariant& others)
    {
        QVariantList list = sameForAll(others);
        list[slot] = value;
        return list;
    }
};

const QVariant kLongAgo = QDateTime(QDate(1985, 1, 1), QTime(12, 0));

} // namespace

TEST_F(GetTabelasTest, TheReplyHas48ElementsWithTheUnusedSlotsNull)
{
    insertRow(db(), QStringLiteral("PARAMPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("IDPERALTPRECO"), QStringLiteral("S")}});
    const std::vector<Packet> reply = getTabelas(sameForAll(kLongAgo), sameForAll(kLongAgo));
    ASSERT_EQ(reply.size(), 48u);
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(reply[std::size_t(i)].isNull(), i == 11 || i == 23 || i == 35) << "element " << i;

    const Packet& products = reply[2];
    EXPECT_GE(products.columnIndex(QStringLiteral("CDPRODUTO")), 0);
    EXPECT_EQ(products.columns()[std::size_t(products.columnIndex(QStringLiteral("DTULTATUPROD")))].type, ColumnType::DateTime);
    EXPECT_EQ(products.columns()[std::size_t(products.columnIndex(QStringLiteral("VRFATOCONV")))].type, ColumnType::Number);
    EXPECT_EQ(reply[24 + 2].columns(),
              (std::vector<PacketColumn>{{QStringLiteral("DSKEYCACHE"), ColumnType::Text},
                                         {QStringLiteral("DTULTATUCACH"), ColumnType::DateTime}}));
    EXPECT_EQ(
        reply[47].columns(),
        (std::vector<PacketColumn>{{QStringLiteral("CDFILIAL"), ColumnType::Text}, {QStringLiteral("IDPERALTPRECO"), ColumnType::Text}}));
    EXPECT_EQ(reply[47].rowCount(), 1);
    for (const SyncSlot& s : syncSlots())
        EXPECT_GE(reply[std::size_t(s.slot)].columnIndex(s.dateColumn), 0) << s.table.toStdString();
}

TEST_F(GetTabelasTest, RowsAtOrAfterTheInsertWatermarkComeInDateOrder)
{
    addProduct(QStringLiteral("A"), QStringLiteral("2026-01-01 10:00:05.500"));
    addProduct(QStringLiteral("B"), QStringLiteral("2026-01-01 10:00:00.000"));
    addProduct(QStringLiteral("C"), QStringLiteral("2026-01-01 10:00:03.250"));

    // The watermark's own instant is sent again (the client updates by key).
    std::vector<Packet> reply = getTabelas(sameForAll(kLongAgo), only(2, at("2026-01-01 10:00:03.250"), kLongAgo));
    EXPECT_EQ(column(reply[2], QStringLiteral("CDPRODUTO")), (QStringList{"C", "A"}));
    EXPECT_EQ(reply[2].value(1, QStringLiteral("DTULTATUPROD")).toDateTime(), at("2026-01-01 10:00:05.500"));

    reply = getTabelas(sameForAll(kLongAgo), only(2, at("2026-01-01 10:00:03.251"), kLongAgo));
    EXPECT_EQ(column(reply[2], QStringLiteral("CDPRODUTO")), (QStringList{"A"}));

    // A watermark without milliseconds compares as the same instant.
    reply = getTabelas(sameForAll(kLongAgo), only(2, QDateTime(QDate(2026, 1, 1), QTime(10, 0)), kLongAgo));
    EXPECT_EQ(column(reply[2], QStringLiteral("CDPRODUTO")), (QStringList{"B", "C", "A"}));
}

TEST_F(GetTabelasTest, EveryInsertAndUpdateIsStampedWithMilliseconds)
{
    // Read as the server reads it: SQLite keeps the text its trigger wrote;
    // PostgreSQL a timestamp(3), which its text form would show as
    // "...:51.98" (and the reader as "...:51" at .000).
    const auto stamp = [this] {
        server::Query q(db(), QStringLiteral("SELECT DTULTATUVEND FROM VENDEDOR"));
        q.step();
        QString text = q.value(0, FieldKind::Text).toString();
        if (serverOnPostgres() && text.size() == 19)
            text += QStringLiteral(".000");
        return text;
    };
    const QString before = QDateTime::currentDateTime().addMSecs(-1).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    insertRow(db(), QStringLiteral("VENDEDOR"), {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")}});
    const QString stamped = stamp();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$")).match(stamped).hasMatch())
        << stamped.toStdString();
    EXPECT_GE(stamped, before);

    db().exec(QStringLiteral("UPDATE VENDEDOR SET DTULTATUVEND = '2020-01-01 00:00:00.000'"));
    db().exec(QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 7"));
    EXPECT_GE(stamp(), before);
}

TEST_F(GetTabelasTest, DeletionsAtOrAfterTheUpdateWatermarkCarryTheirKeys)
{
    insertRow(db(), QStringLiteral("PRECOBASECLI"),
              {{QStringLiteral("CDCLIENTE"), QStringLiteral("J11222333000181")}, {QStringLiteral("CDPRECOBASE"), QStringLiteral("01")}});
    insertRow(db(), QStringLiteral("ITEMPREBASE"),
              {{QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
               {QStringLiteral("CDPRODUTO"), QStringLiteral("0000000101")},
               {QStringLiteral("DTINIVALIPB"), QStringLiteral("2020-03-01")}});
    insertRow(db(), QStringLiteral("BAIRRO"),
              {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
               {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
               {QStringLiteral("CDMUNICIPIO"), QStringLiteral("0002")},
               {QStringLiteral("CDBAIRRO"), QStringLiteral("0000000001")}});
    db().exec(QStringLiteral("DELETE FROM PRECOBASECLI"));
    db().exec(QStringLiteral("DELETE FROM ITEMPREBASE"));
    db().exec(QStringLiteral("DELETE FROM BAIRRO"));
    // Fixed instants, to place the watermark exactly.
    db().exec(QStringLiteral("UPDATE LOGDELECAO SET DTULTATUCACH = '2026-02-01 08:00:00.100'"));

    std::vector<Packet> reply = getTabelas(sameForAll(at("2026-02-01 08:00:00.099")), sameForAll(kLongAgo));
    EXPECT_EQ(column(reply[24 + 0], QStringLiteral("DSKEYCACHE")), (QStringList{"CDPRECOBASE=01;CDCLIENTE=J11222333000181;"}));
    EXPECT_EQ(column(reply[24 + 1], QStringLiteral("DSKEYCACHE")),
              (QStringList{"CDPRECOBASE=02;DTINIVALIPB=2020-03-01 00:00:00;CDPRODUTO=0000000101;"}));
    EXPECT_EQ(column(reply[24 + 22], QStringLiteral("DSKEYCACHE")),
              (QStringList{"CDPAIS=0001;SGESTADO=SP;CDMUNICIPIO=0002;CDBAIRRO=0000000001;"}));
    EXPECT_EQ(reply[24].value(0, QStringLiteral("DTULTATUCACH")).toDateTime(), at("2026-02-01 08:00:00.100"));
    EXPECT_EQ(reply[24 + 2].rowCount(), 0);

    // A deletion in the watermark's own millisecond is sent again: the newest
    // row and a deletion may share it, and a deletion skipped is lost for good.
    reply = getTabelas(sameForAll(at("2026-02-01 08:00:00.100")), sameForAll(kLongAgo));
    EXPECT_EQ(reply[24 + 22].rowCount(), 1);
    reply = getTabelas(sameForAll(at("2026-02-01 08:00:00.101")), sameForAll(kLongAgo));
    for (int i = 24; i < 47; ++i)
        EXPECT_TRUE(reply[std::size_t(i)].isNull() || reply[std::size_t(i)].rowCount() == 0) << "element " << i;
}

TEST_F(GetTabelasTest, AKeyThatChangesIsADeletionOfTheOldKey)
{
    addProduct(QStringLiteral("0000000101"), QStringLiteral("2026-01-01 10:00:00.000"));
    db().exec(QStringLiteral("UPDATE PRODUTO SET CDPRODUTO = '0000000999'"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT DSKEYCACHE FROM LOGDELECAO WHERE NMTABELA = 'PRODUTO'")).toString(),
              QStringLiteral("CDPRODUTO=0000000101;"));
    EXPECT_GT(db().scalar(QStringLiteral("SELECT '' || DTULTATUPROD AS V FROM PRODUTO")).toString(),
              QStringLiteral("2026-01-01 10:00:00.000"));
}

TEST_F(GetTabelasTest, AnEmptyLocalTableGetsAllRowsAndNoDeletions)
{
    addProduct(QStringLiteral("A"), QStringLiteral("1990-05-05 10:00:00.000"));
    addProduct(QStringLiteral("B"), QStringLiteral("2026-01-01 10:00:00.000"));
    addProduct(QStringLiteral("C"), QStringLiteral("2026-01-01 11:00:00.000"));
    db().exec(QStringLiteral("DELETE FROM PRODUTO WHERE CDPRODUTO = 'C'"));

    const QDateTime tomorrow = QDateTime(QDate::currentDate().addDays(1), QTime::currentTime());
    const std::vector<Packet> reply = getTabelas(sameForAll(tomorrow), sameForAll(kLongAgo));
    EXPECT_EQ(column(reply[2], QStringLiteral("CDPRODUTO")), (QStringList{"A", "B"}));
    EXPECT_EQ(reply[24 + 2].rowCount(), 0);

    // Null watermarks ask for everything.
    const std::vector<Packet> all = getTabelas(sameForAll(QVariant()), sameForAll(QVariant()));
    EXPECT_EQ(all[2].rowCount(), 2);
    EXPECT_EQ(column(all[24 + 2], QStringLiteral("DSKEYCACHE")), (QStringList{"CDPRODUTO=C;"}));
}

TEST_F(GetTabelasTest, MalformedArgumentsAreRefusedReadably)
{
    auto call = [&](RemoteArgs args) { return errorOf([&] { CheckResultServ(expDados.AppServer(QStringLiteral("getTabelas"), args)); }); };
    QVariantList short23 = sameForAll(kLongAgo);
    short23.removeLast();
    EXPECT_EQ(call(RemoteArgs().add(QStringLiteral("0001")).add(short23).add(sameForAll(kLongAgo))),
              QStringLiteral("getTabelas: o argumento 2 deve ser uma lista de 24 datas."));
    QVariantList bad = sameForAll(kLongAgo);
    bad[5] = QStringLiteral("ontem");
    EXPECT_EQ(call(RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(kLongAgo)).add(bad)),
              QStringLiteral("getTabelas: o elemento 5 do argumento 3 não é uma data-hora."));
    EXPECT_EQ(call(RemoteArgs().add(QStringLiteral("0001"))), QStringLiteral("getTabelas espera 3 argumentos e recebeu 1."));
}

// A clock stepped back (daylight saving, a time correction) must not stamp
// changes before the ones already sent: a watermark would skip them for ever.
TEST_F(GetTabelasTest, StampsNeverGoBackwardsEvenWhenTheClockDoes)
{
    const QString future = QDateTime::currentDateTime().addSecs(3600).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    db().exec(QStringLiteral("UPDATE SRVRELOGIO SET ULTIMO = :F"), {{QStringLiteral("F"), future}});
    insertRow(db(), QStringLiteral("VENDEDOR"), {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")}});
    insertRow(db(), QStringLiteral("VENDEDOR"), {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0002")}});
    db().exec(QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 3")); // one statement, both rows
    db().exec(QStringLiteral("DELETE FROM VENDEDOR WHERE CDVENDEDOR = '0001'"));
    const QString v2 = db().scalar(QStringLiteral("SELECT '' || DTULTATUVEND AS V FROM VENDEDOR")).toString();
    const QString deleted = db().scalar(QStringLiteral("SELECT '' || DTULTATUCACH AS V FROM LOGDELECAO")).toString();
    EXPECT_GT(v2, future);
    EXPECT_GT(deleted, v2);
    // Two inserts, two updates and a deletion: five stamps a millisecond apart at least.
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT '' || ULTIMO AS V FROM SRVRELOGIO")).toString(), deleted);
    EXPECT_GE(QDateTime::fromString(future, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).msecsTo(at(deleted.toLatin1().constData())), 5);
    if (serverOnPostgres())
        return; // only SQLite files were made before the clock

    // A database made before the clock gets one, past its newest stamp.
    db().execScript(QStringLiteral("DROP TABLE SRVRELOGIO"));
    server::ensureStampClock(db());
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT '' || ULTIMO AS V FROM SRVRELOGIO")).toString(), deleted);
    insertRow(db(), QStringLiteral("VENDEDOR"), {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0003")}});
    EXPECT_GT(db().scalar(QStringLiteral("SELECT '' || DTULTATUVEND AS V FROM VENDEDOR WHERE CDVENDEDOR = '0003'")).toString(), deleted);
}

// A large table goes out while it is read; one that fails after part of it
// went out can only be cut: the client keeps nothing of it and says so.
TEST_F(GetTabelasTest, ALargeTableThatFailsHalfWayCutsTheReply)
{
    db().exec(QStringLiteral("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 6000) "
                             "INSERT INTO BAIRRO (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO, NMBAIRRO) "
                             "SELECT '0001', 'SP', '0002', '' || I, 'BAIRRO NÚMERO ' || I FROM N"));
    // The last row in the reply's order holds a moment no client can read.
    db().exec(serverOnPostgres() ? QStringLiteral("UPDATE BAIRRO SET DTULTATUBAIR = 'infinity' WHERE CDBAIRRO = '6000'")
                                 : QStringLiteral("UPDATE BAIRRO SET DTULTATUBAIR = 'ontem' WHERE CDBAIRRO = '6000'"));
    struct Count final : ReplyConsumer {
        int begun = 0, ended = 0;
        void beginPacket(int, const std::vector<PacketColumn>&) override { ++begun; }
        void packetRow(int, PacketRow&) override {}
        void endPacket(int) override { ++ended; }
    } seen;
    const QString why = errorOf([&] {
        expDados.AppServerStreaming(QStringLiteral("getTabelas"),
                                    RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())), seen);
    });
    EXPECT_NE(why, QStringLiteral("<no error>"));
    EXPECT_EQ(seen.begun, 22) << "it went out while it was read";
    EXPECT_EQ(seen.ended, 21) << "the table cut short never ended";
    db().exec(QStringLiteral("UPDATE BAIRRO SET DTULTATUBAIR = '2026-01-01 10:00:00.000'"));
    EXPECT_EQ(getTabelas(sameForAll(kLongAgo), sameForAll(kLongAgo))[22].rowCount(), 6000) << "and serves the next call";
}

// The reply goes out while it is written: a table that fails after others
// were sent ends the result with the server's error, which the client shows.
TEST_F(GetTabelasTest, ALaterTableThatFailsEndsTheStreamedReplyWithItsError)
{
    addProduct(QStringLiteral("A"), QStringLiteral("2026-01-01 10:00:00.000"));
    insertRow(db(), QStringLiteral("BAIRRO"),
              {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
               {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
               {QStringLiteral("CDMUNICIPIO"), QStringLiteral("0002")},
               {QStringLiteral("CDBAIRRO"), QStringLiteral("0000000001")}});
    // SQLite keeps any text; PostgreSQL has moments no client can hold.
    db().exec(serverOnPostgres() ? QStringLiteral("UPDATE BAIRRO SET DTULTATUBAIR = 'infinity'")
                                 : QStringLiteral("UPDATE BAIRRO SET DTULTATUBAIR = 'ontem'"));
    struct Count final : ReplyConsumer {
        int packets = 0;
        void beginPacket(int, const std::vector<PacketColumn>&) override { ++packets; }
        void packetRow(int, PacketRow&) override {}
    } seen;
    const QString why = errorOf([&] {
        expDados.AppServerStreaming(QStringLiteral("getTabelas"),
                                    RemoteArgs().add(QStringLiteral("0001")).add(sameForAll(QVariant())).add(sameForAll(QVariant())), seen);
    });
    // What failed goes to the server's log; the laptop reads a reference to it.
    EXPECT_THAT(why.toStdString(),
                ::testing::MatchesRegex(
                    "Erro no servidor de aplicação ao executar getTabelas \\(referência [0-9a-f]{8} no registro do servidor\\)\\."));
    EXPECT_EQ(seen.packets, 21) << "the tables before BAIRRO arrived";
    db().exec(QStringLiteral("UPDATE BAIRRO SET DTULTATUBAIR = '2026-01-01 10:00:00.000'"));
    EXPECT_EQ(getTabelas(sameForAll(kLongAgo), sameForAll(kLongAgo))[22].rowCount(), 1) << "and serves the next call";
}
