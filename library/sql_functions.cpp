#include "library/sql_functions.h"

#include "library/text_fold.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

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

void freeFolded(void* p) { delete static_cast<std::string*>(p); }

void foldValue(sqlite3_value* v, std::string& out)
{
    if (const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v)))
        foldUtf8(t, std::size_t(sqlite3_value_bytes(v)), out);
}

// CONTAINS_FOLDED(value, text): 1 when value contains text, ignoring case and
// accents. The lookup searches run it over every row of big lists, so it works
// on the UTF-8 bytes and folds the searched text once per statement.
void containsFolded(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto* needle = static_cast<const std::string*>(sqlite3_get_auxdata(ctx, 1));
    std::string once;
    if (!needle) {
        auto* folded = new std::string;
        foldValue(argv[1], *folded);
        sqlite3_set_auxdata(ctx, 1, folded, freeFolded); // SQLite owns it from here
        needle = static_cast<const std::string*>(sqlite3_get_auxdata(ctx, 1));
        if (!needle) { // not kept: the text is not a constant of the statement
            foldValue(argv[1], once);
            needle = &once;
        }
    }
    if (needle->empty()) {
        sqlite3_result_int(ctx, 1);
        return;
    }
    thread_local std::string hay;
    hay.clear();
    foldValue(argv[0], hay);
    sqlite3_result_int(ctx, memmem(hay.data(), hay.size(), needle->data(), needle->size()) != nullptr);
}

} // namespace

void registerSqlFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "NVL", 2, flags, nullptr, nvl, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "DECODE", -1, flags, nullptr, decode, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "CONTAINS_FOLDED", 2, flags, nullptr, containsFolded, nullptr, nullptr, nullptr);
}

} // namespace zov
