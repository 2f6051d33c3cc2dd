#include "db/transaction.h"

#include "library/database.h"
#include "library/dataset.h"

namespace zov {

void ApplyUpdatesInTransaction(Database& db, std::initializer_list<Query*> datasets)
{
    db.transaction([&] {
        for (Query* q : datasets)
            q->applyUpdates();
    });
    for (Query* q : datasets)
        q->commitUpdates();
}

} // namespace zov
