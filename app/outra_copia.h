#pragma once
// The copy of the program that holds a database answers a second start on
// the same file: the second asks it to come to the front, says why it does
// not open, and ends.
#include <QString>

namespace zov {

// Listens for later starts on this database (the copy that holds its lock).
void EscutaOutrasCopias(const QString& caminhoBanco);
// Asks the copy holding this database to come to the front; false when none answered.
bool ChamaCopiaAberta(const QString& caminhoBanco);
// What the listening copy does when asked (by default: its active window comes to the front).
void SetAoSerChamada(void (*fn)());

} // namespace zov
