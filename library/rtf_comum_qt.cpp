#include "library/rtf_comum_qt.h"

#include <algorithm>

namespace zov::rtf_interno {

namespace {

// Windows-1252 at 0x80..0x9F; its five holes keep their value, as Latin-1.
constexpr char16_t kAltos1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                     0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                     0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString deCp1252(const char* s, qsizetype n)
{
    QString out(n, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = uchar(s[i]);
        d[i] = c >= 0x80 && c < 0xA0 ? QChar(kAltos1252[c - 0x80]) : QChar(c);
    }
    return out;
}

int paraCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    if (c >= 0x80 && c < 0xA0)
        return -1; // C1 controls are not text in 1252
    for (int i = 0; i < 32; ++i)
        if (kAltos1252[i] == c)
            return 0x80 + i;
    return -1;
}

QTextListFormat::Style estiloDe(Lista l)
{
    switch (l) {
    case Lista::Decimal: return QTextListFormat::ListDecimal;
    case Lista::LetraMin: return QTextListFormat::ListLowerAlpha;
    case Lista::LetraMai: return QTextListFormat::ListUpperAlpha;
    case Lista::RomanoMin: return QTextListFormat::ListLowerRoman;
    case Lista::RomanoMai: return QTextListFormat::ListUpperRoman;
    default: return QTextListFormat::ListDisc;
    }
}

Lista listaDe(QTextListFormat::Style s)
{
    switch (s) {
    case QTextListFormat::ListDecimal: return Lista::Decimal;
    case QTextListFormat::ListLowerAlpha: return Lista::LetraMin;
    case QTextListFormat::ListUpperAlpha: return Lista::LetraMai;
    case QTextListFormat::ListLowerRoman: return Lista::RomanoMin;
    case QTextListFormat::ListUpperRoman: return Lista::RomanoMai;
    default: return Lista::Marcador;
    }
}

// Only code pages ICU is known to have: an arbitrary \ansicpgN costs no look-up.
const char* nomeCodigo(int cp)
{
    switch (cp) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 852: return "IBM852";
    case 866: return "IBM866";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    case 10006: return "x-mac-greek";
    case 10007: return "x-mac-cyrillic";
    case 10029: return "x-mac-centraleurroman";
    case 10081: return "x-mac-turkish";
    default: return nullptr;
    }
}

// Code pages of two bytes a character: unknown, their characters are still counted right.
bool doisBytes(int cp)
{
    switch (cp) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 10001:
    case 10002:
    case 10003:
    case 10008: return true;
    default: return false;
    }
}

// \fcharsetN to a code page; -1 is the document's \ansicpg.
int codigoDoCharset(int charset)
{
    switch (charset) {
    case 0: return kCp1252;
    case 2: return kSimbolo;
    case 77: return 10000; // the Mac charsets, each its Mac code page
    case 78: return 10001;
    case 79: return 10003;
    case 80: return 10008;
    case 81: return 10002;
    case 83: return 10005;
    case 84: return 10004;
    case 85: return 10006;
    case 86: return 10081;
    case 87: return 10021;
    case 88: return 10029;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return -1;
    }
}

// The kind of list a number or bullet text stands for ("1.", "a)", "iv.", "•").
char16_t deSimbolo(uchar c)
{
    // The letters and signs the Symbol font draws where Latin text has its own;
    // digits, punctuation and what is not listed are the same.
    static const char16_t maiusculas[26] = {u'Α', u'Β', u'Χ', u'Δ', u'Ε', u'Φ', u'Γ', u'Η', u'Ι', u'ϑ', u'Κ', u'Λ', u'Μ',
                                            u'Ν', u'Ο', u'Π', u'Θ', u'Ρ', u'Σ', u'Τ', u'Υ', u'ς', u'Ω', u'Ξ', u'Ψ', u'Ζ'};
    static const char16_t minusculas[26] = {u'α', u'β', u'χ', u'δ', u'ε', u'φ', u'γ', u'η', u'ι', u'ϕ', u'κ', u'λ', u'μ',
                                            u'ν', u'ο', u'π', u'θ', u'ρ', u'σ', u'τ', u'υ', u'ϖ', u'ω', u'ξ', u'ψ', u'ζ'};
    if (c >= 'A' && c <= 'Z')
        return maiusculas[c - 'A'];
    if (c >= 'a' && c <= 'z')
        return minusculas[c - 'a'];
    static const std::pair<uchar, char16_t> sinais[] = {
        {0x22, u'∀'},  {0x24, u'∃'}, {0x27, u'∋'}, {0x2A, u'∗'}, {0x2D, u'−'}, {0x40, u'≅'}, {0x5C, u'∴'}, {0x5E, u'⊥'},  {0x7E, u'∼'},
        {0xA1, u'ϒ'},  {0xA2, u'′'}, {0xA3, u'≤'}, {0xA4, u'⁄'}, {0xA5, u'∞'}, {0xA6, u'ƒ'}, {0xA7, u'♣'}, {0xA8, u'♦'},  {0xA9, u'♥'},
        {0xAA, u'♠'},  {0xAB, u'↔'}, {0xAC, u'←'}, {0xAD, u'↑'}, {0xAE, u'→'}, {0xAF, u'↓'}, {0xB0, u'°'}, {0xB1, u'±'},  {0xB2, u'″'},
        {0xB3, u'≥'},  {0xB4, u'×'}, {0xB5, u'∝'}, {0xB6, u'∂'}, {0xB7, u'•'}, {0xB8, u'÷'}, {0xB9, u'≠'}, {0xBA, u'≡'},  {0xBB, u'≈'},
        {0xBC, u'…'},  {0xC0, u'ℵ'}, {0xC1, u'ℑ'}, {0xC2, u'ℜ'}, {0xC3, u'℘'}, {0xC4, u'⊗'}, {0xC5, u'⊕'}, {0xC6, u'∅'},  {0xC7, u'∩'},
        {0xC8, u'∪'},  {0xC9, u'⊃'}, {0xCA, u'⊇'}, {0xCB, u'⊄'}, {0xCC, u'⊂'}, {0xCD, u'⊆'}, {0xCE, u'∈'}, {0xCF, u'∉'},  {0xD0, u'∠'},
        {0xD1, u'∇'},  {0xD2, u'®'}, {0xD3, u'©'}, {0xD4, u'™'}, {0xD5, u'∏'}, {0xD6, u'√'}, {0xD7, u'⋅'}, {0xD8, u'¬'},  {0xD9, u'∧'},
        {0xDA, u'∨'},  {0xDB, u'⇔'}, {0xDC, u'⇐'}, {0xDD, u'⇑'}, {0xDE, u'⇒'}, {0xDF, u'⇓'}, {0xE0, u'◊'}, {0xE1, u'〈'}, {0xE5, u'∑'},
        {0xF1, u'〉'}, {0xF2, u'∫'}};
    for (const auto& [byte, caractere] : sinais)
        if (byte == c)
            return caractere;
    return deCp1252(reinterpret_cast<const char*>(&c), 1).front().unicode();
}

