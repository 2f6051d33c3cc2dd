#include "transfer/watermarks.h"

#include "library/database.h"
#include "transfer/protocol_slots.h"

namespace zov {

QDateTime dataSemAtualizacao() { return QDateTime(QDate(1985, 1, 1), QTime(12, 0)); }

QDateTime DateNull(qint64 count, int mode, const QDateTime& dtValue, const QDateTime& now)
{
    if (mode == 1 && count == 0)
        return now.addDays(1);
    return dtValue.isValid() ? dtValue : dataSemAtualizacao();
}

Watermarks readWatermarks(Database& db, const QDateTime& now)
{
    Watermarks w;
    for (int i = 0; i < kSlotCount; ++i) {
        w.dtUltAtu << QVariant();
        w.dtUltAtuIns << QVariant();
    }
    for (const SyncSlot& s : syncSlots()) {
        // Names come from the slot table, not from outside.
        Statement st(db, QStringLiteral("SELECT COUNT(*) AS CONT, MAX(%1) AS DTULTATU FROM %2").arg(s.dateColumn, s.table));
        st.step();
        const qint64 count = st.value(0, FieldKind::Integer).toLongLong();
        const QDateTime newest = st.value(1, FieldKind::DateTime).toDateTime();
        w.dtUltAtu[s.slot] = DateNull(count, 1, newest, now);
        w.dtUltAtuIns[s.slot] = DateNull(count, 2, newest, now);
    }
    return w;
}

} // namespace zov
