#include "library/dataset.h"
#include "library/errors.h"
#include "protocol/protocol.h"
#include "protocol/protocol_pipe.h"
#include "protocol/protocol_slots.h"
#include "tests/support/temp_database.h"

#include <QDateTime>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

using namespace zov;
using ::testing::HasSubstr;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms)); }

Packet everyKind()
{
    Packet p({{"CDCLIENTE", ColumnType::Text},
              {"VRPEMAXDESCL", ColumnType::Number},
              {"NRPARCPGTOMOD", ColumnType::Integer},
              {"DTULTATUCLIE", ColumnType::DateTime},
              {"TXOBSPED", ColumnType::Bytes}});
    p.addRow({QStringLiteral("J12345678000195"), 5.25, qint64(3), at(2026, 11, 30, 14, 2, 11), QByteArray("{\\rtf1 ol\xc3\xa1}")});
    p.addRow({QStringLiteral("Ação \"entre aspas\"\\ e\nlinha\ttab \x01 fim"), -0.1, qint64(-42), at(2026, 1, 2, 3, 4, 5, 678),
              QByteArray("\x00\xff\x10", 3)});
    p.addRow({QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    p.addRow({QString(), 1e300, std::numeric_limits<qint64>::max(), at(1985, 1, 1, 12), QByteArray()});
    return p;
}

void expectSame(const Packet& a, const Packet& b)
{
    ASSERT_EQ(a.isNull(), b.isNull());
    ASSERT_EQ(a.columns(), b.columns());
    ASSERT_EQ(a.rowCount(), b.rowCount());
    for (int r = 0; r < a.rowCount(); ++r) {
        for (int c = 0; c < a.columnCount(); ++c) {
            const QVariant x = a.value(r, c), y = b.value(r, c);
            EXPECT_EQ(x.isNull(), y.isNull()) << "row " << r << " column " << c;
            if (!x.isNull()) {
                EXPECT_EQ(x, y) << "row " << r << " column " << c;
            }
        }
    }
}

std::string resultOf(std::initializer_list<Packet> packets)
{
    std::string body;
    ResultWriter w(body);
    for (const Packet& p : packets)
        w.packet(p);
    w.finish();
    return body;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

QString decodeError(const std::string& body)
{
    return errorOf([&] { decodeResultPackets(body); });
}

std::string packetBody(const std::string& packetJson) { return R"({"result":[)" + packetJson + "]}"; }

} // namespace

TEST(ProtocolTest, EveryValueKindSurvivesAReplyAndARequest)
{
    const Packet sent = everyKind();
    const std::vector<Packet> got = decodeResultPackets(resultOf({sent, Packet(), Packet({{"X", ColumnType::Text}})}));
    ASSERT_EQ(got.size(), 3u);
    expectSame(sent, got[0]);
    EXPECT_TRUE(got[1].isNull());
    EXPECT_FALSE(got[2].isNull());
    EXPECT_EQ(got[2].columnCount(), 1);
    EXPECT_EQ(got[2].rowCount(), 0);

    RemoteArgs args;
    args.add(QStringLiteral("0001")).add(sent).add(QVariantList{at(2026, 12, 1, 8, 0, 0, 5), QVariant(), 7, 2.5}).add(QVariant());
    const std::vector<WireValue> decoded = decodeArgs(args.body());
    ASSERT_EQ(decoded.size(), 4u);
    EXPECT_EQ(decoded[0].kind, WireValue::Text);
    EXPECT_EQ(decoded[0].text, QStringLiteral("0001"));
    ASSERT_EQ(decoded[1].kind, WireValue::PacketValue);
    expectSame(sent, *decoded[1].packet);
    ASSERT_EQ(decoded[2].kind, WireValue::Array);
    ASSERT_EQ(decoded[2].items.size(), 4u);
    EXPECT_EQ(decoded[2].items[0].text, QStringLiteral("2026-12-01T08:00:00.005"));
    EXPECT_TRUE(decoded[2].items[1].isNull());
    EXPECT_EQ(decoded[2].items[2].integer, 7);
    EXPECT_EQ(decoded[2].items[3].number, 2.5);
    EXPECT_TRUE(decoded[3].isNull());
}

TEST(ProtocolTest, DateTimesTravelWithOptionalMillisecondsAndNoZone)
{
    EXPECT_EQ(dateTimeToWire(at(2026, 11, 30, 14, 2, 11)), QStringLiteral("2026-11-30T14:02:11"));
    EXPECT_EQ(dateTimeToWire(at(2026, 11, 30, 14, 2, 11, 70)), QStringLiteral("2026-11-30T14:02:11.070"));
    QDateTime dt;
    ASSERT_TRUE(dateTimeFromWire("2026-11-30T14:02:11.070", dt));
    EXPECT_EQ(dt, at(2026, 11, 30, 14, 2, 11, 70));
    for (const char* bad : {"2026-11-30 14:02:11", "2026-02-30T00:00:00", "2026-11-30T24:00:00", "2026-11-30T14:02:11.5", "2026-11-30",
                            "2026-11-30T14:02:11Z", "30/11/2026"})
        EXPECT_FALSE(dateTimeFromWire(bad, dt)) << bad;

    // What the databases store goes out in the wire form.
    std::string out;
    PacketWriter w(out);
    w.begin({{"A", ColumnType::DateTime}, {"B", ColumnType::DateTime}, {"C", ColumnType::DateTime}});
    w.beginRow();
    w.dateTimeStored("2026-01-02 03:04:05.678");
    w.dateTimeStored("2026-01-02");
    w.dateTimeStored("2026-01-02T03:04:05");
    w.endRow();
    w.end();
    EXPECT_EQ(out,
              R"({"columns":[{"name":"A","type":"datetime"},{"name":"B","type":"datetime"},{"name":"C","type":"datetime"}],)"
              R"("rows":[["2026-01-02T03:04:05.678","2026-01-02T00:00:00","2026-01-02T03:04:05"]]})");
    EXPECT_THAT(errorOf([&] {
                    std::string o;
                    PacketWriter x(o);
                    x.begin({{"A", ColumnType::DateTime}});
                    x.beginRow();
                    x.dateTimeStored("amanhã");
                }).toStdString(),
                HasSubstr("não é uma data válida"));
}

TEST(ProtocolTest, TextThatIsNotUtf8StillMakesAReadableReply)
{
    std::string body;
    ResultWriter result(body);
    result.beginElement();
    PacketWriter w(body);
    w.begin({{"NMCLIENTE", ColumnType::Text}});
    w.beginRow();
    w.text(std::string_view("Jos\xe9 \xc3\xa9", 7)); // Latin-1 written by hand, then proper UTF-8
    w.endRow();
    w.end();
    result.finish();
    const std::vector<Packet> got = decodeResultPackets(body);
    EXPECT_EQ(got[0].value(0, 0).toString(), QStringLiteral("Jos\uFFFD \u00e9"));
}

// A text value is kept exactly as sent, a byte order mark at its start too.
TEST(ProtocolTest, ATextValueKeepsALeadingByteOrderMark)
{
    const std::vector<Packet> got =
        decodeResultPackets(packetBody("{\"columns\":[{\"name\":\"T\",\"type\":\"text\"}],\"rows\":[[\"\xEF\xBB\xBF"
                                       "abc\"]]}"));
    EXPECT_EQ(got[0].value(0, 0).toString(), QString(QChar(0xFEFF)) + QStringLiteral("abc"));
    const std::vector<WireValue> args = decodeArgs("{\"args\":[\"\xEF\xBB\xBF"
                                                   "x\"]}");
    EXPECT_EQ(args[0].text, QString(QChar(0xFEFF)) + QStringLiteral("x"));
}

TEST(ProtocolTest, RowsBeforeColumnsAndNumbersWithoutFractionAreAccepted)
{
    const std::vector<Packet> got = decodeResultPackets(packetBody(
        R"({"rows":[[5.0, 1, "x"]],"columns":[{"type":"integer","name":"N"},{"name":"V","type":"number"},{"name":"T","type":"text"}]})"));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].value(0, 0), QVariant(qint64(5)));
    EXPECT_EQ(got[0].value(0, 1), QVariant(1.0));
    EXPECT_EQ(got[0].value(0, 2), QVariant(QStringLiteral("x")));
}

