#pragma once
// Internal to the protocol: writing JSON text by hand (fast, no document) and
// reading date-time texts.
#include <QString>
#include <string>
#include <string_view>

namespace zov {

void appendJsonString(std::string& out, std::string_view utf8);
void appendJsonString(std::string& out, const QString& value);
// Shortest text that reads back as the same double; throws Error on NaN or infinity.
void appendJsonNumber(std::string& out, double value);
void appendJsonInteger(std::string& out, long long value);

struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    bool hasMsec = false;
};
// "YYYY-MM-DD<sep>HH:MM:SS" with an optional ".fff"; a date alone when allowed.
// Checks the calendar too.
bool parseDateTimeParts(std::string_view text, char separator, bool dateOnlyAllowed, DateTimeParts& parts);

} // namespace zov
