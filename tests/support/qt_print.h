#pragma once
// Failures show texts as texts. Every test file must see this one printer
// (through temp_database.h or scripted_dialogs.h), or gtest builds two.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

#include "library/decimal.h"

namespace zov {
inline void PrintTo(const Decimal& d, std::ostream* os) { *os << d.toString().toStdString(); }
} // namespace zov
