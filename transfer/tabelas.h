#pragma once
// What the client keeps of the download's slots (protocol_slots.h): the
// datasets of each slot and the loaders in their run order. The purge runs
// over the slots in slot order with their key columns.
#include "protocol/protocol_slots.h"

#include <QString>
#include <vector>

namespace zov {

// The client datasets of a slot: its received rows and deletion records.
QString rowsDatasetOf(const SyncSlot& slot);
QString deletionsDatasetOf(const SyncSlot& slot);
// Reply elements that are read, in the order they are loaded: 0-10, 12-22, 24-34, 36-46, 47.
std::vector<int> replyElementsRead();

struct LoaderInfo {
    const char* table;
    const char* rowsDataset;
    std::vector<const char*> lookupKeys;
    // Only these columns are read and written (empty: every column of the table).
    std::vector<const char*> onlyColumns;
    // Written when the row is inserted, never by the modify.
    std::vector<const char*> insertOnlyColumns;
};

// In the order the apply step runs them.
const std::vector<LoaderInfo>& loaderTable();

} // namespace zov
