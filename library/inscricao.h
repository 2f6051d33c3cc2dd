#pragma once
// Registration numbers of customers: kind of person, check digits, the number
// to store and the edit masks per kind.
//
// Kinds: "F" CPF (11 digits), "J" CNPJ (14 characters: since July 2026 the
// first 12 may be letters A-Z, each worth its code minus 48 in the check
// digits, which stay digits), "O" the short local number
// (1 to 5 digits, stored left-filled to 5), "I" any other registration of
// 6 to 20 digits (neither 11 nor 14), stored as typed.
//
// Edit masks are written "mask;keepLiterals;blank": in the mask "9" is a
// digit that may be left out, "0" a digit that must be typed, "A" a letter
// (upper case) or a digit that may be left out, anything else a literal; keepLiterals "0" means the literals are shown but not stored;
// blank is the character shown in an empty position.
#include <QString>

namespace zov {

// Takes "C" followed by what was typed (dots, slash, dash and spaces are
// allowed and dropped), returns the kind letter and rewrites text into the
// number to store: digits, and upper-case letters in an alphanumeric CNPJ, at
// most 20. Throws Error, in words the user understands, for an empty, too
// long or invalid number (a number with letters is checked as a CNPJ).
QString Ajusta_Inscricao(QString& text);

// The edit mask of a kind's number; an empty or unknown kind gives the plain
// 20-position mask "AAAAAAAAAAAAAAAAAAAA;0; " (any kind may be typed into it).
QString PictPess(const QString& kind);

// Check digits of bare numbers (exact length; a CNPJ's first 12 characters may
// be letters A-Z); a number made of one repeated character is refused.
bool CpfValido(const QString& digits);
bool CnpjValido(const QString& digits);

// A stored value laid into a mask's digit positions, with the literals
// between them ("12345678909" with the CPF mask gives "123.456.789-09").
// A value with more characters than the mask, or one a position cannot take,
// is returned as it is.
QString FormatMask(const QString& value, const QString& pict);

// The stored number shown with the mask of its kind (the customer grid).
QString FormataInscricao(const QString& number, const QString& kind);

// The same mask in QLineEdit::inputMask notation, for editing widgets.
QString QtInputMask(const QString& pict);

} // namespace zov
