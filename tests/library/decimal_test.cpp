// Exact decimals: what the binary doubles got wrong, and the conversions at the edges.
#include "library/decimal.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/valores_item.h"
#include "tests/support/qt_print.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace zov;

namespace {

Decimal d(const char* text) { return *Decimal::fromString(text); }

} // namespace

TEST(Decimal, RoundsHalfAwayCutsTowardZeroAndDividesExactly)
{
    struct Caso {
        const char* valor;
        int casas;
        const char* arredondado;
        const char* cortado;
    };
    for (const Caso& c : {Caso{"0.125", 2, "0.13", "0.12"}, Caso{"-2.675", 2, "-2.68", "-2.67"}, Caso{"1.239", 2, "1.24", "1.23"},
                          Caso{"9.995", 2, "10.00", "9.99"}, Caso{"52.395", 2, "52.40", "52.39"}, Caso{"3.5", 2, "3.5", "3.5"}}) {
        EXPECT_EQ(d(c.valor).rounded(c.casas).toString(), QLatin1String(c.arredondado)) << c.valor;
        EXPECT_EQ(d(c.valor).truncated(c.casas).toString(), QLatin1String(c.cortado)) << c.valor;
    }
    EXPECT_EQ(d("0.29") * 100, d("29")) << "0.29 × 100 is 29, not 28.999…";
    EXPECT_EQ(d("2.90") * d("10") * d("1"), d("29.00"));
    EXPECT_EQ((d("0.1") + d("0.2")).toString(), QStringLiteral("0.3"));
    EXPECT_EQ(d("100").dividedBy(d("3"), 4).toString(), QStringLiteral("33.3333"));
    EXPECT_EQ(d("-2").dividedBy(d("3"), 2).toString(), QStringLiteral("-0.67"));
    EXPECT_EQ(d("1").dividedBy(d("0.0001"), 0).toString(), QStringLiteral("10000"));
    EXPECT_THROW(d("1").dividedBy(Decimal(), 2), Error);
    EXPECT_EQ(d("3"), d("3.000")) << "equal by value";
    EXPECT_LT(d("2.999"), d("3"));
    // A product too long for 18 digits keeps the decimals that fit, rounded.
    EXPECT_EQ((d("123456789.123") * d("123456.7891234567")).scale(), 5);
}

TEST(Decimal, StoredDoublesReadAsTheDecimalsTheyWereWrittenFrom)
{
    EXPECT_EQ(Decimal::fromDouble(2.9999999999999996, 10).rounded(2).toString(), QStringLiteral("3.00"));
    EXPECT_EQ(Decimal::fromDouble(0.29000000000000004, 10), d("0.29"));
    EXPECT_EQ(Decimal::fromDouble(52.394999999999996, 10), d("52.395"));
    EXPECT_EQ(Decimal::fromDouble(13.5846, 10), d("13.5846"));
    EXPECT_EQ(Decimal::fromDouble(-0.0, 2), Decimal());
    EXPECT_THROW(Decimal::fromDouble(std::nan(""), 2), Error);
    EXPECT_THROW(Decimal::fromDouble(1e300, 2), Error);

    // Any decimal of up to 15 digits goes to its nearest double and comes back the same.
    std::mt19937_64 rng(28);
    for (int i = 0; i < 200000; ++i) {
        const int escala = int(rng() % 11);
        const qint64 max = qint64(1e15) - 1;
        const Decimal x = Decimal::fromUnits(qint64(rng() % std::uint64_t(max)) * (rng() % 2 ? 1 : -1), escala);
        ASSERT_EQ(Decimal::fromDouble(x.toDouble(), escala), x) << x.toString().toStdString();
    }
    // Longer ones are stored rounded to 15 digits, which then read back.
    const Decimal longo = d("1234567.1234567891");
    EXPECT_EQ(longo.storable().toString(), QStringLiteral("1234567.12345679"));
    EXPECT_EQ(Decimal::fromDouble(longo.storable().toDouble(), 10), longo.storable());
}

