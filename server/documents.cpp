#include "server/documents.h"

namespace zov::server {

namespace {

// Mod-11 check digit over the digits with the given weights.
int checkDigit(const QString& digits, const int* weights, int count)
{
    int sum = 0;
    for (int i = 0; i < count; ++i)
        sum += (digits.at(i).unicode() - '0') * weights[i]; // a letter is worth its code minus 48
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

const int kCpf1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
const int kCpf2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
const int kCnpj1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
const int kCnpj2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

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

QString makeCnpjAlfanumerico(const QString& base)
{
    QString d = base.toUpper().left(12);
    d += QString::number(checkDigit(d, kCnpj1, 12));
    d += QString::number(checkDigit(d, kCnpj2, 13));
    return d;
}

} // namespace zov::server
