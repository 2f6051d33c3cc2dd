#include "library/rtf_comum_qt.h"

namespace zov::rtf_interno {

namespace {

// Windows-1252 at 0x80..0x9F; its five holes keep their value, as Latin-1.
constexpr char16_t kAltos1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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
    case 932: case 936: case 949: case 950: case 10001: case 10002: case 10003: case 10008: return true;
    default: return false;
    }
}

// \fcharsetN to a code page; -1 is the document's \ansicpg.
int codigoDoCharset(int charset)
{
    switch (charset) {
    case 0: return kCp1252;
    case 2: return kCp1252; // Symbol: no better guess for its few letters
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
Lista listaDoMarcador(QString t)
{
    t = t.trimmed();
    while (!t.isEmpty() && (t.back() == QLatin1Char('.') || t.back() == QLatin1Char(')')))
        t.chop(1);
    if (t.isEmpty())
        return Lista::Marcador;
    auto todos = [&](auto pred) { return std::all_of(t.begin(), t.end(), pred); };
    if (todos([](QChar c) { return c.isDigit(); }))
        return Lista::Decimal;
    const QString romanos = QStringLiteral("ivxlcdm");
    if (t.size() > 1 && todos([&](QChar c) { return romanos.contains(c); }))
        return Lista::RomanoMin;
    if (t.size() > 1 && todos([&](QChar c) { return romanos.contains(c.toLower()) && c.isUpper(); }))
        return Lista::RomanoMai;
    if (t.size() == 1 && t.front().isLower())
        return Lista::LetraMin;
    if (t.size() == 1 && t.front().isUpper())
        return Lista::LetraMai;
    return Lista::Marcador;
}

} // namespace zov::rtf_interno
