#include "library/decimal.h"

#include "library/errors.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zov {

using i128 = __int128;
using u128 = unsigned __int128;

struct DecimalMath {
    static i128 pow10(int n)
    {
        static const auto table = [] {
            std::array<i128, 39> t{};
            t[0] = 1;
            for (std::size_t i = 1; i < t.size(); ++i)
                t[i] = t[i - 1] * 10;
            return t;
        }();
        return table[std::size_t(std::clamp(n, 0, 38))];
    }

    // n / d rounded half away from zero; d > 0 and small enough that 2 × remainder fits.
    static i128 divRound(i128 n, i128 d)
    {
        i128 q = n / d;
        const i128 r = n % d;
        if ((r < 0 ? -r : r) * 2 >= d)
            q += n < 0 ? -1 : 1;
        return q;
    }

    // Keeps as many decimals as fit in 64 bits (and no more than 18).
    static Decimal fit(i128 units, int scale)
    {
        const i128 max = std::numeric_limits<qint64>::max();
        while (scale > Decimal::kMaxScale || units > max || units < -max) {
            if (scale == 0)
                throw Error(QStringLiteral("Valor numérico fora dos limites do programa."));
            units = divRound(units, 10);
            --scale;
        }
        return Decimal(qint64(units), scale, 0);
    }

    static int digits(i128 n)
    {
        if (n < 0)
            n = -n;
        int count = 1;
        while (n >= 10) {
            n /= 10;
            ++count;
        }
        return count;
    }

    // Sign, integer digits and fraction digits of a C-form number; false when it is not one.
    static bool split(std::string_view text, bool& negative, std::string_view& whole, std::string_view& fraction)
    {
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        negative = false;
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            negative = text.front() == '-';
            text.remove_prefix(1);
        }
        const std::size_t dot = text.find('.');
        whole = text.substr(0, dot);
        fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
        if (whole.empty() && fraction.empty())
            return false;
        auto allDigits = [](std::string_view s) { return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }); };
        return allDigits(whole) && allDigits(fraction);
    }

    // The number of those digits rounded half away from zero to at most maxScale decimals.
    static std::optional<Decimal> build(bool negative, std::string_view whole, std::string_view fraction, int maxScale)
    {
        while (whole.size() > 1 && whole.front() == '0')
            whole.remove_prefix(1);
        if (whole.size() > 19)
            return std::nullopt;
        const int scale = std::min(int(fraction.size()), std::max(0, maxScale));
        i128 units = 0;
        for (const char c : whole)
            units = units * 10 + (c - '0');
        for (int i = 0; i < scale; ++i)
            units = units * 10 + (fraction[std::size_t(i)] - '0');
        if (std::size_t(scale) < fraction.size() && fraction[std::size_t(scale)] >= '5')
            ++units;
        try {
            return fit(negative ? -units : units, scale);
        } catch (const Error&) {
            return std::nullopt;
        }
    }
};

Decimal Decimal::fromUnits(qint64 units, int scale) { return Decimal(units, std::clamp(scale, 0, kMaxScale), 0); }

Decimal Decimal::fromDouble(double value, int maxScale)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9e17)
        throw Error(QStringLiteral("O valor %1 está fora dos limites do programa.").arg(value));
    // The shortest text that reads back as this double is the decimal it was written from.
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    bool negative = false;
    std::string_view whole, fraction;
    DecimalMath::split(std::string_view(buf, std::size_t(r.ptr - buf)), negative, whole, fraction);
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    const int wholeDigits = whole == "0" ? 0 : int(whole.size());
    const int scale = std::min({maxScale, kMaxScale, std::max(0, kDoubleDigits - wholeDigits)});
    return *DecimalMath::build(negative, whole, fraction, scale);
}

std::optional<Decimal> Decimal::fromString(std::string_view text)
{
    bool negative = false;
    std::string_view whole, fraction;
    if (!DecimalMath::split(text, negative, whole, fraction))
        return std::nullopt;
    return DecimalMath::build(negative, whole, fraction, kMaxScale);
}

std::optional<Decimal> Decimal::fromString(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    return fromString(std::string_view(latin.constData(), std::size_t(latin.size())));
}

