#pragma once
// The dialect functions the program's statements use, registered on every connection.
struct sqlite3;

namespace zov {
void registerSqlFunctions(sqlite3* db);
}
