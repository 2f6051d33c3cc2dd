#include "transfer/loaders.h"

#include "library/database.h"
#include "library/errors.h"

#include <QElapsedTimer>

namespace zov {

namespace {

QStringList tableColumns(Database& db, const QString& table)
{
    const QStringList cols = db.columnNames(table);
    if (cols.isEmpty())
        throw Error(QStringLiteral("A tabela local %1 não existe.").arg(table));
    return cols;
}

bool listed(const std::vector<const char*>& names, const QString& column)
{
    for (const char* n : names)
        if (column.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString progressTableName(const QString& rowsDataset) { return rowsDataset.mid(3).toUpper(); }

void checkRows(const LoaderInfo& loader, const ReceivedTable& rows)
{
    const QString table = QString::fromLatin1(loader.table);
    if (!rows.loaded())
        throw Error(QStringLiteral("Os dados da tabela %1 não foram recebidos do servidor.").arg(table));
    if (rows.rowCount() == 0)
        return; // no row to look up
    for (const char* key : loader.lookupKeys)
        if (rows.columnIndex(QString::fromLatin1(key)) < 0)
            throw Error(QStringLiteral("Os dados recebidos da tabela %1 não têm a coluna %2.").arg(table, QString::fromLatin1(key)));
}

TableLoad::TableLoad(Database& db, const LoaderInfo& loader, const std::vector<ReceivedTable::Column>& received)
    : table_(QString::fromLatin1(loader.table))
{
    QStringList local;
    if (loader.onlyColumns.empty())
        local = tableColumns(db, table_);
    else
        for (const char* c : loader.onlyColumns)
            local << QString::fromLatin1(c);

    auto receivedIndex = [&](const QString& column) {
        for (std::size_t i = 0; i < received.size(); ++i)
            if (received[i].name.compare(column, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    };
    QStringList names, values, updates, keys;
    paramOf_.assign(received.size(), -1);
    for (const QString& column : local) {
        const int source = receivedIndex(column);
        if (source < 0)
            continue;
        const bool key = listed(loader.lookupKeys, column);
        paramOf_[std::size_t(source)] = int(isKey_.size());
        isKey_.push_back(key);
        names << column;
        values << QStringLiteral("?%1").arg(names.size());
        if (!key && !listed(loader.insertOnlyColumns, column))
            updates << QStringLiteral("%1 = excluded.%1").arg(column);
    }
    for (const char* key : loader.lookupKeys)
        keys << QString::fromLatin1(key);
    // Table and column names come from the schema, never from the server.
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO %5")
            .arg(table_, names.join(QLatin1Char(',')), values.join(QLatin1Char(',')), keys.join(QLatin1Char(',')),
                 updates.isEmpty() ? QStringLiteral("NOTHING") : QStringLiteral("UPDATE SET ") + updates.join(QLatin1Char(',')));
    if (!names.isEmpty())
        statement_ = std::make_unique<Statement>(db, sql);
}

TableLoad::~TableLoad() = default;

void TableLoad::write(const ReceivedTable& rows, int total, const RowProgress& progress)
{
    if (!statement_)
        return;
    Statement& st = *statement_;
    QElapsedTimer shown;
    shown.start();
    const int count = rows.rowCount();
    for (int row = 0; row < count; ++row) {
        try {
            st.clearBindings(); // a column without a cell in this row is null
            for (const ReceivedTable::Cell& cell : rows.cells(row)) {
                const int i = paramOf_[std::size_t(cell.column)];
                if (i < 0)
                    continue;
                // Keys are looked up as text, whatever kind the server gave them.
                st.bindExact(i + 1, isKey_[std::size_t(i)] ? QVariant(convertToKind(cell.value, FieldKind::Text)) : cell.value);
            }
            st.exec();
        } catch (const Abort&) {
            throw;
        } catch (const std::exception& e) {
            const QString where =
                total > 0 ? QStringLiteral("linha %1 de %2").arg(written_ + 1).arg(total) : QStringLiteral("linha %1").arg(written_ + 1);
            throw Error(
                QStringLiteral("Não foi possível gravar a tabela local %1 (%2): %3").arg(table_, where, QString::fromUtf8(e.what())));
        }
        ++written_;
        if (progress && (row + 1 == count || written_ == 1 || shown.elapsed() >= 50)) {
            progress(written_, total);
            shown.restart();
        }
    }
}

void loadTable(Database& db, const LoaderInfo& loader, const ReceivedTable& rows, const RowProgress& progress)
{
    const QString table = QString::fromLatin1(loader.table);
    checkRows(loader, rows);
    const int total = rows.rowCount();
    if (total == 0)
        return;
    bool wrote = false;
    try {
        db.transaction([&] {
            TableLoad load(db, loader, rows.columns());
            load.write(rows, total, progress);
            wrote = true;
        });
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        if (!wrote)
            throw;
        throw tableCommitError(table, total, e);
    }
}

Error tableCommitError(const QString& table, int rows, const std::exception& cause)
{
    return Error(QStringLiteral("Não foi possível confirmar a gravação da tabela local %1 (%2 linhas): %3")
                     .arg(table)
                     .arg(rows)
                     .arg(QString::fromUtf8(cause.what())));
}

} // namespace zov
