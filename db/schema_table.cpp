#include "db/schema.h"

#include <QRegularExpression>
#include <stdexcept>

namespace zov {

QString schemaTableSql(const QString& table)
{
    const QString schema = QString::fromUtf8(schemaSql());
    const QRegularExpression start(QStringLiteral("^CREATE TABLE %1 \\(").arg(QRegularExpression::escape(table)),
                                   QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = start.match(schema);
    const qsizetype end = m.hasMatch() ? schema.indexOf(QStringLiteral("\n);"), m.capturedStart()) : -1;
    if (end < 0)
        throw std::logic_error("schema.sql has no table " + table.toStdString());
    return schema.mid(m.capturedStart(), end + 3 - m.capturedStart()).replace(0, 12, QStringLiteral("CREATE TABLE IF NOT EXISTS"));
}

} // namespace zov
