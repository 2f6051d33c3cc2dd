#include "library/dataset.h"

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
    case FieldKind::Blob:
        return QString::fromUtf8(v.toByteArray());
    default:
        return v.toString();
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0.0;
    if (kind_ == FieldKind::Text) {
        bool ok = false;
        const double d = parseNumber(v.toString(), &ok);
        return ok ? d : v.toString().toDouble();
    }
    return v.toDouble();
}

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
    if (!displayFormat.isEmpty()) {
        if (kind_ == FieldKind::DateTime)
            return v.toDateTime().toString(displayFormat);
        if (kind_ == FieldKind::Number || kind_ == FieldKind::Integer)
            return formatNumber(v.toDouble(), displayFormat);
    }
    switch (kind_) {
    case FieldKind::Number:
        return formatFloat(v.toDouble());
    case FieldKind::DateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? formatDate(dt) : formatDateTime(dt);
    }
    case FieldKind::Blob:
        return QStringLiteral("(BLOB)");
    default:
        return v.toString();
    }
}

void Field::setValue(const QVariant& value) { q_->setFieldValue(*this, value); }

} // namespace zov
