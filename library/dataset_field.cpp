#include "library/dataset.h"

#include "library/errors.h"
#include "library/formats.h"

namespace zov {

QVariant Field::value() const { return q_->currentValue(*this); }

QVariant Field::oldValue() const { return q_->oldValueOf(*this); }

bool Field::isNull() const { return value().isNull(); }

QString Field::asString() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    switch (kind_) {
    case FieldKind::Number: {
        return formatFloat(v.toDouble());
    }
    case FieldKind::DateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? formatDate(dt) : formatDateTime(dt);
    }
    case FieldKind::Blob: return QString::fromUtf8(v.toByteArray());
    default: return v.toString();
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0.0;
    if (kind_ == FieldKind::Text) {
        // A number kept as text came from SQL, in its C form ("1.234" is not a thousand);
        // only what is not one is read in the program's format.
        bool ok = false;
        const double c = v.toString().trimmed().toDouble(&ok);
        if (ok)
            return c;
        const double d = parseNumber(v.toString(), &ok);
        return ok ? d : 0.0;
    }
    return v.toDouble();
}

Decimal Field::asDecimal(int scale) const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    if (kind_ == FieldKind::Text) {
        // As asFloat: the C form from SQL first, then the program's format.
        if (const auto c = Decimal::fromString(v.toString()))
            return c->rounded(scale);
        const auto typed = Decimal::fromTyped(v.toString(), programLocale());
        return typed ? typed->rounded(scale) : Decimal();
    }
    return Decimal::fromDouble(v.toDouble(), scale);
}

void Field::setDecimal(const Decimal& value) { setValue(value.storable().toDouble()); }

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (kind_ == FieldKind::Number)
        return qint64(v.toDouble());
    return v.toLongLong();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    if (kind_ == FieldKind::DateTime)
        return v.toDateTime();
    return convertToKind(v, FieldKind::DateTime).toDateTime();
}

QByteArray Field::asBytes() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    return kind_ == FieldKind::Blob ? v.toByteArray() : v.toString().toUtf8();
}

QString Field::displayTextOf(const QVariant& v) const
{
    if (v.isNull())
        return {};
    if (onGetText)
        return onGetText(v);
    if (!displayFormat.isEmpty()) {
        if (kind_ == FieldKind::DateTime)
            return v.toDateTime().toString(displayFormat);
        if (kind_ == FieldKind::Number || kind_ == FieldKind::Integer)
            return formatNumber(v.toDouble(), displayFormat);
    }
    switch (kind_) {
    case FieldKind::Number: return formatFloat(v.toDouble());
    case FieldKind::DateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? formatDate(dt) : formatDateTime(dt);
    }
    case FieldKind::Blob: return QStringLiteral("(BLOB)");
    default: return v.toString();
    }
}

void Field::setValue(const QVariant& value) { q_->setFieldValue(*this, value); }

QVariant Field::readTyped(const QString& text, bool* ok) const
{
    if (ok)
        *ok = true;
    QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    switch (kind_) {
    case FieldKind::Number:
    case FieldKind::Integer: {
        const QChar comma = programLocale().decimalPoint().at(0);
        if (t.endsWith(comma))
            t.chop(1); // "3," while typing is three
        if (t.isEmpty() || t == QLatin1String("-"))
            return {};
        bool good = false;
        const double d = parseNumber(t, &good);
        if (!good || (kind_ == FieldKind::Integer && d != double(qint64(d)))) {
            if (ok)
                *ok = false;
            return {};
        }
        return kind_ == FieldKind::Integer ? QVariant(qint64(d)) : QVariant(d);
    }
    case FieldKind::DateTime: {
        const QDateTime dt = parseDateTime(t);
        if (!dt.isValid()) {
            if (ok)
                *ok = false;
            return {};
        }
        // A day typed without a time is a date, stored in the date's form.
        return t.contains(QLatin1Char(':')) ? QVariant(dt) : QVariant(dt.date());
    }
    default: return text;
    }
}

void Field::setTypedText(const QString& text)
{
    bool ok = false;
    const QVariant v = readTyped(text, &ok);
    if (!ok) {
        if (kind_ == FieldKind::DateTime)
            throw Error(QStringLiteral("\"%1\" não é uma data válida.").arg(text));
        throw Error(QStringLiteral("\"%1\" não é um número válido.").arg(text));
    }
    setValue(v);
}

} // namespace zov
