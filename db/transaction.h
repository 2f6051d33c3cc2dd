#pragma once
// The transaction rule for writers of several tables: start a transaction only
// when none is open (else join it), apply the cached changes of each dataset in
// the order given, commit when we started it, then clear the caches.
// On any error the transaction is rolled back, every cache is left as it was,
// and the error propagates to the window that started the write.
#include <initializer_list>

namespace zov {

class Database;
class Query;

void ApplyUpdatesInTransaction(Database& db, std::initializer_list<Query*> datasets);

} // namespace zov
