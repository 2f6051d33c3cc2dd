#pragma once
// The text of db/schema.sql, compiled into the program.
namespace zov {
const char* schemaSql();
}
