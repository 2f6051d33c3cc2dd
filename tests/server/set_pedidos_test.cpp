#include "server/app_server.h"
#include "server/documents.h"
#include "server/received_orders.h"
#include "tests/server/server_fixture.h"
#include "transfer/sessao_servidor.h"

#include <httplib.h>

#include <QDateTime>
#include <functional>
#include <gmock/gmock.h>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;

namespace {

const QString kMaria = QStringLiteral("F52998224725"); // active customer of the demo
const QString kInactive = QStringLiteral("F") + server::makeCpf(987654321);
const QString kNewCustomer = QStringLiteral("F") + server::makeCpf(111222333);
const QString kRice = QStringLiteral("0000000101"); // active product
const QString kSoap = QStringLiteral("0000000302"); // inactive product

class SetPedidosTest : public ServerFixture {
protected:
    // Lines come from the server's thread, each call's before its reply.
    SetPedidosTest() : ServerFixture(true)
    {
        server::setLogSink([this](const QString& line) { log << line; });
    }
    ~SetPedidosTest() override { server::setLogSink({}); }

    // The columns the client sends, and one the server does not know.
    Packet orders = Packet({{"CDFILIAL", ColumnType::Text},
                            {"NRPEDIDO", ColumnType::Text},
                            {"IDSITPEDIDO", ColumnType::Text},
                            {"CDCLIENTE", ColumnType::Text},
                            {"DTPEDIDO", ColumnType::DateTime},
                            {"CDMODPGTO", ColumnType::Text},
                            {"NRPARCPGTOPED", ColumnType::Integer},
                            {"COLUNANOVA", ColumnType::Text}});
    Packet items = Packet({{"CDFILIAL", ColumnType::Text},
                           {"NRPEDIDO", ColumnType::Text},
                           {"NRITEMPED", ColumnType::Text},
                           {"IDSITITEMPED", ColumnType::Text},
                           {"CDPRODUTO", ColumnType::Text},
                           {"QTITEMPED", ColumnType::Number},
                           {"VRPREUNITPED", ColumnType::Number}});
    Packet notes = Packet({{"NRPEDIDO", ColumnType::Text}, {"TXOBSPED", ColumnType::Bytes}, {"CDFILIAL", ColumnType::Text}});
    Packet customers = Packet({{"CDCLIENTE", ColumnType::Text},
                               {"IDTPIJURCLIE", ColumnType::Text},
                               {"NRINSJURCLIE", ColumnType::Text},
                               {"NMFANTCLIE", ColumnType::Text},
                               {"IDCLIEATIV", ColumnType::Text},
                               {"DTULTATUCLIE", ColumnType::DateTime}});
    Packet addresses = Packet({{"CDCLIENTE", ColumnType::Text},
                               {"IDTPENDECLIE", ColumnType::Text},
                               {"CDPAIS", ColumnType::Text},
                               {"SGESTADO", ColumnType::Text},
                               {"CDMUNICIPIO", ColumnType::Text},
                               {"DSENDECLIE", ColumnType::Text}});

    void order(const char* number, const QString& customer)
    {
        orders.addRow({"0001", number, "1", customer, QDateTime(QDate(2026, 12, 1), QTime(9, 30)), "00001", 1, "x"});
    }
    void item(const char* number, const char* line, const QString& product, QVariant quantity = 2.0)
    {
        items.addRow({"0001", number, line, "1", product, quantity, 24.9});
    }
    std::vector<Packet> send() { return setPedidos(orders, items, notes, customers, addresses); }
    std::vector<Packet> sendAs(const QVariant& user)
    {
        RemoteArgs args;
        args.add(orders).add(items).add(notes).add(customers).add(addresses).add(QStringLiteral("0001")).add(user);
        return CheckResultServ(impPedidos.AppServer(QStringLiteral("SetPedidos"), args));
    }
    // "user:quantities" per stored copy of an order.
    QString copiesOf(const char* number)
    {
        server::Query q(db(),
                        QStringLiteral("SELECT R.IDRECEBIDO, R.NMUSUARIO, I.QTITEMPED FROM PEDIDORECEBIDO R "
                                       "LEFT JOIN ITEMPEDIDOREC I ON I.IDRECEBIDO = R.IDRECEBIDO "
                                       "WHERE R.NRPEDIDO = :N ORDER BY R.NMUSUARIO, R.IDRECEBIDO, I.NRITEMPED"));
        q.bind(QStringLiteral("N"), QString::fromLatin1(number));
        QStringList copies;
        qint64 copy = -1;
        while (q.step()) {
            const QString quantity = q.isNull(2) ? QString() : QString::number(q.value(2, FieldKind::Number).toDouble(), 'f', 1);
            if (q.value(0, FieldKind::Integer).toLongLong() != copy) {
                copy = q.value(0, FieldKind::Integer).toLongLong();
                copies << q.value(1, FieldKind::Text).toString() + QLatin1Char(':') + quantity;
            } else {
                copies.last() += QLatin1Char(',') + quantity;
            }
        }
        return copies.join(QLatin1Char(' '));
    }

