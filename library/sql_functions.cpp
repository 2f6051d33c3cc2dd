#include "library/sql_functions.h"

#include <sqlite3.h>

namespace zov {
namespace {

// NVL(a, b): a, or b when a is null.
void nvl(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_value(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

bool decodeEquals(sqlite3_value* a, sqlite3_value* b)
{
    const int ta = sqlite3_value_type(a);
    const int tb = sqlite3_value_type(b);
    // DECODE treats two nulls as equal, unlike "=".
    if (ta == SQLITE_NULL || tb == SQLITE_NULL)
        return ta == tb;
    const bool na = ta == SQLITE_INTEGER || ta == SQLITE_FLOAT;
    const bool nb = tb == SQLITE_INTEGER || tb == SQLITE_FLOAT;
    if (na && nb)
        return sqlite3_value_double(a) == sqlite3_value_double(b);
    // Otherwise compare as text, as the engine the statements were written for converts.
    const int la = sqlite3_value_bytes(a);
    const int lb = sqlite3_value_bytes(b);
    const unsigned char* sa = sqlite3_value_text(a);
    const unsigned char* sb = sqlite3_value_text(b);
    if (la != lb)
        return false;
    for (int i = 0; i < la; ++i)
        if (sa[i] != sb[i])
            return false;
    return true;
}

// DECODE(x, v1, r1 [, v2, r2 ...] [, default])
void decode(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 3) {
        sqlite3_result_error(ctx, "DECODE precisa de ao menos três argumentos", -1);
        return;
    }
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        if (decodeEquals(argv[0], argv[i])) {
            sqlite3_result_value(ctx, argv[i + 1]);
            return;
        }
    }
    if (i < argc)
        sqlite3_result_value(ctx, argv[i]);
    else
        sqlite3_result_null(ctx);
}

} // namespace

void registerSqlFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "NVL", 2, flags, nullptr, nvl, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "DECODE", -1, flags, nullptr, decode, nullptr, nullptr, nullptr);
}

} // namespace zov
