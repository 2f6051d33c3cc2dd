#pragma once
// The text of db/schema.sql, compiled into the program.
#include <QString>

namespace zov {
const char* schemaSql();
// One table's CREATE TABLE statement as schema.sql has it, made
// "CREATE TABLE IF NOT EXISTS": a file made before the table gets the same
// table a new one gets. Throws std::logic_error for a table it lacks.
QString schemaTableSql(const QString& table);
} // namespace zov
