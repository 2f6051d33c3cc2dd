#include "library/relogio.h"

#include <atomic>

namespace zov {

namespace {
// Julian day of the pinned day; 0 when the clock is the system's.
std::atomic<qint64> g_diaFixo{0};
} // namespace

QDate dataDeHoje()
{
    const qint64 dia = g_diaFixo.load(std::memory_order_relaxed);
    return dia ? QDate::fromJulianDay(dia) : QDate::currentDate();
}

QDateTime agora()
{
    const qint64 dia = g_diaFixo.load(std::memory_order_relaxed);
    const QDateTime real = QDateTime::currentDateTime();
    return dia ? QDateTime(QDate::fromJulianDay(dia), real.time()) : real;
}

void fixaDiaDeHoje(const QDate& dia) { g_diaFixo.store(dia.isValid() ? dia.toJulianDay() : 0, std::memory_order_relaxed); }

} // namespace zov
