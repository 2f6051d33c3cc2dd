#pragma once
// The laptop's "today": an order's date, the list's first filter, the delivery
// check. Tests pin the day so that a run that crosses midnight reads one day.
#include <QDate>
#include <QDateTime>

namespace zov {

QDate dataDeHoje();
QDateTime agora();

// An invalid date gives the system's clock back.
void fixaDiaDeHoje(const QDate& dia);

} // namespace zov
