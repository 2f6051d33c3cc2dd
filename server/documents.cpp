#include "server/documents.h"

namespace zov::server {

namespace {

// Mod-11 check digit over the digits with the given weights.
int checkDigit(const QString& digits, const int* weights, int count)
{
    int sum = 0;
    for (int i = 0; i < count; ++i)
        sum += digits.at(i).digitValue() * weights[i];
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

const int kCpf1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
const int kCpf2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
const int kCnpj1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
const int kCnpj2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

bool allDigits(const QString& s, int size)
{
    if (s.size() != size)
        return false;
    for (QChar c : s) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

bool allSame(const QString& s) { return s.count(s.at(0)) == s.size(); }

} // namespace

QString makeCpf(qint64 base)
{
    QString d = QStringLiteral("%1").arg(base % 1000000000, 9, 10, QLatin1Char('0'));
    d += QString::number(checkDigit(d, kCpf1, 9));
    d += QString::number(checkDigit(d, kCpf2, 10));
    return d;
}

QString makeCnpj(qint64 root, int branch)
{
    QString d = QStringLiteral("%1%2").arg(root % 100000000, 8, 10, QLatin1Char('0')).arg(branch % 10000, 4, 10, QLatin1Char('0'));
    d += QString::number(checkDigit(d, kCnpj1, 12));
    d += QString::number(checkDigit(d, kCnpj2, 13));
    return d;
}

bool validCpf(const QString& digits)
{
    if (!allDigits(digits, 11) || allSame(digits))
        return false;
    return makeCpf(digits.left(9).toLongLong()) == digits;
}

bool validCnpj(const QString& digits)
{
    if (!allDigits(digits, 14) || allSame(digits))
        return false;
    return makeCnpj(digits.left(8).toLongLong(), digits.mid(8, 4).toInt()) == digits;
}

} // namespace zov::server
