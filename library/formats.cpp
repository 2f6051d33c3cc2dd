#include "library/formats.h"

#include "library/consiste.h"

#include <cmath>

namespace zov {

namespace {
QLocale& localeRef()
{
    static QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}
} // namespace

void fixLocaleAtStartup() { setProgramLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

void datasEmPortuguesNoAmbiente()
{
    // LC_ALL outranks LC_TIME: what it said goes on through LANG.
    const QByteArray todas = qgetenv("LC_ALL");
    if (!todas.isEmpty()) {
        qputenv("LANG", todas);
        qunsetenv("LC_ALL");
    }
    qputenv("LC_TIME", "pt_BR.UTF-8");
}

void setProgramLocale(const QLocale& locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    localeRef() = l;
    QLocale::setDefault(l);
}

const QLocale& programLocale() { return localeRef(); }

namespace {

// The pattern's prefix, digit part and suffix; begin < 0 when it has no digits.
struct Padrao {
    qsizetype begin = -1, end = -1;
    int decimals = 0;
    bool thousands = false;
};

Padrao lePadrao(const QString& pattern)
{
    Padrao p;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const bool digit = c == QLatin1Char('#') || c == QLatin1Char('0');
        const bool sep = c == QLatin1Char(',') || c == QLatin1Char('.');
        if (digit && p.begin < 0)
            p.begin = i;
        if (p.begin >= 0 && (digit || sep))
            p.end = i + 1;
        else if (p.begin >= 0)
            break;
    }
    if (p.begin < 0)
        return p;
    const QString digits = pattern.mid(p.begin, p.end - p.begin);
    const qsizetype dot = digits.indexOf(QLatin1Char('.'));
    p.decimals = dot < 0 ? 0 : int(digits.size() - dot - 1);
    p.thousands = digits.left(dot < 0 ? digits.size() : dot).contains(QLatin1Char(','));
    return p;
}

} // namespace

QString formatNumber(const Decimal& value, const QString& pattern)
{
    const Padrao p = lePadrao(pattern);
    if (p.begin < 0)
        return pattern;
    const Decimal rounded = value.rounded(p.decimals);
    QString c = rounded.toString();
    if (c.startsWith(QLatin1Char('-')))
        c.remove(0, 1);
    const qsizetype dot = c.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? c : c.left(dot);
    QString fraction = dot < 0 ? QString() : c.mid(dot + 1);
    fraction = fraction.leftJustified(p.decimals, QLatin1Char('0'));
    const QLocale& l = programLocale();
    if (p.thousands)
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, l.groupSeparator());
    QString text = whole;
    if (p.decimals > 0)
        text += l.decimalPoint() + fraction;
    if (rounded.sign() < 0)
        text.prepend(l.negativeSign());
    return pattern.left(p.begin) + text + pattern.mid(p.end);
}

QString formatNumber(double value, const QString& pattern)
{
    if (std::isfinite(value) && std::fabs(value) < 9e17)
        return formatNumber(Decimal::fromDouble(value, Decimal::kMaxScale), pattern);
    const Padrao p = lePadrao(pattern);
    if (p.begin < 0)
        return pattern;
    QLocale l = programLocale();
    l.setNumberOptions(p.thousands ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    return pattern.left(p.begin) + l.toString(value, 'f', p.decimals) + pattern.mid(p.end);
}

QString formatDate(const QDateTime& value) { return value.isValid() ? value.toString(QStringLiteral("dd/MM/yyyy")) : QString(); }

QString formatDate(const QDate& value) { return value.isValid() ? value.toString(QStringLiteral("dd/MM/yyyy")) : QString(); }

QString formatDateTime(const QDateTime& value)
{
    return value.isValid() ? value.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) : QString();
}

QString formatFloat(double value)
{
    QLocale l = programLocale();
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(value, 'g', 15);
}

double parseNumber(const QString& text, bool* ok)
{
    QLocale l = programLocale();
    bool good = false;
    double v = l.toDouble(text.trimmed(), &good);
    if (!good) {
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        v = l.toDouble(text.trimmed(), &good);
    }
    if (ok)
        *ok = good;
    return good ? v : 0.0;
}

QDateTime parseDateTime(const QString& text)
{
    const QString t = text.trimmed();
    static const char* formats[] = {"dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy hh:mm", "dd/MM/yyyy", "d/M/yyyy"};
    for (const char* f : formats) {
        const QString fmt = QString::fromLatin1(f);
        if (fmt.contains(QLatin1String("hh"))) {
            const QDateTime dt = QDateTime::fromString(t, fmt);
            if (dt.isValid())
                return dt;
        } else {
            const QDate d = QDate::fromString(t, fmt);
            if (d.isValid())
                return QDateTime(d, QTime(0, 0));
        }
    }
    return {};
}

} // namespace zov
