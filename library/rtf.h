#pragma once
// The observation's rich text: the RTF subset the editor's formatting bar
// produces (fonts, sizes, bold, italic, underline, strike-out, colours,
// alignment, bullets and numbered paragraphs, tabs and line breaks), read
// into and written from a QTextDocument. Lives in rtf_qt.cpp (QtGui).
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace zov {

// True when the bytes start, after blanks and a UTF-8 byte order mark,
// with "{\rtf".
bool pareceRtf(const QByteArray& bytes);

// Replaces the document's content with the RTF's text and formatting.
// Unknown control words are ignored and unknown destinations ({\*\...},
// \stylesheet, \info, \pict...) skipped whole. Damaged input never fails:
// whatever text could be read is shown. Not undoable.
void lerRtf(const QByteArray& rtf, QTextDocument& doc);

// The document as RTF (code page 1252, \uN for what it cannot hold), with
// the fonts and colours it uses. lerRtf reads it back to the same text and
// formatting.
QByteArray escreveRtf(const QTextDocument& doc);

// A plain text file decoded. By its byte order mark (UTF-8, UTF-16, UTF-32);
// else UTF-16 by its pattern of NUL bytes; else UTF-8, where an odd byte that
// is not UTF-8 is read as Windows-1252 and the rest stays UTF-8; else
// Windows-1252 or, when its accents read better so, the DOS code page 850.
// A DOS end-of-file mark (0x1A) at the end is dropped.
struct TextoDecodificado {
    QString texto;
    bool binario = false; // NUL bytes (not UTF-16/32) or mostly control characters: not a text
    bool perdeu = false;  // a byte no code page here holds was replaced by U+FFFD
};
TextoDecodificado decodificaTexto(const QByteArray& bytes);

// Replaces the document's content with the decoded text (a binary file's
// bytes as far as they decode). Past 20 000 lines the next ones share a
// block, 64 lines each, as the RTF reader does. Not undoable.
void lerTexto(const QByteArray& bytes, QTextDocument& doc);

// What the observation column or an imported file holds: RTF when it looks
// like RTF, plain text otherwise.
void lerObservacao(const QByteArray& bytes, QTextDocument& doc);

} // namespace zov
