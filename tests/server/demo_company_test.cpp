#include "library/criptografa.h"
#include "library/inscricao.h"
#include "library/velmora.h"
#include "protocol/protocol_slots.h"
#include "server/demo_company.h"
#include "server/documents.h"
#include "server/server_database.h"
#include "tests/support/server_engine.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;
using namespace zov::server;
using zov::test::dropServerTarget;
using zov::test::freshServerTarget;

namespace {

class CompanyTest : public ::testing::Test {
protected:
    void SetUp() override { db = createServerDatabase(target); }
    void TearDown() override
    {
        db.reset();
        dropServerTarget(target);
    }
    int count(const QString& sql) { return db->scalar(sql).toInt(); }
    QStringList texts(const QString& sql)
    {
        QStringList out;
        Query st(*db, sql);
        while (st.step())
            out << st.value(0, FieldKind::Text).toString();
        return out;
    }
    QTemporaryDir dir;
    QString target = freshServerTarget(dir.path());
    std::unique_ptr<Connection> db;
};

// What a customer's registration must satisfy, by kind.
void expectValidRegistration(const QString& code, const QString& kind, const QString& number)
{
    if (kind == QLatin1String("F")) {
        EXPECT_TRUE(CpfValido(number)) << number.toStdString();
    } else if (kind == QLatin1String("J")) {
        EXPECT_TRUE(CnpjValido(number)) << number.toStdString();
    }
    if (kind != QLatin1String("O")) {
        // What the customer window would make of the number gives the same kind.
        QString typed = QStringLiteral("C") + number;
        EXPECT_EQ(Ajusta_Inscricao(typed), kind) << number.toStdString();
        EXPECT_EQ(code, kind + number);
    }
}

} // namespace

TEST(DocumentsTest, MadeUpNumbersAreOnesTheClientAccepts)
{
    EXPECT_EQ(makeCpf(529982247), QStringLiteral("52998224725"));
    EXPECT_EQ(makeCnpj(11222333, 1), QStringLiteral("11222333000181"));
    for (qint64 base : {1LL, 123456789LL, 999999998LL})
        EXPECT_TRUE(CpfValido(makeCpf(base))) << base;
    for (qint64 root : {1LL, 45997418LL, 99999998LL})
        EXPECT_TRUE(CnpjValido(makeCnpj(root, 37))) << root;
}

