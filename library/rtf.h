#pragma once
// The observation's rich text: the RTF subset the editor's formatting bar
// produces (fonts, sizes, bold, italic, underline, strike-out, colours,
// alignment, bullets and numbered paragraphs, tabs and line breaks), read
// into and written from a QTextDocument. Lives in rtf_qt.cpp (QtGui).
#include <QByteArray>

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

// Replaces the document's content with plain text: UTF-16 (LE or BE) or UTF-8
// by its byte order mark; else UTF-8, or Windows-1252 (Latin-1 with the
// Windows characters at 0x80-0x9F) when not valid UTF-8.
void lerTexto(const QByteArray& bytes, QTextDocument& doc);

// Whether the bytes start with a byte order mark of UTF-16 or UTF-8: text,
// though UTF-16 is full of NUL bytes.
bool temMarcaDeTexto(const QByteArray& bytes);

// What the observation column or an imported file holds: RTF when it looks
// like RTF, plain text otherwise.
void lerObservacao(const QByteArray& bytes, QTextDocument& doc);

} // namespace zov
