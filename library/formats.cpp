#include "library/formats.h"

#include "library/consiste.h"

namespace zov {

namespace {
QLocale& localeRef()
{
    static QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}
} // namespace

void fixLocaleAtStartup()
{
    QLocale system = QLocale::system();
    if (system.language() == QLocale::C || system.language() == QLocale::AnyLanguage)
        system = QLocale(QLocale::Portuguese, QLocale::Brazil);
    setProgramLocale(system);
}

void setProgramLocale(const QLocale& locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    localeRef() = l;
    QLocale::setDefault(l);
}

const QLocale& programLocale() { return localeRef(); }

QString formatNumber(double value, const QString& pattern)
{
    // Split the pattern into prefix, digit part and suffix.
    qsizetype begin = -1, end = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const bool digit = c == QLatin1Char('#') || c == QLatin1Char('0');
        const bool sep = c == QLatin1Char(',') || c == QLatin1Char('.');
        if (digit && begin < 0)
            begin = i;
        if (begin >= 0 && (digit || sep))
            end = i + 1;
        else if (begin >= 0)
            break;
    }
    if (begin < 0)
        return pattern;
    const QString digits = pattern.mid(begin, end - begin);
    const qsizetype dot = digits.indexOf(QLatin1Char('.'));
    const int decimals = dot < 0 ? 0 : int(digits.size() - dot - 1);
    const bool thousands = digits.left(dot < 0 ? digits.size() : dot).contains(QLatin1Char(','));

    QLocale l = programLocale();
    l.setNumberOptions(thousands ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    const double rounded = RoundDec(value, decimals);
    QString text = l.toString(rounded, 'f', decimals);
    if (rounded == 0.0 && text.startsWith(l.negativeSign()))
        text.remove(0, l.negativeSign().size());
    return pattern.left(begin) + text + pattern.mid(end);
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
