#include "library/dbutils.h"

#include "library/dataset.h"
#include "library/errors.h"
#include "library/text_fold.h"

namespace zov {

namespace {

// The rewrite: the caller's statement becomes a common table expression with
// positional column names, so the outer select can give every column back its
// own name (duplicates included) and the statement's ORDER BY is kept.
const QLatin1String kPrefix("WITH ZOV_LOCATEALL(");
const QLatin1String kBodyStart(") AS (\n");
const QLatin1String kBodyEnd("\n)\nSELECT ");
const QLatin1String kTextParam("ZOV_LOCATEALL_TEXT");

QString quoteIdentifier(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString withoutFinalSemicolons(QString sql)
{
    for (;;) {
        while (!sql.isEmpty() && sql.back().isSpace())
            sql.chop(1);
        if (sql.isEmpty() || sql.back() != QLatin1Char(';'))
            return sql;
        sql.chop(1);
    }
}

// What the database matches in a column: its text, dates and numbers near
// enough to how the grid shows them.
QString searchedColumn(const QString& column, FieldKind kind)
{
    switch (kind) {
    case FieldKind::DateTime: return QStringLiteral("strftime('%d/%m/%Y %H:%M:%S', %1)").arg(column);
    case FieldKind::Number:
    case FieldKind::Integer: return QStringLiteral("replace(%1, '.', ',')").arg(column);
    default: return column;
    }
}

void filterRowsRead(Query& query, const QStringList& fieldNames, const QString& text)
{
    std::vector<const Field*> fields;
    for (const QString& name : fieldNames)
        fields.push_back(&query.fieldByName(name.trimmed()));
    const QString needle = foldForSearch(text);
    query.setFilter([fields, needle](const Query& q, int row) {
        for (const Field* f : fields) {
            const QVariant v = q.valueAt(row, f->index());
            if (v.isNull())
                continue;
            const QString shown = f->kind() == FieldKind::Text ? v.toString() : f->displayTextOf(v);
            if (containsFolded(shown, needle))
                return true;
        }
        return false;
    });
}

void narrowInDatabase(Query& query, const QStringList& fieldNames, const QString& text)
{
    if (!query.database())
        throw Error(QStringLiteral("O conjunto de dados %1 não tem banco de dados.").arg(query.name()));
    const QString base = query.sql();
    // The statement's own columns, without running it.
    Statement probe(*query.database(), base);
    const int ncols = probe.columnCount();
    QStringList positional, named;
    for (int c = 0; c < ncols; ++c) {
        positional << QStringLiteral("C%1").arg(c + 1);
        named << QStringLiteral("C%1 AS %2").arg(c + 1).arg(quoteIdentifier(probe.columnName(c)));
    }
    QStringList conditions;
    for (const QString& name : fieldNames) {
        int column = -1;
        for (int c = 0; c < ncols && column < 0; ++c)
            if (probe.columnName(c).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                column = c;
        if (column < 0)
            throw Error(QStringLiteral("Campo %1 não encontrado em %2.").arg(name, query.name()));
        conditions << QStringLiteral("CONTAINS_FOLDED(%1, :%2)")
                          .arg(searchedColumn(QStringLiteral("C%1").arg(column + 1), probe.columnKind(column)), kTextParam);
    }
    query.setSql(kPrefix + positional.join(QLatin1String(", ")) + kBodyStart + withoutFinalSemicolons(base) + kBodyEnd
                 + named.join(QLatin1String(", ")) + QLatin1String(" FROM ZOV_LOCATEALL WHERE ") + conditions.join(QLatin1String(" OR ")));
    query.setParam(kTextParam, text);
    query.open();
}

} // namespace

QString locateAllBaseSql(const QString& sql)
{
    if (!sql.startsWith(kPrefix))
        return sql;
    const qsizetype start = sql.indexOf(kBodyStart, kPrefix.size());
    const qsizetype end = sql.lastIndexOf(kBodyEnd);
    if (start < 0 || end < start)
        return sql;
    return sql.mid(start + kBodyStart.size(), end - start - kBodyStart.size());
}

void LocateAll(Query& query, const QStringList& fieldNames, const QString& text)
{
    const bool memory = query.sql().isEmpty();
    if (!memory) {
        const QString base = locateAllBaseSql(query.sql());
        if (base != query.sql())
            query.setSql(base); // an earlier narrowing in the database: start from the whole statement
    }
    if (query.state() == DataSetState::Browse && !query.allFetched() && !query.updatesPending())
        query.close(); // nothing of the user's in its rows: the rows not read need not be
    const bool blank = text.trimmed().isEmpty() || fieldNames.isEmpty();
    if (query.active() || memory) {
        query.open();
        if (blank)
            query.clearFilter();
        else
            filterRowsRead(query, fieldNames, text);
        return;
    }
    if (blank)
        query.open();
    else
        narrowInDatabase(query, fieldNames, text);
}

} // namespace zov
