// The customer window's statements on real rows: the derived kind and code of
// the customer list, the salesperson outer join and the order, and the
// address queries with their joins.
#include "customers/cadastro_cliente.h"
#include "customers/enderecos.h"
#include "tests/customers/clientes_fixture.h"

#include <gtest/gtest.h>

using namespace zov;

namespace {

class ClientesSqlTest : public ::testing::Test {
protected:
    void SetUp() override { test::semeiaGeografia(db()); }
    Database& db() { return tdb.db(); }
    test::TempDatabase tdb;
};

TEST_F(ClientesSqlTest, TheCustomerListDerivesKindAndCodeAndJoinsTheSalesperson)
{
    test::insertRow(
        db(), QStringLiteral("VENDEDOR"),
        {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")}, {QStringLiteral("NMRAZSOCVEN"), QStringLiteral("VENDEDOR UM")}});
    test::insereCliente(db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("CARLOS"));
    test::insereCliente(db(), QStringLiteral("O00012"), QStringLiteral("F"), test::kCpfB, QStringLiteral("ANA"));
    test::insereCliente(db(), QStringLiteral("J") + test::kCnpjA, QStringLiteral("J"), test::kCnpjA, QStringLiteral("BETA"));
    test::insereCliente(db(), QStringLiteral("I1234567"), QStringLiteral("I"), QStringLiteral("1234567"), QString());
    // Only an upper-case "O" takes the code apart.
    test::insereCliente(db(), QStringLiteral("o00013"), QStringLiteral("F"), test::kCpfC, QStringLiteral("DORA"));
    db().exec(QStringLiteral("UPDATE CLIENTE SET CDVENDEDOR = '0001' WHERE NMFANTCLIE = 'CARLOS'"));
    db().exec(QStringLiteral("UPDATE CLIENTE SET CDVENDEDOR = '0009' WHERE NMFANTCLIE = 'BETA'")); // no such salesperson

    Query q(&db(), QStringLiteral("qryClientes"));
    q.setSql(CadastroCliente::sqlClientes());
    q.open();
    QStringList rows;
    for (q.first(); !q.eof(); q.next())
        rows << QStringList{q[QStringLiteral("NMRAZSOCCLIE")].asString(), q[QStringLiteral("CDCLIENTE")].asString(),
                            q[QStringLiteral("IDTPIJURINFO")].asString(), q[QStringLiteral("NRINSJURINFO")].asString(),
                            q[QStringLiteral("NMRAZSOCVEN")].asString()}
                    .join(QLatin1Char('|'));
    EXPECT_EQ(rows,
              (QStringList{
                  QStringLiteral("ANA|O00012|O|00012|"), QStringLiteral("BETA|J%1|J|%1|").arg(test::kCnpjA),
                  QStringLiteral("CARLOS|F%1|F|%1|VENDEDOR UM").arg(test::kCpfA), QStringLiteral("DORA|o00013|F|%1|").arg(test::kCpfC),
                  QStringLiteral("|I1234567|I|1234567|"), // a customer without a legal name comes last
              }));
    EXPECT_EQ(q.fieldNames().mid(0, 4),
              (QStringList{QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("NMFANTCLIE"), QStringLiteral("NRINSJURINFO"),
                           QStringLiteral("IDTPIJURINFO")}));
}

TEST_F(ClientesSqlTest, EachAddressQueryShowsItsTypeWithTheNamesAndHidesRowsWithoutTheirPlace)
{
    const QString cd = QStringLiteral("F") + test::kCpfA;
    test::insereEndereco(db(), cd, QStringLiteral("P"));
    test::insereEndereco(db(), cd, QStringLiteral("T"), QStringLiteral("0002"));
    test::insereEndereco(db(), QStringLiteral("F") + test::kCpfB, QStringLiteral("P"), QStringLiteral("0077"));

    Query p(&db(), QStringLiteral("qryEndCli"));
    p.setSql(EnderecoCliente::sql(EnderecoCliente::Tipo::Proprio));
    p.setParam(QStringLiteral("OLD_CDCLIENTE"), cd);
    p.open();
    ASSERT_EQ(p.recordCount(), 1);
    EXPECT_EQ(p[QStringLiteral("DSENDECLIE")].asString(), QStringLiteral("RUA P"));
    EXPECT_EQ(p[QStringLiteral("NMPAIS")].asString(), QStringLiteral("BRASIL"));
    EXPECT_EQ(p[QStringLiteral("NMMUNICIPIO")].asString(), QStringLiteral("SAO PAULO"));
    EXPECT_EQ(p.findField(QStringLiteral("DSCOMPENDCLI")), nullptr);

    Query t(&db(), QStringLiteral("qryEndEntrega"));
    t.setSql(EnderecoCliente::sql(EnderecoCliente::Tipo::Entrega));
    t.setParam(QStringLiteral("OLD_CDCLIENTE"), cd);
    t.open();
    ASSERT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t[QStringLiteral("NMMUNICIPIO")].asString(), QStringLiteral("CAMPINAS"));
    EXPECT_EQ(t[QStringLiteral("DSCOMPENDCLI")].asString(), QStringLiteral("FUNDOS"));

    // Municipality 0077 is not in the local table: the address is not shown.
    p.close();
    p.setParam(QStringLiteral("OLD_CDCLIENTE"), QStringLiteral("F") + test::kCpfB);
    p.open();
    EXPECT_TRUE(p.isEmpty());
}

TEST_F(ClientesSqlTest, AnAddressInsertTakesOverAHiddenRowKeepingItsOtherColumns)
{
    const QString cd = QStringLiteral("F") + test::kCpfA;
    test::insereEndereco(db(), cd, QStringLiteral("P"), QStringLiteral("0077"));
    Query p(&db(), QStringLiteral("qryEndCli"));
    p.setSql(EnderecoCliente::sql(EnderecoCliente::Tipo::Proprio));
    p.setUpdateSql(EnderecoCliente::updateSql(EnderecoCliente::Tipo::Proprio));
    p.setParam(QStringLiteral("OLD_CDCLIENTE"), cd);
    p.open();
    ASSERT_TRUE(p.isEmpty());
    p.append();
    for (const auto& [f, v] : {std::pair{"CDCLIENTE", cd}, std::pair{"IDTPENDECLIE", QStringLiteral("P")},
                               std::pair{"CDPAIS", QStringLiteral("0001")}, std::pair{"SGESTADO", QStringLiteral("SP")},
                               std::pair{"CDMUNICIPIO", QStringLiteral("0001")}, std::pair{"DSENDECLIE", QStringLiteral("RUA NOVA")}})
        p[QString::fromLatin1(f)].setValue(v);
    p.post();
    p.applyUpdates();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT CDMUNICIPIO || '|' || DSENDECLIE || '|' || DSCOMPENDCLI FROM ENDECLIE")).toString(),
              QStringLiteral("0001|RUA NOVA|FUNDOS"));
    EXPECT_EQ(test::countRows(db(), QStringLiteral("ENDECLIE")), 1);
}

} // namespace
