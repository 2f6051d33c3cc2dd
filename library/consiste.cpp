#include "library/consiste.h"

#include "library/dataset.h"
#include "library/decimal.h"
#include "library/formats.h"

#include <cmath>

namespace zov {

bool EmptyString(const QString& text) { return text.trimmed().isEmpty(); }

QString Ajusta(const QString& text, int width)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() >= width)
        return t;
    return QString(width - t.size(), QLatin1Char('0')) + t;
}

double RoundDec(double value, int decimals)
{
    if (!std::isfinite(value) || decimals < 0 || std::fabs(value) >= 9e17)
        return value;
    // The decimal the double was written from is what was typed.
    return Decimal::fromDouble(value, Decimal::kMaxScale).rounded(decimals).toDouble();
}

QDate PriDiaMes(const QDate& date) { return date.isValid() ? QDate(date.year(), date.month(), 1) : QDate(); }

QDate UltimoDiaMes(const QDate& date) { return date.isValid() ? QDate(date.year(), date.month(), date.daysInMonth()) : QDate(); }

bool CheckDateTime(Field& field, const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char('/')).remove(QLatin1Char(':'));
    if (t.trimmed().isEmpty()) {
        field.clear();
        return true;
    }
    const QDateTime dt = parseDateTime(text);
    if (!dt.isValid())
        return false;
    field.setValue(dt);
    return true;
}

void Seta_Campo_Null(Query& dataset)
{
    if (dataset.state() != DataSetState::Edit && dataset.state() != DataSetState::Insert)
        return;
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        Field& f = dataset.field(i);
        if (f.calculated || f.readOnly || f.kind() != FieldKind::Text)
            continue;
        const QVariant v = f.value();
        if (!v.isNull() && v.toString().trimmed().isEmpty())
            f.clear();
    }
}

QChar MaxNumber(const QString& text, int intDigits, int decDigits, int selStart, int selLength, QChar key)
{
    if (key.unicode() < 32)
        return key; // Backspace, Enter and other control keys
    const QChar comma = programLocale().decimalPoint().at(0);
    QChar typed = key;
    if (typed == QLatin1Char('.') || typed == QLatin1Char(','))
        typed = comma;
    if (!typed.isDigit() && typed != comma)
        return {};
    if (typed == comma && decDigits <= 0)
        return {};
    selStart = qBound(0, selStart, int(text.size()));
    selLength = qBound(0, selLength, int(text.size()) - selStart);
    const QString result = text.left(selStart) + typed + text.mid(selStart + selLength);
    // Thousands dots do not count as digits.
    QString bare = result;
    bare.remove(programLocale().groupSeparator());
    const qsizetype c = bare.indexOf(comma);
    if (c >= 0 && bare.indexOf(comma, c + 1) >= 0)
        return {};
    const QString intPart = c < 0 ? bare : bare.left(c);
    const QString decPart = c < 0 ? QString() : bare.mid(c + 1);
    if (intPart.size() > intDigits || decPart.size() > decDigits)
        return {};
    return typed;
}

} // namespace zov
