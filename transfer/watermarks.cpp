#include "transfer/watermarks.h"

#include "library/database.h"
#include "protocol/protocol_slots.h"

namespace zov {

QDateTime dataSemAtualizacao() { return QDateTime(QDate(1985, 1, 1), QTime(12, 0)); }

QDateTime DateNull(qint64 count, int mode, const QDateTime& dtValue, const QDateTime& now)
{
    if (mode == 1 && count == 0)
        return now.addDays(1);
    return dtValue.isValid() ? dtValue : dataSemAtualizacao();
}

namespace {

// Files made before the mark existed get the table when it is first needed.
const char* const kPendingTable = "CREATE TABLE IF NOT EXISTS EXCLPENDENTE (NMTABELA VARCHAR(30) NOT NULL PRIMARY KEY, "
                                  "DTULTATU DATETIME NOT NULL)";

QDateTime pendingSince(Database& db, const QString& table)
{
    Statement st(db, QStringLiteral("SELECT DTULTATU FROM EXCLPENDENTE WHERE NMTABELA = :T"));
    st.bind(QStringLiteral("T"), table);
    return st.step() ? st.value(0, FieldKind::DateTime).toDateTime() : QDateTime();
}

} // namespace

void markDeletionsPending(Database& db, const QString& table, const QDateTime& since)
{
    db.execScript(QString::fromLatin1(kPendingTable));
    db.exec(QStringLiteral("INSERT INTO EXCLPENDENTE (NMTABELA, DTULTATU) VALUES (:T, :D) ON CONFLICT (NMTABELA) DO NOTHING"),
            {{QStringLiteral("T"), table}, {QStringLiteral("D"), since}});
}

void clearDeletionsPending(Database& db, const QString& table)
{
    if (db.tableExists(QStringLiteral("EXCLPENDENTE")))
        db.exec(QStringLiteral("DELETE FROM EXCLPENDENTE WHERE NMTABELA = :T"), {{QStringLiteral("T"), table}});
}

Watermarks readWatermarks(Database& db, const QDateTime& now)
{
    Watermarks w;
    const bool pending = db.tableExists(QStringLiteral("EXCLPENDENTE"));
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
        QDateTime deletionsFrom = DateNull(count, 1, newest, now);
        const QDateTime since = pending ? pendingSince(db, s.table) : QDateTime();
        if (since.isValid() && since < deletionsFrom)
            deletionsFrom = since;
        w.dtUltAtu[s.slot] = deletionsFrom;
        w.dtUltAtuIns[s.slot] = DateNull(count, 2, newest, now);
    }
    return w;
}

} // namespace zov
