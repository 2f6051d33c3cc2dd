#include "server/company_rows.h"

namespace zov::server {

RowWriter::RowWriter(Connection& db, const QString& table, const QStringList& columns) : count_(int(columns.size()))
{
    QStringList marks;
    for (int i = 0; i < count_; ++i)
        marks << QStringLiteral("?");
    st_ = std::make_unique<Query>(
        db,
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
}

void RowWriter::write(const QVariantList& values)
{
    for (int i = 0; i < count_; ++i)
        st_->bindAt(i + 1, values.value(i));
    st_->exec();
}

void putRow(Connection& db, const char* table, ColumnValues values)
{
    QStringList columns;
    QVariantList row;
    for (const auto& [c, v] : values) {
        columns << QString::fromLatin1(c);
        row << v;
    }
    RowWriter(db, QString::fromLatin1(table), columns).write(row);
}

QString code(qint64 number, int width) { return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0')); }

} // namespace zov::server
