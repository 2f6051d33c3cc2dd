// An older server database brought over, and the `zov-appserver pedidos` listing.
#include "protocol/protocol.h"
#include "server/demo_company.h"
#include "server/received_orders.h"
#include "server/remote_methods.h"
#include "server/server_database.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>

using namespace zov;
using namespace zov::server;
using ::testing::HasSubstr;

namespace {

class ReceivedOrders : public ::testing::Test {
protected:
    ReceivedOrders()
    {
        auto db = createServerDatabase(path);
        fillDemoCompany(*db);
        finishServerDatabase(*db);
    }
    // SetPedidos as a workstation sends it, straight to the method.
    void send(server::Connection& db, const QVariant& user)
    {
        const Packet none({{"CDCLIENTE", ColumnType::Text}});
        RemoteArgs args;
        args.add(orders).add(items).add(notes).add(none).add(none).add(QStringLiteral("0001")).add(user);
        setPedidos(db, decodeArgs(args.body()));
        orders = Packet(orders.columns());
        items = Packet(items.columns());
        notes = Packet(notes.columns());
    }
    void item(const char* branch, const char* number, double quantity, double price, QVariant discount = {})
    {
        items.addRow({branch, number, QStringLiteral("%1").arg(items.rowCount() + 1, 10, 10, QLatin1Char('0')), "0000000101", quantity,
                      price, discount});
    }
    QByteArray fileHash() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("servidor.db"));
    Packet orders = Packet({{"CDFILIAL", ColumnType::Text}, {"NRPEDIDO", ColumnType::Text}, {"CDCLIENTE", ColumnType::Text}});
    Packet items = Packet({{"CDFILIAL", ColumnType::Text},
                           {"NRPEDIDO", ColumnType::Text},
                           {"NRITEMPED", ColumnType::Text},
                           {"CDPRODUTO", ColumnType::Text},
                           {"QTITEMPED", ColumnType::Number},
                           {"VRPREUNITPED", ColumnType::Number},
                           {"VRDESITPED", ColumnType::Number}});
    Packet notes = Packet({{"CDFILIAL", ColumnType::Text}, {"NRPEDIDO", ColumnType::Text}, {"TXOBSPED", ColumnType::Bytes}});
};

// A server of the layout before: one copy per branch and number, kept in the
// client's tables. Order 99 was typed in by hand and has no receipt.
const char* const kOldLayout = R"sql(
PRAGMA user_version = 1;
DROP TABLE PEDIDOREC; DROP TABLE ITEMPEDIDOREC; DROP TABLE OBSPEDIDOREC; DROP TABLE PEDIDORECEBIDO;
CREATE TABLE PEDIDORECEBIDO (CDFILIAL VARCHAR(4) NOT NULL, NRPEDIDO VARCHAR(10) NOT NULL, CDFILIALENV VARCHAR(4),
  NMUSUARIO VARCHAR(60), DTRECEBIDO DATETIME NOT NULL, PRIMARY KEY (CDFILIAL, NRPEDIDO));
INSERT INTO PEDIDORECEBIDO VALUES ('0001', '0000000012', '0001', 'ana', '2026-11-30 17:45:10.250'),
                                  ('0001', '0000000013', '0001', NULL, '2026-11-30 18:00:00.000');
INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, CDCLIENTE, DSPEDCLI) VALUES ('0001', '0000000012', 'F52998224725', 'PC 4471'),
  ('0001', '0000000013', 'J11222333000181', NULL), ('0001', '0000000099', 'F52998224725', NULL);
INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, QTITEMPED, VRPREUNITPED, VRDESITPED) VALUES
  ('0001', '0000000012', '1', 2, 10, 1.5), ('0001', '0000000012', '2', 1, 10, NULL), ('0001', '0000000013', '1', 4, 10, NULL);
INSERT INTO OBSPEDIDO (CDFILIAL, NRPEDIDO, TXOBSPED) VALUES ('0001', '0000000012', X'7B7D');
)sql";

} // namespace

TEST_F(ReceivedOrders, AnOldDatabaseIsListedAsItIsAndMovedWhenOpened)
{
    Database(path, Database::Mode::OpenExisting).execScript(QString::fromLatin1(kOldLayout));
    const QByteArray before = fileHash();
    const QString listed = receivedOrdersListing(*openServerDatabaseForReading(path));
    EXPECT_EQ(fileHash(), before) << "listing must not migrate or write";
    EXPECT_THAT(
        listed.toStdString(),
        HasSubstr("0000000012  ana            -         -           30/11/2026 17:45:10  F52998224725         2  28,50  com observação"));

    auto db = openServerDatabase(path);
    EXPECT_FALSE(hasOldReceivedOrders(*db));
    EXPECT_EQ(receivedOrdersListing(*db), listed);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT P.DSPEDCLI || '/' || R.NMUSUARIO FROM PEDIDOREC P JOIN PEDIDORECEBIDO R "
                                        "ON R.IDRECEBIDO = P.IDRECEBIDO WHERE R.NRPEDIDO = '0000000012'"))
                  .toString(),
              QStringLiteral("PC 4471/ana"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(NRPEDIDO) FROM PEDIDO")).toString(), QStringLiteral("0000000099"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO")).toInt(), 0);
    // Keyed by the user they came with, so those users' resends replace them.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(quote(NMUSUARIO)) FROM PEDIDORECEBIDO")).toString(),
              QStringLiteral("'ana',''"));
}

TEST_F(ReceivedOrders, TheListingHasOneLinePerCopyByBranchNumberAndUser)
{
    auto db = openServerDatabase(path);
    EXPECT_EQ(receivedOrdersListing(*db), QStringLiteral("Nenhum pedido recebido.\n"));

    orders.addRow({"0001", "0000000012", "F52998224725"});
    item("0001", "0000000012", 2.0, 24.9);
    item("0001", "0000000012", 1.0, 10.0, 0.5);
    notes.addRow({"0001", "0000000012", QByteArray("{\\rtf1 ligar antes}")});
    send(*db, QStringLiteral("joao"));
    orders.addRow({"0001", "0000000012", "J11222333000181"});
    item("0001", "0000000012", 3.0, 24.9);
    // Each line as the client shows it: 52,395 is 52,40 a unit; a discount of 1,239 counts 1,23.
    item("0001", "0000000012", 3.0, 52.395);
    item("0001", "0000000012", 1.0, 10.0, 1.239);
    send(*db, QStringLiteral("ana"));
    orders.addRow({"0001", "0000000002", "F52998224725"});
    item("0001", "0000000002", 1000.0, 24.9);
    notes.addRow({"0001", "0000000002", QByteArray()}); // an empty observation is none
    send(*db, QVariant());
    db->exec(QStringLiteral("UPDATE PEDIDORECEBIDO SET DTRECEBIDO = '2026-12-0' || IDRECEBIDO || ' 08:0' || IDRECEBIDO || ':15.250'"));

    EXPECT_EQ(receivedOrdersListing(*db).toStdString(),
              "Filial  Pedido      Usuário        Operador  Instalação  Recebido em          Cliente          Itens     Total  Observação  "
              "    Situação\n"
              "0001    0000000002  (sem usuário)  -         -           03/12/2026 08:03:15  F52998224725         1  24900,00  sem "
              "observação  Recebido\n"
              "0001    0000000012  ana            -         -           02/12/2026 08:02:15  J11222333000181      3    240,67  sem "
              "observação  Recebido\n"
              "0001    0000000012  joao           -         -           01/12/2026 08:01:15  F52998224725         2     59,30  com "
              "observação  Recebido\n");
}
