#pragma once
// Validation and formatting routines shared by every window.
#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>

namespace zov {

class Field;
class Query;

// True for an empty or blank text.
bool EmptyString(const QString& text);

// The text left-filled with "0" to width (blanks trimmed first). A blank text
// stays empty, so an optional code left blank is still blank; a longer text is
// returned as it is, never cut.
QString Ajusta(const QString& text, int width);

// Rounds half away from zero at the given decimals, on the value as it reads
// in decimal (1.005 -> 1.01 and 2.675 -> 2.68, though neither is exact in binary).
double RoundDec(double value, int decimals);

QDate PriDiaMes(const QDate& date);
QDate UltimoDiaMes(const QDate& date);

template <class T>
T iif(bool condition, const T& a, const T& b)
{
    return condition ? a : b;
}

// Accepts a typed date-time for a date field: a blank text (or an empty mask)
// clears the field; a valid "dd/MM/yyyy[ hh:mm[:ss]]" sets it. Anything else is
// refused (false) and the field keeps its value. The field's dataset must be editing.
bool CheckDateTime(Field& field, const QString& text);

// Stores the blank text fields of the record being edited or inserted as null.
void Seta_Campo_Null(Query& dataset);

// Filters one keystroke typed into a numeric cell with at most intDigits
// before and decDigits after the decimal comma. Returns the character to type
// ("." becomes ","), or a null QChar to drop it. Control keys pass.
QChar MaxNumber(const QString& text, int intDigits, int decDigits, int selStart, int selLength, QChar key);

} // namespace zov
