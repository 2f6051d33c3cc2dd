#pragma once
// The reference tables the download knows: the request slots, the loaders in
// their run order and the purge with its key columns.
#include <QString>
#include <vector>

namespace zov {

// One used slot of the request: reply element `slot` carries the rows,
// element `slot` + 24 the deletion records.
struct SlotInfo {
    int slot;
    const char* table;
    const char* dateColumn;
    const char* rowsDataset;
    const char* deletionsDataset;
};

constexpr int kSlotCount = 24;
constexpr int kReplyElements = 48;
constexpr int kParamPedidoElement = 47;

// Slots 0 to 22 without 11, in slot order.
const std::vector<SlotInfo>& slotTable();
const SlotInfo* slotOf(const QString& table);
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

struct PurgeInfo {
    const char* table;
    const char* deletionsDataset;
    std::vector<const char*> keyColumns; // the order of the DSKEYCACHE entries
    const char* dateColumn;
};

// In processing order.
const std::vector<PurgeInfo>& purgeTable();

} // namespace zov
