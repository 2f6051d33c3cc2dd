// LocateAll and the folding it relies on, over real rows.
#include "library/dbutils.h"
#include "library/errors.h"
#include "library/text_fold.h"
#include "tests/search/search_fixture.h"

namespace zov::test {
namespace {

QStringList column(Query& q, const QString& field)
{
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q[field].asString();
    return out;
}

TEST(TextFold, BothFormsAgreeOnEveryLatinLetter)
{
    // The SQL function folds UTF-8 bytes, the filter folds QStrings: one table, same answers.
    for (char16_t c = 0x20; c < 0x250; ++c) {
        const QString s(QChar{c});
        std::string folded;
        const QByteArray utf8 = s.toUtf8();
        foldUtf8(utf8.constData(), std::size_t(utf8.size()), folded);
        EXPECT_EQ(QString::fromStdString(folded), foldForSearch(s)) << "U+" << std::hex << int(c);
    }
    EXPECT_EQ(foldForSearch("JOÃO Conceição ÀÉÎÕÜ Ñ Ł Ş Ž"), "joao conceicao aeiou n l s z");
    EXPECT_EQ(foldForSearch("Æ ß Œ ×"), "Æ ß Œ ×"); // kept as they are
}

class LocateAllTest : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        seedGeography(db());
        seedCustomers(db());
    }
};

TEST_F(LocateAllTest, OpenListIsFilteredIgnoringCaseAndAccentsInItsOwnOrder)
{
    Query q(&db(), "qryCliente");
    q.setSql("SELECT CDCLIENTE, NMFANTCLIE FROM CLIENTE ORDER BY NMFANTCLIE DESC");
    q.open();
    const QString stSQL = q.sql();

    LocateAll(q, {"NMFANTCLIE"}, "JOAO");
    EXPECT_EQ(column(q, "NMFANTCLIE"), QStringList{"JOÃO DA SILVA"});
    EXPECT_EQ(q.sql(), stSQL) << "rows already read are filtered, not read again";

    LocateAll(q, {"nmfantclie"}, "conceicao");
    EXPECT_EQ(column(q, "NMFANTCLIE"), QStringList{"JOSÉ CONCEIÇÃO"});

    // "A" is in every name: the order of the statement stays.
    LocateAll(q, {"NMFANTCLIE"}, "a");
    EXPECT_EQ(column(q, "NMFANTCLIE"), (QStringList{"PEDRO ÁLVARES", "MARIA APARECIDA", "JOÃO DA SILVA", "JOSÉ CONCEIÇÃO", "ANA LÚCIA"}));

    LocateAll(q, {"NMFANTCLIE"}, "  ");
    EXPECT_EQ(q.recordCount(), 5);

    LocateAll(q, {"NMFANTCLIE"}, "XYZ");
    EXPECT_TRUE(q.isEmpty());
    q.setSql(stSQL);
    q.open();
    EXPECT_EQ(q.recordCount(), 5) << "setting the SQL text back undoes the search";
}

