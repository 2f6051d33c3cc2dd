#pragma once
// Numbers and dates in the program's formats, with the locale fixed at start-up.
#include "library/decimal.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariant>

namespace zov {

// Takes the regional formats once: pt_BR, whatever the system says (the
// program is Portuguese). Later changes of the system are not adopted.
void fixLocaleAtStartup();
// Before the application object: Qt's own widgets (the file dialog's dates)
// read the system's locale from the environment, so its dates are made
// pt_BR there too; the other categories keep what the system said.
void datasEmPortuguesNoAmbiente();
// Forces a locale (tests fix pt_BR).
void setProgramLocale(const QLocale& locale);
const QLocale& programLocale();

// Display patterns: "#,##0.00", "###0.0000", "#,##0.00 %", "0", and any
// prefix/suffix text around the digits. Rounds half away from zero as typed.
QString formatNumber(double value, const QString& pattern);
// The same for a decimal, exactly.
QString formatNumber(const Decimal& value, const QString& pattern);
// "dd/MM/yyyy" and "dd/MM/yyyy hh:mm:ss" (any Qt date pattern works).
QString formatDate(const QDateTime& value);
QString formatDateTime(const QDateTime& value);
QString formatDate(const QDate& value);
// A number as plain text: decimal comma, no thousands separator, no trailing zeros.
QString formatFloat(double value);
// Reads a number typed in the program's locale ("1.234,56", "12,5"); ok false when it is not one.
double parseNumber(const QString& text, bool* ok = nullptr);
// Reads "dd/MM/yyyy" with an optional " hh:mm[:ss]"; invalid when it is not a date.
QDateTime parseDateTime(const QString& text);

} // namespace zov
