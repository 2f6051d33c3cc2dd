#include "server/sqlite_connection.h"

#include <sqlite3.h>

namespace zov::server {

namespace {

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(Database& db, const QString& sql) : st_(db, sql) {}
    bool bind(const QString& name, const QVariant& value) override { return st_.bind(name, value); }
    void bindAt(int index, const QVariant& value) override { st_.bindAt(index, value); }
    bool step() override { return st_.step(); }
    int exec() override { return st_.exec(); }
    void reset() override { st_.reset(); }
    int columnCount() const override { return st_.columnCount(); }
    QString columnName(int column) const override { return st_.columnName(column).toUpper(); }
    FieldKind columnKind(int column) const override { return st_.columnKind(column); }
    bool isNull(int column) const override { return sqlite3_column_type(st_.handle(), column) == SQLITE_NULL; }
    QVariant value(int column, FieldKind kind) const override { return st_.value(column, kind); }
    std::string_view utf8(int column) const override
    {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st_.handle(), column));
        return {text ? text : "", std::size_t(sqlite3_column_bytes(st_.handle(), column))};
    }
    qint64 int64(int column) const override
    {
        if (sqlite3_column_type(st_.handle(), column) == SQLITE_FLOAT)
            return qint64(sqlite3_column_double(st_.handle(), column));
        if (sqlite3_column_type(st_.handle(), column) == SQLITE_INTEGER)
            return sqlite3_column_int64(st_.handle(), column);
        return st_.value(column, FieldKind::Integer).toLongLong();
    }
    double real(int column) const override
    {
        const int type = sqlite3_column_type(st_.handle(), column);
        if (type == SQLITE_FLOAT || type == SQLITE_INTEGER)
            return sqlite3_column_double(st_.handle(), column);
        return st_.value(column, FieldKind::Number).toDouble();
    }
    QByteArray bytes(int column) const override
    {
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(st_.handle(), column)), sqlite3_column_bytes(st_.handle(), column));
    }

private:
    Statement st_;
};

} // namespace

std::unique_ptr<Cursor> SqliteConnection::prepare(const QString& sql) { return std::make_unique<SqliteCursor>(*db_, sql); }

std::vector<ColumnInfo> SqliteConnection::columns(const QString& table)
{
    std::vector<ColumnInfo> out;
    Statement st(*db_, QStringLiteral("SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info(:T) ORDER BY cid"));
    st.bind(QStringLiteral("T"), table);
    while (st.step())
        out.push_back({st.value(0, FieldKind::Text).toString().toUpper(), st.value(1, FieldKind::Text).toString(),
                       st.value(2, FieldKind::Integer).toInt() != 0, st.rawValue(3).toString()});
    return out;
}

} // namespace zov::server