TEST(ProtocolTest, MalformedPacketsAreRefusedWhole)
{
    const std::string cols = R"("columns":[{"name":"CDCLIENTE","type":"text"},{"name":"QT","type":"integer"}])";
    struct Case {
        std::string body;
        const char* says;
    } cases[] = {
        {packetBody("{" + cols + R"(,"rows":[["A",1],["B"]]})"), "a linha 2 tem 1 valores e o pacote tem 2 colunas"},
        {packetBody("{" + cols + R"(,"rows":[["A",1,2]]})"), "a linha 1 tem 3 valores e o pacote tem 2 colunas"},
        {packetBody(R"({"columns":[{"name":"X","type":"money"}],"rows":[]})"), "tipo desconhecido \"money\""},
        {packetBody("{" + cols + R"(,"rows":[[1,1]]})"), "coluna CDCLIENTE na linha 1 não é um texto"},
        {packetBody("{" + cols + R"(,"rows":[["A","1"]]})"), "coluna QT na linha 1 não é um número inteiro"},
        {packetBody("{" + cols + R"(,"rows":[["A",1.5]]})"), "coluna QT na linha 1 não é um número inteiro"},
        {packetBody("{" + cols + R"(,"rows":[["A",true]]})"), "coluna QT na linha 1 não é um número inteiro"},
        {packetBody("{" + cols + R"(,"rows":[["A",[1]]]})"), "coluna QT na linha 1 não é um número inteiro"},
        {packetBody(R"({"columns":[{"name":"D","type":"datetime"}],"rows":[["2026-13-01T00:00:00"]]})"), "não é uma data-hora"},
        {packetBody(R"({"columns":[{"name":"B","type":"bytes"}],"rows":[["não é base64!"]]})"), "não é um conteúdo em base64"},
        {packetBody(R"({"columns":[{"name":"cdcliente","type":"text"}],"rows":[]})"), "não está em maiúsculas"},
        {packetBody(R"({"columns":[{"name":"A","type":"text"},{"name":"A","type":"text"}],"rows":[]})"), "a coluna A aparece duas vezes"},
        {packetBody(R"({"rows":[]})"), "falta a lista de colunas"},
        {packetBody(R"({"columns":[{"name":"A","type":"text"}]})"), "falta a lista de linhas"},
        {packetBody(R"({"columns":[{"name":"A"}],"rows":[]})"), "a coluna A não tem tipo"},
        {packetBody(R"({"columns":[],"rows":[],"extra":1})"), "chave desconhecida \"extra\""},
        {packetBody(R"({"columns":[],"rows":[1]})"), "a linha 1 não é uma lista de valores"},
        {packetBody(R"("texto")"), "não é um pacote de dados"},
        {R"({"result":{"columns":[]}})", "não está no formato esperado"},
        {R"({"result":5})", "não é uma lista"},
        {R"({"resultado":[]})", "não tem resultado"},
        {"<html>502 Bad Gateway</html>", "não é um JSON válido"},
        {R"({"result":[{"columns":[{"name":"A","type":"text"}],"rows":[["x"],)", "está incompleta"},
        {"", "veio vazia"},
    };
    for (const Case& c : cases)
        EXPECT_THAT(decodeError(c.body).toStdString(), HasSubstr(c.says)) << c.body;
}

