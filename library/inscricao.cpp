#include "library/inscricao.h"

#include "library/errors.h"

#include <QStringList>
#include <algorithm>

namespace zov {

namespace {

constexpr int kMaxDigitos = 20;
constexpr int kDigitosOutros = 5;
// Any kind may be typed into it: digits, and letters for an alphanumeric CNPJ.
const char* const kMascaraLivre = "AAAAAAAAAAAAAAAAAAAA;0; ";

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

// The one rule for case: ASCII letters only, either case, read as upper
// case (Unicode's upper case of "ı" and "ſ" is no registration letter).
QChar maiusculaAscii(QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z') ? QChar(c.unicode() - 32) : c; }
QString maiusculasAscii(QString s)
{
    for (QChar& c : s)
        c = maiusculaAscii(c);
    return s;
}

bool letraOuDigito(QChar c) { return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')); }

// Modulo-11 check digit over the first weights.size() characters, each worth
// its code minus 48: a digit its value, a letter of the alphanumeric CNPJ 17 to 42.
int digitoVerificador(const QString& digits, std::initializer_list<int> weights)
{
    int sum = 0;
    int i = 0;
    for (int w : weights)
        sum += (digits.at(i++).unicode() - '0') * w;
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
// "A": a letter or a digit (letters upper case).
bool posicao(QChar c) { return posicaoDeDigito(c) || c == QLatin1Char('A'); }
bool cabe(QChar value, QChar position)
{
    return position == QLatin1Char('A') ? letraOuDigito(value) : value >= QLatin1Char('0') && value <= QLatin1Char('9');
}

} // namespace

bool CpfValido(const QString& digits)
{
    if (digits.size() != 11 || !somenteDigitos(digits) || umDigitoRepetido(digits))
        return false;
    return digitoVerificador(digits, {10, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(9).digitValue()
        && digitoVerificador(digits, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(10).digitValue();
}

bool CnpjValido(const QString& numero)
{
    const QString digits = maiusculasAscii(numero);
    if (digits.size() != 14 || !std::all_of(digits.begin(), digits.begin() + 12, letraOuDigito) || !somenteDigitos(digits.right(2))
        || umDigitoRepetido(digits))
        return false;
    return digitoVerificador(digits, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(12).digitValue()
        && digitoVerificador(digits, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == digits.at(13).digitValue();
}

QString Ajusta_Inscricao(QString& text)
{
    QString typed = text;
    if (typed.startsWith(QLatin1Char('C'), Qt::CaseInsensitive))
        typed.remove(0, 1);
    QString digits;
    bool letras = false;
    for (QChar c : typed) {
        const QChar u = maiusculaAscii(c);
        if (letraOuDigito(u)) {
            digits += u;
            letras = letras || u.isLetter();
        } else if (c != QLatin1Char('.') && c != QLatin1Char('/') && c != QLatin1Char('-') && !c.isSpace()) {
            throw Error(QStringLiteral("A inscrição deve conter apenas números, ou números e letras num CNPJ."));
        }
    }
    if (digits.isEmpty())
        throw Error(QStringLiteral("Inscrição deve ser informada."));
    if (digits.size() > kMaxDigitos)
        throw Error(QStringLiteral("A inscrição pode ter no máximo %1 dígitos.").arg(kMaxDigitos));

    QString kind;
    if (letras) {
        // Letters are only in the CNPJ given to companies since July 2026.
        if (!CnpjValido(digits))
            throw Error(QStringLiteral("CNPJ inválido: %1.").arg(FormatMask(digits, PictPess(QStringLiteral("J")))));
        kind = QStringLiteral("J");
    } else if (digits.size() == 11) {
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
        return QStringLiteral("AA.AAA.AAA/AAAA-99;0; ");
    if (k == QLatin1String("O"))
        return QStringLiteral("99999;0; ");
    if (k == QLatin1String("I"))
        return QStringLiteral("99999999999999999999;0; ");
    return QString::fromLatin1(kMascaraLivre);
}

QString FormatMask(const QString& value, const QString& pict)
{
    const Mascara m = partes(pict);
    const int positions = int(std::count_if(m.mask.begin(), m.mask.end(), posicao));
    if (value.isEmpty() || value.size() > positions)
        return value;
    QString out;
    int next = 0;
    for (QChar c : m.mask) {
        if (next == value.size())
            break;
        if (!posicao(c)) {
            out += c;
        } else if (cabe(value.at(next), c)) {
            out += value.at(next++);
        } else {
            return value; // not a value of this mask
        }
    }
    return out;
}

QString FormataInscricao(const QString& number, const QString& kind)
{
    return FormatMask(maiusculasAscii(number.trimmed()), PictPess(kind));
}

QString QtInputMask(const QString& pict)
{
    const Mascara m = partes(pict);
    QString out;
    // Letters are taken upper case.
    if (m.mask.contains(QLatin1Char('A')))
        out += QLatin1Char('>');
    for (QChar c : m.mask) {
        if (c == QLatin1Char('9'))
            out += QLatin1Char('0'); // optional digit
        else if (c == QLatin1Char('0'))
            out += QLatin1Char('9'); // required digit
        else if (c == QLatin1Char('A'))
            out += QLatin1Char('n'); // optional letter or digit
        else if (QStringLiteral("aNnXxDdHhBb#><!{}[]\\").contains(c))
            out += QLatin1Char('\\') + QString(c);
        else
            out += c;
    }
    if (out.isEmpty())
        return out;
    return out + QLatin1Char(';') + m.blank;
}

} // namespace zov
