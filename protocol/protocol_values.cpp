// Date-times on the wire and in storage text.
#include "protocol/protocol.h"
#include "protocol/protocol_text.h"

#include <QDate>
#include <QTime>

namespace zov {

namespace {

bool digits(std::string_view s, std::size_t from, std::size_t count, int& value)
{
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

} // namespace

bool parseDateTimeParts(std::string_view s, char separator, bool dateOnlyAllowed, DateTimeParts& parts)
{
    parts = {};
    if (dateOnlyAllowed && s.size() == 10) {
        // date only
    } else if (s.size() != 19 && s.size() != 23) {
        return false;
    }
    if (s[4] != '-' || s[7] != '-')
        return false;
    if (!digits(s, 0, 4, parts.year) || !digits(s, 5, 2, parts.month) || !digits(s, 8, 2, parts.day))
        return false;
    if (!QDate::isValid(parts.year, parts.month, parts.day))
        return false;
    if (s.size() == 10)
        return true;
    if (s[10] != separator || s[13] != ':' || s[16] != ':')
        return false;
    if (!digits(s, 11, 2, parts.hour) || !digits(s, 14, 2, parts.minute) || !digits(s, 17, 2, parts.second))
        return false;
    if (parts.hour > 23 || parts.minute > 59 || parts.second > 59)
        return false;
    if (s.size() == 23) {
        if (s[19] != '.' || !digits(s, 20, 3, parts.msec))
            return false;
        parts.hasMsec = true;
    }
    return true;
}

QString dateTimeToWire(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    return value.time().msec() != 0 ? value.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
                                    : value.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

bool dateTimeFromWire(std::string_view text, QDateTime& value)
{
    DateTimeParts p;
    if (!parseDateTimeParts(text, 'T', false, p))
        return false;
    value = QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec));
    return value.isValid();
}

} // namespace zov
