#include "transfer/loaders.h"

#include "library/database.h"
#include "library/errors.h"

#include <QElapsedTimer>

namespace zov {

namespace {

QStringList tableColumns(Database& db, const QString& table)
{
    Statement st(db, QStringLiteral("SELECT name FROM pragma_table_info(:T) ORDER BY cid"));
    st.bind(QStringLiteral("T"), table);
    QStringList cols;
    while (st.step())
        cols << st.value(0, FieldKind::Text).toString();
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

void loadTable(Database& db, const LoaderInfo& loader, const ReceivedTable& rows, const RowProgress& progress)
{
    const QString table = QString::fromLatin1(loader.table);
    checkRows(loader, rows);
    const int total = rows.rowCount();
    if (total == 0)
        return;

    QStringList local;
    if (loader.onlyColumns.empty())
        local = tableColumns(db, table);
    else
        for (const char* c : loader.onlyColumns)
            local << QString::fromLatin1(c);

    struct Mapped {
        QString column;
        int source;
        bool key;
    };
    std::vector<Mapped> mapped;
    for (const QString& column : local) {
        const int source = rows.columnIndex(column);
        if (source >= 0)
            mapped.push_back({column, source, listed(loader.lookupKeys, column)});
    }
    QStringList names, values, updates, keys;
    for (std::size_t i = 0; i < mapped.size(); ++i) {
        names << mapped[i].column;
        values << QStringLiteral("?%1").arg(i + 1);
        if (!mapped[i].key && !listed(loader.insertOnlyColumns, mapped[i].column))
            updates << QStringLiteral("%1 = excluded.%1").arg(mapped[i].column);
    }
    for (const char* key : loader.lookupKeys)
        keys << QString::fromLatin1(key);
    // Table and column names come from the schema, never from the server.
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO %5")
                            .arg(table, names.join(QLatin1Char(',')), values.join(QLatin1Char(',')), keys.join(QLatin1Char(',')),
                                 updates.isEmpty() ? QStringLiteral("NOTHING") : QStringLiteral("UPDATE SET ") + updates.join(QLatin1Char(',')));

    // Which statement parameter each received column feeds (-1: none).
    std::vector<int> paramOf(std::size_t(rows.columnCount()), -1);
    for (std::size_t i = 0; i < mapped.size(); ++i)
        paramOf[std::size_t(mapped[i].source)] = int(i);

    int row = 0;
    try {
        db.transaction([&] {
            Statement st(db, sql);
            QElapsedTimer shown;
            shown.start();
            for (row = 0; row < total; ++row) {
                st.clearBindings(); // a column without a cell in this row is null
                for (const ReceivedTable::Cell& cell : rows.cells(row)) {
                    const int i = paramOf[std::size_t(cell.column)];
                    if (i < 0)
                        continue;
                    // Keys are looked up as text, whatever kind the server gave them.
                    st.bindExact(i + 1, mapped[std::size_t(i)].key ? QVariant(convertToKind(cell.value, FieldKind::Text)) : cell.value);
                }
                st.exec();
                if (progress && (row + 1 == total || row == 0 || shown.elapsed() >= 50)) {
                    progress(row + 1, total);
                    shown.restart();
                }
            }
        });
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        // Every row went in and the commit failed: no row is to blame.
        if (row >= total)
            throw Error(QStringLiteral("Não foi possível confirmar a gravação da tabela local %1 (%2 linhas): %3")
                            .arg(table)
                            .arg(total)
                            .arg(QString::fromUtf8(e.what())));
        throw Error(QStringLiteral("Não foi possível gravar a tabela local %1 (linha %2 de %3): %4")
                        .arg(table)
                        .arg(row + 1)
                        .arg(total)
                        .arg(QString::fromUtf8(e.what())));
    }
}

} // namespace zov