TEST(Decimal, TypedTextInThePortugueseFormAndTheDisplayPatterns)
{
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    EXPECT_EQ(Decimal::fromTyped(QStringLiteral("1.234,56"), br), d("1234.56"));
    EXPECT_EQ(Decimal::fromTyped(QStringLiteral("3,00"), br)->toString(), QStringLiteral("3.00")) << "kept as typed";
    EXPECT_EQ(Decimal::fromTyped(QStringLiteral("-0,001"), br), d("-0.001"));
    for (const char* ruim : {"", "1,2,3", "doze", "1e5", "12..5"})
        EXPECT_FALSE(Decimal::fromTyped(QString::fromLatin1(ruim), br)) << ruim;
    EXPECT_FALSE(Decimal::fromString(std::string_view("99999999999999999999")));

    setProgramLocale(br);
    EXPECT_EQ(formatNumber(d("1234567.895"), QStringLiteral("#,##0.00")), QStringLiteral("1.234.567,90"));
    EXPECT_EQ(formatNumber(d("-0.004"), QStringLiteral("#,##0.00")), QStringLiteral("0,00")) << "no negative zero";
    EXPECT_EQ(formatNumber(d("-1000"), QStringLiteral("#,##0.00")), QStringLiteral("-1.000,00"));
    EXPECT_EQ(formatNumber(d("2.5"), QStringLiteral("##0.000")), QStringLiteral("2,500"));
    EXPECT_EQ(formatNumber(d("12.5"), QStringLiteral("#,##0.00 %")), QStringLiteral("12,50 %"));
}

TEST(ValoresItem, EachLineValueIsWholeCentsAndTheDiscountIsCut)
{
    // 3 × 49,90 with a method adding 5 %: 52,395 a unit, 157,20 the line.
    const Decimal preco = precoUnitario(d("49.90"), d("5"));
    EXPECT_EQ(preco, d("52.395"));
    EXPECT_EQ(valoresItem(preco, d("3"), Decimal()).bruto.toString(), QStringLiteral("157.20"));
    EXPECT_EQ(precoUnitario(d("12.346"), d("10")), d("13.5846")) << "only the list term is rounded";
    // 2,90 at 10 %: 0,29 off, 2,61 the line.
    const ValoresItem v = valoresItem(d("2.90"), d("1"), descontoDoPercentual(d("2.90"), d("1"), d("10")));
    EXPECT_EQ(v.desconto, d("0.29"));
    EXPECT_EQ(v.liquido, d("2.61"));
    // A quantity with three decimals: the line is rounded to a cent, half up.
    EXPECT_EQ(valoresItem(d("0.99"), d("0.005"), Decimal()).bruto.toString(), QStringLiteral("0.00"));
    EXPECT_EQ(valoresItem(d("1.00"), d("0.005"), Decimal()).bruto.toString(), QStringLiteral("0.01"));
    EXPECT_EQ(valoresItem(d("10.00"), d("1"), d("1.239")).liquido, d("8.77")) << "the discount is cut";
    EXPECT_EQ(percentualDoDesconto(d("20.00"), d("3"), d("3.00")), d("5"));
    EXPECT_EQ(percentualDoDesconto(d("20.00"), d("0"), d("3.00")), Decimal());
}

// A discount typed in cents is the discount its line counts, whatever double
// stores it and whatever the line: a million random lines, no cent lost. (The
// grid no longer works a typed value out again from its percentage, which is
// kept to ten decimals and could not give every value back.)
TEST(ValoresItem, ATypedDiscountIsTheLinesDiscountToTheCent)
{
    std::mt19937_64 sorte(41);
    std::uniform_int_distribution<qint64> centavos(1, 99'999'999), milesimos(1, 9'999'999);
    int perdidos = 0;
    for (int i = 0; i < 1'000'000; ++i) {
        const Decimal preco = Decimal::fromDouble(double(centavos(sorte)) / 100, 2);
        const Decimal quantidade = Decimal::fromDouble(double(milesimos(sorte)) / 1000, 3);
        const qint64 linhaEmCentavos = std::llround(valoresItem(preco, quantidade, Decimal()).bruto.toDouble() * 100);
        const Decimal digitado = Decimal::fromDouble(double(std::uniform_int_distribution<qint64>(0, linhaEmCentavos)(sorte)) / 100, 2);
        // As stored (REAL) and read back for the line.
        const ValoresItem linha = valoresItem(linhaLida(preco.toDouble(), quantidade.toDouble(), digitado.toDouble()));
        perdidos += linha.desconto != digitado || linha.liquido != linha.bruto - digitado;
    }
    EXPECT_EQ(perdidos, 0);
}
