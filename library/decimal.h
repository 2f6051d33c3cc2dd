#pragma once
// Decimal: money, prices, quantities and percentages as exact decimal
// fractions — a 64-bit count of units of 10^-scale (scale 0 to 18).
//
// Sums, differences and products are exact while they fit in 18 digits; a
// result that does not fit keeps as many decimals as fit, rounded half away
// from zero (a price times a quantity has at most 13 decimals, far from it).
// Division rounds to the decimals asked for. Rounding (half away from zero)
// and cutting (toward zero) are exact.
//
// The database keeps these values as REAL: fromDouble reads a stored double
// as the decimal it was written from, and toDouble gives the double nearest
// a decimal, which fromDouble reads back to the same decimal as long as the
// decimal has at most 15 significant digits (storable() makes sure of that).
#include <QString>
#include <QtGlobal>
#include <compare>
#include <optional>
#include <string_view>

class QLocale;

namespace zov {

class Decimal {
public:
    static constexpr int kMaxScale = 18;
    // Significant digits a double always carries through a round trip.
    static constexpr int kDoubleDigits = 15;

    constexpr Decimal() = default;
    // A whole number (so that 100 and 0 read as decimals where one is expected).
    constexpr Decimal(int whole) : units_(whole) {}
    // A binary fraction is no decimal: say which decimals it stands for (fromDouble).
    Decimal(double) = delete;
    // units × 10^-scale; scale outside 0..18 is clamped.
    static Decimal fromUnits(qint64 units, int scale);

    // The decimal a stored double was written from: its shortest decimal text,
    // rounded to at most maxScale decimals and 15 significant digits. NaN,
    // infinities and values beyond ±9×10^17 throw Error.
    static Decimal fromDouble(double value, int maxScale);
    // C form: "-12.345", "3", ".5"; nothing when the text is not one (exponents are not read).
    static std::optional<Decimal> fromString(std::string_view text);
    static std::optional<Decimal> fromString(const QString& text);
    static std::optional<Decimal> fromString(const char* text) { return fromString(std::string_view(text)); }
    // What the user typed in the locale's form: "1.234,56", "3,5", "-2"; nothing when it is no number.
    static std::optional<Decimal> fromTyped(const QString& text, const QLocale& locale);

    // The double nearest this decimal.
    double toDouble() const;
    // C form at this decimal's own scale: "3.00", "-0.125", "12".
    QString toString() const;

    qint64 units() const { return units_; }
    int scale() const { return scale_; }
    bool isZero() const { return units_ == 0; }
    int sign() const { return units_ > 0 ? 1 : units_ < 0 ? -1 : 0; }

    // Half away from zero: 0.125 -> 0.13, -2.675 -> -2.68. A decimal with
    // fewer decimals is returned as it is (3.5 rounded to 2 is 3.5).
    Decimal rounded(int decimals) const;
    // Toward zero: 1.239 -> 1.23, -1.239 -> -1.23.
    Decimal truncated(int decimals) const;
    // Rounded to at most 15 significant digits, so that its double reads back the same.
    Decimal storable() const;
    // This decimal divided by another, rounded half away from zero at the given
    // decimals; division by zero throws Error.
    Decimal dividedBy(const Decimal& divisor, int decimals) const;

    Decimal operator-() const;
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
    Decimal& operator-=(const Decimal& other) { return *this = *this - other; }

    // By value: 3 == 3.00.
    friend bool operator==(const Decimal& a, const Decimal& b) { return compare(a, b) == 0; }
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) { return compare(a, b) <=> 0; }

private:
    constexpr Decimal(qint64 units, int scale, int) : units_(units), scale_(qint8(scale)) {}
    static int compare(const Decimal& a, const Decimal& b);
    friend struct DecimalMath;

    qint64 units_ = 0;
    qint8 scale_ = 0;
};

} // namespace zov