TEST(ProtocolTest, AnErrorBodyGivesTheServerMessageAsWritten)
{
    const QString message = QStringLiteral("Filial 0009 não cadastrada no servidor.\nVerifique \"a filial\".");
    EXPECT_EQ(decodeError(errorBody(message)), message);
    EXPECT_EQ(errorMessageOf(errorBody(message)), message);
    EXPECT_EQ(errorMessageOf(R"({"result":[]})"), QString());
    EXPECT_EQ(errorMessageOf("not json"), QString());
    // An error after a partial result still wins.
    EXPECT_EQ(decodeError(R"({"result":[null],"error":{"message":"falhou"}})"), QStringLiteral("falhou"));
    EXPECT_EQ(decodeError(R"({"error":{"code":7}})"), QStringLiteral("O servidor de aplicação informou um erro sem descrição."));
}

namespace {

struct Recorder final : ReplyConsumer {
    std::vector<std::string> events;
    void nullElement(int i) override { events.push_back("null " + std::to_string(i)); }
    void beginPacket(int i, const std::vector<PacketColumn>& c) override
    {
        events.push_back("begin " + std::to_string(i) + " " + std::to_string(c.size()));
    }
    void packetRow(int i, PacketRow& v) override
    {
        events.push_back("row " + std::to_string(i) + " " + v.value(0).toString().toStdString());
    }
    void endPacket(int i) override { events.push_back("end " + std::to_string(i)); }
    void abortPacket(int i) override { events.push_back("abort " + std::to_string(i)); }
};

} // namespace

