#pragma once
// How recent each local table is, as the download tells the server.
#include <QDateTime>
#include <QVariantList>

namespace zov {

class Database;

// The fixed date of a table that has no dates at all.
QDateTime dataSemAtualizacao(); // 1985-01-01 12:00:00

// Mode 1: an empty table (count 0) gives now plus one day; otherwise the
// value, or the fixed date when the value is zero (null). Mode 2: the value,
// or the fixed date (the count is not looked at).
QDateTime DateNull(qint64 count, int mode, const QDateTime& dtValue, const QDateTime& now = QDateTime::currentDateTime());

struct Watermarks {
    QVariantList dtUltAtu;    // oleDTULTATU: 24 values, null in unused slots
    QVariantList dtUltAtuIns; // oleDTULTATUIns
};

// Counts and newest dates of the 22 slot tables. A table whose rows were
// written while its deletions were not (yet) applied asks for deletions from
// the date it asked with then (EXCLPENDENTE), not from its newest row.
Watermarks readWatermarks(Database& db, const QDateTime& now = QDateTime::currentDateTime());

// Kept in the transaction that writes a table's rows before its deletions:
// the deletions at or after `since` are still to be applied. An older mark
// stays (the deletions since then are still missing).
void markDeletionsPending(Database& db, const QString& table, const QDateTime& since);
// In the transaction that applies the table's deletions.
void clearDeletionsPending(Database& db, const QString& table);

} // namespace zov
