#pragma once
// What the RTF reader (rtf_leitor_qt.cpp) and writer (rtf_escritor_qt.cpp)
// share: code pages, the list kinds, the character properties a run carries,
// the control words. Internal to library/.
#include <QString>
#include <QTextListFormat>

#include <string_view>
#include <unordered_map>

namespace zov::rtf_interno {

constexpr int kCp1252 = 1252;
constexpr int kUtf8 = 65001;
constexpr int kSimbolo = 42;          // the Symbol font's own code page (Windows' CP_SYMBOL)
constexpr int kMaxMeiosPontos = 3276; // 1638 pt, the largest size editors offer
// Qt makes a block in about 2 us: past this many, further plain paragraphs
// share a block, a line each (kLinhasPorBloco at most), which looks the same.
constexpr int kBlocosCheios = 20000;
constexpr int kLinhasPorBloco = 64;

// Windows-1252 text to a string, the five holes kept as Latin-1.
QString deCp1252(const char* s, qsizetype n);
// A byte of the Symbol font as the character it draws ('a' is alpha).
char16_t deSimbolo(uchar c);
// The Windows-1252 byte of c, or -1 when it has none.
int paraCp1252(char16_t c);

enum class Lista : quint8 { Nenhuma, Marcador, Decimal, LetraMin, LetraMai, RomanoMin, RomanoMai };

QTextListFormat::Style estiloDe(Lista l);
Lista listaDe(QTextListFormat::Style s);
// A list item's number or bullet text (\listtext, \pntext): its kind and
// number (0 for a bullet or no number). A lone "i", "v" or "x" continues a
// letter list where it is the next letter, else it is roman; a lone letter
// with no "." or ")" is a bullet (Word's "o"); "1.1." is the number 1.
struct Marcador {
    Lista tipo = Lista::Marcador;
    int numero = 0;
};
Marcador leMarcador(QString t, Lista continua = Lista::Nenhuma, int proximo = 1);
// The kind of list a number or bullet text stands for, out of context.
inline Lista listaDoMarcador(const QString& t) { return leMarcador(t).tipo; }
// The number as a list of that kind shows it, with its dot ("iv.", "c.", "10.").
QString textoDoNumero(Lista tipo, int n);

// The name ICU knows a Windows code page by, or null when it has none here.
const char* nomeCodigo(int cp);
// Whether the code page uses lead bytes (East Asian double-byte sets).
bool doisBytes(int cp);
// The code page of \fcharsetN; -1 is the document's \ansicpg.
int codigoDoCharset(int charset);

// Character properties: what a group saves and restores. Indices are into
// the font and colour tables; font -1 is the default font (\deff).
struct Caracteres {
    int fonte = -1;
    int meiosPontos = 0; // \fs, 0 when not given
    int cor = 0;
    bool negrito = false;
    bool italico = false;
    bool sublinhado = false;
    bool riscado = false;
    bool oculto = false; // \v: never shown, saved nor printed
    bool operator==(const Caracteres&) const = default;
};

// The control words the reader knows, each with what it does.
enum class Palavra : quint8 {
    Ansi,
    Mac,
    Pc,
    Pca,
    Ansicpg,
    Deff,
    Uc,
    U,
    Bin,
    Plain,
    F,
    Fs,
    B,
    I,
    Ul,
    UlNenhum,
    Strike,
    Cf,
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Par,
    Line,
    Tab,
    Caractere,
    Fonttbl,
    Colortbl,
    Fcharset,
    Red,
    Green,
    Blue,
    Pn,
    TextoMarcador,
    Ls,
    PnMarcador,
    PnCorpo,
    PnDec,
    PnLetraMin,
    PnLetraMai,
    PnRomanoMin,
    PnRomanoMai,
    PnInicio,
    Nivel,
    Recuo,
    Cpg,
    Oculto,
    Celula,
    Linha,
    Ignora,
};

struct Definicao {
    Palavra palavra;
    char16_t caractere = 0; // of Palavra::Caractere
};

const std::unordered_map<std::string_view, Definicao>& palavras();

} // namespace zov::rtf_interno