TEST(ProtocolTest, TheStreamingDecoderDeliversElementByElement)
{
    Packet a({{"K", ColumnType::Text}});
    a.addRow({QStringLiteral("a1")});
    a.addRow({QStringLiteral("a2")});
    Recorder r;
    decodeResult(resultOf({a, Packet(), Packet({{"K", ColumnType::Text}})}), r);
    EXPECT_EQ(r.events, (std::vector<std::string>{"begin 0 1", "row 0 a1", "row 0 a2", "end 0", "null 1", "begin 2 1", "end 2"}));

    // A bad row in the second packet: the first stands, the second is aborted.
    Recorder bad;
    EXPECT_THAT(errorOf([&] {
                    decodeResult(R"({"result":[{"columns":[{"name":"K","type":"text"}],"rows":[["a"]]},)"
                                 R"({"columns":[{"name":"K","type":"text"}],"rows":[["b"],[2]]}]})",
                                 bad);
                }).toStdString(),
                HasSubstr("elemento 1 da resposta"));
    EXPECT_EQ(bad.events, (std::vector<std::string>{"begin 0 1", "row 0 a", "end 0", "begin 1 1", "row 1 b", "abort 1"}));
}

TEST(ProtocolTest, RepliesLoadStraightIntoMemoryDatasets)
{
    Packet items({{"NRPEDIDO", ColumnType::Text}, {"QTITEMPED", ColumnType::Number}, {"DTENTITPED", ColumnType::DateTime}});
    items.addRow({QStringLiteral("0000000001"), 2.5, at(2026, 12, 1, 10)});
    items.addRow({QStringLiteral("0000000002"), QVariant(), QVariant()});
    Query first, second, broken;
    broken.createDataSet({{"OLD", FieldKind::Text}});
    DataSetReplyLoader loader;
    loader.bind(0, first);
    loader.bind(1, second);
    loader.bind(2, broken);
    std::string body = resultOf({items, Packet()});
    body.insert(body.size() - 2, R"(,{"columns":[{"name":"A","type":"text"}],"rows":[[1]]})");
    EXPECT_THAT(errorOf([&] { decodeResult(body, loader); }).toStdString(), HasSubstr("não é um texto"));

    ASSERT_TRUE(first.active());
    EXPECT_EQ(first.recordCount(), 2);
    EXPECT_EQ(first.fieldByName(QStringLiteral("QTITEMPED")).kind(), FieldKind::Number);
    EXPECT_EQ(first.fieldByName(QStringLiteral("NRPEDIDO")).asString(), QStringLiteral("0000000001"));
    EXPECT_EQ(first.fieldByName(QStringLiteral("DTENTITPED")).asDateTime(), at(2026, 12, 1, 10));
    EXPECT_FALSE(second.active()) << "a null element leaves its dataset unloaded";
    EXPECT_FALSE(broken.active()) << "a packet that failed leaves its dataset unloaded";
}