namespace {

int valorRomano(const QString& t)
{
    int total = 0, anterior = 0;
    for (qsizetype i = t.size() - 1; i >= 0; --i) {
        static const QString letras = QStringLiteral("ivxlcdm");
        static const int valores[] = {1, 5, 10, 50, 100, 500, 1000};
        const int v = valores[letras.indexOf(t[i].toLower())];
        total += v < anterior ? -v : v;
        anterior = std::max(anterior, v);
    }
    return total;
}

QString romano(int n, bool maiusculas)
{
    static const std::pair<int, const char*> partes[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                                                         {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                                                         {5, "v"},    {4, "iv"},   {1, "i"}};
    QString s;
    for (const auto& [v, letras] : partes)
        for (; n >= v; n -= v)
            s += QLatin1String(letras);
    return maiusculas ? s.toUpper() : s;
}

} // namespace

Marcador leMarcador(QString t, Lista continua, int proximo)
{
    t = t.trimmed();
    if (t.startsWith(QLatin1Char('(')))
        t.remove(0, 1);
    bool pontuado = false;
    while (!t.isEmpty() && (t.back() == QLatin1Char('.') || t.back() == QLatin1Char(')'))) {
        t.chop(1);
        pontuado = true;
    }
    if (t.isEmpty())
        return {};
    auto todos = [&](auto pred) { return std::all_of(t.begin(), t.end(), pred); };
    // "3", and "1.2" of a numbered outline: its last part.
    if (t.front().isDigit() && todos([](QChar c) { return c.isDigit() || c == QLatin1Char('.'); }))
        return {Lista::Decimal, std::min(t.section(QLatin1Char('.'), -1).toInt(), 99999)};
    const auto ascii = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    };
    if (!todos(ascii))
        return {};
    const QString romanos = QStringLiteral("ivxlcdm");
    const bool minusculas = t.front().isLower();
    const bool romanoPossivel = todos([&](QChar c) { return romanos.contains(c.toLower()) && c.isLower() == minusculas; });
    if (t.size() == 1) {
        if (!pontuado)
            return {}; // Word's "o" and other lone letters of a bullet list
        const Lista letra = minusculas ? Lista::LetraMin : Lista::LetraMai;
        const int posicao = t.front().toLower().unicode() - u'a' + 1;
        const bool continuaLetras = continua == letra && posicao == proximo;
        const bool continuaRomanos = continua == (minusculas ? Lista::RomanoMin : Lista::RomanoMai);
        if (romanoPossivel && !continuaLetras && (continuaRomanos || t.front().toLower() == QLatin1Char('i')))
            return {minusculas ? Lista::RomanoMin : Lista::RomanoMai, valorRomano(t)};
        return {letra, posicao};
    }
    if (romanoPossivel)
        return {minusculas ? Lista::RomanoMin : Lista::RomanoMai, std::min(valorRomano(t), 99999)};
    return {};
}

QString textoDoNumero(Lista tipo, int n)
{
    switch (tipo) {
    case Lista::Decimal: return QString::number(n) + QLatin1Char('.');
    case Lista::LetraMin:
    case Lista::LetraMai: {
        QString s;
        for (int k = n; k > 0; k = (k - 1) / 26)
            s.prepend(QChar(u'a' + (k - 1) % 26));
        return (tipo == Lista::LetraMai ? s.toUpper() : s) + QLatin1Char('.');
    }
    case Lista::RomanoMin:
    case Lista::RomanoMai: return romano(n, tipo == Lista::RomanoMai) + QLatin1Char('.');
    default: return QStringLiteral("•");
    }
}

} // namespace zov::rtf_interno
