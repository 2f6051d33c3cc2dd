#include "library/inscricao.h"

#include "library/errors.h"

#include <QStringList>
#include <algorithm>

namespace zov {

namespace {

constexpr int kMaxDigitos = 20;
constexpr int kDigitosOutros = 5;
const char* const kMascaraLivre = "99999999999999999999;0; ";

bool umDigitoRepetido(const QString& digits)
{
    for (QChar c : digits)
        if (c != digits.front())
            return false;
    return true;
}

bool somenteDigitos(const QString& text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

// Modulo-11 check digit over the first weights.size() digits.
int digitoVerificador(const QString& digits, std::initializer_list<int> weights)
{
    int sum = 0;
    int i = 0;
    for (int w : weights)
        sum += digits.at(i++).digitValue() * w;
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

// "mask;keepLiterals;blank": display always shows the literals, so only the
// mask and the blank character matter here.
struct Mascara {
    QString mask;
    QChar blank = QLatin1Char(' ');
};

Mascara partes(const QString& pict)
{
    Mascara m;
    const QStringList parts = pict.split(QLatin1Char(';'));
    m.mask = parts.value(0);
    if (parts.size() > 2 && !parts.at(2).isEmpty())
        m.blank = parts.at(2).front();
    return m;
}

bool posicaoDeDigito(QChar c) { return c == QLatin1Char('9') || c == QLatin1Char('0'); }

} // namespace

bool CpfValido(const QString& digits)
{
    if (digits.size() != 11 || !somenteDigitos(digits) || umDigitoRepetido(digits))
        return false;
    return digitoVerificador(digits, {10, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(9).digitValue() &&
           digitoVerificador(digits, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(10).digitValue();
}

bool CnpjValido(const QString& digits)
{
    if (digits.size() != 14 || !somenteDigitos(digits) || umDigitoRepetido(digits))
        return false;
    return digitoVerificador(digits, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(12).digitValue() &&
           digitoVerificador(digits, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(13).digitValue();
}

QString Ajusta_Inscricao(QString& text)
{
    QString typed = text;
    if (typed.startsWith(QLatin1Char('C'), Qt::CaseInsensitive))
        typed.remove(0, 1);
    QString digits;
    for (QChar c : typed) {
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else if (c != QLatin1Char('.') && c != QLatin1Char('/') && c != QLatin1Char('-') && !c.isSpace())
            throw Error(QStringLiteral("A inscrição deve conter apenas números."));
    }
    if (digits.isEmpty())
        throw Error(QStringLiteral("Inscrição deve ser informada."));
    if (digits.size() > kMaxDigitos)
        throw Error(QStringLiteral("A inscrição pode ter no máximo %1 dígitos.").arg(kMaxDigitos));

    QString kind;
    if (digits.size() == 11) {
        if (!CpfValido(digits))
            throw Error(QStringLiteral("CPF inválido: %1.").arg(FormatMask(digits, PictPess(QStringLiteral("F")))));
        kind = QStringLiteral("F");
    } else if (digits.size() == 14) {
        if (!CnpjValido(digits))
            throw Error(QStringLiteral("CNPJ inválido: %1.").arg(FormatMask(digits, PictPess(QStringLiteral("J")))));
        kind = QStringLiteral("J");
    } else if (digits.size() <= kDigitosOutros) {
        if (digits.count(QLatin1Char('0')) == digits.size())
            throw Error(QStringLiteral("O código do cliente não pode ser zero."));
        digits = QString(kDigitosOutros - digits.size(), QLatin1Char('0')) + digits;
        kind = QStringLiteral("O");
    } else {
        kind = QStringLiteral("I");
    }
    text = digits;
    return kind;
}

QString PictPess(const QString& kind)
{
    const QString k = kind.trimmed().toUpper();
    if (k == QLatin1String("F"))
        return QStringLiteral("999.999.999-99;0; ");
    if (k == QLatin1String("J"))
        return QStringLiteral("99.999.999/9999-99;0; ");
    if (k == QLatin1String("O"))
        return QStringLiteral("99999;0; ");
    return QString::fromLatin1(kMascaraLivre);
}

QString FormatMask(const QString& value, const QString& pict)
{
    const Mascara m = partes(pict);
    const int positions = int(std::count_if(m.mask.begin(), m.mask.end(), posicaoDeDigito));
    if (value.isEmpty() || value.size() > positions || !somenteDigitos(value))
        return value;
    QString out;
    int next = 0;
    for (QChar c : m.mask) {
        if (next == value.size())
            break;
        if (posicaoDeDigito(c))
            out += value.at(next++);
        else
            out += c;
    }
    return out;
}

QString FormataInscricao(const QString& number, const QString& kind)
{
    return FormatMask(number.trimmed(), PictPess(kind));
}

QString QtInputMask(const QString& pict)
{
    const Mascara m = partes(pict);
    QString out;
    for (QChar c : m.mask) {
        if (c == QLatin1Char('9'))
            out += QLatin1Char('0'); // optional digit
        else if (c == QLatin1Char('0'))
            out += QLatin1Char('9'); // required digit
        else if (QStringLiteral("AaNnXxDdHhBb#><!{}[]\\").contains(c))
            out += QLatin1Char('\\') + QString(c);
        else
            out += c;
    }
    if (out.isEmpty())
        return out;
    return out + QLatin1Char(';') + m.blank;
}

} // namespace zov