TEST_F(LocateAllTest, ClosedQueryIsNarrowedByTheDatabaseAndRestoredByItsSqlText)
{
    Query q(&db(), "qryMunicipio");
    const QString stSQL = "SELECT M.CDMUNICIPIO, M.NMMUNICIPIO, E.NMESTADO, M.SGESTADO\n"
                          "  FROM MUNICIPIO M, ESTADO E\n"
                          " WHERE E.CDPAIS = M.CDPAIS AND E.SGESTADO = M.SGESTADO\n"
                          "   AND (M.SGESTADO = :P_SGESTADO OR :P_TSGESTADO = 'T')\n"
                          " ORDER BY M.NMMUNICIPIO DESC -- the caller's comment\n;";
    q.setSql(stSQL);
    q.setParam("P_TSGESTADO", "T");
    LocateAll(q, {"NMMUNICIPIO"}, "SAO");
    ASSERT_TRUE(q.active());
    EXPECT_EQ(column(q, "NMMUNICIPIO"), QStringList{"SÃO PAULO"});
    EXPECT_EQ(q.fieldNames(), (QStringList{"CDMUNICIPIO", "NMMUNICIPIO", "NMESTADO", "SGESTADO"}));

    // Accent-blind in the other direction too, in the statement's order, parameters kept.
    q.setSql(stSQL);
    LocateAll(q, {"NMMUNICIPIO", "NMESTADO"}, "são");
    EXPECT_EQ(column(q, "NMMUNICIPIO"), (QStringList{"SÃO PAULO", "CAMPINAS"}));

    // A second search starts from the whole statement, not from the last result.
    q.close();
    LocateAll(q, {"NMMUNICIPIO"}, "NITEROI");
    EXPECT_EQ(column(q, "NMMUNICIPIO"), QStringList{"NITERÓI"});
    EXPECT_EQ(locateAllBaseSql(q.sql()), stSQL.left(stSQL.size() - 2)) << "only the final semicolon is dropped";

    q.setSql(stSQL);
    q.setParam("P_SGESTADO", "RJ");
    q.setParam("P_TSGESTADO", "N");
    q.open();
    EXPECT_EQ(column(q, "NMMUNICIPIO"), (QStringList{"RIO DE JANEIRO", "NITERÓI"}));
}

TEST_F(LocateAllTest, RepeatedColumnNamesComeBackAsTheStatementNamesThem)
{
    Query q(&db(), "qryEstado");
    q.setSql("SELECT E.CDPAIS, P.CDPAIS, E.SGESTADO, P.NMPAIS FROM ESTADO E, PAIS P WHERE P.CDPAIS = E.CDPAIS ORDER BY E.SGESTADO");
    q.open();
    const QStringList before = q.fieldNames();
    q.close();
    LocateAll(q, {"SGESTADO"}, "sp");
    EXPECT_EQ(q.fieldNames(), before);
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q["NMPAIS"].asString(), "BRASIL");
}

TEST_F(LocateAllTest, DatesAndNumbersAreSearchedAsShown)
{
    insertRow(db(), "PEDIDO", {{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000001"}, {"DTPEDIDO", "2024-05-17"}, {"VRENTRADAPED", 1234.5}});
    insertRow(db(), "PEDIDO", {{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000002"}, {"DTPEDIDO", "2023-01-02"}, {"VRENTRADAPED", 10.0}});
    Query q(&db(), "qryPedido");
    const QString stSQL = "SELECT NRPEDIDO, DTPEDIDO, VRENTRADAPED FROM PEDIDO ORDER BY NRPEDIDO";
    q.setSql(stSQL);
    LocateAll(q, {"DTPEDIDO"}, "17/05");
    EXPECT_EQ(column(q, "NRPEDIDO"), QStringList{"0000000001"});
    q.setSql(stSQL);
    LocateAll(q, {"VRENTRADAPED"}, "1234,5");
    EXPECT_EQ(column(q, "NRPEDIDO"), QStringList{"0000000001"});

    q.setSql(stSQL);
    q.open();
    LocateAll(q, {"DTPEDIDO"}, "/2023");
    EXPECT_EQ(column(q, "NRPEDIDO"), QStringList{"0000000002"});
}

TEST_F(LocateAllTest, UnknownFieldIsAnError)
{
    Query q(&db(), "qryPais");
    q.setSql("SELECT CDPAIS, NMPAIS FROM PAIS");
    EXPECT_THROW(LocateAll(q, {"NMESTADO"}, "X"), Error);
    q.open();
    EXPECT_THROW(LocateAll(q, {"NMESTADO"}, "X"), Error);
}

TEST_F(LocateAllTest, MemoryDatasetIsFiltered)
{
    Query q(nullptr, "cdsNomes");
    q.createDataSet({{"NOME", FieldKind::Text}});
    for (const char* n : {"Órgão", "orgao", "ÓRGÃOS", "outro"})
        q.appendRaw({QString::fromUtf8(n)});
    LocateAll(q, {"NOME"}, "ORGAO");
    EXPECT_EQ(q.recordCount(), 3);
    LocateAll(q, {"NOME"}, "");
    EXPECT_EQ(q.recordCount(), 4);
}

} // namespace
} // namespace zov::test