TEST_F(CompanyTest, TheDemoCompanyMakesEveryRoadPossible)
{
    fillDemoCompany(*db);
    finishServerDatabase(*db);

    // Login: operators with hashed passwords; branch 0001 lists operators, 0002 none.
    for (const DemoOperator& o : kDemoOperators) {
        const QString stored =
            db->scalar(QStringLiteral("SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR = :C"), {{QStringLiteral("C"), o.code}}).toString();
        EXPECT_TRUE(SenhaOK(QString::fromLatin1(o.password), stored)) << o.code;
        EXPECT_FALSE(SenhaOK(QStringLiteral("errada"), stored));
        EXPECT_NE(stored, QString::fromLatin1(o.password));
        EXPECT_EQ(QString::fromLatin1(o.typed).rightJustified(12, QLatin1Char('0')), QString::fromLatin1(o.code));
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM FILIOPER WHERE CDFILIAL = '0001'")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM FILIOPER WHERE CDFILIAL = '0002'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM FILIAL")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM VENDEDOR V JOIN OPERADOR O ON O.CDOPERADOR = V.CDOPERADOR "
                                   "JOIN PRECOBASE P ON P.CDPRECOBASE = V.CDPRECOBASE WHERE V.VRPEMAXDESVE > 0")),
              3);

    // Customers of every kind, valid numbers, each with a main address.
    Query st(*db, QStringLiteral("SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE FROM CLIENTE"));
    QSet<QString> kinds;
    while (st.step()) {
        kinds << st.value(1).toString();
        expectValidRegistration(st.value(0).toString(), st.value(1).toString(), st.value(2).toString());
    }
    EXPECT_EQ(kinds, (QSet<QString>{"F", "J", "O", "I"}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM CLIENTE C WHERE NOT EXISTS "
                                   "(SELECT 1 FROM ENDECLIE E WHERE E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P')")),
              0);
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) FROM ENDECLIE WHERE IDTPENDECLIE = 'T'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM CLIENTE WHERE IDCLIEATIV = 'N'")), 1);

    // Products: leaf codes fit the picture, every leaf has a stock product that exists.
    const TPictObj picture(db->scalar(QStringLiteral("SELECT CDPICTPROD FROM PARAMGERAL WHERE CDPARGERAL = '0001'")).toString());
    ASSERT_EQ(picture.GetTtNiveis(), 3);
    for (const QString& tree : texts(QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDNVPRODUTO = '3'")))
        EXPECT_EQ(tree.size(), picture.codeLength()) << tree.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PRODUTO P WHERE CDNVPRODUTO = '3' AND NOT EXISTS "
                                   "(SELECT 1 FROM PRODUTO S WHERE S.CDPRODUTO = P.CDPRODESTO)")),
              0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PRODUTO WHERE CDPRODESTO <> CDPRODUTO")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PRODUTO WHERE IDPRODATIVPR = 'N'")), 1);

    // Price lists in force, expired and future; adjustments; payment kinds; operation origins.
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) FROM ITEMPREBASE WHERE DTFIMVALIPB < date('now')")), 0);
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) FROM ITEMPREBASE WHERE DTINIVALIPB > date('now')")), 0);
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) FROM PRECOUTI WHERE CDEMPRESA = '01' AND CDLIVROPRECO IS NULL")), 0);
    EXPECT_EQ(texts(QStringLiteral("SELECT DISTINCT IDTPFORPGTOMOD FROM MODPGTO ORDER BY 1")), (QStringList{"F", "V", "X"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT IDORIGDESTOP FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' AND IDORIGDESTOP IS NOT NULL ORDER BY 1")),
              (QStringList{"C", "L"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT IDPERALTPRECO FROM PARAMPEDIDO ORDER BY CDFILIAL")), (QStringList{"S", "N"}));
    for (const char* table :
         {"PAIS", "ESTADO", "MUNICIPIO", "BAIRRO", "FORMPGTO", "PRECOBASECLI", "ITDESPREBASE", "PRODUTOSEG", "ENDEFILI"})
        EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))), 0) << table;
    // Every row carries a stamp.
    for (const QString& stamp : texts(QStringLiteral("SELECT DTULTATUCLIE FROM CLIENTE")))
        EXPECT_TRUE(dateTimeFromStorage(stamp).isValid()) << stamp.toStdString();
}

TEST_F(CompanyTest, TheScaleCompanyIsLargeAndCoherent)
{
    fillScaleCompany(*db, 1);
    finishServerDatabase(*db);
    EXPECT_GE(count(QStringLiteral("SELECT COUNT(*) FROM PRODUTO WHERE CDNVPRODUTO = '3'")), 10000);
    EXPECT_GE(count(QStringLiteral("SELECT COUNT(*) FROM CLIENTE")), 10000);
    EXPECT_GE(count(QStringLiteral("SELECT COUNT(*) FROM ITEMPREBASE")), 50000);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PRODUTO WHERE CDNVPRODUTO = '3' AND length(CDARVPROD) <> 9")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PRODUTO P WHERE CDNVPRODUTO = '3' AND NOT EXISTS "
                                   "(SELECT 1 FROM PRODUTO S WHERE S.CDPRODUTO = P.CDPRODESTO)")),
              0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM CLIENTE C WHERE NOT EXISTS "
                                   "(SELECT 1 FROM ENDECLIE E WHERE E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P')")),
              0);
    Query st(*db, QStringLiteral("SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE FROM CLIENTE"));
    int checked = 0;
    for (int row = 0; st.step(); ++row) {
        if (row % 97 != 0)
            continue;
        expectValidRegistration(st.value(0).toString(), st.value(1).toString(), st.value(2).toString());
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

TEST_F(CompanyTest, EveryRowGetsItsOwnInstantSoAWatermarkResendsOnlyItsOwnRow)
{
    fillScaleCompany(*db, 1);
    finishServerDatabase(*db);
    for (const char* t : {"ITEMPREBASE", "CLIENTE", "PRODUTO"}) {
        const QString table = QString::fromLatin1(t);
        const SyncSlot* slot = syncSlotOf(table);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IS NULL").arg(table, slot->dateColumn)), 0) << t;
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT %2) FROM %1").arg(table, slot->dateColumn)),
                  count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)))
            << t;
    }
}