    QStringList log;
};

} // namespace

TEST_F(SetPedidosTest, StoresAcceptedOrdersAndReportsTheRefusedOnes)
{
    order("0000000001", kMaria);
    item("0000000001", "0000000001", kRice);
    item("0000000001", "0000000002", kRice, 5.0);
    notes.addRow({"0000000001", QByteArray("{\\rtf1 entregar pela manh\\'e3}"), "0001"});
    order("0000000002", kMaria);
    item("0000000002", "0000000001", kRice);
    item("0000000002", "0000000002", kSoap);
    order("0000000003", kInactive);
    item("0000000003", "0000000001", kRice);

    const std::vector<Packet> reply = send();
    ASSERT_EQ(reply.size(), 3u);
    EXPECT_EQ(reply[2].rowCount(), 0);
    ASSERT_EQ(reply[0].rowCount(), 1);
    EXPECT_EQ(reply[0].row(0), (PacketRow{"0000000002", "030010002", QStringLiteral("SABÃO EM PÓ 1KG"), "0001", QVariant()}));
    ASSERT_EQ(reply[1].rowCount(), 1);
    EXPECT_EQ(reply[1].row(0),
              (PacketRow{kInactive, "N", "0000000003", kInactive.mid(1), QStringLiteral("ANTÔNIO (INATIVO)"), QVariant()}));
    EXPECT_EQ(reply[1].columns()[0].name, QStringLiteral("CDCLIENTE"));

    EXPECT_EQ(count(QStringLiteral("PEDIDOREC")), 1);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT NRPEDIDO FROM PEDIDOREC")).toString(), QStringLiteral("0000000001"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT '' || DTPEDIDO AS V FROM PEDIDOREC")).toString(), QStringLiteral("2026-12-01 09:30:00"));
    EXPECT_EQ(count(QStringLiteral("ITEMPEDIDOREC"), QStringLiteral("IDRECEBIDO = (SELECT IDRECEBIDO FROM PEDIDOREC)")), 2);
    EXPECT_EQ(count(QStringLiteral("ITEMPEDIDOREC")), 2);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDOREC")).toByteArray(),
              QByteArray("{\\rtf1 entregar pela manh\\'e3}"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT NMUSUARIO || '/' || CDFILIALENV FROM PEDIDORECEBIDO")).toString(),
              QStringLiteral("maria.pc/0001"));
    EXPECT_EQ(count(QStringLiteral("PEDIDO")) + count(QStringLiteral("ITEMPEDIDO")), 0) << "the client's tables are not the server's";
}