std::optional<Decimal> Decimal::fromTyped(const QString& text, const QLocale& locale)
{
    // The locale decides what is a number (its grouping rules included); the digits are read here.
    const QString t = text.trimmed();
    bool ok = false;
    locale.toDouble(t, &ok);
    if (!ok) {
        QLocale bare = locale;
        bare.setNumberOptions(QLocale::OmitGroupSeparator);
        bare.toDouble(t, &ok);
    }
    if (!ok)
        return std::nullopt;
    QString c = t;
    c.remove(locale.groupSeparator());
    c.replace(locale.decimalPoint(), QStringLiteral("."));
    c.replace(locale.negativeSign(), QStringLiteral("-"));
    c.replace(locale.positiveSign(), QStringLiteral("+"));
    return fromString(c);
}

double Decimal::toDouble() const
{
    constexpr qint64 exact = qint64(1) << 53;
    static const double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    // Both exact, so the one division rounds to the nearest double.
    if (units_ > -exact && units_ < exact)
        return double(units_) / powers[scale_];
    const QByteArray text = toString().toLatin1();
    double d = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), d);
    return d;
}

QString Decimal::toString() const
{
    const bool negative = units_ < 0;
    // Through 128 bits: the most negative 64-bit value has no positive twin.
    i128 n = units_;
    if (negative)
        n = -n;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(n % 10)));
        n /= 10;
    } while (n > 0);
    if (int(digits.size()) <= scale_)
        digits.insert(0, std::size_t(scale_ + 1) - digits.size(), '0');
    if (scale_ > 0)
        digits.insert(digits.size() - std::size_t(scale_), 1, '.');
    if (negative)
        digits.insert(digits.begin(), '-');
    return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
}

Decimal Decimal::rounded(int decimals) const
{
    decimals = std::max(0, decimals);
    if (decimals >= scale_)
        return *this;
    return Decimal(qint64(DecimalMath::divRound(units_, DecimalMath::pow10(scale_ - decimals))), decimals, 0);
}

Decimal Decimal::truncated(int decimals) const
{
    decimals = std::max(0, decimals);
    if (decimals >= scale_)
        return *this;
    return Decimal(qint64(i128(units_) / DecimalMath::pow10(scale_ - decimals)), decimals, 0);
}

Decimal Decimal::storable() const
{
    const int excess = DecimalMath::digits(units_) - kDoubleDigits;
    return excess > 0 ? rounded(scale_ - excess) : *this;
}

Decimal Decimal::dividedBy(const Decimal& divisor, int decimals) const
{
    if (divisor.isZero())
        throw Error(QStringLiteral("Divisão por zero."));
    decimals = std::clamp(decimals, 0, kMaxScale);
    // this / divisor × 10^decimals = units × 10^e / divisor units, by long division.
    const int e = divisor.scale_ - scale_ + decimals;
    u128 n = u128(units_ < 0 ? -i128(units_) : i128(units_));
    u128 d = u128(divisor.units_ < 0 ? -i128(divisor.units_) : i128(divisor.units_));
    if (e < 0)
        d *= u128(DecimalMath::pow10(-e));
    u128 q = n / d;
    u128 r = n % d;
    const u128 limit = u128(DecimalMath::pow10(37));
    for (int i = 0; i < e; ++i) {
        if (q >= limit)
            throw Error(QStringLiteral("Valor numérico fora dos limites do programa."));
        q = q * 10 + (r * 10) / d;
        r = (r * 10) % d;
    }
    if (r * 2 >= d)
        ++q;
    const bool negative = (units_ < 0) != (divisor.units_ < 0);
    return DecimalMath::fit(negative ? -i128(q) : i128(q), decimals);
}

Decimal Decimal::operator-() const { return Decimal(-units_, scale_, 0); }

Decimal operator+(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale_, b.scale_);
    return DecimalMath::fit(i128(a.units_) * DecimalMath::pow10(s - a.scale_) + i128(b.units_) * DecimalMath::pow10(s - b.scale_), s);
}

Decimal operator-(const Decimal& a, const Decimal& b) { return a + -b; }

Decimal operator*(const Decimal& a, const Decimal& b) { return DecimalMath::fit(i128(a.units_) * i128(b.units_), a.scale_ + b.scale_); }

int Decimal::compare(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale_, b.scale_);
    const i128 x = i128(a.units_) * DecimalMath::pow10(s - a.scale_);
    const i128 y = i128(b.units_) * DecimalMath::pow10(s - b.scale_);
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace zov
