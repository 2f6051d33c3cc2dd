// Plain text files: what they are encoded in, whether they are text at all,
// and their lines into a document (rtf.h).
#include "library/rtf.h"
#include "library/rtf_comum_qt.h"

#include <QStringDecoder>
#include <QTextDocument>

namespace zov {

namespace {

using namespace rtf_interno;

std::optional<QStringConverter::Encoding> codificacaoPelaMarca(const QByteArray& b)
{
    // UTF-32 LE begins as UTF-16 LE does: it is looked for first.
    if (b.startsWith(QByteArray("\xff\xfe\0\0", 4)))
        return QStringConverter::Utf32LE;
    if (b.startsWith(QByteArray("\0\0\xfe\xff", 4)))
        return QStringConverter::Utf32BE;
    if (b.startsWith("\xef\xbb\xbf"))
        return QStringConverter::Utf8;
    if (b.startsWith("\xff\xfe"))
        return QStringConverter::Utf16LE;
    if (b.startsWith("\xfe\xff"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

// UTF-16 without a mark: text of Latin letters has a NUL in every other byte.
std::optional<QStringConverter::Encoding> utf16PelosNulos(const QByteArray& b)
{
    if (b.size() < 4 || b.size() % 2 != 0)
        return std::nullopt;
    qsizetype pares = 0, impares = 0;
    for (qsizetype i = 0; i < b.size(); ++i)
        if (b[i] == 0)
            ++(i % 2 ? impares : pares);
    const qsizetype n = b.size() / 2;
    if (impares * 10 >= n * 3 && pares * 20 <= n)
        return QStringConverter::Utf16LE;
    if (pares * 10 >= n * 3 && impares * 20 <= n)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QString decodifica(const QByteArray& b, QStringConverter::Encoding e, bool& perdeu)
{
    QStringDecoder d(e, QStringDecoder::Flag::Stateless);
    QString s = d.decode(b);
    perdeu = d.hasError();
    return s;
}

// The length of the valid UTF-8 sequence at p, 0 when there is none.
int sequenciaUtf8(const uchar* p, qsizetype resta)
{
    const uchar c = p[0];
    int n = 0;
    char32_t minimo = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        n = 2;
        minimo = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        minimo = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        minimo = 0x10000;
    } else {
        return 0;
    }
    if (resta < n)
        return 0;
    char32_t v = c & (0x7F >> n);
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        v = (v << 6) | (p[i] & 0x3F);
    }
    if (v < minimo || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
        return 0;
    return n;
}

// A Windows-1252 byte; its five holes hold no character.
QChar deByte1252(uchar c, bool& perdeu)
{
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
        perdeu = true;
        return QChar::ReplacementCharacter;
    }
    const char b = char(c);
    return deCp1252(&b, 1).front();
}

// UTF-8 whose odd invalid bytes are read as Windows-1252; none when the
// invalid bytes outnumber the UTF-8 sequences (a file in another code page).
std::optional<QString> utf8Remendado(const QByteArray& b, bool& perdeu)
{
    const auto* p = reinterpret_cast<const uchar*>(b.constData());
    qsizetype sequencias = 0, invalidos = 0;
    for (qsizetype i = 0; i < b.size();) {
        const int n = sequenciaUtf8(p + i, b.size() - i);
        if (n == 0) {
            ++invalidos;
            ++i;
        } else {
            sequencias += n > 1;
            i += n;
        }
    }
    if (invalidos == 0)
        return QString::fromUtf8(b);
    if (sequencias < invalidos)
        return std::nullopt;
    QString s;
    s.reserve(b.size());
    for (qsizetype i = 0; i < b.size();) {
        const int n = sequenciaUtf8(p + i, b.size() - i);
        if (n == 0) {
            s += deByte1252(p[i], perdeu);
            ++i;
        } else {
            s += QString::fromUtf8(b.constData() + i, n);
            i += n;
        }
    }
    return s;
}

// Letters of Portuguese text: what tells a DOS file (code page 850) from a Windows one.
qsizetype letrasPortuguesas(const QString& s)
{
    static const QString letras = QStringLiteral("áàâãéêíóôõúüçÁÀÂÃÉÊÍÓÔÕÚÜÇ");
    qsizetype n = 0;
    for (QChar c : s)
        if (c.unicode() >= 0x80 && letras.contains(c))
            ++n;
    return n;
}

QString codigoAntigo(const QByteArray& b, bool& perdeu)
{
    QString windows;
    windows.reserve(b.size());
    bool perdeuWindows = false;
    for (char c : b)
        windows += deByte1252(uchar(c), perdeuWindows);
    QStringDecoder d850("IBM850", QStringDecoder::Flag::Stateless);
    if (d850.isValid()) {
        const QString dos = d850.decode(b);
        if (letrasPortuguesas(dos) > letrasPortuguesas(windows))
            return dos;
    }
    perdeu = perdeuWindows;
    return windows;
}

// Control characters a text file may hold (and the DOS end-of-file mark).
bool controleDeTexto(uchar c) { return c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x1A || c == 0x1B; }

} // namespace

TextoDecodificado decodificaTexto(const QByteArray& bytes)
{
    TextoDecodificado r;
    if (const auto marca = codificacaoPelaMarca(bytes)) {
        r.texto = decodifica(bytes, *marca, r.perdeu);
        return r;
    }
    if (const auto utf16 = utf16PelosNulos(bytes)) {
        r.texto = decodifica(bytes, *utf16, r.perdeu);
        qsizetype controles = 0;
        for (QChar c : r.texto)
            controles += c.unicode() < 0x20 && !controleDeTexto(uchar(c.unicode()));
        r.binario = controles >= 8 && controles * 8 > r.texto.size(); // 16-bit data, not text
        return r;
    }
    QByteArray b = bytes;
    while (!b.isEmpty() && b.back() == '\x1a')
        b.chop(1);
    // By what the file holds: a NUL anywhere, or control characters for much of it.
    qsizetype controles = 0;
    for (char c : b) {
        if (c == 0) {
            r.binario = true;
            break;
        }
        if (uchar(c) < 0x20 && !controleDeTexto(uchar(c)))
            ++controles;
    }
    if (controles >= 8 && controles * 8 > b.size())
        r.binario = true;
    if (auto utf8 = utf8Remendado(b, r.perdeu))
        r.texto = std::move(*utf8);
    else
        r.texto = codigoAntigo(b, r.perdeu);
    return r;
}

void lerTexto(const QByteArray& bytes, QTextDocument& doc)
{
    QString s = decodificaTexto(bytes).texto;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(u'\r', u'\n');
    s.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC;
    });
    // Qt makes a block in about 3 us: past kBlocosCheios lines, kLinhasPorBloco share one.
    qsizetype linhas = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\n')
            continue;
        if (++linhas > kBlocosCheios && (linhas - kBlocosCheios) % kLinhasPorBloco != 0)
            s[i] = QChar::LineSeparator;
    }
    const bool desfazer = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.setPlainText(s);
    doc.setUndoRedoEnabled(desfazer);
}

} // namespace zov
