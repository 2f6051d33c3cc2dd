#pragma once
// The dialect functions the program's statements use, and CONTAINS_FOLDED
// (the accent- and case-blind search of LocateAll), registered on every connection.
struct sqlite3;

namespace zov {
void registerSqlFunctions(sqlite3* db);
}