TEST(ProtocolTest, DatasetsTravelAsPackets)
{
    test::TempDatabase tdb;
    test::insertRow(tdb.db(), QStringLiteral("OBSPEDIDO"),
                    {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                     {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000007")},
                     {QStringLiteral("TXOBSPED"), QByteArray("{\\rtf1 entregar cedo}")}});
    test::insertRow(tdb.db(), QStringLiteral("MODPGTO"),
                    {{QStringLiteral("CDMODPGTO"), QStringLiteral("00002")},
                     {QStringLiteral("NRPARCPGTOMOD"), 3},
                     {QStringLiteral("VRPEDESMODPG"), 1.5},
                     {QStringLiteral("DTULTATUMPGT"), QStringLiteral("2026-11-30 14:02:11.123")}});
    Query notes(&tdb.db());
    notes.setSql(QStringLiteral("SELECT TXOBSPED, NRPEDIDO, CDFILIAL FROM OBSPEDIDO"));
    notes.open();
    Query methods(&tdb.db());
    methods.setSql(QStringLiteral("SELECT CDMODPGTO, NRPARCPGTOMOD, VRPEDESMODPG, DTULTATUMPGT FROM MODPGTO"));
    methods.open();

    RemoteArgs args;
    args.add(notes).add(methods);
    const std::vector<WireValue> got = decodeArgs(args.body());
    ASSERT_EQ(got.size(), 2u);
    const Packet& n = *got[0].packet;
    EXPECT_EQ(n.columns()[0], (PacketColumn{QStringLiteral("TXOBSPED"), ColumnType::Bytes}));
    EXPECT_EQ(n.value(0, QStringLiteral("TXOBSPED")).toByteArray(), QByteArray("{\\rtf1 entregar cedo}"));
    const Packet& m = *got[1].packet;
    EXPECT_EQ(m.columns()[1].type, ColumnType::Integer);
    EXPECT_EQ(m.columns()[2].type, ColumnType::Number);
    EXPECT_EQ(m.value(0, QStringLiteral("NRPARCPGTOMOD")), QVariant(qint64(3)));
    EXPECT_EQ(m.value(0, QStringLiteral("DTULTATUMPGT")).toDateTime(), at(2026, 11, 30, 14, 2, 11, 123));
    expectSame(m, packetFromDataSet(methods));

    Query back;
    loadDataSet(back, m);
    EXPECT_EQ(back.fieldNames(), methods.fieldNames());
    EXPECT_EQ(back.fieldByName(QStringLiteral("VRPEDESMODPG")).asFloat(), 1.5);
}

TEST(ProtocolTest, ValuesThatCannotTravelAreRefusedOnTheWayOut)
{
    Packet p({{"V", ColumnType::Number}});
    EXPECT_THAT(errorOf([&] { p.addRow({QStringLiteral("doze")}); }).toStdString(), HasSubstr("não é um número válido"));
    EXPECT_THAT(errorOf([&] { p.addRow({1.0, 2.0}); }).toStdString(), HasSubstr("a linha 1 tem 2 valores"));
    EXPECT_EQ(p.rowCount(), 0);
    p.addRow({std::numeric_limits<double>::quiet_NaN()});
    EXPECT_THAT(errorOf([&] { RemoteArgs().add(p); }).toStdString(), HasSubstr("não pode ser enviado"));
    EXPECT_THAT(errorOf([] { Packet({{"A", ColumnType::Text}, {"a", ColumnType::Text}}); }).toStdString(), HasSubstr("duas vezes"));
}

TEST(ProtocolTest, DeletionKeysListEveryKeyColumnInPurgeOrder)
{
    const SyncSlot* s = syncSlotOf(QStringLiteral("precobasecli"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->slot, 0);
    EXPECT_EQ(deletionKeyText(s->keys, {QStringLiteral("01"), QStringLiteral("J12345678000195")}),
              QStringLiteral("CDPRECOBASE=01;CDCLIENTE=J12345678000195;"));
    EXPECT_EQ(syncSlots().size(), 22u);
    for (const SyncSlot& slot : syncSlots())
        EXPECT_TRUE(slot.slot != 11 && slot.slot < 23) << slot.table.toStdString();
}

// Nesting is refused while reading, at 64 levels: 400 000 levels used to
// overflow the stack when the values were freed.
TEST(ProtocolTest, BodiesNestedDeeperThan64LevelsAreRefused)
{
    const auto nested = [](int depth, const std::string& key) {
        return "{\"" + key + "\":" + std::string(std::size_t(depth), '[') + std::string(std::size_t(depth), ']') + "}";
    };
    std::string why;
    try {
        decodeArgs(nested(400000, "args"));
    } catch (const Error& e) {
        why = e.text().toStdString();
    }
    EXPECT_EQ(why, "A requisição tem mais de 64 níveis aninhados.");
    EXPECT_NO_THROW(decodeArgs(nested(60, "args")));
    try {
        // Deep inside a key the reader skips: the limit holds there too.
        decodeResultPackets("{\"result\":[],\"x\":" + std::string(100, '[') + std::string(100, ']') + "}");
        why.clear();
    } catch (const Error& e) {
        why = e.text().toStdString();
    }
    EXPECT_THAT(why, HasSubstr("mais de 64 níveis aninhados"));
}

// Every value held counts against the budget, an empty list too: a small
// request of "[],[],..." once grew the server by gigabytes.
TEST(ProtocolTest, EmptyListsAndRowsWaitingForColumnsCountAgainstTheBudget)
{
    const auto many = [](const std::string& prefix, const std::string& item, int count, const std::string& suffix) {
        std::string body = prefix;
        for (int i = 0; i < count; ++i)
            body += (i ? "," : "") + item;
        return body + suffix;
    };
    ArgsDecoding how;
    how.maxHeldBytes = 1 << 20;
    const struct {
        const char* what;
        std::string body;
    } bombs[] = {
        {"nested empty lists", many("{\"args\":[", "[]", 200000, "]}")},
        {"lists of empty lists", many("{\"args\":[[", "[[]]", 100000, "]]}")},
        {"empty rows before the columns", many("{\"args\":[{\"rows\":[", "[]", 200000, "],\"columns\":[]}]}")},
        {"values before the columns", many("{\"args\":[{\"rows\":[[", "0", 200000, "]],\"columns\":[]}]}")},
    };
    for (const auto& bomb : bombs) {
        std::string why;
        try {
            decodeArgs(bomb.body, how);
        } catch (const Error& e) {
            why = e.text().toStdString();
        }
        EXPECT_EQ(why, "A requisição tem mais de 1 MB de dados a guardar de uma vez e foi recusada.") << bomb.what;
    }
    // A reply holds rows that wait for their columns against the same limit.
    std::string why;
    try {
        decodeResultPackets(many("{\"result\":[{\"rows\":[", "[]", 2500000, "],\"columns\":[]}]}"));
    } catch (const Error& e) {
        why = e.text().toStdString();
    }
    EXPECT_THAT(why, HasSubstr("A resposta do servidor de aplicação tem mais de 160 MB de dados a guardar"));
    // Within the budget, lists still travel.
    EXPECT_EQ(decodeArgs(many("{\"args\":[", "[]", 1000, "]}"), how).size(), 1000u);
}

// A server's error text is shown to people: control characters go and a huge
// text is cut, in an error body and in an error after a partial result.
TEST(ProtocolTest, LongServerErrorsAreCutAndCleaned)
{
    const std::string body =
        R"({"error":{"message":")" + std::string("falha\\u0001\\u001b[31m grave\\n") + std::string(20 * 1024 * 1024, 'x') + "\"}}";
    const QString shown = errorMessageOf(body);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("falha  [31m grave\nxxx"))) << shown.left(40).toStdString();
    EXPECT_LT(shown.size(), 1100);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("(mensagem cortada)")));
    std::string why;
    try {
        decodeResultPackets(body);
    } catch (const Error& e) {
        why = e.text().toStdString();
    }
    EXPECT_EQ(QString::fromStdString(why), shown);
    EXPECT_EQ(errorMessageOf(R"({"error":{"message":"curta"}})"), QStringLiteral("curta"));
}