// Rows go many to a statement: an order of 250 items (three statements, the
// last one short) and two orders around it keep every row with its copy.
TEST_F(SetPedidosTest, ManyItemsAreStoredWholeAcrossStatements)
{
    for (const char* number : {"0000000001", "0000000002", "0000000003"}) {
        order(number, kMaria);
        const int lines = std::string_view(number) == "0000000002" ? 250 : 1;
        for (int i = 1; i <= lines; ++i)
            items.addRow({"0001", number, QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')), "1", kRice, double(i), 24.9});
    }
    send();
    EXPECT_EQ(count(QStringLiteral("PEDIDOREC")), 3);
    EXPECT_EQ(count(QStringLiteral("ITEMPEDIDOREC"),
                    QStringLiteral("IDRECEBIDO = (SELECT IDRECEBIDO FROM PEDIDOREC WHERE NRPEDIDO = '0000000002')")),
              250);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT SUM(QTITEMPED) FROM ITEMPEDIDOREC")).toDouble(), 250 * 251 / 2 + 2);
}

TEST_F(SetPedidosTest, AddsUnknownCustomersAndKeepsItsOwnCopyOfKnownOnes)
{
    customers.addRow({kNewCustomer, "F", kNewCustomer.mid(1), "CLIENTE NOVO", "S", QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
    customers.addRow({kInactive, "F", kInactive.mid(1), "REATIVADO NO CLIENTE", "S", QVariant()});
    addresses.addRow({kNewCustomer, "P", "0001", "SP", "0001", "RUA NOVA, 1"});
    addresses.addRow({kInactive, "P", "0001", "SP", "0001", "OUTRO ENDEREÇO"});
    addresses.addRow({kInactive, "T", "0001", "SP", "0002", "ENTREGA NOVA"});
    order("0000000010", kNewCustomer);
    item("0000000010", "0000000001", kRice);
    order("0000000011", kInactive);
    item("0000000011", "0000000001", kRice);

    const std::vector<Packet> reply = send();
    EXPECT_EQ(reply[0].rowCount(), 0);
    ASSERT_EQ(reply[1].rowCount(), 1);
    EXPECT_EQ(reply[1].value(0, QStringLiteral("NRPEDIDO")).toString(), QStringLiteral("0000000011"));

    EXPECT_EQ(db().scalar(QStringLiteral("SELECT NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = :C"), {{QStringLiteral("C"), kNewCustomer}})
                  .toString(),
              QStringLiteral("CLIENTE NOVO"));
    // Stamped by the server, so the other machines download it.
    EXPECT_GT(db().scalar(QStringLiteral("SELECT '' || DTULTATUCLIE AS V FROM CLIENTE WHERE CDCLIENTE = :C"),
                          {{QStringLiteral("C"), kNewCustomer}})
                  .toString(),
              QStringLiteral("2026-12-01 08:00:00.000"));
    EXPECT_EQ(
        db().scalar(QStringLiteral("SELECT IDCLIEATIV || NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = :C"), {{QStringLiteral("C"), kInactive}})
            .toString(),
        QStringLiteral("NANTÔNIO (INATIVO)"));
    EXPECT_EQ(count(QStringLiteral("ENDECLIE"), QStringLiteral("DSENDECLIE = 'RUA NOVA, 1'")), 1);
    EXPECT_EQ(count(QStringLiteral("ENDECLIE"), QStringLiteral("DSENDECLIE = 'OUTRO ENDEREÇO'")), 0);
    EXPECT_EQ(count(QStringLiteral("PEDIDOREC")), 1);
}

TEST_F(SetPedidosTest, AResendReplacesTheStoredCopy)
{
    order("0000000001", kMaria);
    item("0000000001", "0000000001", kRice);
    item("0000000001", "0000000002", kRice);
    notes.addRow({"0000000001", QByteArray("{\\rtf1 ligar antes}"), "0001"});
    send();
    send();
    EXPECT_EQ(count(QStringLiteral("PEDIDOREC")), 1);
    EXPECT_EQ(count(QStringLiteral("ITEMPEDIDOREC")), 2);
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO")), 1);

    // Edited in between: an item changed, one removed, the observation taken out.
    items = Packet(items.columns());
    notes = Packet(notes.columns());
    item("0000000001", "0000000001", kRice, 9.0);
    send();
    EXPECT_EQ(copiesOf("0000000001"), QStringLiteral("maria.pc:9.0"));
    EXPECT_EQ(count(QStringLiteral("OBSPEDIDOREC")), 0);
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(SetPedidosTest, TheSameNumberFromAnotherUserIsKeptBesideAndLogged)
{
    order("0000000012", kMaria);
    item("0000000012", "0000000001", kRice, 1.0);
    sendAs(QVariant());
    sendAs(QStringLiteral(" ")); // no name, like null: the same copy
    items = Packet(items.columns());
    item("0000000012", "0000000001", kRice, 7.0);
    sendAs(QStringLiteral("joao"));
    sendAs(QStringLiteral("joao"));

    EXPECT_EQ(copiesOf("0000000012"), QStringLiteral(":1.0 joao:7.0"));
    ASSERT_EQ(log.size(), 1) << "a resend is no new clash";
    EXPECT_EQ(log[0],
              QStringLiteral("zov-appserver: conflito de números: o pedido 0000000012 da filial 0001 "
                             "chegou de \"joao\" e já existe de (sem usuário); guardados os dois."));
}

TEST_F(SetPedidosTest, ACallThatFailsHalfWayKeepsNothing)
{
    customers.addRow({kNewCustomer, "F", kNewCustomer.mid(1), "CLIENTE NOVO", "S", QVariant()});
    order("0000000001", kMaria);
    item("0000000001", "0000000001", kRice);
    order("0000000002", kMaria);
    items.addRow({"0001", "0000000009", "0000000001", "1", kRice, 1.0, 24.9}); // an item of no order of the call

    EXPECT_EQ(errorOf([&] { send(); }),
              QStringLiteral("SetPedidos: pedido 0000000009, item 0000000001: o pedido não está entre os pedidos enviados."));
    EXPECT_EQ(count(QStringLiteral("PEDIDOREC")), 0);
    EXPECT_EQ(count(QStringLiteral("ITEMPEDIDOREC")), 0);
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO")), 0);
    EXPECT_EQ(count(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = '%1'").arg(kNewCustomer)), 0);

    // A stored copy survives a failed resend that had already replaced it,
    // and a clash in a failed call is not logged.
    items = Packet(items.columns());
    item("0000000001", "0000000001", kRice);
    send();
    orders.addRow({"0001", QVariant(), "1", kMaria, QVariant(), "00001", 1, "x"}); // an order without its number
    item("0000000001", "0000000002", kRice, 5.0);
    EXPECT_NE(errorOf([&] { send(); }), QStringLiteral("<no error>"));
    EXPECT_NE(errorOf([&] { sendAs(QStringLiteral("joao")); }), QStringLiteral("<no error>"));
    EXPECT_EQ(copiesOf("0000000001"), QStringLiteral("maria.pc:2.0"));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(SetPedidosTest, MalformedCallsAreRefusedReadably)
{
    auto call = [&](const RemoteArgs& args) {
        return errorOf([&] { CheckResultServ(impPedidos.AppServer(QStringLiteral("SetPedidos"), args)); });
    };
    EXPECT_EQ(call(RemoteArgs().add(orders).add(items)), QStringLiteral("SetPedidos espera 8 argumentos e recebeu 2."));
    EXPECT_EQ(call(RemoteArgs()
                       .add(QStringLiteral("x"))
                       .add(items)
                       .add(notes)
                       .add(customers)
                       .add(addresses)
                       .add(QStringLiteral("0001"))
                       .add(QVariant())),
              QStringLiteral("SetPedidos: o argumento 1 deve ser um pacote de dados e é um texto."));
    Packet noNumber({{"CDFILIAL", ColumnType::Text}, {"CDCLIENTE", ColumnType::Text}});
    noNumber.addRow({"0001", kMaria});
    EXPECT_EQ(
        call(RemoteArgs().add(noNumber).add(items).add(notes).add(customers).add(addresses).add(QStringLiteral("0001")).add(QVariant())),
        QStringLiteral("SetPedidos: o pacote de pedidos não tem a coluna NRPEDIDO."));
}

// An order that breaks a rule is refused by itself in element 2, naming the
// item and the field, and the sound orders of the call are stored: one bad
// line never holds back the rest. Only what names no order of the call is
// refused whole. Older clients' user names match in any case.
TEST_F(SetPedidosTest, AnOrderBreakingARuleIsRefusedAloneAndTheOthersAreStored)
{
    struct Caso {
        const char* nome;
        std::function<void()> estraga; // makes order 0000000002 break a rule
        const char* item;
        const char* campo;
        const char* motivo;
    };
    const Caso casos[] = {
        {"negative quantity", [&] { item("0000000002", "0000000002", kRice, -1000.0); }, "0000000002", "QTITEMPED",
         "A quantidade deve ser maior que zero."},
        {"four decimals", [&] { item("0000000002", "0000000002", kRice, 1.0005); }, "0000000002", "QTITEMPED",
         "A quantidade tem no máximo 3 casas decimais."},
        {"negative price",
         [&] {
             items.addRow({"0001", "0000000002", "0000000002", "1", kRice, 1.0, -2.0});
         },
         "0000000002", "VRPREUNITPED", "O preço unitário não pode ser negativo."},
        {"1e308",
         [&] {
             items.addRow({"0001", "0000000002", "0000000002", "1", kRice, 1.0, 1e308});
         },
         "0000000002", "VRPREUNITPED", "O valor de VRPREUNITPED está fora do que um pedido admite."},
        {"another branch",
         [&] {
             items.addRow({"9999", "0000000002", "0000000002", "1", kRice, 1.0, 2.0});
         },
         "0000000002", "CDFILIAL", "A filial \"9999\" não é a filial da chamada (0001)."},
        {"no item number",
         [&] {
             items.addRow({"0001", "0000000002", QVariant(), "1", kRice, 1.0, 2.0});
         },
         "", "NRITEMPED", "O número do item não foi informado."},
        {"a repeated item number", [&] { item("0000000002", "0000000001", kRice); }, "0000000001", "NRITEMPED",
         "O número do item aparece duas vezes no pedido."},
        {"a text too wide",
         [&] {
             orders.addRow({"0001", "0000000002", "1", kMaria + QStringLiteral("XXXXXXXXXXX"), QVariant(), "00001", 1, "x"});
         },
         "", "CDCLIENTE", "CDCLIENTE passa de 21 caracteres."},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        db().execScript(QStringLiteral("DELETE FROM ITEMPEDIDOREC; DELETE FROM PEDIDOREC; DELETE FROM PEDIDORECEBIDO"));
        orders = Packet(orders.columns());
        items = Packet(items.columns());
        for (const char* sound : {"0000000001", "0000000003"}) {
            order(sound, kMaria);
            item(sound, "0000000001", kRice);
        }
        if (std::string_view(c.nome) != "a text too wide")
            order("0000000002", kMaria);
        item("0000000002", "0000000001", kRice);
        c.estraga();
        const std::vector<Packet> reply = send();
        ASSERT_EQ(reply.size(), 3u);
        ASSERT_EQ(reply[2].rowCount(), 1);
        EXPECT_EQ(reply[2].row(0),
                  (PacketRow{"0000000002", *c.item ? QVariant(QString::fromLatin1(c.item)) : QVariant(), QString::fromLatin1(c.campo),
                             QString::fromUtf8(c.motivo), QVariant()}));
        EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO")), 2);
        EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO"), QStringLiteral("NRPEDIDO = '0000000002'")), 0);
    }
    // A re-sent order that now breaks a rule takes its earlier copy with it, and says so.
    orders = Packet(orders.columns());
    items = Packet(items.columns());
    order("0000000001", kMaria);
    item("0000000001", "0000000001", kRice, -1.0);
    const std::vector<Packet> again = send();
    ASSERT_EQ(again[2].rowCount(), 1);
    EXPECT_EQ(again[2].value(0, QStringLiteral("DSSITUACAO")).toString(),
              QStringLiteral("A cópia recebida antes foi retirada do servidor."));
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO"), QStringLiteral("NRPEDIDO = '0000000001'")), 0);

    // What names no order of the call is refused whole, and nothing is kept.
    orders = Packet(orders.columns());
    items = Packet(items.columns());
    order("0000000004", kMaria);
    orders.addRow({"0001", QString(5000, QLatin1Char('9')), "1", kMaria, QVariant(), "00001", 1, "x"});
    EXPECT_EQ(errorOf([&] { send(); }),
              QStringLiteral("SetPedidos: pedido 99999999999999999999: o número do pedido (NRPEDIDO) deve ter 10 dígitos."));
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO"), QStringLiteral("NRPEDIDO = '0000000004'")), 0);

    // A discount above the line's value (2 x 24,90), in a packet of its own shape.
    Packet comDesconto({{"CDFILIAL", ColumnType::Text},
                        {"NRPEDIDO", ColumnType::Text},
                        {"NRITEMPED", ColumnType::Text},
                        {"CDPRODUTO", ColumnType::Text},
                        {"QTITEMPED", ColumnType::Number},
                        {"VRPREUNITPED", ColumnType::Number},
                        {"VRDESITPED", ColumnType::Number}});
    comDesconto.addRow({"0001", "0000000001", "0000000001", kRice, 2.0, 24.9, 49.81});
    orders = Packet(orders.columns());
    order("0000000001", kMaria);
    const std::vector<Packet> desconto = setPedidos(orders, comDesconto, notes, customers, addresses);
    ASSERT_EQ(desconto[2].rowCount(), 1);
    EXPECT_EQ(desconto[2].value(0, QStringLiteral("DSMOTIVO")).toString(), QStringLiteral("O desconto é maior que o valor do item."));

    // An older client (no installation): its user name in any case is the same workstation.
    items = Packet(items.columns());
    item("0000000001", "0000000001", kRice);
    sendAs(QStringLiteral("Maria.PC"));
    sendAs(QStringLiteral("maria.pc"));
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO"), QStringLiteral("NRPEDIDO = '0000000001'")), 1);
}

// Every value must be of its column's kind, on either engine: a text in a
// number's column, a fraction in an integer's, a NUL that would cut a text
// refuse their order by name, never stored and never a failure of the server.
TEST_F(SetPedidosTest, ValuesOfTheWrongKindAreRefusedByName)
{
    const struct {
        const char* column;
        ColumnType type;
        QVariant value;
        const char* texto;
    } casos[] = {
        {"NRPARCPGTOPED", ColumnType::Number, 2.5, "NRPARCPGTOPED deve ser um número inteiro."},
        {"NRPARCPGTOPED", ColumnType::Text, QStringLiteral("abc"), "NRPARCPGTOPED deve ser um número inteiro."},
        {"VRPEDENFPED", ColumnType::Text, QStringLiteral("lixo"), "VRPEDENFPED deve ser um número."},
        {"VRPEDENFPED", ColumnType::Text, QStringLiteral("NaN"), "VRPEDENFPED deve ser um número."},
        {"DTENTPED", ColumnType::Text, QStringLiteral("não é data"), "DTENTPED deve ser uma data-hora."},
        {"CDFORMPGTO", ColumnType::Integer, qint64(12345), "CDFORMPGTO deve ser um texto."},
        {"CDMODPGTO", ColumnType::Bytes, QByteArray("\x01\x02"), "CDMODPGTO deve ser um texto."},
        {"CDMODPGTO", ColumnType::Text, QStringLiteral("00") + QChar(0) + QStringLiteral("01"), "CDMODPGTO tem um caractere nulo."},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.column) + " " + c.value.toString().toStdString());
        Packet wrong({{"CDFILIAL", ColumnType::Text},
                      {"NRPEDIDO", ColumnType::Text},
                      {"CDCLIENTE", ColumnType::Text},
                      {QString::fromLatin1(c.column), c.type}});
        wrong.addRow({"0001", "0000000001", kMaria, c.value});
        items = Packet(items.columns());
        item("0000000001", "0000000001", kRice);
        const std::vector<Packet> reply = setPedidos(wrong, items, notes, customers, addresses);
        ASSERT_EQ(reply[2].rowCount(), 1);
        EXPECT_EQ(reply[2].value(0, QStringLiteral("NMCAMPO")).toString(), QString::fromLatin1(c.column));
        EXPECT_EQ(reply[2].value(0, QStringLiteral("DSMOTIVO")).toString(), QString::fromUtf8(c.texto));
        EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO")), 0);
    }
    // A new customer is held to the same rules.
    customers.addRow({kNewCustomer, "F", kNewCustomer.mid(1), QStringLiteral("NO") + QChar(0) + QStringLiteral("VO"), "S", QVariant()});
    order("0000000001", kMaria);
    EXPECT_EQ(
        errorOf([&] { send(); }),
        QStringLiteral("SetPedidos: a linha 1 do pacote de clientes (cliente %1): NMFANTCLIE tem um caractere nulo.").arg(kNewCustomer));
    EXPECT_EQ(count(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = '%1'").arg(kNewCustomer)), 0);
}

// The customers are checked and added while the request is read: a bad one
// late in the list still leaves nothing of the call, and a customer packet
// without its key column is refused by name.
TEST_F(SetPedidosTest, CustomersReadWhileDecodingAreKeptOnlyWithTheWholeCall)
{
    auto call = [&](const RemoteArgs& args) {
        return errorOf([&] { CheckResultServ(impPedidos.AppServer(QStringLiteral("SetPedidos"), args)); });
    };
    const int before = count(QStringLiteral("CLIENTE"));
    for (int i = 0; i < 500; ++i)
        customers.addRow(
            {QStringLiteral("F%1").arg(70000000000LL + i), "F", QStringLiteral("%1").arg(70000000000LL + i), "NOVO", "S", QVariant()});
    customers.addRow({QVariant(), "F", "1", "SEM CHAVE", "S", QVariant()});
    order("0000000009", kMaria);
    item("0000000009", "0000000001", kRice);
    EXPECT_EQ(call(RemoteArgs()
                       .add(orders)
                       .add(items)
                       .add(notes)
                       .add(customers)
                       .add(addresses)
                       .add(QStringLiteral("0001"))
                       .add(QStringLiteral("ana"))),
              QStringLiteral("SetPedidos: a linha 501 do pacote de clientes não tem a chave preenchida."));
    EXPECT_EQ(count(QStringLiteral("CLIENTE")), before) << "the 500 good ones went with the call";
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO")), 0);

    Packet semCodigo({{"NMFANTCLIE", ColumnType::Text}});
    semCodigo.addRow({"X"});
    EXPECT_EQ(call(RemoteArgs()
                       .add(orders)
                       .add(items)
                       .add(notes)
                       .add(semCodigo)
                       .add(addresses)
                       .add(QStringLiteral("0001"))
                       .add(QStringLiteral("ana"))),
              QStringLiteral("SetPedidos: o pacote de clientes não tem a coluna CDCLIENTE."));
}

// Without a session of its own branch a call is refused before anything is
// written: no token, an expired one, a forged one (401), another branch's (403).
// With its session the order keeps the operator it came from.
TEST_F(SetPedidosTest, OnlyASessionOfTheCallsBranchStoresAndTheOperatorIsKept)
{
    order("0000000001", kMaria);
    item("0000000001", "0000000001", kRice);
    customers.addRow({kNewCustomer, "F", kNewCustomer.mid(1), QStringLiteral("NOVO"), "S", QVariant()});
    RemoteArgs args;
    args.add(orders).add(items).add(notes).add(customers).add(addresses).add(QStringLiteral("0001")).add(QStringLiteral("pc"));
    const std::string body = args.body();
    std::string valid = TokenServidor();
    std::string forged = valid;
    forged[forged.size() - 2] = forged[forged.size() - 2] == 'A' ? 'B' : 'A';
    RunningServer other(false); // a token signed by another server's secret
    const struct {
        std::string token;
        int status;
    } refused[] = {{"", 401},
                   {other.token(), 401},
                   {forged, 401},
                   {valid.substr(0, valid.find('.')), 401},
                   {server::AppServer(path()).tokenFor(QStringLiteral("0001"), QStringLiteral("000000000001"), 1000), 401},
                   {server::AppServer(path()).tokenFor(QStringLiteral("0002"), QStringLiteral("000000000001"),
                                                       QDateTime::currentSecsSinceEpoch() + 3600),
                    403}};
    for (const auto& r : refused) {
        httplib::Client c("127.0.0.1", port());
        if (!r.token.empty())
            c.set_bearer_token_auth(r.token);
        const auto res = c.Post("/PAD.rdmImpPedidos/SetPedidos", body, "application/json");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, r.status) << res->body;
        EXPECT_FALSE(errorMessageOf(res->body).isEmpty());
    }
    EXPECT_EQ(count(QStringLiteral("PEDIDORECEBIDO")), 0);
    EXPECT_EQ(count(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = '%1'").arg(kNewCustomer)), 0);

    DefineTokenServidor(valid); // the other server took the client's session
    send();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT CDOPERADOR FROM PEDIDORECEBIDO")).toString(), QStringLiteral("000000000001"));
    EXPECT_EQ(count(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = '%1'").arg(kNewCustomer)), 1);
}
