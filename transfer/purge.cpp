#include "transfer/purge.h"

#include "library/database.h"
#include "library/errors.h"

#include <QDateTime>

namespace zov {

QString ValueField(const QString& stField, const QString& dsKeyCache)
{
    // Entries are "COLUMN" + one separator + value + ";". An entry must start
    // with the column name, so a name inside another entry is never taken.
    qsizetype start = 0;
    while (start < dsKeyCache.size()) {
        qsizetype end = dsKeyCache.indexOf(QLatin1Char(';'), start);
        if (end < 0)
            end = dsKeyCache.size();
        const QStringView entry = QStringView(dsKeyCache).mid(start, end - start);
        if (entry.size() > stField.size() && entry.startsWith(stField, Qt::CaseInsensitive))
            return entry.mid(stField.size() + 1).toString();
        start = end + 1;
    }
    return {};
}

QString ValueField(const QString& stField, const ReceivedTable& deletions, int row)
{
    return ValueField(stField, deletions.value(row, QStringLiteral("DSKEYCACHE")).toString());
}

QString AplicaParametros(const QString& placeholder, const QString& value, const QString& sString)
{
    if (placeholder.isEmpty())
        return sString;
    // One pass from left to right: a value that contains the placeholder is
    // put in as it is, not replaced again.
    QString out;
    const QString v = value.trimmed();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = sString.indexOf(placeholder, from);
        if (at < 0)
            break;
        out += QStringView(sString).mid(from, at - from);
        out += v;
        from = at + placeholder.size();
    }
    out += QStringView(sString).mid(from);
    return out;
}

void checkDeletions(const SyncSlot& slot, const ReceivedTable& deletions)
{
    if (!deletions.loaded())
        throw Error(QStringLiteral("As exclusões da tabela %1 não foram recebidas do servidor.").arg(slot.table));
    for (const char* column : {"DSKEYCACHE", "DTULTATUCACH"})
        if (deletions.columnIndex(QLatin1String(column)) < 0)
            throw Error(QStringLiteral("As exclusões recebidas da tabela %1 não têm a coluna %2.").arg(slot.table, QLatin1String(column)));
}

namespace {

const char* const kDateMove = "UPDATE TABELA SET CAMPO = :P_DTULTATU WHERE (SELECT MAX(CAMPO) FROM TABELA) < :P_DTULTATU";

} // namespace

void purgeTable(Database& db, const SyncSlot& slot, const ReceivedTable& deletions)
{
    const QString& table = slot.table;
    const QString& dateColumn = slot.dateColumn;
    checkDeletions(slot, deletions);
    if (deletions.rowCount() == 0)
        return;

    // Which key columns hold dates: their values are compared as stored dates.
    QStringList conditions;
    std::vector<bool> isDate;
    for (const QString& key : slot.keys) {
        // An empty key part cannot tell '' from null: it matches either.
        conditions << QStringLiteral("(%1 = :%1 OR (:%1 = '' AND %1 IS NULL))").arg(key);
        isDate.push_back(key.startsWith(QLatin1String("DT")));
    }
    const QString where = conditions.join(QStringLiteral(" AND "));
    const int dateCol = deletions.columnIndex(QStringLiteral("DTULTATUCACH"));

    db.transaction([&] {
        Statement count(db, QStringLiteral("SELECT COUNT(*) AS NRREGS FROM %1").arg(table));
        Statement lookup(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(dateColumn, table, where));
        Statement remove(db, QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, where));
        count.step();
        qint64 localRows = count.value(0, FieldKind::Integer).toLongLong();
        count.reset();

        QDateTime newest; // zero
        for (int row = 0; row < deletions.rowCount(); ++row) {
            if (localRows <= 0)
                break; // nothing left to delete; the date move still runs
            lookup.clearBindings();
            remove.clearBindings();
            for (int k = 0; k < slot.keys.size(); ++k) {
                QVariant v = ValueField(slot.keys[k], deletions, row);
                if (isDate[std::size_t(k)]) {
                    const QDateTime dt = dateTimeFromStorage(v.toString());
                    if (dt.isValid())
                        v = dt;
                }
                // Bound as received: an empty part is '', not null.
                lookup.bindExact(k + 1, v);
                remove.bindExact(k + 1, v);
            }
            const QDateTime deleted = deletions.value(row, dateCol).toDateTime();
            const bool found = lookup.step();
            const QDateTime local = found ? lookup.value(0, FieldKind::DateTime).toDateTime() : QDateTime();
            lookup.reset();
            // A row changed here after the deletion stays.
            if (found && deleted.isValid() && (!local.isValid() || deleted > local))
                localRows -= remove.exec();
            if (deleted.isValid() && (!newest.isValid() || deleted > newest))
                newest = deleted;
        }
        if (newest.isValid()) {
            QString sql = AplicaParametros(QStringLiteral("TABELA"), table, QString::fromLatin1(kDateMove));
            sql = AplicaParametros(QStringLiteral("CAMPO"), dateColumn, sql);
            db.exec(sql, {{QStringLiteral("P_DTULTATU"), newest}});
        }
    });
}

} // namespace zov