// Names the other side sent are cut and cleaned in a packet's error, as its
// messages are: a 2 MB column name, escape sequences for a terminal.
TEST(ProtocolTest, NamesInPacketErrorsAreCutAndCleaned)
{
    const std::string nome = "X\\u001b[2J" + std::string(2 * 1024 * 1024, 'Y');
    const QString why = decodeError(packetBody(R"({"columns":[{"name":")" + nome + R"(","type":"text"}],"rows":[[1]]})"));
    EXPECT_LT(why.size(), 200) << why.left(80).toStdString();
    EXPECT_FALSE(why.contains(QChar(0x1b)));
    EXPECT_TRUE(why.contains(QStringLiteral("na linha 1 não é um texto"))) << why.toStdString();
    EXPECT_LT(decodeError(packetBody(R"({"columns":[],"rows":[],")" + std::string(100000, 'k') + R"(":1})")).size(), 200);
}

// The guard between the network and the parser: a string is passed on
// unchanged whatever the chunks (a long one once it ends), one past the limit
// and a megabyte without structure are refused while they arrive.
TEST(JsonStringGuardTest, PassesEveryBodyWholeAndRefusesLongStringsAndRunsAsTheyArrive)
{
    const std::string big(6 << 20, 'x');
    const std::string body = R"({"args":[")" + big + R"(", "a\"b\u00e9", 12, [null]]})";
    for (std::size_t chunk : {std::size_t(1) << 10, std::size_t(3) << 20, body.size()}) {
        JsonStringGuard guard("A requisição", std::size_t(8) << 20);
        std::string out;
        for (std::size_t at = 0; at < body.size(); at += chunk)
            guard.feed(body.data() + at, std::min(chunk, body.size() - at), out);
        EXPECT_EQ(out, body) << chunk;
    }
    const struct {
        std::string body;
        const char* message;
    } refused[] = {
        {"[\"" + std::string((8 << 20) + 1, 'y'), "A requisição tem um texto de mais de 8 MiB e foi recusada."},
        {"[" + std::string((1 << 20) + 1, ' '), "A requisição tem mais de 1 MiB seguido fora de textos e foi recusada."},
        {"[" + std::string((1 << 20) + 1, '7'), "A requisição tem mais de 1 MiB seguido fora de textos e foi recusada."},
    };
    for (const auto& r : refused) {
        JsonStringGuard guard("A requisição", std::size_t(8) << 20);
        std::string out;
        EXPECT_EQ(errorOf([&] { guard.feed(r.body.data(), r.body.size(), out); }), QString::fromUtf8(r.message));
        EXPECT_LE(out.size(), std::size_t(5) << 20) << "held back, not passed on";
    }
}
