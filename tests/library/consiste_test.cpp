// Validation routines: boundaries, not restatements.
#include "library/consiste.h"
#include "library/dataset.h"
#include "library/formats.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;

TEST(Consiste, EmptyStringTreatsBlanksAsEmpty)
{
    EXPECT_TRUE(EmptyString(QString()));
    EXPECT_TRUE(EmptyString(QStringLiteral("  \t")));
    EXPECT_FALSE(EmptyString(QStringLiteral(" 0 ")));
}

TEST(Consiste, AjustaZeroFillsToWidthWithoutCuttingOrFillingBlanks)
{
    EXPECT_EQ(Ajusta(QStringLiteral("1"), 4), QStringLiteral("0001"));
    EXPECT_EQ(Ajusta(QStringLiteral(" 12 "), 4), QStringLiteral("0012"));
    EXPECT_EQ(Ajusta(QStringLiteral("0001"), 4), QStringLiteral("0001"));
    EXPECT_EQ(Ajusta(QStringLiteral("12345"), 4), QStringLiteral("12345"));
    EXPECT_EQ(Ajusta(QStringLiteral("7"), 10), QStringLiteral("0000000007"));
    EXPECT_EQ(Ajusta(QStringLiteral("   "), 10), QString()) << "an optional code left blank stays blank";
}

TEST(Consiste, RoundDecRoundsHalfAwayFromZeroOnTheTypedValue)
{
    EXPECT_DOUBLE_EQ(RoundDec(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(RoundDec(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundDec(-2.675, 2), -2.68);
    EXPECT_DOUBLE_EQ(RoundDec(1.004999, 2), 1.0);
    EXPECT_DOUBLE_EQ(RoundDec(0.125, 2), 0.13);
    EXPECT_DOUBLE_EQ(RoundDec(9.995, 2), 10.0);
    EXPECT_DOUBLE_EQ(RoundDec(2.5, 0), 3.0);
    EXPECT_DOUBLE_EQ(RoundDec(-0.5, 0), -1.0);
    EXPECT_DOUBLE_EQ(RoundDec(1234567.891, 2), 1234567.89);
    EXPECT_DOUBLE_EQ(RoundDec(3.0, 2), 3.0);
    EXPECT_DOUBLE_EQ(RoundDec(0.1 + 0.2, 2), 0.3);
}

TEST(Consiste, FirstAndLastDayOfTheMonthIncludingLeapFebruary)
{
    EXPECT_EQ(PriDiaMes(QDate(2026, 12, 8)), QDate(2026, 12, 1));
    EXPECT_EQ(UltimoDiaMes(QDate(2026, 12, 8)), QDate(2026, 12, 31));
    EXPECT_EQ(UltimoDiaMes(QDate(2028, 2, 10)), QDate(2028, 2, 29));
    EXPECT_EQ(UltimoDiaMes(QDate(2026, 2, 10)), QDate(2026, 2, 28));
    EXPECT_FALSE(PriDiaMes(QDate()).isValid());
    EXPECT_EQ(iif(true, 1, 2), 1);
    EXPECT_EQ(iif(false, QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("b"));
}

TEST(Consiste, MaxNumberKeepsNineIntegerAndThreeDecimalDigits)
{
    const QChar none;
    EXPECT_EQ(MaxNumber(QStringLiteral("12"), 9, 3, 2, 0, QLatin1Char('5')), QLatin1Char('5'));
    EXPECT_EQ(MaxNumber(QStringLiteral("123456789"), 9, 3, 9, 0, QLatin1Char('0')), none) << "tenth integer digit";
    EXPECT_EQ(MaxNumber(QStringLiteral("123456789"), 9, 3, 9, 0, QLatin1Char(',')), QLatin1Char(','));
    EXPECT_EQ(MaxNumber(QStringLiteral("1,234"), 9, 3, 5, 0, QLatin1Char('5')), none) << "fourth decimal";
    EXPECT_EQ(MaxNumber(QStringLiteral("1,234"), 9, 3, 0, 1, QLatin1Char('9')), QLatin1Char('9')) << "replaces the selection";
    EXPECT_EQ(MaxNumber(QStringLiteral("1,2"), 9, 3, 3, 0, QLatin1Char(',')), none) << "second comma";
    EXPECT_EQ(MaxNumber(QStringLiteral("1"), 9, 3, 1, 0, QLatin1Char('.')), QLatin1Char(',')) << "dot types the comma";
    EXPECT_EQ(MaxNumber(QStringLiteral("1"), 9, 3, 1, 0, QLatin1Char('a')), none);
    EXPECT_EQ(MaxNumber(QStringLiteral("1"), 9, 3, 1, 0, QLatin1Char('-')), none);
    EXPECT_EQ(MaxNumber(QStringLiteral("1"), 9, 0, 1, 0, QLatin1Char(',')), none);
    EXPECT_EQ(MaxNumber(QStringLiteral("1"), 9, 3, 1, 0, QChar(8)), QChar(8)) << "Backspace passes";
}

namespace {
class FieldRoutines : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = std::make_unique<Database>(dir.filePath(QStringLiteral("c.sqlite")), Database::Mode::CreateIfMissing);
        db->execScript(QStringLiteral("CREATE TABLE T (CD VARCHAR(4), NM VARCHAR(10), DTENT DATETIME, VR REAL);"
                                      "INSERT INTO T VALUES ('1', 'x', NULL, 1);"));
        q.setDatabase(db.get());
        q.setSql(QStringLiteral("SELECT * FROM T"));
        q.open();
        q.edit();
    }
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    Query q{nullptr, QStringLiteral("q")};
};
} // namespace

TEST_F(FieldRoutines, SetaCampoNullNullsOnlyBlankTexts)
{
    q[QStringLiteral("CD")].setValue(QStringLiteral("   "));
    q[QStringLiteral("NM")].setValue(QStringLiteral(" a "));
    Seta_Campo_Null(q);
    EXPECT_TRUE(q[QStringLiteral("CD")].isNull());
    EXPECT_EQ(q[QStringLiteral("NM")].asString(), QStringLiteral(" a "));
    EXPECT_DOUBLE_EQ(q[QStringLiteral("VR")].asFloat(), 1.0);
}

TEST_F(FieldRoutines, CheckDateTimeAcceptsDatesAndBlankMasksOnly)
{
    Field& f = q[QStringLiteral("DTENT")];
    EXPECT_TRUE(CheckDateTime(f, QStringLiteral("07/12/2026 10:30:00")));
    EXPECT_EQ(f.asDateTime(), QDateTime(QDate(2026, 12, 7), QTime(10, 30)));
    EXPECT_FALSE(CheckDateTime(f, QStringLiteral("31/02/2026")));
    EXPECT_EQ(f.asDateTime(), QDateTime(QDate(2026, 12, 7), QTime(10, 30))) << "a refused text changes nothing";
    EXPECT_TRUE(CheckDateTime(f, QStringLiteral("  /  /       :  :  ")));
    EXPECT_TRUE(f.isNull());
    EXPECT_TRUE(CheckDateTime(f, QStringLiteral("01/01/2027")));
    EXPECT_EQ(f.asDateTime().date(), QDate(2027, 1, 1));
}
