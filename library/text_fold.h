#pragma once
// Text folded for searching: letters lower-cased and stripped of their
// accents, so "JOÃO", "João" and "joao" all read "joao". Latin letters only
// (ASCII, Latin-1 and Latin Extended-A); every other character is kept as it is.
#include <QString>
#include <string>

namespace zov {

QString foldForSearch(const QString& text);

// True when text, folded, contains foldedNeedle (already folded). Allocates
// nothing once warmed up: it runs once per row over big lists.
bool containsFolded(QStringView text, QStringView foldedNeedle);

// The same on UTF-8 bytes: appends the folded form of s[0..n) to out.
// Used where the text never becomes a QString (the SQL search function).
void foldUtf8(const char* s, std::size_t n, std::string& out);

} // namespace zov
